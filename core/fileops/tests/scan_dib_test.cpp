// Scans as packed DIBs: the sizes of a memory transfer computed from what
// the driver reports (untrusted), the DIB assembled from its rows, and the
// BMP file of a file transfer read and written back.
#include "core/fileops/scan_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace zv {
namespace {

TEST(ScanDib, MemoryTransferSizesAreCheckedAndRoundedUpToTheBuffer) {
  const std::optional<MemoryTransferPlan> plan = PlanMemoryTransfer(100, 10, 24, 1000);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->imageBytes, 3000u);
  EXPECT_EQ(plan->bufferBytes, 4000u) << "the smallest multiple of the preferred size above the image";
  EXPECT_EQ(plan->dibBytes, 4000u + 1064u);
  EXPECT_TRUE(PlanMemoryTransfer(12000, 9000, 24, 65536)) << "the largest scan fits";
  EXPECT_FALSE(PlanMemoryTransfer(100, 10, 24, 0)) << "a preferred size of 0";
  const int64_t huge = std::numeric_limits<int32_t>::max();
  EXPECT_FALSE(PlanMemoryTransfer(huge, huge, 32, 4096)) << "rows x height past 32 bits";
  EXPECT_FALSE(PlanMemoryTransfer(huge + 1, 1, 1, 4096));
  EXPECT_FALSE(PlanMemoryTransfer(70000, 70000, 8, 4096)) << "more than a 32-bit process can hold";
  EXPECT_FALSE(PlanMemoryTransfer(100, 10, 7, 4096));
  EXPECT_FALSE(PlanMemoryTransfer(-5, 10, 8, 4096));

  TransferCursor cursor(100);
  EXPECT_TRUE(cursor.Advance(60));
  EXPECT_FALSE(cursor.Advance(41)) << "a strip past the buffer";
  EXPECT_EQ(cursor.position(), 60u);
  EXPECT_FALSE(cursor.Advance(std::numeric_limits<uint64_t>::max())) << "no wrap-around";
  EXPECT_TRUE(cursor.Advance(40));
  EXPECT_FALSE(cursor.Advance(1));
}

TEST(ScanDib, RowsAreReversedAndRgbBecomesBgr) {
  // 2 x 2, 24-bit RGB: rows of 6 bytes padded to 8, top row first as the scanner sends them.
  const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 0, 0,  // top
                                     7, 8, 9, 10, 11, 12, 0, 0};
  ScanImage image{2, 2, 24, ScanPixelType::kRgb, PixelsPerMetre(0, 300, 0), PixelsPerMetre(1, 100, 32768)};
  const auto dib = AssembleScanDib(image, ScanColourTable(ScanPixelType::kRgb, nullptr), rows.data(), rows.size());
  ASSERT_TRUE(dib);
  ASSERT_EQ(dib->size(), 40u + 16u);
  const std::vector<uint8_t> pixels(dib->begin() + 40, dib->end());
  EXPECT_EQ(pixels, (std::vector<uint8_t>{9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0}))
      << "bottom-up, blue-green-red";
  EXPECT_EQ((*dib)[24] | (*dib)[25] << 8, 11811) << "300 dots per inch";
  EXPECT_EQ((*dib)[28] | (*dib)[29] << 8, 10050) << "100.5 dots per centimetre";
  EXPECT_FALSE(AssembleScanDib(image, {}, rows.data(), rows.size() - 1)) << "an incomplete image";

  EXPECT_EQ(ScanColourTable(ScanPixelType::kBlackWhite, nullptr), (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 0, 0}));
  const std::vector<PaletteEntry> many(300, PaletteEntry{10, 20, 30});
  const std::vector<uint8_t> table = ScanColourTable(ScanPixelType::kOther, &many);
  EXPECT_EQ(table.size(), 256u * 4) << "a palette of more than 256 colours is cut";
  EXPECT_EQ(std::vector<uint8_t>(table.begin(), table.begin() + 4), (std::vector<uint8_t>{30, 20, 10, 0}));
  EXPECT_EQ(ScanColourTable(ScanPixelType::kOther, nullptr).size(), 1024u) << "no palette: the grey ramp";
}

