#pragma once
// The arithmetic of image probing that needs no window: the type code from a
// file name, colour counts, the fit of a picture into a thumbnail box and
// the display-memory limit of the Windows 95 family.
#include <cstdint>
#include <string_view>

namespace zv {

// 0 PNG, 1 TIFF, 2 BMP, 3 JPEG, -1 anything else: the text after the last
// '.', lowered, compared with "bmp", "tif", "tiff", "png", "jpg", "jpeg".
int ImageTypeFromPath(std::string_view path);

// 1 -> 2, 4 -> 16, 8 -> 256, 16 -> 65536, anything else -> 16777216.
int ColorCountFromBits(int bits);

struct PixelSize {
  int32_t width = 0;
  int32_t height = 0;
};

// Scales width x height by s = min(boxWidth / width, boxHeight / height),
// truncating toward zero, so the result fills the box on one side (small
// pictures are enlarged the same way). The arithmetic is exact in integers:
// the side that decides s comes out as the box side itself. A side that would
// truncate to 0 (a picture far wider than the box) is kept at 1 pixel.
// Needs all four values positive.
PixelSize FitIntoBox(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight);

// The Windows 95 family keeps device-dependent bitmaps in a 16 MB heap: the
// box (or the picture's own size when a box side is 0) is scaled down by
// sqrt(budget / pixels) when its pixels pass budget = 16000000 / bytes per
// display pixel. A display below 8 bits per pixel (or an unknown depth) is
// counted as one byte per pixel, which keeps the bitmap well inside the heap
// instead of dividing by zero. Sides never drop below 1.
PixelSize LimitBoxForDisplayMemory(int displayBitsPerPixel, int32_t boxWidth, int32_t boxHeight, int32_t imageWidth,
                                   int32_t imageHeight);

// Orientation codes 0-7 of the picture view, and the turn (hundredths of a
// degree) and mirroring each applies; codes 6 and 7 turn first, then mirror
// left-right.
struct OrientationSteps {
  int angle = 0;
  bool mirrorLeftRight = false;
  bool mirrorTopBottom = false;
  bool thenMirrorLeftRight = false;
};
OrientationSteps StepsForOrientation(int orientation);

}  // namespace zv
