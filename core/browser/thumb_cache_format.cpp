#include "core/browser/thumb_cache_format.h"

#include <cstring>
#include <utility>

#include "core/text/ansi_path.h"

namespace zv {

using namespace thumb_cache;

namespace {

void PutLe32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool BoxIsAllowed(ThumbBox box) {
  return box.width >= 1 && box.width <= kMaxBoxSide && box.height >= 1 && box.height <= kMaxBoxSide;
}

// Rows of the thumbnail from the last to the first, as a bottom-up DIB has them.
void StorePixelsBottomUp(uint8_t* block, const PixelImage& thumbnail) {
  const size_t width = static_cast<size_t>(thumbnail.width);
  for (int32_t row = 0; row < thumbnail.height; ++row) {
    const uint32_t* source = thumbnail.pixels.data() + static_cast<size_t>(thumbnail.height - 1 - row) * width;
    uint8_t* target = block + static_cast<size_t>(row) * width * 4;
    for (size_t x = 0; x < width; ++x) PutLe32(target + 4 * x, source[x]);
  }
}

// The name up to its terminator; nothing when the field has none.
std::optional<std::string> FieldText(const uint8_t* field, size_t size) {
  const void* end = std::memchr(field, 0, size);
  if (end == nullptr) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(field), static_cast<const uint8_t*>(end) - field);
}

ThumbCacheContents Failed(ThumbCacheError error, size_t entry = 0) {
  ThumbCacheContents failed;
  failed.error = error;
  failed.badEntry = entry;
  return failed;
}

// The fields of the entry at `offset`, or the reason they are unusable.
ThumbCacheError ReadEntry(ByteSource& source, uint64_t offset, ThumbBox box, ThumbCacheEntry* entry) {
  uint8_t fixed[kPixelsOffset];
  if (!source.ReadExact(offset, fixed, sizeof fixed)) return ThumbCacheError::kReadFailed;
  std::optional<std::string> name = FieldText(fixed, kNameFieldSize);
  if (!name) return ThumbCacheError::kUnterminatedName;
  entry->key = {std::move(*name), Le32(fixed + kFileSizeOffset),
                {Le32(fixed + kTimeLowOffset), Le32(fixed + kTimeHighOffset)}};
  entry->width = Le32(fixed + kWidthOffset);
  entry->height = Le32(fixed + kHeightOffset);
  if (entry->width == 0 || entry->width > box.width || entry->height == 0 || entry->height > box.height)
    return ThumbCacheError::kBitmapOutsideBox;
  entry->pixelOffset = offset + kPixelsOffset;
  return ThumbCacheError::kNone;
}

}  // namespace

uint64_t ThumbEntrySize(ThumbBox box) {
  return BoxIsAllowed(box) ? kPixelsOffset + uint64_t{box.width} * box.height * 4 : 0;
}

void AppendThumbCacheHeader(std::vector<uint8_t>* out, std::string_view folder, ThumbBox box, uint32_t count,
                            LeadBytePredicate isLead) {
  const size_t at = out->size();
  out->resize(at + kHeaderSize, 0);
  uint8_t* header = out->data() + at;
  PutLe32(header, kMarker);
  CopyToField(reinterpret_cast<char*>(header + kFolderOffset), kFolderFieldSize, folder, isLead);
  PutLe32(header + kBoxWidthOffset, box.width);
  PutLe32(header + kBoxHeightOffset, box.height);
  PutLe32(header + kCountOffset, count);
}

