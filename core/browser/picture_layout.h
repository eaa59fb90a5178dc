#pragma once
// The picture view's rules without a window: the orientation algebra of the
// turn and mirror commands, the displayed size of the fit, real-size and
// zoom modes, the zoom steps with their limits, where the picture lies and
// which scroll bars show, and dragging.
#include <cstdint>
#include <optional>

#include "core/browser/thumb_grid_rules.h"

namespace zv {

// ---- orientation (codes 0-7 of the image library) ----

enum class OrientationCommand { kRotate90Right, kRotate90Left, kReflectHorizontal, kReflectVertical };
// The orientation after a command; a code outside 0-7 counts as 0.
int NextOrientation(int current, OrientationCommand command);
// The size of a picture of `size` shown in `orientation`: codes 1, 3, 6 and 7 exchange the sides.
GridSize OrientedSize(GridSize size, int orientation);

// ---- zoom ----

enum class ZoomMode { kFit = 0, kRealSize = 1, kZoom = 2 };

inline constexpr double kMinZoom = 0.125;
inline constexpr double kMaxZoom = 32.0;
inline constexpr int64_t kMaxZoomInPixels = 8000000;  // no zoom in from a displayed area this large
inline constexpr int32_t kMinZoomOutSide = 32;        // no zoom out below a side this small

struct DisplayedPicture {
  GridSize size;
  double factor = 1.0;
};
// The displayed size for a mode: fit shrinks a picture larger than the
// client area by the smaller ratio (sides truncated) and leaves a smaller
// one at real size; real size is 1.0; zoom multiplies by `factor` (truncated).
DisplayedPicture DisplayedSizeFor(ZoomMode mode, GridSize source, GridSize client, double factor);

enum class ZoomCommand { kFitInWindow = 0, kRealSize = 1, kZoomIn = 2, kZoomOut = 3 };
struct ZoomState {
  ZoomMode mode = ZoomMode::kFit;
  double factor = 1.0;
};
// The state after a zoom command, or nothing when it does not act (already
// in that mode, or at a limit).
std::optional<ZoomState> ApplyZoomCommand(ZoomCommand command, ZoomState state, GridSize displayed);

// ---- placement and scroll bars ----

struct PictureBars {
  bool horizontal = false;
  bool vertical = false;
  int32_t horizontalMax = 0;  // range 0..max of a shown bar
  int32_t verticalMax = 0;
  int32_t horizontalPos = 0;
  int32_t verticalPos = 0;
};

struct PicturePlacement {
  GridPoint origin;  // the picture's top left in client coordinates
  PictureBars bars;
};

// Places a picture of `displayed` in a client area of `fullClient` (without
// bars); a shown bar takes `barSize` (vertical bar's width, horizontal
// bar's height). A bar shows only on an axis the picture overflows (the
// other bar may narrow the area and make it overflow). Centred: each axis
// shows the picture's middle, or centres a smaller one. Kept (`previous`
// given): a shown bar keeps its position where still in range, else the
// range's end; an axis without a bar is centred.
PicturePlacement PlacePicture(GridSize displayed, GridSize fullClient, GridSize barSize,
                              const std::optional<PictureBars>& previous = std::nullopt);

// The client area left beside the bars of a placement.
GridSize ClientBesideBars(GridSize fullClient, GridSize barSize, const PictureBars& bars);

// The picture's new coordinate on one axis after a drag or scroll: clamped
// so that it is at most 0 and at least client - displayed.
int32_t ClampPictureCoordinate(int32_t coordinate, int32_t client, int32_t displayed);

// The picture view's scroll steps: a line is 1 pixel, a page 10 (design pixels).
inline constexpr ScrollSteps kPictureScrollSteps{1, 10};
inline ScrollSteps PictureScrollSteps(DisplayScale scale) {
  return {scale.Px(kPictureScrollSteps.line), scale.Px(kPictureScrollSteps.page)};
}

}  // namespace zv
