#include "core/app/text_keys.h"

namespace zv {

std::string StoredTextKey(std::string_view key) {
  std::string stored(key.substr(0, kTextKeyLength));
  stored.resize(kTextKeyLength, '_');
  return stored;
}

}  // namespace zv
