#pragma once
// Reading files for the header parsers and the PNG check through Win32
// handles: positional reads, 64-bit offsets, no C runtime stream between
// (under Wine, opening a file through the runtime costs one more call to
// the wineserver than CreateFile alone).
#include <windows.h>

#include "core/imagelib/byte_source.h"
#include "win/handles.h"

namespace zv {

// Reads an open file handle at offsets, through its file pointer: a read
// that starts where the last one ended needs no seek. (Under Wine a read
// given its offset in an OVERLAPPED costs a wineserver call, which made the
// PNG check half as fast again; SetFilePointerEx and ReadFile cost none.)
// The handle stays the caller's; while this reads through it, nothing
// else moves its file pointer.
class HandleByteSource final : public ByteSource {
 public:
  explicit HandleByteSource(HANDLE file) : file_(file) {}
  size_t ReadAt(uint64_t offset, void* out, size_t count) override;

 private:
  HANDLE file_;
  uint64_t position_ = UINT64_MAX;  // of the file pointer, when known
};

// The file opened for reading, shared for reading and writing: the listing's
// threads may have another name of the same file (a hard link) open, and
// the thumbnail workers may be reading it.
win::UniqueFile OpenForSharedReading(const char* path);

}  // namespace zv
