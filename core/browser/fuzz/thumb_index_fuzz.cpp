// Fuzz entry of the thumbnail cache index: any bytes as ZVThumb.lst, then
// the lookup and the prune over what was read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/browser/thumb_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  zv::ThumbIndex index = zv::ParseThumbIndex(text, zv::IsShiftJisLeadByte);
  // The rewrite of what was read reads back the same lines.
  if (zv::ParseThumbIndex(zv::WriteThumbIndex(index), zv::IsShiftJisLeadByte) != index) __builtin_trap();

  const std::string folder = index.empty() ? std::string("C:\\new") : index.back().folder;
  const size_t before = index.size();
  const std::string name = zv::LookUpCacheName(index, folder, zv::IsShiftJisLeadByte);
  if (!zv::IsCacheFileName(name) || index.front().name != name || index.size() < before || index.size() > before + 1)
    __builtin_trap();
  // Every other folder is gone: only cache file names may be handed out to delete.
  bool badDelete = false;
  zv::PruneThumbIndex(
      index, [&](const std::string& f) { return f == folder; },
      [&](const std::string& n) { badDelete |= !zv::IsCacheFileName(n); });
  if (badDelete || index.empty()) __builtin_trap();
  return 0;
}
