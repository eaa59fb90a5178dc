#include "core/imagelib/pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
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
  EXPECT_EQ(out.pixels, (std::pmr::vector<uint32_t>{2, 4, 1, 3}));
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

// A picture of noise, so that every weight and every summing order shows.
PixelImage Noise(int32_t w, int32_t h, uint32_t seed) {
  PixelImage p;
  EXPECT_TRUE(AllocatePixels(&p, w, h));
  std::mt19937 random(seed);
  for (uint32_t& v : p.pixels) v = random();
  return p;
}

// Feeds `source` to a RowResampler in strips of the given heights, in turn.
bool StreamResize(const PixelImage& source, int32_t w, int32_t h, const std::vector<int32_t>& strips, PixelImage* out) {
  RowResampler resampler;
  if (!resampler.Start(source.width, source.height, w, h)) return false;
  PixelView all = ViewOf(source);
  for (size_t i = 0; resampler.RowsMissing() > 0; ++i) {
    PixelView strip = all;
    strip.height = std::min(strips[i % strips.size()], resampler.RowsMissing());
    strip.data = all.data + static_cast<size_t>(source.height - resampler.RowsMissing()) * all.stride;
    if (!resampler.AddRows(strip)) return false;
  }
  return resampler.Finish(out);
}

TEST(RowResampler, EqualsResizePixelsForEveryRatioAndStrip) {
  struct Case {
    int32_t sw, sh, w, h;
  } cases[] = {
      {97, 61, 40, 25},    {97, 61, 120, 76},  {1600, 1200, 106, 80}, {61, 97, 3, 5},   {9, 4, 9, 4},
      {100, 2, 10, 50},    {2, 100, 50, 10},   {1, 1, 7, 5},          {5, 7, 1, 1},     {13, 300, 13, 299},
      {300, 13, 301, 14},  {64, 48, 64, 47},   {7, 3, 200, 90},       {4000, 30, 120, 1},
  };
  const std::vector<std::vector<int32_t>> strips = {{1}, {16}, {3, 1, 7, 2}, {100000}};
  for (const Case& c : cases) {
    const PixelImage src = Noise(c.sw, c.sh, uint32_t(c.sw * 31 + c.sh));
    PixelImage expected;
    ASSERT_TRUE(ResizePixels(ViewOf(src), c.w, c.h, &expected));
    PixelImage banded;
    ASSERT_TRUE(ResizePixels(ViewOf(src), c.w, c.h, &banded, 3));
    EXPECT_TRUE(banded.pixels == expected.pixels) << "bands on threads change nothing";
    for (const auto& s : strips) {
      PixelImage got;
      ASSERT_TRUE(StreamResize(src, c.w, c.h, s, &got)) << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h;
      EXPECT_EQ(got.width, c.w);
      EXPECT_EQ(got.height, c.h);
      EXPECT_TRUE(got.pixels == expected.pixels)
          << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h << " in strips of " << s[0];
    }
  }
}

