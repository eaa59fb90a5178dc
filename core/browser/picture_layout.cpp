#include "core/browser/picture_layout.h"

#include <algorithm>
#include <array>

namespace zv {

namespace {

// Rows: the current code; columns: right turn, left turn, left-right mirror, top-bottom mirror.
constexpr std::array<std::array<int, 4>, 8> kOrientationTable = {{
    {3, 1, 4, 5},
    {0, 2, 6, 7},
    {1, 3, 5, 4},
    {2, 0, 7, 6},
    {6, 7, 0, 2},
    {7, 6, 2, 0},
    {5, 4, 1, 3},
    {4, 5, 3, 1},
}};

int32_t Truncated(int32_t side, double factor) { return static_cast<int32_t>(static_cast<double>(side) * factor); }

// Centres `displayed` in `client` on one axis: the picture's coordinate and,
// for an overflowing picture, the scroll position that shows its middle.
int32_t CentredOffset(int32_t displayed, int32_t client) { return (displayed - client) / 2; }

}  // namespace

int NextOrientation(int current, OrientationCommand command) {
  const int row = current >= 0 && current < 8 ? current : 0;
  return kOrientationTable[static_cast<size_t>(row)][static_cast<size_t>(command)];
}

GridSize OrientedSize(GridSize size, int orientation) {
  const bool sideways = orientation == 1 || orientation == 3 || orientation == 6 || orientation == 7;
  return sideways ? GridSize{size.height, size.width} : size;
}

DisplayedPicture DisplayedSizeFor(ZoomMode mode, GridSize source, GridSize client, double factor) {
  if (source.width <= 0 || source.height <= 0) return {source, 1.0};
  switch (mode) {
    case ZoomMode::kFit: {
      if (source.width <= client.width && source.height <= client.height) return {source, 1.0};
      const double fit = std::min(static_cast<double>(client.width) / source.width,
                                  static_cast<double>(client.height) / source.height);
      return {{Truncated(source.width, fit), Truncated(source.height, fit)}, fit};
    }
    case ZoomMode::kRealSize: return {source, 1.0};
    case ZoomMode::kZoom: return {{Truncated(source.width, factor), Truncated(source.height, factor)}, factor};
  }
  return {source, 1.0};
}

std::optional<ZoomState> ApplyZoomCommand(ZoomCommand command, ZoomState state, GridSize displayed) {
  switch (command) {
    case ZoomCommand::kFitInWindow:
      if (state.mode == ZoomMode::kFit) return std::nullopt;
      return ZoomState{ZoomMode::kFit, state.factor};
    case ZoomCommand::kRealSize:
      if (state.mode == ZoomMode::kRealSize) return std::nullopt;
      return ZoomState{ZoomMode::kRealSize, 1.0};
    case ZoomCommand::kZoomIn:
      if (state.factor >= kMaxZoom || int64_t{displayed.width} * displayed.height >= kMaxZoomInPixels)
        return std::nullopt;
      return ZoomState{ZoomMode::kZoom, std::min(state.factor * 2, kMaxZoom)};
    case ZoomCommand::kZoomOut:
      if (state.factor <= kMinZoom || displayed.width < kMinZoomOutSide || displayed.height < kMinZoomOutSide)
        return std::nullopt;
      return ZoomState{ZoomMode::kZoom, std::max(state.factor / 2, kMinZoom)};
  }
  return std::nullopt;
}

GridSize ClientBesideBars(GridSize fullClient, GridSize barSize, const PictureBars& bars) {
  return {fullClient.width - (bars.vertical ? barSize.width : 0),
          fullClient.height - (bars.horizontal ? barSize.height : 0)};
}

PicturePlacement PlacePicture(GridSize displayed, GridSize fullClient, GridSize barSize,
                              const std::optional<PictureBars>& previous) {
  PicturePlacement placed;
  PictureBars& bars = placed.bars;
  // The horizontal bar first; the vertical one may narrow the width so that
  // the horizontal one is needed after all.
  bars.horizontal = displayed.width > fullClient.width;
  bars.vertical = displayed.height > ClientBesideBars(fullClient, barSize, bars).height;
  if (bars.vertical && !bars.horizontal)
    bars.horizontal = displayed.width > ClientBesideBars(fullClient, barSize, bars).width;
  const GridSize client = ClientBesideBars(fullClient, barSize, bars);
  if (bars.horizontal) bars.horizontalMax = displayed.width - client.width;
  if (bars.vertical) bars.verticalMax = displayed.height - client.height;

  // One axis: centred, or (kept) the previous position where still in range.
  const auto place = [&](bool shown, int32_t max, int32_t remembered, int32_t shownSize, int32_t clientSize,
                         int32_t* position) {
    if (shown && previous) {
      *position = remembered <= max ? std::max(0, remembered) : max;
      return -*position;
    }
    const int32_t offset = CentredOffset(shownSize, clientSize);
    if (shown) *position = offset;
    return -offset;
  };
  const int32_t rememberedH = previous && previous->horizontal ? previous->horizontalPos : 0;
  const int32_t rememberedV = previous && previous->vertical ? previous->verticalPos : 0;
  placed.origin.x = place(bars.horizontal, bars.horizontalMax, rememberedH, displayed.width, client.width,
                          &bars.horizontalPos);
  placed.origin.y = place(bars.vertical, bars.verticalMax, rememberedV, displayed.height, client.height,
                          &bars.verticalPos);
  return placed;
}

int32_t ClampPictureCoordinate(int32_t coordinate, int32_t client, int32_t displayed) {
  return std::clamp(coordinate, std::min(0, client - displayed), 0);
}

}  // namespace zv
