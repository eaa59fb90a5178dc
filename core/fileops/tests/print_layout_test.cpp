#include "core/fileops/print_layout.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(PrintLayout, ThePageTurnsOnlyAgainstThePicture) {
  // Portrait page (and a square one counts as portrait).
  EXPECT_TRUE(PageTurnsFor(2400, 3300, 4000, 3000));
  EXPECT_FALSE(PageTurnsFor(2400, 3300, 3000, 4000));
  EXPECT_FALSE(PageTurnsFor(2400, 3300, 3000, 3000));
  EXPECT_TRUE(PageTurnsFor(3000, 3000, 4000, 3000));
  // Landscape page.
  EXPECT_TRUE(PageTurnsFor(3300, 2400, 3000, 4000));
  EXPECT_FALSE(PageTurnsFor(3300, 2400, 4000, 3000));
  EXPECT_FALSE(PageTurnsFor(3300, 2400, 3000, 3000));
}

void ExpectRect(const PrintRect& r, int32_t left, int32_t top, int32_t width, int32_t height) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.width, width);
  EXPECT_EQ(r.height, height);
}

TEST(PrintLayout, PicturesAreScaledToTouchOneSideAndCentred) {
  // A small wide picture is enlarged to the page's width and centred upright.
  ExpectRect(PlaceOnPage(2400, 3300, 400, 300), 0, 750, 2400, 1800);
  // A large narrow one is reduced to the page's height and centred across.
  ExpectRect(PlaceOnPage(2400, 3300, 3000, 12000), 787, 0, 825, 3300);
  // 3 * 2400 / 7 = 1028.57: the side is truncated, the offset halves the rest.
  ExpectRect(PlaceOnPage(2400, 3300, 7, 3), 0, 1136, 2400, 1028);
  // The page's own proportions fill it exactly, without losing a pixel.
  ExpectRect(PlaceOnPage(2400, 3300, 800, 1100), 0, 0, 2400, 3300);
  ExpectRect(PlaceOnPage(2400, 3300, 1, 65535), 1199, 0, 1, 3300);
  ExpectRect(PlaceOnPage(0, 3300, 800, 1100), 0, 0, 0, 0);
  ExpectRect(PlaceOnPage(2400, 3300, 0, 1100), 0, 0, 0, 0);
}

TEST(PrintLayout, DecodeSizeNeverExceedsPicturePrintOrBudget) {
  // A 12,000 x 9,000 scan printed 3300 wide is decoded at the print's size...
  PixelSize s = PrintDecodeSize(12000, 9000, 3300, 2475, 16000000);
  EXPECT_EQ(s.width, 3300);
  EXPECT_EQ(s.height, 2475);
  // ...and within a small budget smaller still, in proportion.
  s = PrintDecodeSize(12000, 9000, 3300, 2475, 1000000);
  EXPECT_LE(int64_t(s.width) * s.height, 1000000);
  EXPECT_GT(int64_t(s.width) * s.height, 990000);
  EXPECT_NEAR(double(s.width) / s.height, 4.0 / 3.0, 0.01);
  // A small picture is never enlarged: the printer does that.
  s = PrintDecodeSize(400, 300, 2400, 1800, 16000000);
  EXPECT_EQ(s.width, 400);
  EXPECT_EQ(s.height, 300);
  // Extreme proportions keep at least one pixel.
  s = PrintDecodeSize(65535, 1, 3300, 1, 1000);
  EXPECT_GE(s.height, 1);
  EXPECT_LE(s.width, 3300);
}

TEST(PrintLayout, BandsTileThePrintedRowsExactly) {
  const std::vector<PrintBand> bands = PrintBands(1000, 100, 2500, 300);
  ASSERT_EQ(bands.size(), 4u);
  EXPECT_EQ(bands[1].sourceTop, 300);
  EXPECT_EQ(bands[1].pageTop, 850);
  EXPECT_EQ(bands[1].pageRows, 750);
  EXPECT_EQ(bands[3].sourceRows, 100);
  for (int32_t sourceHeight : {1, 7, 999, 1000, 4001})
    for (int32_t pageHeight : {1, 3, 2500, 3301}) {
      const std::vector<PrintBand> b = PrintBands(sourceHeight, 40, pageHeight, 256);
      int32_t source = 0, page = 40;
      for (const PrintBand& band : b) {
        EXPECT_GE(band.sourceTop, source) << sourceHeight << " onto " << pageHeight;
        EXPECT_LE(band.sourceRows, 256);
        EXPECT_EQ(band.pageTop, page) << "gap or overlap, " << sourceHeight << " onto " << pageHeight;
        EXPECT_GT(band.pageRows, 0);
        source = band.sourceTop + band.sourceRows;
        page = band.pageTop + band.pageRows;
      }
      EXPECT_EQ(source, sourceHeight) << "last source row drawn";
      EXPECT_EQ(page, 40 + pageHeight) << "every page row covered";
    }
  EXPECT_TRUE(PrintBands(0, 0, 100, 10).empty());
  EXPECT_TRUE(PrintBands(100, 0, 0, 10).empty());
}

}  // namespace
}  // namespace zv
