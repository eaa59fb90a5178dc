#include "core/fileops/drop_files.h"

#include <algorithm>

namespace zv {

namespace {

void PutUint32(std::vector<uint8_t>& block, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetUint32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

// Reads names of `Unit` (char for narrow, char16_t for wide) from `offset`
// on; every read is checked against `size` first.
template <class Unit, class Name>
void ReadNames(const uint8_t* data, size_t size, size_t offset, std::vector<Name>& names, size_t& refused) {
  constexpr size_t unit = sizeof(Unit);
  auto unitAt = [&](size_t at) -> Unit {
    if constexpr (unit == 1) {
      return static_cast<Unit>(data[at]);
    } else {
      return static_cast<Unit>(data[at] | data[at + 1] << 8);
    }
  };
  size_t at = offset;
  while (size - at >= unit) {
    Name name;
    bool ended = false;
    bool tooLong = false;
    for (; size - at >= unit; at += unit) {
      const Unit c = unitAt(at);
      if (c == 0) {
        ended = true;
        at += unit;
        break;
      }
      if (name.size() < kMaxDropNameLength)
        name.push_back(c);
      else
        tooLong = true;  // read on to its end, but keep none of it
    }
    if (!ended) {  // cut off by the block's end: it may name another file
      if (!name.empty()) ++refused;
      return;
    }
    if (name.empty()) return;  // the empty name ends the list
    if (tooLong)
      ++refused;
    else
      names.push_back(std::move(name));
  }
}

}  // namespace

std::vector<uint8_t> BuildDropFiles(const std::vector<std::string>& paths,
                                    const std::function<std::u16string(std::string_view)>& toUtf16) {
  std::vector<std::u16string> names;
  names.reserve(paths.size());
  size_t bytes = 0;
  size_t units = 0;
  for (const std::string& path : paths) {
    bytes += path.size() + 1;
    std::u16string name = toUtf16(path);
    // A name with a NUL inside would end the list early.
    name.erase(std::find(name.begin(), name.end(), u'\0'), name.end());
    if (name.empty()) continue;
    units += name.size() + 1;
    names.push_back(std::move(name));
  }
  const size_t needed = kDropFilesHeaderSize + 2 * (units + 1);
  std::vector<uint8_t> block(std::max(2 * bytes + 52, needed), 0);
  PutUint32(block, 0, kDropFilesHeaderSize);  // pFiles; pt and fNC stay 0
  PutUint32(block, 16, 1);                    // fWide
  size_t at = kDropFilesHeaderSize;
  for (const std::u16string& name : names) {
    for (char16_t c : name) {
      block[at++] = static_cast<uint8_t>(c & 0xFF);
      block[at++] = static_cast<uint8_t>(c >> 8);
    }
    at += 2;  // the name's NUL; the list's closing NUL follows in the zeros
  }
  return block;
}

DroppedNames ParseDropFiles(const uint8_t* data, size_t size) {
  DroppedNames result;
  if (data == nullptr || size < kDropFilesHeaderSize) return result;
  const uint32_t first = GetUint32(data);
  result.wide = GetUint32(data + 16) != 0;
  if (first < kDropFilesHeaderSize || first >= size) return result;
  if (result.wide)
    ReadNames<char16_t>(data, size, first, result.wideNames, result.refused);
  else
    ReadNames<char>(data, size, first, result.narrowNames, result.refused);
  return result;
}

}  // namespace zv
