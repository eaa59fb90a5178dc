#include "core/imagelib/pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/imagelib/probe_rules.h"

namespace zv {
namespace {

// A picture whose every pixel names its own position: (x, y) -> y * 256 + x.
PixelImage Numbered(int32_t w, int32_t h) {
  PixelImage p;
  EXPECT_TRUE(AllocatePixels(&p, w, h));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) p.pixels[size_t(y) * w + x] = uint32_t(y * 256 + x);
  return p;
}

PixelImage Filled(int32_t w, int32_t h, uint32_t value) {
  PixelImage p;
  EXPECT_TRUE(AllocatePixels(&p, w, h));
  std::fill(p.pixels.begin(), p.pixels.end(), value);
  return p;
}

uint8_t Channel(uint32_t pixel, int c) { return uint8_t(pixel >> (8 * c)); }

// Applies an orientation code the way the probe does: one TurnAndMirror call
// per step, each on the result of the one before.
PixelImage Orient(const PixelImage& source, int code) {
  const OrientationSteps s = StepsForOrientation(code);
  PixelImage a;
  EXPECT_TRUE(TurnAndMirror(ViewOf(source), s.angle, s.mirrorLeftRight, s.mirrorTopBottom, &a));
  if (!s.thenMirrorLeftRight) return a;
  PixelImage b;
  EXPECT_TRUE(TurnAndMirror(ViewOf(a), 0, true, false, &b));
  return b;
}

TEST(TurnAndMirror, EachOrientationCodeMovesTheCornersOfANonSquarePicture) {
  // 3 wide, 2 high:   a b c
  //                   d e f
  const PixelImage src = Numbered(3, 2);
  const uint32_t a = 0, c = 2, d = 256, f = 258;
  struct Case {
    int code;
    int32_t w, h;
    uint32_t topLeft, topRight, bottomLeft;
  } cases[] = {
      {0, 3, 2, a, c, d},
      {1, 2, 3, c, f, a},  // left turn: the right column goes to the top
      {2, 3, 2, f, d, c},
      {3, 2, 3, d, a, f},  // right turn: the left column goes to the top, read upwards
      {4, 3, 2, c, a, f},
      {5, 3, 2, d, f, a},
      {6, 2, 3, f, c, d},  // left turn then mirror
      {7, 2, 3, a, d, c},  // right turn then mirror
  };
  for (const Case& k : cases) {
    const PixelImage out = Orient(src, k.code);
    ASSERT_EQ(out.width, k.w) << "code " << k.code;
    ASSERT_EQ(out.height, k.h) << "code " << k.code;
    EXPECT_EQ(out.At(0, 0), k.topLeft) << "code " << k.code;
    EXPECT_EQ(out.At(k.w - 1, 0), k.topRight) << "code " << k.code;
    EXPECT_EQ(out.At(0, k.h - 1), k.bottomLeft) << "code " << k.code;
  }
}

TEST(TurnAndMirror, TurnsComposeAndMirrorsUndoThemselves) {
  const PixelImage src = Numbered(5, 3);
  PixelImage left, back, twice, flipped, unflipped;
  ASSERT_TRUE(TurnAndMirror(ViewOf(src), 9000, false, false, &left));
  ASSERT_TRUE(TurnAndMirror(ViewOf(left), 27000, false, false, &back));
  EXPECT_EQ(back.pixels, src.pixels) << "left then right is no turn";
  ASSERT_TRUE(TurnAndMirror(ViewOf(left), 9000, false, false, &twice));
  PixelImage half;
  ASSERT_TRUE(TurnAndMirror(ViewOf(src), 18000, false, false, &half));
  EXPECT_EQ(twice.pixels, half.pixels) << "two left turns are a half turn";
  ASSERT_TRUE(TurnAndMirror(ViewOf(src), 0, true, true, &flipped));
  EXPECT_EQ(flipped.pixels, half.pixels) << "both mirrors are a half turn";
  ASSERT_TRUE(TurnAndMirror(ViewOf(src), -9000, false, false, &unflipped));
  PixelImage right;
  ASSERT_TRUE(TurnAndMirror(ViewOf(src), 27000, false, false, &right));
  EXPECT_EQ(unflipped.pixels, right.pixels) << "-9000 is a right turn";
  PixelImage out;
  EXPECT_FALSE(TurnAndMirror(ViewOf(src), 4500, false, false, &out)) << "only quarter turns";
  EXPECT_FALSE(TurnAndMirror(PixelView{}, 0, false, false, &out)) << "no pixels";
}

TEST(TurnAndMirror, HonoursTheSourceStride) {
  // Rows of 2 pixels with 2 pixels of padding after each.
  std::vector<uint32_t> padded = {1, 2, 0xDEAD, 0xDEAD, 3, 4, 0xDEAD, 0xDEAD};
  PixelView v{reinterpret_cast<const uint8_t*>(padded.data()), 2, 2, 16};
  PixelImage out;
  ASSERT_TRUE(TurnAndMirror(v, 9000, false, false, &out));
  EXPECT_EQ(out.pixels, (std::vector<uint32_t>{2, 4, 1, 3}));
}

TEST(ResizePixels, ShrinkingAveragesTheExactFootprint) {
  // 3 -> 2 across: output 0 covers source [0, 1.5), output 1 covers [1.5, 3).
  PixelImage src;
  ASSERT_TRUE(AllocatePixels(&src, 3, 1));
  src.pixels = {0x000000FF, 0x00000000, 0x00000060};
  PixelImage out;
  ASSERT_TRUE(ResizePixels(ViewOf(src), 2, 1, &out));
  EXPECT_EQ(Channel(out.pixels[0], 0), 170) << "(255 * 1 + 0 * 0.5) / 1.5";
  EXPECT_EQ(Channel(out.pixels[1], 0), 64) << "(0 * 0.5 + 96 * 1) / 1.5";
  // A flat picture stays flat whatever the ratio.
  const PixelImage grey = Filled(37, 23, 0x80402010);
  ASSERT_TRUE(ResizePixels(ViewOf(grey), 5, 7, &out));
  for (uint32_t p : out.pixels) EXPECT_EQ(p, 0x80402010u);
}

TEST(ResizePixels, OnePixelStrokesStayVisibleInAThumbnail) {
  // A whiteboard scan: white, one black pixel line across and one down.
  PixelImage board = Filled(1600, 1200, 0xFFFFFFFF);
  for (int32_t x = 0; x < 1600; ++x) board.pixels[size_t(601) * 1600 + x] = 0xFF000000;
  for (int32_t y = 0; y < 1200; ++y) board.pixels[size_t(y) * 1600 + 803] = 0xFF000000;
  const PixelSize box = FitIntoBox(1600, 1200, 120, 80);
  PixelImage thumb;
  ASSERT_TRUE(ResizePixels(ViewOf(board), box.width, box.height, &thumb));
  ASSERT_EQ(thumb.width, 106);
  ASSERT_EQ(thumb.height, 80);
  // 1200 / 80 = 15 rows per output row: the line darkens its row by 1/15.
  const int row = 601 * 80 / 1200;
  const int column = int(803 * 106 / 1600.0);
  const uint8_t onLine = Channel(thumb.At(10, row), 1);
  EXPECT_LE(onLine, 255 - 255 / 15 + 1) << "the horizontal stroke survives";
  EXPECT_EQ(Channel(thumb.At(10, row + 2), 1), 255) << "white stays white";
  EXPECT_LT(Channel(thumb.At(column, 10), 1), 250) << "the vertical stroke survives";
  EXPECT_EQ(Channel(thumb.At(10, row), 3), 255) << "alpha is averaged too";
  // Nearest-neighbour sampling (what WIC's scaler does under Wine) would
  // miss these lines entirely: the thumbnail must not be all white.
  size_t dark = 0;
  for (uint32_t p : thumb.pixels) dark += Channel(p, 0) < 250;
  EXPECT_GE(dark, size_t(106 + 80 - 1));
}

TEST(ResizePixels, EnlargingInterpolatesBetweenNeighbours) {
  PixelImage src;
  ASSERT_TRUE(AllocatePixels(&src, 2, 1));
  src.pixels = {0x00000000, 0x000000FF};
  PixelImage out;
  ASSERT_TRUE(ResizePixels(ViewOf(src), 4, 3, &out));
  // Centres of 4 outputs over 2 inputs: -0.25 (clamped), 0.25, 0.75, 1.25 (clamped).
  const uint8_t expected[4] = {0, 64, 191, 255};
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(Channel(out.At(x, y), 0), expected[x]) << x << "," << y;
  // Same size: an exact copy.
  const PixelImage n = Numbered(9, 4);
  ASSERT_TRUE(ResizePixels(ViewOf(n), 9, 4, &out));
  EXPECT_EQ(out.pixels, n.pixels);
  // Shrink one way and enlarge the other.
  ASSERT_TRUE(ResizePixels(ViewOf(Filled(100, 2, 0x11223344)), 10, 50, &out));
  for (uint32_t p : out.pixels) EXPECT_EQ(p, 0x11223344u);
}

TEST(ResizePixels, RefusesSizesOutsideTheLimits) {
  const PixelImage src = Filled(4, 4, 0);
  PixelImage out;
  EXPECT_FALSE(ResizePixels(ViewOf(src), 0, 10, &out));
  EXPECT_FALSE(ResizePixels(ViewOf(src), 10, -1, &out));
  EXPECT_FALSE(ResizePixels(ViewOf(src), kMaxPixelSide + 1, 1, &out));
  EXPECT_FALSE(ResizePixels(ViewOf(src), 10000, 10000, &out)) << "10^8 pixels is past the limit";
  EXPECT_TRUE(ResizePixels(ViewOf(src), 1, 1, &out));
  EXPECT_FALSE(PixelSizeIsAllowed(65536, 1));
  EXPECT_FALSE(PixelSizeIsAllowed(int64_t{1} << 13, (int64_t{1} << 13) + 1));
  EXPECT_TRUE(PixelSizeIsAllowed(int64_t{1} << 13, int64_t{1} << 13));
  PixelImage p;
  EXPECT_FALSE(AllocatePixels(&p, 70000, 70000));
  EXPECT_TRUE(p.pixels.empty());
}

}  // namespace
}  // namespace zv
