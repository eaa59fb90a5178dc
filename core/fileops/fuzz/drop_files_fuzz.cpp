// Fuzz entry of the CF_HDROP reader: any bytes as a block from the
// clipboard or a drop. What is read must be whole names that fit a path
// buffer, and writing them again must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/fileops/drop_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zv::DroppedNames read = zv::ParseDropFiles(data, size);
  std::vector<std::u16string> expected;
  std::vector<std::string> keys;
  if (read.wide) {
    expected = read.wideNames;
  } else {
    for (const std::string& name : read.narrowNames) {
      std::u16string wide;
      for (char c : name) wide.push_back(static_cast<unsigned char>(c));
      expected.push_back(wide);
    }
  }
  for (const std::u16string& name : expected) {
    if (name.empty() || name.size() > zv::kMaxDropNameLength) __builtin_trap();
    for (char16_t c : name)
      if (c == 0) __builtin_trap();
    keys.push_back(std::to_string(keys.size()));  // shorter than most names: the block must still hold them
  }
  const std::vector<uint8_t> block = zv::BuildDropFiles(keys, [&](std::string_view key) {
    return expected[std::stoul(std::string(key))];
  });
  const zv::DroppedNames back = zv::ParseDropFiles(block.data(), block.size());
  if (!back.wide || back.wideNames != expected || back.refused != 0) __builtin_trap();
  return 0;
}
