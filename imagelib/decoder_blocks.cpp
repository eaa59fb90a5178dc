#include "imagelib/decoder_blocks.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace zv::imagelib {
namespace {

using MallocFn = void*(__cdecl*)(size_t);
using CallocFn = void*(__cdecl*)(size_t, size_t);
using ReallocFn = void*(__cdecl*)(void*, size_t);
using FreeFn = void(__cdecl*)(void*);
using HeapAllocFn = LPVOID(WINAPI*)(HANDLE, DWORD, SIZE_T);
using HeapFreeFn = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID);
using HeapReAllocFn = LPVOID(WINAPI*)(HANDLE, DWORD, LPVOID, SIZE_T);

// The runtime's own functions, set before any import is redirected.
MallocFn g_malloc = nullptr;
CallocFn g_calloc = nullptr;
ReallocFn g_realloc = nullptr;
FreeFn g_free = nullptr;
HeapAllocFn g_heapAlloc = nullptr;
HeapFreeFn g_heapFree = nullptr;
HeapReAllocFn g_heapReAlloc = nullptr;

// A pooled block is a region of its own (64 KiB aligned); the caller's
// pointer sits this far in, so most foreign pointers are told apart by
// their low bits alone, without the lock.
constexpr uintptr_t kOffset = 16;
constexpr size_t kGrain = 1024 * 1024;
constexpr size_t kMaxKeptBytes = 128 * 1024 * 1024;

struct Block {
  uint8_t* base;
  size_t capacity;  // usable bytes from base + kOffset
  bool inUse;
  size_t size = 0;  // bytes the caller asked for
};

class Pool {
 public:
  void AddHolder() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++holders_;
  }
  void RemoveHolder() {
    std::lock_guard<std::mutex> lock(mutex_);
    --holders_;
    TrimLocked();
  }
  void ReleaseFree() {
    std::lock_guard<std::mutex> lock(mutex_);
    TrimLocked(0, 0);
  }

  // A block of at least `bytes`, or null when nothing is pooled now (the
  // caller then asks the runtime).
  void* Take(size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (holders_ == 0) return nullptr;
    Block* best = nullptr;
    for (Block& b : blocks_)
      if (!b.inUse && b.capacity >= bytes && (best == nullptr || b.capacity < best->capacity)) best = &b;
    if (best != nullptr) {
      best->inUse = true;
      best->size = bytes;
      ++reused_;
      return best->base + kOffset;
    }
    if (bytes > SIZE_MAX - kOffset - kGrain) return nullptr;
    const size_t size = (bytes + kOffset + kGrain - 1) / kGrain * kGrain;
    auto* base = static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base == nullptr) return nullptr;
    try {
      blocks_.push_back(Block{base, size - kOffset, true, bytes});
    } catch (...) {
      VirtualFree(base, 0, MEM_RELEASE);
      return nullptr;
    }
    ++mapped_;
    return base + kOffset;
  }

  // The usable size of a pooled block, 0 for any other pointer.
  size_t CapacityOf(const void* p) {
    if (!MayBePooled(p)) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    const Block* b = FindLocked(p);
    return b == nullptr ? 0 : b->capacity;
  }

  // The bytes last asked for in a pooled block, 0 for any other pointer.
  size_t SizeOf(const void* p) {
    if (!MayBePooled(p)) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    const Block* b = FindLocked(p);
    return b == nullptr ? 0 : b->size;
  }
  // A pooled block reallocated in place.
  void Resize(const void* p, size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Block* b = FindLocked(p)) b->size = bytes;
  }

  // Takes a pooled block back; false for any other pointer.
  bool Give(void* p) {
    if (!MayBePooled(p)) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    Block* b = FindLocked(p);
    if (b == nullptr) return false;
    b->inUse = false;
    TrimLocked();
    return true;
  }

  DecoderBlockCounts Counts(bool redirected) {
    std::lock_guard<std::mutex> lock(mutex_);
    DecoderBlockCounts c;
    c.redirected = redirected;
    c.mappedFromSystem = mapped_;
    c.reused = reused_;
    for (const Block& b : blocks_)
      if (!b.inUse) c.keptBytes += b.capacity;
    return c;
  }

 private:
  static bool MayBePooled(const void* p) { return (reinterpret_cast<uintptr_t>(p) & 0xFFFF) == kOffset; }

  Block* FindLocked(const void* p) {
    for (Block& b : blocks_)
      if (b.base + kOffset == p) return &b;
    return nullptr;
  }

  void TrimLocked() { TrimLocked(static_cast<size_t>(std::max(holders_, 0)), holders_ > 0 ? kMaxKeptBytes : 0); }

  // Gives free blocks back, smallest first, until at most `count` of at
  // most `bytes` in all are kept.
  void TrimLocked(size_t count, size_t bytes) {
    for (;;) {
      size_t freeCount = 0, freeBytes = 0;
      auto smallest = blocks_.end();
      for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
        if (it->inUse) continue;
        ++freeCount;
        freeBytes += it->capacity;
        if (smallest == blocks_.end() || it->capacity < smallest->capacity) smallest = it;
      }
      if (freeCount == 0 || (freeCount <= count && freeBytes <= bytes)) return;
      VirtualFree(smallest->base, 0, MEM_RELEASE);
      blocks_.erase(smallest);
    }
  }

  std::mutex mutex_;
  std::vector<Block> blocks_;
  int holders_ = 0;
  uint64_t mapped_ = 0;
  uint64_t reused_ = 0;
};

