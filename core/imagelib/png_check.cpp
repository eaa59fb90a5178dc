#include "core/imagelib/png_check.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/imagelib/byte_source.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#define ZV_CRC_FOLDING 1
#else
#define ZV_CRC_FOLDING 0
#endif

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

// tables[0] is the byte table of PNG's CRC; tables[k][b] is the
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

// A file is read in whole pieces of this size, whatever its chunks' sizes
// (one read call each, straight into our buffer: stdio's own buffer would
// split reads at chunk edges and copy the bytes once more). A piece stays in
// the cache while its CRC is taken.
constexpr size_t kFilePiece = 256 * 1024;

class SourceReader final : public SequentialReader {
 public:
  explicit SourceReader(ByteSource& source) : source_(source), buffer_(ThreadBuffer()) {}
  std::span<const uint8_t> Next(size_t count) override {
    if (at_ == end_) {
      at_ = 0;
      end_ = source_.ReadAt(offset_, buffer_, kFilePiece);
      offset_ += end_;
    }
    const size_t n = std::min(count, end_ - at_);
    const std::span<const uint8_t> piece(buffer_ + at_, n);
    at_ += n;
    return piece;
  }

 private:
  // One per thread, kept from file to file: a block this size taken anew
  // for each file would come back from the heap as fresh pages to fault in.
  static uint8_t* ThreadBuffer() {
    thread_local const std::unique_ptr<uint8_t[]> buffer = std::make_unique_for_overwrite<uint8_t[]>(kFilePiece);
    return buffer.get();
  }

  ByteSource& source_;
  uint8_t* buffer_;
  uint64_t offset_ = 0;      // of the next piece
  size_t at_ = 0, end_ = 0;  // the unread part of the buffer
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
    const std::span<const uint8_t> piece = reader.Next(static_cast<size_t>(length));  // below kMaxChunkSpan
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

ZV_NO_FUZZ_COVERAGE uint32_t Crc32UpdateSliced(uint32_t crc, const void* data, size_t size) {
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

#if ZV_CRC_FOLDING
namespace {

bool HasCarrylessMultiply() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

// VPCLMULQDQ: two carry-less multiplies in one 256-bit instruction.
bool HasWideCarrylessMultiply() {
  return HasCarrylessMultiply() && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("vpclmulqdq");
}

#define ZV_FOLDING __attribute__((target("pclmul,sse4.1")))
#define ZV_WIDE_FOLDING __attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1")))

ZV_FOLDING ZV_NO_FUZZ_COVERAGE inline __m128i Load16(const uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// a * k (low halves) + a * k (high halves) + next: one block folded 64 or 16 bytes on.
ZV_FOLDING ZV_NO_FUZZ_COVERAGE inline __m128i Fold16(__m128i a, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(a, k, 0x00), _mm_clmulepi64_si128(a, k, 0x11)), next);
}

// The method and constants are those of Intel's "Fast CRC Computation for
// Generic Polynomials Using PCLMULQDQ" for the reflected polynomial
// 0xEDB88320: k1..k5 are powers of x modulo the polynomial, `poly` holds it
// and its Barrett quotient.
constexpr long long kK1 = 0x0154442bd4, kK2 = 0x01c6e41596;

// Four running 128-bit remainders, 64 bytes apart, folded into one; then
// the rest of the 16-byte blocks, and the 128 bits reduced to the 32-bit
// CRC (Barrett). `size` is a multiple of 16.
ZV_FOLDING ZV_NO_FUZZ_COVERAGE uint32_t FinishFold(__m128i x1, __m128i x2, __m128i x3, __m128i x4,
                                                   const uint8_t* p, size_t size) {
  const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
  const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
  const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);

  x1 = Fold16(Fold16(Fold16(x1, k3k4, x2), k3k4, x3), k3k4, x4);
  for (; size >= 16; p += 16, size -= 16) x1 = Fold16(x1, k3k4, Load16(p));

  // 128 bits to 64, then to 32 (Barrett).
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 4), _mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
  return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x1, t), 1));
}

