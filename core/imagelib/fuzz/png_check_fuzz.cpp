// Fuzz entry of the PNG chunk check and the CRC.
#include <cstddef>
#include <cstdint>

#include "core/imagelib/png_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zv::PngCheck check;
  check.IsValidData(data, size);
  // The sliced CRC must agree with the byte loop on any data and alignment.
  const size_t skip = size > 0 ? data[0] % 8 : 0;
  if (skip <= size &&
      zv::Crc32Update(0xFFFFFFFFu, data + skip, size - skip) != zv::Crc32UpdateBytewise(0xFFFFFFFFu, data + skip, size - skip))
    __builtin_trap();
  return 0;
}
