#include "core/fileops/print_layout.h"

#include <algorithm>
#include <cmath>

namespace zv {

bool PageTurnsFor(int32_t pageWidth, int32_t pageHeight, int32_t pictureWidth, int32_t pictureHeight) {
  if (pageHeight >= pageWidth) return pictureWidth > pictureHeight;
  return pictureHeight > pictureWidth;
}

PrintRect PlaceOnPage(int32_t pageWidth, int32_t pageHeight, int32_t pictureWidth, int32_t pictureHeight) {
  if (pageWidth <= 0 || pageHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return {};
  // The larger of w / page width and h / page height decides; compared in
  // integers so that an exact fit never loses a pixel to rounding.
  const int64_t w = pictureWidth, h = pictureHeight;
  PrintRect r;
  if (w * pageHeight >= h * pageWidth) {
    r.width = pageWidth;
    r.height = static_cast<int32_t>(std::clamp<int64_t>(h * pageWidth / w, 1, pageHeight));
  } else {
    r.height = pageHeight;
    r.width = static_cast<int32_t>(std::clamp<int64_t>(w * pageHeight / h, 1, pageWidth));
  }
  r.left = (pageWidth - r.width) / 2;
  r.top = (pageHeight - r.height) / 2;
  return r;
}

PixelSize PrintDecodeSize(int32_t pictureWidth, int32_t pictureHeight, int32_t printedWidth, int32_t printedHeight,
                          int64_t pixelBudget) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return {};
  double scale = 1.0;
  if (printedWidth > 0 && printedHeight > 0)
    scale = std::min({1.0, double(printedWidth) / pictureWidth, double(printedHeight) / pictureHeight});
  const double pixels = scale * scale * double(pictureWidth) * double(pictureHeight);
  if (pixelBudget > 0 && pixels > double(pixelBudget)) scale *= std::sqrt(double(pixelBudget) / pixels);
  PixelSize size;
  size.width = std::max<int32_t>(1, static_cast<int32_t>(pictureWidth * scale));
  size.height = std::max<int32_t>(1, static_cast<int32_t>(pictureHeight * scale));
  return size;
}

std::vector<PrintBand> PrintBands(int32_t sourceHeight, int32_t pageTop, int32_t pageHeight, int32_t rowsPerBand) {
  std::vector<PrintBand> bands;
  if (sourceHeight <= 0 || pageHeight <= 0) return bands;
  rowsPerBand = std::max<int32_t>(1, rowsPerBand);
  // Source row s starts at page row pageTop + s * pageHeight / sourceHeight.
  auto pageRowOf = [&](int32_t s) { return pageTop + static_cast<int32_t>(int64_t(s) * pageHeight / sourceHeight); };
  for (int32_t top = 0; top < sourceHeight; top += rowsPerBand) {
    const int32_t rows = std::min(rowsPerBand, sourceHeight - top);
    const int32_t from = pageRowOf(top), to = pageRowOf(top + rows);
    if (to > from) bands.push_back({top, rows, from, to - from});
  }
  return bands;
}

}  // namespace zv
