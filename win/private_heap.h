#pragma once
// A Win32 heap of its own (HeapCreate) as a memory resource, so that blocks
// that live long can be kept apart from the process heap's short-lived ones:
// freed holes between the two kinds are what a shared heap cannot refill.
// Every block is at least `smallestBlock` bytes: blocks of one size always
// fit the hole another left, so the heap commits what its blocks hold (a
// mix of sizes, churned, came to 18 % more under Wine). Serialized: any
// thread may allocate and free. Its blocks must be freed before it goes.
#include <windows.h>

#include <cstddef>
#include <memory_resource>

namespace zv::win {

class PrivateHeap final : public std::pmr::memory_resource {
 public:
  explicit PrivateHeap(size_t smallestBlock = 0);
  ~PrivateHeap() override;
  PrivateHeap(const PrivateHeap&) = delete;
  PrivateHeap& operator=(const PrivateHeap&) = delete;

  // The bytes the heap's regions commit now (HeapWalk): its blocks, their
  // headers, and free space not yet given back. Not cheap: walks every block.
  size_t CommittedBytes() const;
  // The bytes a request of `bytes` takes from the heap, its header aside.
  size_t BlockBytes(size_t bytes) const { return bytes < smallestBlock_ ? smallestBlock_ : bytes; }

 private:
  void* do_allocate(size_t bytes, size_t alignment) override;
  void do_deallocate(void* block, size_t bytes, size_t alignment) override;
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

  size_t smallestBlock_;
  HANDLE heap_;
};

}  // namespace zv::win
