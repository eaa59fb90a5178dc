#include "core/imagelib/probe_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace zv {
namespace {

TEST(ImageTypeFromPath, ComparesTheLastExtensionAfterLowering) {
  EXPECT_EQ(ImageTypeFromPath("C:\\scan\\a.png"), 0);
  EXPECT_EQ(ImageTypeFromPath("b.Tiff"), 1);
  EXPECT_EQ(ImageTypeFromPath("b.tif"), 1);
  EXPECT_EQ(ImageTypeFromPath("c.BMP"), 2);
  EXPECT_EQ(ImageTypeFromPath("d.JPG"), 3);
  EXPECT_EQ(ImageTypeFromPath("d.jpeg"), 3);
  EXPECT_EQ(ImageTypeFromPath("e.png.bak"), -1) << "a backup suffix after .png";
  EXPECT_EQ(ImageTypeFromPath("C:\\folder.png\\noext"), -1) << "the last '.' decides";
  EXPECT_EQ(ImageTypeFromPath("README"), -1);
  EXPECT_EQ(ImageTypeFromPath("x."), -1);
  EXPECT_EQ(ImageTypeFromPath("x.jpe"), -1);
  EXPECT_EQ(ImageTypeFromPath("\x95\x5C.jpg"), 3) << "a Shift-JIS trail byte 0x5C is not in the way";
}

TEST(ColorCountFromBits, FollowsTheTable) {
  EXPECT_EQ(ColorCountFromBits(1), 2);
  EXPECT_EQ(ColorCountFromBits(4), 16);
  EXPECT_EQ(ColorCountFromBits(8), 256);
  EXPECT_EQ(ColorCountFromBits(16), 65536);
  EXPECT_EQ(ColorCountFromBits(24), 16777216);
  EXPECT_EQ(ColorCountFromBits(32), 16777216);
  EXPECT_EQ(ColorCountFromBits(2), 16777216);
}

TEST(FitIntoBox, FillsTheBoxOnTheDecidingSideAndTruncatesTheOther) {
  auto fit = [](int w, int h, int bw, int bh) {
    const PixelSize s = FitIntoBox(w, h, bw, bh);
    return std::make_pair(s.width, s.height);
  };
  EXPECT_EQ(fit(100, 50, 120, 80), std::make_pair(120, 60)) << "enlarged: rw 1.2 < rh 1.6";
  EXPECT_EQ(fit(1600, 1200, 120, 80), std::make_pair(106, 80)) << "1600 * 80 / 1200 = 106.66";
  EXPECT_EQ(fit(1200, 1600, 120, 80), std::make_pair(60, 80));
  EXPECT_EQ(fit(3, 3, 120, 80), std::make_pair(80, 80));
  EXPECT_EQ(fit(120, 80, 120, 80), std::make_pair(120, 80));
  EXPECT_EQ(fit(4000, 3000, 240, 160), std::make_pair(213, 160));
  EXPECT_EQ(fit(300, 200, 120, 80), std::make_pair(120, 80)) << "equal ratios";
  EXPECT_EQ(fit(1000000, 1, 120, 80), std::make_pair(120, 1)) << "never 0 pixels";
  EXPECT_EQ(fit(2000000000, 2000000000, 240, 160), std::make_pair(160, 160)) << "no overflow";
}

TEST(LimitBoxForDisplayMemory, ScalesLargeRequestsIntoTheBudget) {
  // 24-bit display: budget 16000000 / 3 = 5333333 pixels.
  const PixelSize small = LimitBoxForDisplayMemory(24, 120, 80, 5000, 5000);
  EXPECT_EQ(small.width, 120);
  EXPECT_EQ(small.height, 80);
  const PixelSize natural = LimitBoxForDisplayMemory(24, 0, 0, 4000, 3000);
  const double f = std::sqrt(5333333.0 / 12000000.0);
  EXPECT_EQ(natural.width, int(4000 * f));
  EXPECT_EQ(natural.height, int(3000 * f));
  EXPECT_LE(int64_t(natural.width) * natural.height, 5333333);
  const PixelSize big = LimitBoxForDisplayMemory(32, 4000, 4000, 10, 10);
  EXPECT_EQ(big.width, 2000) << "sqrt(4000000 / 16000000) = 0.5";
  EXPECT_EQ(big.height, 2000);
  // Displays below 8 bits count one byte per pixel: the budget is 16000000.
  for (int bits : {0, 1, 4, -1}) {
    const PixelSize low = LimitBoxForDisplayMemory(bits, 0, 0, 8000, 4000);
    EXPECT_EQ(low.width, int(8000 * std::sqrt(0.5))) << bits;
    EXPECT_EQ(low.height, int(4000 * std::sqrt(0.5))) << bits;
  }
  const PixelSize exact = LimitBoxForDisplayMemory(8, 4000, 4000, 1, 1);
  EXPECT_EQ(exact.width, 4000) << "at the budget exactly nothing changes";
}

TEST(StepsForOrientation, CodesAndTheirCalls) {
  EXPECT_EQ(StepsForOrientation(1).angle, 9000);
  EXPECT_EQ(StepsForOrientation(3).angle, 27000);
  EXPECT_TRUE(StepsForOrientation(4).mirrorLeftRight);
  EXPECT_TRUE(StepsForOrientation(5).mirrorTopBottom);
  EXPECT_TRUE(StepsForOrientation(6).thenMirrorLeftRight);
  EXPECT_EQ(StepsForOrientation(7).angle, 27000);
  const OrientationSteps none = StepsForOrientation(9);
  EXPECT_EQ(none.angle, 0);
  EXPECT_FALSE(none.mirrorLeftRight || none.mirrorTopBottom || none.thenMirrorLeftRight);
}

}  // namespace
}  // namespace zv