// Never destroyed: the decoder DLL may free its blocks while the process ends.
Pool* g_pool = nullptr;
bool g_redirected = false;

void* __cdecl PooledMalloc(size_t bytes) {
  if (bytes >= kLargeBlock)
    if (void* p = g_pool->Take(bytes)) return p;
  return g_malloc(bytes);
}

void __cdecl PooledFree(void* p) {
  if (p != nullptr && g_pool->Give(p)) return;
  g_free(p);
}

void* __cdecl PooledCalloc(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  const size_t bytes = count * size;
  if (bytes >= kLargeBlock)
    if (void* p = g_pool->Take(bytes)) return std::memset(p, 0, bytes);
  return g_calloc(count, size);
}

void* __cdecl PooledRealloc(void* p, size_t bytes) {
  const size_t capacity = p == nullptr ? 0 : g_pool->CapacityOf(p);
  if (p != nullptr && capacity == 0) return g_realloc(p, bytes);
  if (bytes == 0) {
    PooledFree(p);
    return nullptr;
  }
  if (bytes <= capacity) return p;
  void* moved = PooledMalloc(bytes);
  if (moved != nullptr && p != nullptr) {
    std::memcpy(moved, p, capacity);
    PooledFree(p);
  }
  return moved;
}

// The process heap's functions, for the decoders that take their picture
// blocks from it (Wine's BMP decoder). Only blocks of the process heap are
// pooled; a private heap's are the caller's own business.
LPVOID WINAPI PooledHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  if (bytes >= kLargeBlock && heap == GetProcessHeap())
    if (void* p = g_pool->Take(bytes)) return (flags & HEAP_ZERO_MEMORY) ? std::memset(p, 0, bytes) : p;
  return g_heapAlloc(heap, flags, bytes);
}

BOOL WINAPI PooledHeapFree(HANDLE heap, DWORD flags, LPVOID p) {
  if (p != nullptr && g_pool->Give(p)) return TRUE;
  return g_heapFree(heap, flags, p);
}

LPVOID WINAPI PooledHeapReAlloc(HANDLE heap, DWORD flags, LPVOID p, SIZE_T bytes) {
  const size_t capacity = p == nullptr ? 0 : g_pool->CapacityOf(p);
  if (capacity == 0) return g_heapReAlloc(heap, flags, p, bytes);
  const size_t old = g_pool->SizeOf(p);
  if (bytes <= capacity) {
    if ((flags & HEAP_ZERO_MEMORY) && bytes > old) std::memset(static_cast<uint8_t*>(p) + old, 0, bytes - old);
    g_pool->Resize(p, bytes);
    return p;
  }
  if (flags & HEAP_REALLOC_IN_PLACE_ONLY) return nullptr;
  void* moved = PooledHeapAlloc(heap, flags, bytes);  // zeroed when asked
  if (moved != nullptr) {
    std::memcpy(moved, p, old);
    g_pool->Give(p);
  }
  return moved;
}

// The import slots of `module` for the functions of one allocator, all or
// none (an allocation and its free must meet the same allocator).
struct Slots {
  IMAGE_THUNK_DATA* malloc = nullptr;  // or HeapAlloc
  IMAGE_THUNK_DATA* calloc = nullptr;  // C runtime only
  IMAGE_THUNK_DATA* realloc = nullptr; // or HeapReAlloc
  IMAGE_THUNK_DATA* free = nullptr;    // or HeapFree
  bool runtimeComplete() const { return malloc && calloc && realloc && free; }
  bool heapComplete() const { return malloc && realloc && free; }
};