// A source may send rows without padding, or with more than the DIB's;
// whatever it says is checked against what it delivered.
TEST(ScanDib, StripsOfAnyRowLengthBecomePaddedRows) {
  // 5 pixels at 24 bits: 15 bytes of data a row, 16 in the DIB.
  ScanRowGatherer tight(5, 3, 24);
  ASSERT_TRUE(tight.ok());
  std::vector<uint8_t> strip(15 * 2);
  for (size_t i = 0; i < strip.size(); ++i) strip[i] = static_cast<uint8_t>(i + 1);
  ASSERT_TRUE(tight.Add(strip.data(), strip.size(), 15, 2));
  EXPECT_FALSE(tight.complete());
  EXPECT_FALSE(tight.Add(strip.data(), strip.size(), 15, 2)) << "past the last row";
  EXPECT_FALSE(tight.Add(strip.data(), 14, 15, 1)) << "a row shorter than its data";
  EXPECT_FALSE(tight.Add(strip.data(), strip.size(), 14, 1)) << "rows closer than their data";
  ASSERT_TRUE(tight.Add(strip.data() + 15, 15, 15, 1));
  EXPECT_TRUE(tight.complete());
  const std::vector<uint8_t>& rows = tight.rows();
  ASSERT_EQ(rows.size(), 48u);
  EXPECT_EQ(rows[0], 1);
  EXPECT_EQ(rows[14], 15);
  EXPECT_EQ(rows[15], 0) << "padding";
  EXPECT_EQ(rows[16], 16) << "the second row starts at the DIB's row length";
  EXPECT_EQ(rows[32], 16) << "the third row came in its own strip";

  // Rows of 20 bytes apart (the source's own padding); the last one unpadded.
  ScanRowGatherer wide(5, 2, 24);
  std::vector<uint8_t> padded(20 + 15, 7);
  EXPECT_FALSE(wide.Add(padded.data(), 20 + 14, 20, 2)) << "the last row cut short";
  ASSERT_TRUE(wide.Add(padded.data(), padded.size(), 20, 2));
  EXPECT_TRUE(wide.complete());

  EXPECT_FALSE(ScanRowGatherer(0x7fffffff, 0x7fffffff, 24).ok()) << "sizes past any scan";
}

TEST(ScanDib, BmpFilesAreReadOnlyWhenEverythingLiesInside) {
  const std::vector<uint8_t> rows(4 * 3, 0x5A);  // 3 x 3, 8-bit: rows of 4 bytes
  ScanImage image{3, 3, 8, ScanPixelType::kGray, 0, 0};
  const auto dib = AssembleScanDib(image, ScanColourTable(ScanPixelType::kGray, nullptr), rows.data(), rows.size());
  ASSERT_TRUE(dib);
  const auto file = BmpFileFromDib(dib->data(), dib->size());
  ASSERT_TRUE(file);
  EXPECT_EQ(file->size(), 14u + 40u + 1024u + 12u);
  EXPECT_EQ((*file)[10] | (*file)[11] << 8, 54 + 1024) << "the pixels after 256 colours";
  const auto back = DibFromBmpFile(file->data(), file->size());
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, *dib);

  EXPECT_FALSE(DibFromBmpFile(file->data(), file->size() - 1)) << "a short file";
  EXPECT_FALSE(BmpFileFromDib(dib->data(), dib->size() - 1)) << "a DIB shorter than its header says";
  std::vector<uint8_t> bad = *file;
  bad[0] = 'X';
  EXPECT_FALSE(DibFromBmpFile(bad.data(), bad.size())) << "not a BMP";
  bad = *file;
  bad[14 + 32] = 0x2C;  // 300 colours
  bad[14 + 33] = 0x01;
  EXPECT_FALSE(DibFromBmpFile(bad.data(), bad.size()));
  bad = *file;
  bad[10] = 20;  // the rows inside the header
  bad[11] = 0;
  EXPECT_FALSE(DibFromBmpFile(bad.data(), bad.size()));
  bad = *file;
  bad[14] = 0xFF;  // a header larger than the file
  bad[15] = 0xFF;
  EXPECT_FALSE(DibFromBmpFile(bad.data(), bad.size()));
}

}  // namespace
}  // namespace zv
