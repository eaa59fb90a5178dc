#pragma once
// Rows of a picture as shown in an orientation code 0-7, read straight from
// the unturned pixels: printing draws a turned picture band by band without
// a turned copy of it. Row for row the same as OrientPicture's result
// (TurnAndMirror by StepsForOrientation).
#include <cstdint>

#include "core/imagelib/pixels.h"
#include "core/imagelib/probe_rules.h"

namespace zv {

// The picture's width and height in `orientation`: codes 1, 3, 6 and 7
// exchange the sides.
PixelSize OrientedPixelSize(int32_t width, int32_t height, int orientation);

// Row `y` of `source` shown in `orientation` into `out`, which holds the
// oriented width. False for a row outside the oriented picture or a code
// outside 0-7.
bool ReadOrientedRow(const PixelView& source, int orientation, int32_t y, uint32_t* out);

}  // namespace zv
