#include "browser/thumb_pixel_store.h"

#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace zv {
namespace {

static_assert(kMaxPixelSide <= 0xFFFF && thumb_cache::kMaxBoxSide <= 0xFFFF, "a side fits a cell's 16 bits");

bool WriteAt(HANDLE file, uint64_t offset, const void* data, size_t size) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD written = 0;
  return WriteFile(file, data, static_cast<DWORD>(size), &written, &position) && written == size;
}

}  // namespace

ThumbPixelStore::ThumbPixelStore(size_t budgetBytes, std::string spillFolder, ThumbBox box)
    : budget_(budgetBytes),
      spillFolder_(std::move(spillFolder)),
      boxBytes_(size_t{box.width} * box.height * 4),
      heap_(std::make_shared<win::PrivateHeap>(boxBytes_)) {
  static_assert(sizeof(void*) > 4 || sizeof(Slot) <= 32, "a folder of 20,000 cells keeps its bookkeeping small");
}

void ThumbPixelStore::Clear() {
  slots_.clear();
  newest_ = oldest_ = nullptr;
  bytesInMemory_ = 0;
  cacheFile_ = nullptr;
  spillEnd_ = 0;
  heap_ = std::make_shared<win::PrivateHeap>(boxBytes_);
  // Give the disk back now rather than when the program ends; a spill that
  // cannot be cut is closed, which deletes it, and made anew when needed.
  LARGE_INTEGER start{};
  if (spill_ && !(SetFilePointerEx(spill_.get(), start, nullptr, FILE_BEGIN) && SetEndOfFile(spill_.get()))) {
    spill_.reset();
  }
}

void ThumbPixelStore::SetBox(ThumbBox box) {
  boxBytes_ = size_t{box.width} * box.height * 4;
  Clear();
}

void ThumbPixelStore::SetCacheFile(ThumbCacheFile* file) {
  if (file == cacheFile_) return;
  // The old file may be closed or rewritten from now on: what of it is still
  // in memory is kept like a made thumbnail. Cells not in memory cannot be
  // read any more; Get answers null for them.
  for (Slot* slot = newest_; slot; slot = slot->older) {
    if (slot->origin == Origin::kCached) slot->origin = Origin::kMade;
  }
  cacheFile_ = file;
}

void ThumbPixelStore::Put(uint64_t cellId, PixelImage pixels) {
  const bool fits = pixels.width > 0 && pixels.height > 0 && PixelSizeIsAllowed(pixels.width, pixels.height) &&
                    pixels.pixels.size() == static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height);
  if (!fits) {
    Forget(cellId);
    return;
  }
  std::shared_ptr<const PixelImage> stored;
  try {
    stored = Share(PixelImage{pixels.width, pixels.height, std::pmr::vector<uint32_t>(pixels.pixels, heap_.get())});
  } catch (const std::bad_alloc&) {
    Forget(cellId);
    return;
  }
  Slot& slot = slots_[cellId];
  if (slot.pixels) Drop(slot);
  slot.origin = Origin::kMade;
  slot.offset = 0;
  slot.width = static_cast<uint16_t>(pixels.width);
  slot.height = static_cast<uint16_t>(pixels.height);
  Remember(slot, std::move(stored));
  Trim();
}

void ThumbPixelStore::PutCached(uint64_t cellId, const ThumbCacheEntry& entry) {
  using thumb_cache::kMaxBoxSide;
  if (entry.width == 0 || entry.width > kMaxBoxSide || entry.height == 0 || entry.height > kMaxBoxSide) {
    Forget(cellId);
    return;
  }
  Slot& slot = slots_[cellId];
  if (slot.pixels) Drop(slot);
  slot.origin = Origin::kCached;
  slot.offset = entry.pixelOffset;
  slot.width = static_cast<uint16_t>(entry.width);
  slot.height = static_cast<uint16_t>(entry.height);
}

std::shared_ptr<const PixelImage> ThumbPixelStore::Get(uint64_t cellId) {
  const auto found = slots_.find(cellId);
  if (found == slots_.end()) return nullptr;
  Slot& slot = found->second;
  if (slot.pixels) {
    Unlink(slot);
    Link(slot);
    return slot.pixels;
  }
  std::optional<PixelImage> image = ReadBack(slot);
  if (!image) return nullptr;
  std::shared_ptr<const PixelImage> pixels = Share(std::move(*image));
  Remember(slot, pixels);
  Trim();  // may drop it again at once under a tiny budget; the caller holds it meanwhile
  return pixels;
}

bool ThumbPixelStore::Has(uint64_t cellId) const { return slots_.contains(cellId); }

