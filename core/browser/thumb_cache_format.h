#pragma once
// A folder's thumbnail cache file ("%08x.bin" in Thumbs), little-endian:
// a 1040-byte header (marker 100, the folder in a 1024-byte field, box
// width, box height, entry count), then `count` entries of the same size,
// 532 + box width * box height * 4 bytes: the file name in a 512-byte
// field, file size, last-write time (low, high), the thumbnail's width and
// height, and a pixel block of the full box holding the thumbnail as a
// bottom-up 32-bit bitmap, zeros after it. Every entry has the box's size so
// that a reader steps over one without reading it.
//
// The writer makes the bytes of the header and of one entry; the reader
// takes the bytes of a file it must not trust and reads the header and every
// entry's fields once (no pixels), then pixels of single entries on demand.
#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/browser/file_list_item.h"
#include "core/imagelib/byte_source.h"
#include "core/imagelib/pixels.h"
#include "core/text/ansi_text.h"

namespace zv {

namespace thumb_cache {
inline constexpr uint32_t kMarker = 100;
inline constexpr size_t kHeaderSize = 1040;
inline constexpr size_t kFolderOffset = 4;
inline constexpr size_t kFolderFieldSize = 1024;
inline constexpr size_t kBoxWidthOffset = 1028;
inline constexpr size_t kBoxHeightOffset = 1032;
inline constexpr size_t kCountOffset = 1036;

inline constexpr size_t kNameFieldSize = 512;
inline constexpr size_t kFileSizeOffset = 512;
inline constexpr size_t kTimeLowOffset = 516;
inline constexpr size_t kTimeHighOffset = 520;
inline constexpr size_t kWidthOffset = 524;
inline constexpr size_t kHeightOffset = 528;
inline constexpr size_t kPixelsOffset = 532;  // the entry's fixed part ends here

// The program's boxes are at most 240 x 160; a side beyond this is damage.
// It keeps an entry's pixel block (at most 64 MiB) countable in 32 bits.
inline constexpr uint32_t kMaxBoxSide = 4096;
}  // namespace thumb_cache

struct ThumbBox {
  uint32_t width = 0;
  uint32_t height = 0;

  bool operator==(const ThumbBox&) const = default;
};

// Bytes of one entry of a box; 0 for a box no file may have.
uint64_t ThumbEntrySize(ThumbBox box);

// What identifies the file a thumbnail was made from.
struct ThumbKey {
  std::string name;  // the record's name, not its path
  uint32_t fileSize = 0;
  FileTime lastWrite;
};

// Appends the header's 1040 bytes. The folder is cut to its field at a
// character boundary.
void AppendThumbCacheHeader(std::vector<uint8_t>* out, std::string_view folder, ThumbBox box, uint32_t count,
                            LeadBytePredicate isLead);

// Appends one entry for a thumbnail of top-down pixels. False, with nothing
// appended, when the thumbnail is empty or larger than the box, or the box
// is not one a file may have.
bool AppendThumbCacheEntry(std::vector<uint8_t>* out, ThumbBox box, const ThumbKey& key, const PixelImage& thumbnail,
                           LeadBytePredicate isLead);

enum class ThumbCacheError {
  kNone,
  kShortHeader,        // fewer than 1040 bytes
  kBadBox,             // a side of 0 or beyond kMaxBoxSide
  kCountBeyondFile,    // count entries of the box do not fit the file
  kReadFailed,         // the source gave fewer bytes than the file has
  kUnterminatedName,   // an entry's name fills its field
  kBitmapOutsideBox,   // an entry's width or height is 0 or beyond the box
};

// One entry's fields, and where its pixels are.
struct ThumbCacheEntry {
  ThumbKey key;
  uint32_t width = 0;
  uint32_t height = 0;
  uint64_t pixelOffset = 0;  // of its pixel block in the file
};

struct ThumbCacheContents {
  ThumbCacheError error = ThumbCacheError::kNone;
  size_t badEntry = 0;  // which entry, for the entry errors
  std::string folder;   // as stored; not used to validate anything
  ThumbBox box;
  std::vector<ThumbCacheEntry> entries;  // in file order
  // FoldedName of each entry's name -> its first entry, so that a folder of
  // n files is matched in n lookups, not n^2/2 name comparisons.
  std::unordered_map<std::string, size_t> firstByName;
};

// Reads the header and the fields of every entry of a file of `fileSize`
// bytes. Every count and size is checked against fileSize before anything is
// allocated, and every read against what the source delivered; on any error
// the contents hold the error and no entries, and the caller makes its
// thumbnails anew.
ThumbCacheContents ReadThumbCache(ByteSource& source, uint64_t fileSize, LeadBytePredicate isLead);

// The pixels of one entry of contents read from the same source, turned top
// down, in memory from `memory`; nothing when the source does not deliver them.
std::optional<PixelImage> ReadThumbPixels(ByteSource& source, const ThumbCacheEntry& entry,
                                          std::pmr::memory_resource* memory = std::pmr::get_default_resource());

// The load rule: the entry of the record's name (the first, ignoring case)
// when the file was written for this box and the entry's size and both halves
// of its time equal the record's; otherwise nothing.
const ThumbCacheEntry* FindUsableThumb(const ThumbCacheContents& cache, ThumbBox box, const ThumbKey& record,
                                       LeadBytePredicate isLead);

}  // namespace zv
