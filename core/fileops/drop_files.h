#pragma once
// The CF_HDROP file list: a DROPFILES header (pFiles, pt.x, pt.y, fNC, fWide,
// each 32 bits, little-endian) followed by the names, each ending in a NUL,
// and one more NUL after the last. The program writes UTF-16 names; other
// programs may hand over narrow ones. Blocks from the clipboard or a drop
// are untrusted: the reader never looks past the size it is given.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

inline constexpr size_t kDropFilesHeaderSize = 20;
// A name must fit a path buffer of 260 (with its NUL); a longer one is
// refused whole, never cut, as a cut path names another file.
inline constexpr size_t kMaxDropNameLength = 259;

// The block for `paths` (ANSI): pFiles 20, fWide 1, each path converted by
// `toUtf16` and followed by a 16-bit NUL, one more NUL after the last, the
// rest zero. A path whose converted form is empty is left out. Its size is
// 2 x (sum of (byte length + 1)) + 52, or more should a conversion ever
// give more UTF-16 units than the path has bytes.
std::vector<uint8_t> BuildDropFiles(const std::vector<std::string>& paths,
                                    const std::function<std::u16string(std::string_view)>& toUtf16);

struct DroppedNames {
  bool wide = false;
  std::vector<std::u16string> wideNames;   // when wide
  std::vector<std::string> narrowNames;    // otherwise (bytes of the sender's code page)
  size_t refused = 0;                      // names left out: too long, or cut off by the block's end
  size_t size() const { return wide ? wideNames.size() : narrowNames.size(); }
};

// Reads the names of a block of `size` bytes. A block shorter than the
// header, or whose pFiles points into the header or past the block, gives
// no names. The list ends at an empty name or at the block's end; a name
// that the block's end cuts off (no terminator) is refused, as is a name of
// more than kMaxDropNameLength characters (wide) or bytes (narrow).
DroppedNames ParseDropFiles(const uint8_t* data, size_t size);

}  // namespace zv