// The picture view's fixed-point filter against the float one it stands in
// for: odd widths (the vector loop's tails), one-pixel sides, shrinking,
// enlarging, mixed and equal sizes, hard edges, bands, and a target wider
// than the picture whose padding must stay as it was.
TEST(ResizePixelsFast, StaysWithinOneOfTheFloatFilter) {
  struct Case {
    int32_t sw, sh, w, h;
  } cases[] = {
      {97, 61, 40, 25},   {97, 61, 120, 76}, {3265, 31, 1784, 17}, {61, 97, 3, 5},   {9, 4, 9, 4},
      {1, 1, 7, 5},       {5, 7, 1, 1},      {13, 300, 13, 299},   {300, 13, 301, 14}, {7, 3, 200, 90},
      {4000, 3, 120, 1},  {2, 2, 3, 3},      {33, 17, 16, 9},      {5, 1, 13, 2},
  };
  size_t bytesOff = 0, bytesCompared = 0;
  for (const Case& c : cases) {
    for (int edges = 0; edges < 2; ++edges) {
      PixelImage src = Noise(c.sw, c.sh, uint32_t(c.sw * 17 + c.sh));
      if (edges)  // black and white blocks: the filter's extremes
        for (int32_t y = 0; y < c.sh; ++y)
          for (int32_t x = 0; x < c.sw; ++x)
            src.pixels[size_t(y) * c.sw + x] = ((x / 3 + y / 2) % 2) ? 0xFFFFFFFFu : 0xFF000000u;
      PixelImage want;
      ASSERT_TRUE(ResizePixels(ViewOf(src), c.w, c.h, &want));
      const size_t stride = size_t(c.w) * 4 + 12;
      for (int bands : {1, 3}) {
        std::vector<uint8_t> target(stride * c.h, 0xAB);
        ASSERT_TRUE(ResizePixelsFast(ViewOf(src), PixelTarget{target.data(), c.w, c.h, stride}, bands));
        int worst = 0;
        bool paddingKept = true;
        for (int32_t y = 0; y < c.h; ++y) {
          const uint8_t* row = target.data() + y * stride;
          const auto* wanted = reinterpret_cast<const uint8_t*>(want.pixels.data() + size_t(y) * c.w);
          for (int32_t i = 0; i < c.w * 4; ++i) {
            worst = std::max(worst, std::abs(int(row[i]) - int(wanted[i])));
            bytesOff += row[i] != wanted[i];
          }
          for (size_t i = size_t(c.w) * 4; i < stride; ++i) paddingKept = paddingKept && row[i] == 0xAB;
        }
        EXPECT_LE(worst, 1) << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h << (edges ? " edges" : " noise")
                            << ", " << bands << " bands";
        EXPECT_TRUE(paddingKept) << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h;
        bytesCompared += size_t(c.w) * c.h * 4;
      }
    }
  }
  // Rounded, not cut: a byte is off by one only where the float result
  // lies within a hair of a half (about 0.2 % of them; cutting gives 40 %).
  EXPECT_LT(bytesOff * 100, bytesCompared) << bytesOff << " of " << bytesCompared << " bytes differ";
  // Flat stays exactly flat, at both ends of the scale and between.
  for (uint32_t colour : {0x00000000u, 0xFFFFFFFFu, 0x80FF017Fu}) {
    const PixelImage flat = Filled(333, 77, colour);
    std::vector<uint32_t> out(size_t(1000) * 41);
    ASSERT_TRUE(ResizePixelsFast(ViewOf(flat), PixelTarget{reinterpret_cast<uint8_t*>(out.data()), 1000, 41, 4000}, 2));
    EXPECT_EQ(std::count(out.begin(), out.end(), colour), std::ptrdiff_t(out.size())) << std::hex << colour;
  }
  PixelImage src = Noise(8, 8, 1);
  std::vector<uint32_t> out(16);
  EXPECT_FALSE(ResizePixelsFast(ViewOf(src), PixelTarget{reinterpret_cast<uint8_t*>(out.data()), 4, 4, 12}))
      << "rows overlapping each other";
  EXPECT_FALSE(ResizePixelsFast(PixelView{}, PixelTarget{reinterpret_cast<uint8_t*>(out.data()), 4, 4, 16}));
}

TEST(RowResampler, RefusesWrongStripsAndUnfinishedPictures) {
  const PixelImage src = Noise(8, 6, 5);
  PixelView all = ViewOf(src);
  RowResampler r;
  PixelImage out;
  EXPECT_FALSE(r.AddRows(all)) << "before Start";
  EXPECT_FALSE(r.Finish(&out));
  EXPECT_FALSE(r.Start(8, 6, 0, 3));
  EXPECT_FALSE(r.Start(70000, 1, 3, 3));
  EXPECT_TRUE(r.Start(12000, 9000, 120, 90)) << "a source too large to hold whole still streams";
  EXPECT_FALSE(r.Start(16384, 8193, 120, 60)) << "past 2^27 source pixels";
  EXPECT_FALSE(r.Start(12000, 9000, 12000, 9000)) << "the result must be one we may hold";
  ASSERT_TRUE(r.Start(8, 6, 4, 3));
  PixelView narrow = all;
  narrow.width = 7;
  EXPECT_FALSE(r.AddRows(narrow)) << "a strip of another width";
  PixelView tight = all;
  tight.stride = 16;
  EXPECT_FALSE(r.AddRows(tight)) << "rows overlapping each other";
  PixelView half = all;
  half.height = 3;
  ASSERT_TRUE(r.AddRows(half));
  EXPECT_EQ(r.RowsMissing(), 3);
  EXPECT_FALSE(r.Finish(&out)) << "rows are missing";
  EXPECT_FALSE(r.AddRows(all)) << "more rows than the picture has";
  half.data += 3 * all.stride;
  ASSERT_TRUE(r.AddRows(half));
  ASSERT_TRUE(r.Finish(&out));
  PixelImage expected;
  ASSERT_TRUE(ResizePixels(all, 4, 3, &expected));
  EXPECT_EQ(out.pixels, expected.pixels);
  EXPECT_FALSE(r.Finish(&out)) << "the result is handed over once";
}

}  // namespace
}  // namespace zv