bool ThumbPixelStore::InMemory(uint64_t cellId) const {
  const auto found = slots_.find(cellId);
  return found != slots_.end() && found->second.pixels != nullptr;
}

void ThumbPixelStore::Forget(uint64_t cellId) {
  const auto found = slots_.find(cellId);
  if (found == slots_.end()) return;
  // Its place in the spill stays unused until Clear: the spill only grows.
  if (found->second.pixels) Drop(found->second);
  slots_.erase(found);
}

std::shared_ptr<const PixelImage> ThumbPixelStore::Share(PixelImage image) const {
  // A grid cell may still hold the pixels when the store starts a new heap or goes.
  return std::shared_ptr<const PixelImage>(new PixelImage(std::move(image)),
                                           [heap = heap_](const PixelImage* pixels) { delete pixels; });
}

void ThumbPixelStore::Remember(Slot& slot, std::shared_ptr<const PixelImage> pixels) {
  slot.pixels = std::move(pixels);
  bytesInMemory_ += BlockBytes(slot);
  Link(slot);
}

void ThumbPixelStore::Drop(Slot& slot) {
  Unlink(slot);
  bytesInMemory_ -= BlockBytes(slot);
  slot.pixels.reset();
}

void ThumbPixelStore::Link(Slot& slot) {
  slot.older = newest_;
  slot.newer = nullptr;
  if (newest_) newest_->newer = &slot;
  newest_ = &slot;
  if (!oldest_) oldest_ = &slot;
}

void ThumbPixelStore::Unlink(Slot& slot) {
  (slot.newer ? slot.newer->older : newest_) = slot.older;
  (slot.older ? slot.older->newer : oldest_) = slot.newer;
  slot.newer = slot.older = nullptr;
}

// Drops the least recently used thumbnails until the budget holds. A made
// one must reach the spill first; when that fails (disk full) it stays in
// memory over the budget, and this pass writes no more but may still drop
// thumbnails that lie in the cache file.
void ThumbPixelStore::Trim() {
  bool spillWorks = true;
  for (Slot* slot = oldest_; slot && bytesInMemory_ > budget_;) {
    Slot* const newer = slot->newer;
    if (slot->origin == Origin::kMade) spillWorks = spillWorks && Spill(*slot);
    if (slot->origin != Origin::kMade) Drop(*slot);
    slot = newer;
  }
}

bool ThumbPixelStore::Spill(Slot& slot) {
  if (!spill_ && !OpenSpill()) return false;
  const std::pmr::vector<uint32_t>& pixels = slot.pixels->pixels;
  const size_t size = pixels.size() * sizeof(uint32_t);
  // A failed write leaves spillEnd_ where it was: the next one overwrites what it cut.
  if (!WriteAt(spill_.get(), spillEnd_, pixels.data(), size)) return false;
  slot.origin = Origin::kSpilled;
  slot.offset = spillEnd_;
  spillEnd_ += size;
  return true;
}

bool ThumbPixelStore::OpenSpill() {
  std::string folder = spillFolder_;
  if (folder.empty()) {
    char temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length > MAX_PATH) return false;
    folder = temp;
  }
  // GetTempFileNameA makes the file so that the name is ours; it is opened
  // again to be deleted on close and held without sharing.
  char name[MAX_PATH] = {};
  if (!GetTempFileNameA(folder.c_str(), "zvs", 0, name)) return false;
  spill_.reset(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!spill_) {
    DeleteFileA(name);
    return false;
  }
  spillEnd_ = 0;
  return true;
}

std::optional<PixelImage> ThumbPixelStore::ReadBack(const Slot& slot) {
  if (slot.origin == Origin::kCached) {
    if (!cacheFile_) return std::nullopt;
    ThumbCacheEntry entry;  // reading needs only the place and the size, not the key
    entry.width = slot.width;
    entry.height = slot.height;
    entry.pixelOffset = slot.offset;
    try {
      return cacheFile_->Pixels(entry, heap_.get());
    } catch (const std::bad_alloc&) {
      return std::nullopt;
    }
  }
  if (slot.origin != Origin::kSpilled || !spill_) return std::nullopt;
  PixelImage image{0, 0, std::pmr::vector<uint32_t>(heap_.get())};
  if (!AllocatePixels(&image, slot.width, slot.height)) return std::nullopt;
  HandleByteSource source(spill_.get());
  if (!source.ReadExact(slot.offset, image.pixels.data(), image.pixels.size() * sizeof(uint32_t))) return std::nullopt;
  return image;
}

}  // namespace zv