// The slots of the functions `names` (allocate, zeroed allocate or null,
// reallocate, free) imported from `dllName`.
Slots FindSlots(HMODULE module, const char* dllName, const char* const (&names)[4]) {
  auto* base = reinterpret_cast<uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return {};
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return {};
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return {};
  Slots slots;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
    const char* dll = reinterpret_cast<const char*>(base + d->Name);
    if (lstrcmpiA(dll, dllName) != 0 || d->OriginalFirstThunk == 0) continue;
    auto* imports = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
    auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    IMAGE_THUNK_DATA** found[4] = {&slots.malloc, &slots.calloc, &slots.realloc, &slots.free};
    for (; imports->u1.AddressOfData != 0; ++imports, ++entries) {
      if (IMAGE_SNAP_BY_ORDINAL(imports->u1.Ordinal)) continue;
      const char* name = reinterpret_cast<const char*>(
          reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + imports->u1.AddressOfData)->Name);
      for (int i = 0; i < 4; ++i)
        if (names[i] != nullptr && std::strcmp(name, names[i]) == 0) *found[i] = entries;
    }
  }
  return slots;
}

void WriteSlot(IMAGE_THUNK_DATA* slot, const void* function) {
  DWORD old = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return;
  InterlockedExchange(reinterpret_cast<volatile LONG*>(&slot->u1.Function),
                      static_cast<LONG>(reinterpret_cast<uintptr_t>(function)));
  VirtualProtect(slot, sizeof *slot, old, &old);
}

// Wine's builtin DLL, where the cost was measured: it imports the C
// runtime from ucrtbase.dll. Windows' own imports neither this way and is
// left as it is.
void RedirectRuntime(HMODULE codecs) {
  const Slots slots = FindSlots(codecs, "ucrtbase.dll", {"malloc", "calloc", "realloc", "free"});
  if (!slots.runtimeComplete()) return;
  g_malloc = reinterpret_cast<MallocFn>(slots.malloc->u1.Function);
  g_calloc = reinterpret_cast<CallocFn>(slots.calloc->u1.Function);
  g_realloc = reinterpret_cast<ReallocFn>(slots.realloc->u1.Function);
  g_free = reinterpret_cast<FreeFn>(slots.free->u1.Function);
  // free and realloc first: they take both kinds of block, so a block the
  // pool hands out in between is never given to the runtime's free.
  WriteSlot(slots.free, reinterpret_cast<const void*>(&PooledFree));
  WriteSlot(slots.realloc, reinterpret_cast<const void*>(&PooledRealloc));
  WriteSlot(slots.calloc, reinterpret_cast<const void*>(&PooledCalloc));
  WriteSlot(slots.malloc, reinterpret_cast<const void*>(&PooledMalloc));
  g_redirected = true;
}

// Only where the C runtime was redirected too: the same builtin DLL.
void RedirectHeap(HMODULE codecs) {
  const Slots slots = FindSlots(codecs, "kernel32.dll", {"HeapAlloc", nullptr, "HeapReAlloc", "HeapFree"});
  if (!slots.heapComplete()) return;
  g_heapAlloc = reinterpret_cast<HeapAllocFn>(slots.malloc->u1.Function);
  g_heapReAlloc = reinterpret_cast<HeapReAllocFn>(slots.realloc->u1.Function);
  g_heapFree = reinterpret_cast<HeapFreeFn>(slots.free->u1.Function);
  WriteSlot(slots.free, reinterpret_cast<const void*>(&PooledHeapFree));
  WriteSlot(slots.realloc, reinterpret_cast<const void*>(&PooledHeapReAlloc));
  WriteSlot(slots.malloc, reinterpret_cast<const void*>(&PooledHeapAlloc));
}

void Redirect() {
  g_pool = new Pool;
  // Loaded for good: the DLL must not come back unredirected while the pool lives.
  const HMODULE codecs = LoadLibraryA("windowscodecs.dll");
  if (codecs == nullptr) return;
  RedirectRuntime(codecs);
  if (g_redirected) RedirectHeap(codecs);
}

std::once_flag g_redirectOnce;

}  // namespace

KeptDecoderBlocks::KeptDecoderBlocks() {
  std::call_once(g_redirectOnce, Redirect);
  g_pool->AddHolder();
}

KeptDecoderBlocks::~KeptDecoderBlocks() { g_pool->RemoveHolder(); }

void ReleaseKeptDecoderBlocks() {
  if (g_pool != nullptr) g_pool->ReleaseFree();
}

DecoderBlockCounts CountDecoderBlocks() {
  if (g_pool == nullptr) return {};
  return g_pool->Counts(g_redirected);
}

}  // namespace zv::imagelib
