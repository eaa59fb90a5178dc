#include "core/browser/picture_layout.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

constexpr GridSize kBars{16, 16};
constexpr GridSize kView{800, 600};

TEST(PictureOrientation, TurnsAndMirrorsFollowTheTable) {
  int code = 0;
  for (int i = 0; i < 4; ++i) code = NextOrientation(code, OrientationCommand::kRotate90Right);
  EXPECT_EQ(code, 0) << "four right turns";
  for (int start = 0; start < 8; ++start) {
    for (OrientationCommand mirror : {OrientationCommand::kReflectHorizontal, OrientationCommand::kReflectVertical})
      EXPECT_EQ(NextOrientation(NextOrientation(start, mirror), mirror), start) << "mirror twice from " << start;
    EXPECT_EQ(NextOrientation(NextOrientation(start, OrientationCommand::kRotate90Left),
                              OrientationCommand::kRotate90Right),
              start)
        << "left then right from " << start;
  }
  EXPECT_EQ(NextOrientation(NextOrientation(0, OrientationCommand::kReflectHorizontal),
                            OrientationCommand::kRotate90Right),
            6);
  EXPECT_EQ(NextOrientation(12, OrientationCommand::kRotate90Left), 1) << "an odd code counts as 0";
  EXPECT_EQ(OrientedSize({300, 200}, 1), (GridSize{200, 300}));
  EXPECT_EQ(OrientedSize({300, 200}, 4), (GridSize{300, 200}));
}

TEST(PictureZoom, FitRealSizeAndTheZoomLimits) {
  // A small picture fits at real size.
  EXPECT_EQ(DisplayedSizeFor(ZoomMode::kFit, {300, 200}, kView, 7.0).size, (GridSize{300, 200}));
  const DisplayedPicture fitted = DisplayedSizeFor(ZoomMode::kFit, {4000, 3000}, kView, 1.0);
  EXPECT_EQ(fitted.size, (GridSize{800, 600}));
  EXPECT_DOUBLE_EQ(fitted.factor, 0.2);
  EXPECT_EQ(DisplayedSizeFor(ZoomMode::kFit, {4000, 1000}, kView, 1.0).size, (GridSize{800, 200}));

  ZoomState state{ZoomMode::kFit, fitted.factor};
  std::optional<ZoomState> in = ApplyZoomCommand(ZoomCommand::kZoomIn, state, fitted.size);
  ASSERT_TRUE(in);
  EXPECT_DOUBLE_EQ(in->factor, 0.4);
  EXPECT_EQ(DisplayedSizeFor(in->mode, {4000, 3000}, kView, in->factor).size, (GridSize{1600, 1200}));

  // Zooming out stops at 1/8, or when a side is below 32 pixels.
  state = {ZoomMode::kZoom, 0.4};
  int steps = 0;
  for (std::optional<ZoomState> next; (next = ApplyZoomCommand(ZoomCommand::kZoomOut, state,
                                                                DisplayedSizeFor(state.mode, {4000, 3000}, kView,
                                                                                 state.factor).size));
       ++steps)
    state = *next;
  EXPECT_DOUBLE_EQ(state.factor, 0.125);
  EXPECT_EQ(steps, 2) << "0.4 -> 0.2 -> 0.125";
  EXPECT_FALSE(ApplyZoomCommand(ZoomCommand::kZoomOut, {ZoomMode::kZoom, 1.0}, {31, 500}));

  // Zooming in stops at 32 and at 8,000,000 displayed pixels.
  in = ApplyZoomCommand(ZoomCommand::kZoomIn, {ZoomMode::kZoom, 16.0}, {100, 100});
  ASSERT_TRUE(in);
  EXPECT_DOUBLE_EQ(in->factor, 32.0);
  EXPECT_FALSE(ApplyZoomCommand(ZoomCommand::kZoomIn, {ZoomMode::kZoom, 32.0}, {100, 100}));
  EXPECT_FALSE(ApplyZoomCommand(ZoomCommand::kZoomIn, {ZoomMode::kZoom, 1.0}, {4000, 2000}));
  EXPECT_TRUE(ApplyZoomCommand(ZoomCommand::kZoomIn, {ZoomMode::kZoom, 1.0}, {4000, 1999}));

  EXPECT_FALSE(ApplyZoomCommand(ZoomCommand::kFitInWindow, {ZoomMode::kFit, 0.2}, {800, 600}));
  EXPECT_DOUBLE_EQ(ApplyZoomCommand(ZoomCommand::kRealSize, {ZoomMode::kZoom, 4.0}, {1, 1})->factor, 1.0);
  EXPECT_FALSE(ApplyZoomCommand(ZoomCommand::kRealSize, {ZoomMode::kRealSize, 1.0}, {1, 1}));
}

TEST(PicturePlacement, CentredBarsOnlyWhereNeededAndKeptPositions) {
  const PicturePlacement small = PlacePicture({300, 200}, kView, kBars);
  EXPECT_EQ(small.origin, (GridPoint{250, 200}));
  EXPECT_FALSE(small.bars.horizontal || small.bars.vertical);

  const PicturePlacement large = PlacePicture({1600, 1200}, kView, kBars);
  EXPECT_TRUE(large.bars.horizontal && large.bars.vertical);
  EXPECT_EQ(large.bars.horizontalMax, 1600 - 784);
  EXPECT_EQ(large.bars.verticalMax, 1200 - 584);
  EXPECT_EQ(large.origin, (GridPoint{-408, -308})) << "the middle shows";
  EXPECT_EQ(large.bars.horizontalPos, 408);

  // Only the height overflows, and its bar narrows the width so that it overflows too.
  const PicturePlacement narrowed = PlacePicture({790, 700}, kView, kBars);
  EXPECT_TRUE(narrowed.bars.vertical);
  EXPECT_TRUE(narrowed.bars.horizontal);
  EXPECT_EQ(narrowed.bars.horizontalMax, 790 - 784);
  const PicturePlacement tall = PlacePicture({700, 700}, kView, kBars);
  EXPECT_TRUE(tall.bars.vertical);
  EXPECT_FALSE(tall.bars.horizontal);
  EXPECT_EQ(tall.origin.x, (784 - 700) / 2) << "centred beside the bar";

  // Kept: a position still in range stays; one beyond goes to the end; a
  // picture that no longer overflows is centred.
  PictureBars previous = large.bars;
  previous.horizontalPos = 100;
  previous.verticalPos = 600;
  const PicturePlacement kept = PlacePicture({1600, 1200}, {1000, 700}, kBars, previous);
  EXPECT_EQ(kept.origin.x, -100);
  EXPECT_EQ(kept.bars.verticalMax, 1200 - 684);
  EXPECT_EQ(kept.origin.y, -516) << "600 is beyond the new range";
  const PicturePlacement grown = PlacePicture({1600, 1200}, {2000, 1500}, kBars, previous);
  EXPECT_EQ(grown.origin, (GridPoint{200, 150}));

  EXPECT_EQ(ClampPictureCoordinate(-50, 784, 1600), -50);
  EXPECT_EQ(ClampPictureCoordinate(10, 784, 1600), 0);
  EXPECT_EQ(ClampPictureCoordinate(-900, 784, 1600), -816);
  EXPECT_EQ(ScrollTarget(ScrollRequest::kPageDown, 5, 0, 100, kPictureScrollSteps), 15);
  EXPECT_EQ(ScrollTarget(ScrollRequest::kLineUp, 5, 0, 100, kPictureScrollSteps), 4);
}

}  // namespace
}  // namespace zv
