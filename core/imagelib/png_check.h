#pragma once
// Validation of a whole PNG file before the file list accepts it: the
// signature, then every chunk's length and CRC-32, and the presence of IHDR,
// IDAT and IEND. The CRC is computed by slicing by 8 bytes, because the check
// reads every byte of every PNG in a folder listing.
#include <cstddef>
#include <cstdint>
#include <span>

namespace zv {

class ByteSource;

// The CRC-32 of PNG chunks (reflected polynomial 0xEDB88320).
// Crc32Update continues a running value (start with 0xFFFFFFFF, complement
// at the end); Crc32 does both ends. On x86 processors with the carry-less
// multiply (PCLMULQDQ, checked at run time) it folds 64 bytes a step, with
// 256-bit instructions where VPCLMULQDQ exists; else it slices by 8 bytes.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t size);
uint32_t Crc32(const void* data, size_t size);
// Slicing by 8 alone, whatever the processor: for tests and the benchmark.
uint32_t Crc32UpdateSliced(uint32_t crc, const void* data, size_t size);
// The same with one table look-up per byte; kept as the reference for tests
// and the benchmark.
uint32_t Crc32UpdateBytewise(uint32_t crc, const void* data, size_t size);

// The bytes of a PNG in order, for the chunk walk. Memory hands out views
// of itself (no copy, nothing allocated: the fuzzer runs millions of inputs);
// a file is read through one buffer of its own.
class SequentialReader {
 public:
  virtual ~SequentialReader() = default;
  // The next bytes, at most `count` of them (possibly fewer before the end),
  // valid until the next call; empty at the end of the data.
  virtual std::span<const uint8_t> Next(size_t count) = 0;
};

class PngCheck {
 public:
  // A chunk's length + 8 (type, data, CRC) may not pass this.
  static constexpr uint64_t kMaxChunkSpan = 0x100000;

  // One chunk walk (IsValidStream) behind all four. A file or source is
  // read in order, piece by piece, through a buffer the thread keeps.
  bool IsValid(const char* path) const;  // path bytes as given
  bool IsValidSource(ByteSource& source) const;
  bool IsValidData(const void* data, size_t size) const;
  bool IsValidStream(SequentialReader& reader) const;
};

}  // namespace zv
