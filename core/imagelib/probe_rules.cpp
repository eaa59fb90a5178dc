#include "core/imagelib/probe_rules.h"

#include <cmath>
#include <string>

namespace zv {

int ImageTypeFromPath(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return -1;
  std::string ext(path.substr(dot + 1));
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (ext == "bmp") return 2;
  if (ext == "tif" || ext == "tiff") return 1;
  if (ext == "png") return 0;
  if (ext == "jpg" || ext == "jpeg") return 3;
  return -1;
}

int ColorCountFromBits(int bits) {
  switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 16: return 65536;
    default: return 16777216;
  }
}

PixelSize FitIntoBox(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight) {
  const int64_t w = width, h = height, bw = boxWidth, bh = boxHeight;
  PixelSize size;
  // rw < rh  <=>  bw / w < bh / h  <=>  bw * h < bh * w
  if (bw * h < bh * w) {
    size.width = boxWidth;
    size.height = static_cast<int32_t>(h * bw / w);
  } else {
    size.height = boxHeight;
    size.width = static_cast<int32_t>(w * bh / h);
  }
  if (size.width < 1) size.width = 1;
  if (size.height < 1) size.height = 1;
  return size;
}

PixelSize LimitBoxForDisplayMemory(int displayBitsPerPixel, int32_t boxWidth, int32_t boxHeight, int32_t imageWidth,
                                   int32_t imageHeight) {
  int bytesPerPixel = displayBitsPerPixel / 8;
  if (bytesPerPixel < 1) bytesPerPixel = 1;
  const int64_t budget = 16000000 / bytesPerPixel;
  const bool boxGiven = boxWidth > 0 && boxHeight > 0;
  const int64_t w = boxGiven ? boxWidth : imageWidth;
  const int64_t h = boxGiven ? boxHeight : imageHeight;
  PixelSize size{boxWidth, boxHeight};
  const int64_t requested = w * h;
  if (requested <= budget) return size;
  const double f = std::sqrt(static_cast<double>(budget) / static_cast<double>(requested));
  size.width = static_cast<int32_t>(static_cast<double>(w) * f);
  size.height = static_cast<int32_t>(static_cast<double>(h) * f);
  if (size.width < 1) size.width = 1;
  if (size.height < 1) size.height = 1;
  return size;
}

OrientationSteps StepsForOrientation(int orientation) {
  OrientationSteps s;
  switch (orientation) {
    case 1: s.angle = 9000; break;
    case 2: s.angle = 18000; break;
    case 3: s.angle = 27000; break;
    case 4: s.mirrorLeftRight = true; break;
    case 5: s.mirrorTopBottom = true; break;
    case 6: s.angle = 9000; s.thenMirrorLeftRight = true; break;
    case 7: s.angle = 27000; s.thenMirrorLeftRight = true; break;
    default: break;
  }
  return s;
}

}  // namespace zv
