// Fuzz entry of the header parsers: any bytes, every parser, and the record.
#include <cstddef>
#include <cstdint>

#include "core/imagelib/image_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zv::MemoryByteSource source(data, size);
  zv::ImageHeader header;
  if (zv::ParseImageHeader(source, &header)) {
    // Whatever is accepted must be a size the program can use as it is.
    if (header.width <= 0 || header.height <= 0 || header.bitsPerPixel <= 0) __builtin_trap();
    uint8_t record[zv::file_info::kSize];
    zv::StoreFileInfoRecord(header, record);
    if (zv::RecordInt32(record, zv::file_info::kWidth) != header.width) __builtin_trap();
  }
  // Each parser on its own, so a signature check cannot shield the others.
  zv::ParsePngHeader(source, &header);
  zv::ParseBmpHeader(source, &header);
  zv::ParseJpegHeader(source, &header);
  zv::ParseTiffHeader(source, &header);
  return 0;
}
