#include "core/imagelib/oriented_rows.h"

namespace zv {

PixelSize OrientedPixelSize(int32_t width, int32_t height, int orientation) {
  const bool sideways = orientation == 1 || orientation == 3 || orientation == 6 || orientation == 7;
  return sideways ? PixelSize{height, width} : PixelSize{width, height};
}

bool ReadOrientedRow(const PixelView& source, int orientation, int32_t y, uint32_t* out) {
  if (orientation < 0 || orientation > 7 || source.data == nullptr || out == nullptr) return false;
  const int32_t w = source.width, h = source.height;
  const PixelSize shown = OrientedPixelSize(w, h, orientation);
  if (y < 0 || y >= shown.height) return false;
  const OrientationSteps steps = StepsForOrientation(orientation);
  const int quarter = steps.angle / 9000;  // quarter turns to the left
  const int32_t ow = shown.width, oh = shown.height;
  // Undo the steps from the last to the first: the final left-right mirror,
  // then the mirroring of the turned picture, then the turn itself.
  const int32_t ty = steps.mirrorTopBottom ? oh - 1 - y : y;
  for (int32_t x = 0; x < ow; ++x) {
    int32_t tx = steps.thenMirrorLeftRight ? ow - 1 - x : x;
    if (steps.mirrorLeftRight) tx = ow - 1 - tx;
    int32_t sx, sy;
    switch (quarter) {
      case 0: sx = tx; sy = ty; break;
      case 1: sx = w - 1 - ty; sy = tx; break;
      case 2: sx = w - 1 - tx; sy = h - 1 - ty; break;
      default: sx = ty; sy = h - 1 - tx; break;
    }
    out[x] = source.Row(sy)[sx];
  }
  return true;
}

}  // namespace zv
