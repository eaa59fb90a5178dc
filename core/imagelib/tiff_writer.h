#pragma once
// A baseline TIFF writer for LZW-compressed RGB pictures: one strip, 8 bits
// per sample, little-endian. The library saves TIFF with LZW through the
// imaging component's encoder; this writer stands in where that encoder
// writes no LZW (Wine's ignores its compression option).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/imagelib/pixels.h"

namespace zv {

// TIFF's LZW (MSB-first codes of 9 to 12 bits, Clear 256, EOI 257, the code
// width growing one code early). Starts with Clear and ends with EOI.
std::vector<uint8_t> LzwCompress(const uint8_t* data, size_t size);

// The whole file for a 32-bit BGRA picture, written as 24-bit RGB (alpha is
// dropped), `dpiX` x `dpiY` pixels per inch. False when memory runs out.
bool WriteLzwTiff(const PixelView& bgra, double dpiX, double dpiY, std::vector<uint8_t>* file);

}  // namespace zv
