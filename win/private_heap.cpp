#include "win/private_heap.h"

#include <algorithm>
#include <new>
#include <vector>

namespace zv::win {

PrivateHeap::PrivateHeap(size_t smallestBlock) : smallestBlock_(smallestBlock), heap_(HeapCreate(0, 0, 0)) {}

PrivateHeap::~PrivateHeap() {
  if (heap_) HeapDestroy(heap_);
}

void* PrivateHeap::do_allocate(size_t bytes, size_t alignment) {
  void* block = heap_ && alignment <= MEMORY_ALLOCATION_ALIGNMENT ? HeapAlloc(heap_, 0, BlockBytes(bytes)) : nullptr;
  if (!block) throw std::bad_alloc();
  return block;
}

void PrivateHeap::do_deallocate(void* block, size_t, size_t) { HeapFree(heap_, 0, block); }

namespace {

// The committed pages of the region a block too large for the heap's own
// regions was given (the heap maps such blocks one by one).
size_t CommittedAround(const void* block) {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(block, &info, sizeof info) != sizeof info) return 0;
  const void* const base = info.AllocationBase;
  size_t committed = 0;
  for (const char* at = static_cast<const char*>(base);
       VirtualQuery(at, &info, sizeof info) == sizeof info && info.AllocationBase == base && info.RegionSize > 0;
       at += info.RegionSize) {
    if (info.State == MEM_COMMIT) committed += info.RegionSize;
  }
  return committed;
}

}  // namespace

size_t PrivateHeap::CommittedBytes() const {
  if (!heap_ || !HeapLock(heap_)) return 0;
  struct Range {
    const char* begin;
    const char* end;
  };
  std::vector<Range> regions;
  size_t committed = 0;
  PROCESS_HEAP_ENTRY entry{};
  while (HeapWalk(heap_, &entry)) {
    const char* at = static_cast<const char*>(entry.lpData);
    if (entry.wFlags & PROCESS_HEAP_REGION) {
      committed += entry.Region.dwCommittedSize;
      regions.push_back({at, static_cast<const char*>(entry.Region.lpLastBlock)});
    } else if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) &&
               std::none_of(regions.begin(), regions.end(), [at](const Range& r) { return at >= r.begin && at < r.end; })) {
      committed += CommittedAround(at);
    }
  }
  HeapUnlock(heap_);
  return committed;
}

}  // namespace zv::win
