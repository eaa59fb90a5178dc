// Fuzz entry of the PNG chunk check and the CRC, from memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/imagelib/png_check.h"

namespace {

// Hands the data out in short pieces of varying size, as a file read may:
// the check must not depend on how its input arrives.
class PieceReader final : public zv::SequentialReader {
 public:
  PieceReader(const uint8_t* data, size_t size, unsigned seed) : data_(data), left_(size), step_(seed) {}
  std::span<const uint8_t> Next(size_t count) override {
    step_ = step_ * 5 + 3;
    const size_t n = std::min({count, left_, static_cast<size_t>(1 + step_ % 13)});
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
  // Both fast CRCs must agree with the byte loop on any data and alignment.
  const size_t skip = size > 0 ? std::min<size_t>(data[0] % 8, size) : 0;
  const uint32_t reference = zv::Crc32UpdateBytewise(0xFFFFFFFFu, data + skip, size - skip);
  if (zv::Crc32Update(0xFFFFFFFFu, data + skip, size - skip) != reference ||
      zv::Crc32UpdateSliced(0xFFFFFFFFu, data + skip, size - skip) != reference)
    __builtin_trap();
  return 0;
}
