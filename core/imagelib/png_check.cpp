#include "core/imagelib/png_check.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

// The CRC's loops decide nothing about the input, so a fuzzer learns nothing
// from their coverage, while tracing their compares would take most of its
// time; they are left out of the fuzzers' instrumentation.
#if defined(__clang__)
#define ZV_NO_FUZZ_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define ZV_NO_FUZZ_COVERAGE
#endif

namespace zv {
namespace {

using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

// tables[0] is the byte table of the PNG specification; tables[k][b] is the
// CRC of byte b followed by k zero bytes, so eight bytes fold in one step.
constexpr CrcTables MakeCrcTables() {
  CrcTables t{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (uint32_t n = 0; n < 256; ++n) {
    for (size_t k = 1; k < 8; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
  }
  return t;
}

constexpr CrcTables kCrcTables = MakeCrcTables();

ZV_NO_FUZZ_COVERAGE uint32_t LoadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Chunk data is read in pieces of this size: at most this much of a file is
// in memory at a time, and a piece stays in the cache while its CRC is taken.
constexpr size_t kFilePiece = 64 * 1024;

class FileReader final : public SequentialReader {
 public:
  explicit FileReader(std::FILE* file) : file_(file), buffer_(std::make_unique_for_overwrite<uint8_t[]>(kFilePiece)) {}
  std::span<const uint8_t> Next(size_t count) override {
    return {buffer_.get(), std::fread(buffer_.get(), 1, std::min(count, kFilePiece), file_)};
  }

 private:
  std::FILE* file_;
  std::unique_ptr<uint8_t[]> buffer_;
};

class MemoryReader final : public SequentialReader {
 public:
  MemoryReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), left_(size) {}
  std::span<const uint8_t> Next(size_t count) override {
    const size_t n = std::min(count, left_);
    const std::span<const uint8_t> piece(data_, n);
    data_ += n;
    left_ -= n;
    return piece;
  }

 private:
  const uint8_t* data_;
  size_t left_;
};

// Copies up to `count` bytes of the chunk frame (signature, length, type,
// CRC); fewer only where the data ends.
size_t ReadField(SequentialReader& reader, uint8_t* out, size_t count) {
  size_t got = 0;
  while (got < count) {
    const std::span<const uint8_t> piece = reader.Next(count - got);
    if (piece.empty()) break;
    std::memcpy(out + got, piece.data(), piece.size());
    got += piece.size();
  }
  return got;
}

// The running CRC over the next `length` bytes; false when the data ends first.
bool CrcOfData(SequentialReader& reader, uint64_t length, uint32_t& crc) {
  while (length != 0) {
    const std::span<const uint8_t> piece = reader.Next(length < kFilePiece ? static_cast<size_t>(length) : kFilePiece);
    if (piece.empty()) return false;
    crc = Crc32Update(crc, piece.data(), piece.size());
    length -= piece.size();
  }
  return true;
}

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr unsigned kSeenIhdr = 1, kSeenIend = 2, kSeenIdat = 4;

}  // namespace

ZV_NO_FUZZ_COVERAGE uint32_t Crc32UpdateBytewise(uint32_t crc, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) crc = kCrcTables[0][(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

ZV_NO_FUZZ_COVERAGE uint32_t Crc32Update(uint32_t crc, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  const auto& t = kCrcTables;
  while (size >= 8) {
    const uint32_t lo = LoadLe32(p) ^ crc;
    const uint32_t hi = LoadLe32(p + 4);
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    p += 8;
    size -= 8;
  }
  return Crc32UpdateBytewise(crc, p, size);
}

uint32_t Crc32(const void* data, size_t size) { return ~Crc32Update(0xFFFFFFFFu, data, size); }

bool PngCheck::IsValidStream(SequentialReader& reader) const {
  uint8_t head[8];
  if (ReadField(reader, head, 8) != 8 || std::memcmp(head, kSignature, 8) != 0) return false;
  unsigned seen = 0;
  for (;;) {
    uint8_t lengthBytes[4];
    const size_t got = ReadField(reader, lengthBytes, 4);
    if (got == 0) return seen == (kSeenIhdr | kSeenIend | kSeenIdat);
    if (got != 4) return false;
    const uint64_t length = static_cast<uint64_t>(lengthBytes[0]) << 24 | static_cast<uint64_t>(lengthBytes[1]) << 16 |
                            static_cast<uint64_t>(lengthBytes[2]) << 8 | lengthBytes[3];
    if (length + 8 > kMaxChunkSpan) return false;  // 64-bit sum: no wrap-around
    uint8_t type[4];
    if (ReadField(reader, type, 4) != 4) return false;
    if (std::memcmp(type, "IHDR", 4) == 0) seen |= kSeenIhdr;
    else if (std::memcmp(type, "IEND", 4) == 0) seen |= kSeenIend;
    else if (std::memcmp(type, "IDAT", 4) == 0) seen |= kSeenIdat;
    uint32_t crc = Crc32Update(0xFFFFFFFFu, type, 4);
    if (!CrcOfData(reader, length, crc)) return false;
    uint8_t stored[4];
    if (ReadField(reader, stored, 4) != 4) return false;
    const uint32_t expected = static_cast<uint32_t>(stored[0]) << 24 | static_cast<uint32_t>(stored[1]) << 16 |
                              static_cast<uint32_t>(stored[2]) << 8 | stored[3];
    if (~crc != expected) return false;
  }
}

bool PngCheck::IsValidData(const void* data, size_t size) const {
  MemoryReader reader(data, size);
  return IsValidStream(reader);
}

bool PngCheck::IsValid(const char* path) const {
  if (path == nullptr) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  FileReader reader(file);
  const bool valid = IsValidStream(reader);
  std::fclose(file);
  return valid;
}

}  // namespace zv
