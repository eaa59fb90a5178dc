// Fuzz entry of the scanner's data: any bytes as a file transfer's BMP file,
// and as the sizes a driver reports for a memory transfer. What is read
// must write back to a file that reads the same; a plan must hold its image.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/fileops/scan_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (const auto dib = zv::DibFromBmpFile(data, size)) {
    const auto file = zv::BmpFileFromDib(dib->data(), dib->size());
    if (!file) __builtin_trap();
    const auto again = zv::DibFromBmpFile(file->data(), file->size());
    if (!again || *again != *dib) __builtin_trap();
  }
  if (size >= 24) {
    int64_t width = 0, height = 0;
    uint32_t bits = 0, preferred = 0;
    std::memcpy(&width, data, 8);
    std::memcpy(&height, data + 8, 8);
    std::memcpy(&bits, data + 16, 4);
    std::memcpy(&preferred, data + 20, 4);
    if (const auto plan = zv::PlanMemoryTransfer(width, height, bits % 65, preferred)) {
      if (plan->bufferBytes < plan->imageBytes || plan->bufferBytes % preferred != 0) __builtin_trap();
      zv::TransferCursor cursor(plan->bufferBytes);
      for (size_t i = 24; i + 4 <= size; i += 4) {
        uint32_t written = 0;
        std::memcpy(&written, data + i, 4);
        cursor.Advance(written);
        if (cursor.position() > plan->bufferBytes) __builtin_trap();
      }
    }
  }
  return 0;
}
