#pragma once
// The thumbnails of the grid's cells under a memory budget. A folder of
// 20,000 pictures at the 240 x 160 box would need about 3 GB of pixels,
// more than a 32-bit process has; beyond the budget the least recently used
// thumbnails leave memory and come back when asked for without decoding the
// picture again: from the folder's open cache file, or from a spill file the
// store writes itself for thumbnails that were made here. UI thread only.
//
// The pixels in memory live in a heap of the store's own, each in a block of
// the box's size (a smaller thumbnail too), so that the budget counts what
// the process commits for them: among the decoders' short-lived buffers in
// the process heap, thumbnails that stay left holes that were never filled
// again (20 % over the budget at the large box).
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "browser/thumb_cache_store.h"
#include "core/browser/thumb_cache_format.h"
#include "core/imagelib/pixels.h"
#include "win/handles.h"
#include "win/private_heap.h"

namespace zv {

class ThumbPixelStore {
 public:
  static constexpr size_t kDefaultBudget = size_t{256} << 20;
  // The spill file is made when the first made thumbnail leaves memory, in
  // spillFolder (empty: the temp folder), deleted on close, not shared.
  explicit ThumbPixelStore(size_t budgetBytes = kDefaultBudget, std::string spillFolder = {},
                           ThumbBox box = ThumbBox{120, 80});
  ThumbPixelStore(const ThumbPixelStore&) = delete;
  ThumbPixelStore& operator=(const ThumbPixelStore&) = delete;

  // Drops every thumbnail and the spill file's contents; forgets the cache
  // file. The heap goes back to the system (once the last pixels handed out
  // from it are let go) and a new one is started.
  void Clear();
  // The folder's cache file that PutCached entries point into; the store
  // does not own it. Null: none (entries from it can no longer be read).
  // Thumbnails of the previous file that are in memory then count as made,
  // so that leaving memory spills them instead of losing them.
  void SetCacheFile(ThumbCacheFile* file);
  // Thumbnails of another box come: Clear, and blocks of the new box's size.
  void SetBox(ThumbBox box);
  // A thumbnail that was made for cell `cellId` (replaces what the cell
  // had); its pixels are copied into the store's heap. An empty image, one
  // whose pixels do not match its size, or one the heap cannot take leaves
  // the cell without one.
  void Put(uint64_t cellId, PixelImage pixels);
  // A thumbnail that lies in the cache file as `entry` (its place and size
  // are kept; its pixels are read only when asked for). An entry no cache
  // file can hold leaves the cell without one.
  void PutCached(uint64_t cellId, const ThumbCacheEntry& entry);
  // The pixels, read back from the spill or the cache file when not in
  // memory; null when the cell has none or reading failed. Marks it most
  // recently used. The pointer stays valid after the thumbnail leaves memory.
  std::shared_ptr<const PixelImage> Get(uint64_t cellId);
  bool Has(uint64_t cellId) const;  // a thumbnail exists for it (in memory or not)
  bool InMemory(uint64_t cellId) const;
  void Forget(uint64_t cellId);  // the cell went
  // The heap blocks of the thumbnails in memory (each at least the box's size).
  size_t bytesInMemory() const { return bytesInMemory_; }
  size_t budget() const { return budget_; }
  // What the store's heap commits now: bytesInMemory plus the heap's block
  // headers and the free space it has not given back (pixels handed out by
  // Get and since dropped are in it until they are let go). Walks the heap.
  size_t heapCommittedBytes() const { return heap_->CommittedBytes(); }

 private:
  enum class Origin : uint8_t {
    kMade,     // only in memory so far
    kSpilled,  // made, and its pixels are in the spill file at `offset`
    kCached,   // its pixels are in the cache file at `offset`
  };
  // One cell, 32 bytes on the 32-bit program: the pixels when in memory,
  // the links of the recently-used list (in-memory cells only) and where
  // the pixels are on disk.
  struct Slot {
    std::shared_ptr<const PixelImage> pixels;
    Slot* newer = nullptr;
    Slot* older = nullptr;
    uint64_t offset = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    Origin origin = Origin::kMade;
  };

  size_t BlockBytes(const Slot& slot) const { return heap_->BlockBytes(size_t{slot.width} * slot.height * 4); }
  // Pixels in the heap, shared: each keeps the heap alive until it is let go.
  std::shared_ptr<const PixelImage> Share(PixelImage image) const;
  void Remember(Slot& slot, std::shared_ptr<const PixelImage> pixels);
  void Drop(Slot& slot);
  void Link(Slot& slot);
  void Unlink(Slot& slot);
  void Trim();
  bool Spill(Slot& slot);
  bool OpenSpill();
  std::optional<PixelImage> ReadBack(const Slot& slot);

  size_t budget_;
  std::string spillFolder_;
  size_t boxBytes_ = 0;
  std::shared_ptr<win::PrivateHeap> heap_;
  std::unordered_map<uint64_t, Slot> slots_;
  Slot* newest_ = nullptr;
  Slot* oldest_ = nullptr;
  size_t bytesInMemory_ = 0;
  ThumbCacheFile* cacheFile_ = nullptr;
  win::UniqueFile spill_;
  uint64_t spillEnd_ = 0;  // where the next spilled thumbnail goes
};

}  // namespace zv
