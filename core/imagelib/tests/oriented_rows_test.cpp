#include "core/imagelib/oriented_rows.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/imagelib/probe_rules.h"

namespace zv {
namespace {

// Every pixel names its position, so any misplaced pixel shows.
PixelImage Numbered(int32_t w, int32_t h) {
  PixelImage p;
  EXPECT_TRUE(AllocatePixels(&p, w, h));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) p.pixels[size_t(y) * w + x] = uint32_t(y * 256 + x);
  return p;
}

// The turned copy the way the rest of the program makes it.
PixelImage TurnedCopy(const PixelImage& source, int code) {
  const OrientationSteps s = StepsForOrientation(code);
  PixelImage a;
  EXPECT_TRUE(TurnAndMirror(ViewOf(source), s.angle, s.mirrorLeftRight, s.mirrorTopBottom, &a));
  if (!s.thenMirrorLeftRight) return a;
  PixelImage b;
  EXPECT_TRUE(TurnAndMirror(ViewOf(a), 0, true, false, &b));
  return b;
}

TEST(OrientedRows, EveryCodeReadsTheRowsOfTheTurnedCopy) {
  const PixelImage source = Numbered(5, 3);  // not square: a wrong side swap shows
  for (int code = 0; code <= 7; ++code) {
    const PixelImage expected = TurnedCopy(source, code);
    const PixelSize size = OrientedPixelSize(5, 3, code);
    ASSERT_EQ(size.width, expected.width) << "code " << code;
    ASSERT_EQ(size.height, expected.height) << "code " << code;
    std::vector<uint32_t> row(size_t(size.width));
    for (int32_t y = 0; y < size.height; ++y) {
      ASSERT_TRUE(ReadOrientedRow(ViewOf(source), code, y, row.data()));
      for (int32_t x = 0; x < size.width; ++x)
        EXPECT_EQ(row[size_t(x)], expected.At(x, y)) << "code " << code << " at " << x << "," << y;
    }
  }
}

TEST(OrientedRows, RefusesRowsAndCodesOutsideThePicture) {
  const PixelImage source = Numbered(4, 2);
  std::vector<uint32_t> row(4, 0xDEADBEEF);
  EXPECT_FALSE(ReadOrientedRow(ViewOf(source), 0, 2, row.data()));
  EXPECT_FALSE(ReadOrientedRow(ViewOf(source), 0, -1, row.data()));
  EXPECT_FALSE(ReadOrientedRow(ViewOf(source), 1, 4, row.data()));  // turned: 4 rows, 0..3
  EXPECT_FALSE(ReadOrientedRow(ViewOf(source), 8, 0, row.data()));
  EXPECT_EQ(row[0], 0xDEADBEEFu) << "nothing written on refusal";
}

}  // namespace
}  // namespace zv
