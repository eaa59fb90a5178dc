#pragma once
// Whole-picture blocks of WIC's decoders, kept for the next decode.
//
// Wine's decoders decode a whole picture into one block: JPEG and PNG from
// the C runtime's malloc, BMP from the process heap. Under Wine either maps
// fresh pages for every block of a few hundred KiB and more and unmaps them
// at free. Pages first written in a process that runs on several cores cost
// an interrupt on each of them (the kernel's copy-on-write and unmap
// flushes), so two threads decoding in one process ran at 1.4 times one (BMP
// alone at 0.6 times). While a worker holds a KeptDecoderBlocks, blocks of
// kLargeBlock bytes and more that the decoder DLL allocates come from a pool
// instead: freed blocks stay mapped, up to one per holder, and the next
// decode reuses them. The decoder DLL's imports of malloc, calloc, realloc
// and free from ucrtbase.dll (Wine's builtin windowscodecs.dll), and then of
// HeapAlloc, HeapReAlloc and HeapFree (process heap blocks only), are
// redirected once, the first time a holder is made; where the DLL has no
// imports from ucrtbase.dll (Windows' own) nothing is redirected.
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