bool AppendThumbCacheEntry(std::vector<uint8_t>* out, ThumbBox box, const ThumbKey& key, const PixelImage& thumbnail,
                           LeadBytePredicate isLead) {
  const uint64_t size = ThumbEntrySize(box);
  if (size == 0 || thumbnail.width <= 0 || thumbnail.height <= 0 || static_cast<uint32_t>(thumbnail.width) > box.width ||
      static_cast<uint32_t>(thumbnail.height) > box.height ||
      thumbnail.pixels.size() != static_cast<size_t>(thumbnail.width) * static_cast<size_t>(thumbnail.height))
    return false;
  const size_t at = out->size();
  out->resize(at + static_cast<size_t>(size), 0);
  uint8_t* entry = out->data() + at;
  CopyToField(reinterpret_cast<char*>(entry), kNameFieldSize, key.name, isLead);
  PutLe32(entry + kFileSizeOffset, key.fileSize);
  PutLe32(entry + kTimeLowOffset, key.lastWrite.low);
  PutLe32(entry + kTimeHighOffset, key.lastWrite.high);
  PutLe32(entry + kWidthOffset, static_cast<uint32_t>(thumbnail.width));
  PutLe32(entry + kHeightOffset, static_cast<uint32_t>(thumbnail.height));
  StorePixelsBottomUp(entry + kPixelsOffset, thumbnail);
  return true;
}

ThumbCacheContents ReadThumbCache(ByteSource& source, uint64_t fileSize, LeadBytePredicate isLead) {
  uint8_t header[kHeaderSize];
  if (fileSize < kHeaderSize) return Failed(ThumbCacheError::kShortHeader);
  if (!source.ReadExact(0, header, sizeof header)) return Failed(ThumbCacheError::kReadFailed);
  const ThumbBox box{Le32(header + kBoxWidthOffset), Le32(header + kBoxHeightOffset)};
  const uint64_t entrySize = ThumbEntrySize(box);
  if (entrySize == 0) return Failed(ThumbCacheError::kBadBox);
  // Checked by division, so a count near 2^32 cannot overflow the product.
  const uint32_t count = Le32(header + kCountOffset);
  if (count > (fileSize - kHeaderSize) / entrySize) return Failed(ThumbCacheError::kCountBeyondFile);

  ThumbCacheContents contents;
  contents.box = box;
  // The folder is only kept for information: a field without a terminator is taken whole.
  contents.folder = FieldText(header + kFolderOffset, kFolderFieldSize)
                        .value_or(std::string(reinterpret_cast<const char*>(header + kFolderOffset), kFolderFieldSize));
  contents.entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    ThumbCacheEntry entry;
    const ThumbCacheError error = ReadEntry(source, kHeaderSize + i * entrySize, box, &entry);
    if (error != ThumbCacheError::kNone) return Failed(error, i);
    contents.firstByName.try_emplace(FoldedName(entry.key.name, isLead), contents.entries.size());
    contents.entries.push_back(std::move(entry));
  }
  return contents;
}

std::optional<PixelImage> ReadThumbPixels(ByteSource& source, const ThumbCacheEntry& entry,
                                          std::pmr::memory_resource* memory) {
  // The reader has bounded width and height by the box, so this is at most one pixel block.
  if (entry.width == 0 || entry.width > kMaxBoxSide || entry.height == 0 || entry.height > kMaxBoxSide)
    return std::nullopt;
  const size_t width = entry.width, height = entry.height;
  std::vector<uint8_t> rows(width * height * 4);
  if (!source.ReadExact(entry.pixelOffset, rows.data(), rows.size())) return std::nullopt;
  PixelImage image{static_cast<int32_t>(width), static_cast<int32_t>(height), std::pmr::vector<uint32_t>(memory)};
  image.pixels.resize(width * height);
  for (size_t row = 0; row < height; ++row) {
    const uint8_t* stored = rows.data() + (height - 1 - row) * width * 4;
    for (size_t x = 0; x < width; ++x) image.pixels[row * width + x] = Le32(stored + 4 * x);
  }
  return image;
}

const ThumbCacheEntry* FindUsableThumb(const ThumbCacheContents& cache, ThumbBox box, const ThumbKey& record,
                                       LeadBytePredicate isLead) {
  if (cache.error != ThumbCacheError::kNone || cache.box != box) return nullptr;
  const auto found = cache.firstByName.find(FoldedName(record.name, isLead));
  if (found == cache.firstByName.end()) return nullptr;
  const ThumbCacheEntry& entry = cache.entries[found->second];
  const bool same = entry.key.fileSize == record.fileSize && entry.key.lastWrite.low == record.lastWrite.low &&
                    entry.key.lastWrite.high == record.lastWrite.high;
  return same ? &entry : nullptr;
}

}  // namespace zv
