// Fuzz entry of the PNG chunk check and the CRC, from memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/imagelib/png_check.h"

#if defined(__clang__)
#define ZV_HARNESS_ONLY __attribute__((no_sanitize("coverage")))
#else
#define ZV_HARNESS_ONLY
#endif

namespace {

// Hands the data out in pieces of 1 to 61 bytes, which split frame fields and
// chunk data at ever other places, as reads of a file may: the check must
// not depend on how its input arrives. Harness code, left out of coverage.
class PieceReader final : public zv::SequentialReader {
 public:
  PieceReader(const uint8_t* data, size_t size, unsigned seed) : data_(data), left_(size), step_(seed) {}
  ZV_HARNESS_ONLY std::span<const uint8_t> Next(size_t count) override {
    step_ = step_ * 5 + 3;
    const size_t n = std::min(std::min(count, left_), static_cast<size_t>(1 + step_ % 61));
    const std::span<const uint8_t> piece(data_, n);
    data_ += n;
    left_ -= n;
    return piece;
  }

 private:
  const uint8_t* data_;
  size_t left_;
  unsigned step_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zv::PngCheck check;
  const bool valid = check.IsValidData(data, size);
  PieceReader pieces(data, size, size > 0 ? data[size - 1] : 0);
  if (check.IsValidStream(pieces) != valid) __builtin_trap();
  // Both fast CRCs must agree with the byte loop on any data, alignment and
  // length; 1 KiB takes every path of theirs many times over, and beyond it
  // the byte loop would only slow the fuzzer down.
  const size_t skip = size > 0 ? std::min<size_t>(data[0] % 8, size) : 0;
  const size_t length = std::min<size_t>(size - skip, 1024);
  const uint32_t reference = zv::Crc32UpdateBytewise(0xFFFFFFFFu, data + skip, length);
  if (zv::Crc32Update(0xFFFFFFFFu, data + skip, length) != reference ||
      zv::Crc32UpdateSliced(0xFFFFFFFFu, data + skip, length) != reference)
    __builtin_trap();
  return 0;
}
