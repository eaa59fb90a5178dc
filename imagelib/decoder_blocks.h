#pragma once
// Whole-picture blocks of WIC's decoders, kept for the next decode.
//
// Wine's decoders (JPEG, PNG) decode a whole picture into one block from
// the C runtime's malloc, which under Wine maps fresh pages for every block
// of a few hundred KiB and more and unmaps them at free. Pages first written
// in a process that runs on several cores cost an interrupt on each of them
// (the kernel's copy-on-write and unmap flushes), so two threads decoding in
// one process ran at 1.4 times one. While a worker holds a
// KeptDecoderBlocks, blocks of kLargeBlock bytes and more that the decoder
// DLL allocates come from a pool instead: freed blocks stay mapped, up to
// two per holder, and the next decode reuses them. The decoder DLL's imports
// of malloc, calloc, realloc and free from ucrtbase.dll (Wine's builtin
// windowscodecs.dll) are redirected once, the first time a holder is made;
// where the DLL has no such imports nothing is redirected and nothing changes.
#include <cstddef>
#include <cstdint>

namespace zv::imagelib {

constexpr size_t kLargeBlock = 512 * 1024;

// While one lives, large decoder blocks are pooled; when the last one goes,
// the pool's free blocks are given back to the system. Made on any thread,
// after the thread's WIC factory (the DLL must be loaded).
class KeptDecoderBlocks {
 public:
  KeptDecoderBlocks();
  ~KeptDecoderBlocks();
  KeptDecoderBlocks(const KeptDecoderBlocks&) = delete;
  KeptDecoderBlocks& operator=(const KeptDecoderBlocks&) = delete;
};

// Gives the pool's free blocks back to the system (a worker with nothing
// left to do), keeping the blocks in use.
void ReleaseKeptDecoderBlocks();

struct DecoderBlockCounts {
  bool redirected = false;       // the decoder DLL's allocations pass through the pool
  uint64_t mappedFromSystem = 0; // large blocks the pool took from the system so far
  uint64_t reused = 0;           // large blocks handed out again from the pool
  size_t keptBytes = 0;          // free blocks held now
};
DecoderBlockCounts CountDecoderBlocks();

}  // namespace zv::imagelib
