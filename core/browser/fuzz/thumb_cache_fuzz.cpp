// Fuzz entry of the thumbnail cache file reader: any bytes as a cache file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/browser/thumb_cache_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zv::MemoryByteSource source(data, size);
  const zv::ThumbCacheContents cache = zv::ReadThumbCache(source, size, zv::IsShiftJisLeadByte);
  if (cache.error != zv::ThumbCacheError::kNone) {
    if (!cache.entries.empty()) __builtin_trap();  // a failed file gives no thumbnail at all
    return 0;
  }
  // What was accepted writes back to the same bytes, pixel blocks aside
  // (their padding is not meaningful), and every entry's pixels are there.
  std::vector<uint8_t> again;
  zv::AppendThumbCacheHeader(&again, cache.folder, cache.box, static_cast<uint32_t>(cache.entries.size()),
                             zv::IsShiftJisLeadByte);
  for (const zv::ThumbCacheEntry& entry : cache.entries) {
    const std::optional<zv::PixelImage> pixels = zv::ReadThumbPixels(source, entry);
    if (!pixels || !zv::AppendThumbCacheEntry(&again, cache.box, entry.key, *pixels, zv::IsShiftJisLeadByte))
      __builtin_trap();
    // The load rule hands out only an entry of the same size and time.
    const zv::ThumbCacheEntry* found = zv::FindUsableThumb(cache, cache.box, entry.key, zv::IsShiftJisLeadByte);
    if (found != nullptr && (found->key.fileSize != entry.key.fileSize ||
                             found->key.lastWrite.low != entry.key.lastWrite.low ||
                             found->key.lastWrite.high != entry.key.lastWrite.high))
      __builtin_trap();
  }
  zv::MemoryByteSource rewritten(again.data(), again.size());
  const zv::ThumbCacheContents reread = zv::ReadThumbCache(rewritten, again.size(), zv::IsShiftJisLeadByte);
  if (reread.error != zv::ThumbCacheError::kNone || reread.entries.size() != cache.entries.size()) __builtin_trap();
  if (!cache.entries.empty() &&
      zv::FindUsableThumb(cache, cache.box, cache.entries[0].key, zv::IsShiftJisLeadByte) != &cache.entries[0])
    __builtin_trap();
  return 0;
}