// Folds 16-byte blocks into four running 128-bit remainders with the
// carry-less multiply. `size` is at least 64 and a multiple of 16.
ZV_FOLDING ZV_NO_FUZZ_COVERAGE uint32_t Crc32Fold(uint32_t crc, const uint8_t* p, size_t size) {
  const __m128i k1k2 = _mm_set_epi64x(kK2, kK1);
  __m128i x1 = _mm_xor_si128(Load16(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x2 = Load16(p + 16), x3 = Load16(p + 32), x4 = Load16(p + 48);
  for (p += 64, size -= 64; size >= 64; p += 64, size -= 64) {
    x1 = Fold16(x1, k1k2, Load16(p));
    x2 = Fold16(x2, k1k2, Load16(p + 16));
    x3 = Fold16(x3, k1k2, Load16(p + 32));
    x4 = Fold16(x4, k1k2, Load16(p + 48));
  }
  return FinishFold(x1, x2, x3, x4, p, size);
}

ZV_WIDE_FOLDING ZV_NO_FUZZ_COVERAGE inline __m256i Load32(const uint8_t* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

ZV_WIDE_FOLDING ZV_NO_FUZZ_COVERAGE inline __m256i Fold32(__m256i a, __m256i k, __m256i next) {
  return _mm256_xor_si256(
      _mm256_xor_si256(_mm256_clmulepi64_epi128(a, k, 0x00), _mm256_clmulepi64_epi128(a, k, 0x11)), next);
}

// Crc32Fold with each pair of its 128-bit remainders in one 256-bit
// register: the same 64-byte step and constants in half the instructions.
ZV_WIDE_FOLDING ZV_NO_FUZZ_COVERAGE uint32_t Crc32FoldWide(uint32_t crc, const uint8_t* p, size_t size) {
  const __m256i k1k2 = _mm256_set_epi64x(kK2, kK1, kK2, kK1);
  __m256i y12 = _mm256_xor_si256(Load32(p), _mm256_set_epi32(0, 0, 0, 0, 0, 0, 0, static_cast<int>(crc)));
  __m256i y34 = Load32(p + 32);
  for (p += 64, size -= 64; size >= 64; p += 64, size -= 64) {
    y12 = Fold32(y12, k1k2, Load32(p));
    y34 = Fold32(y34, k1k2, Load32(p + 32));
  }
  const __m128i x1 = _mm256_castsi256_si128(y12), x2 = _mm256_extracti128_si256(y12, 1);
  const __m128i x3 = _mm256_castsi256_si128(y34), x4 = _mm256_extracti128_si256(y34, 1);
  _mm256_zeroupper();
  return FinishFold(x1, x2, x3, x4, p, size);
}

}  // namespace
#endif

uint32_t Crc32Update(uint32_t crc, const void* data, size_t size) {
#if ZV_CRC_FOLDING
  // Every byte of every PNG in a listed folder passes through here: where the
  // processor multiplies carry-less, that is several times slicing by 8.
  static const bool folding = HasCarrylessMultiply();
  static const bool wide = HasWideCarrylessMultiply();
  if (folding && size >= 64) {
    const auto* p = static_cast<const uint8_t*>(data);
    const size_t blocks = size & ~static_cast<size_t>(15);
    const uint32_t folded = wide ? Crc32FoldWide(crc, p, blocks) : Crc32Fold(crc, p, blocks);
    return Crc32UpdateSliced(folded, p + blocks, size - blocks);
  }
#endif
  return Crc32UpdateSliced(crc, data, size);
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
  FileByteSource file(path);
  return file.IsOpen() && IsValidSource(file);
}

bool PngCheck::IsValidSource(ByteSource& source) const {
  SourceReader reader(source);
  return IsValidStream(reader);
}

}  // namespace zv
