#include "core/fileops/save_as_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv {
namespace {

// The filter's strings up to the empty one that ends it.
std::vector<std::string> Entries(const std::string& filter) {
  std::vector<std::string> entries;
  for (size_t at = 0; at < filter.size() && filter[at] != '\0'; at = filter.find('\0', at) + 1)
    entries.emplace_back(filter.c_str() + at);
  return entries;
}

TEST(SaveAsFilter, DescriptionsAndPatternsInTheirOrderEndingInTwoNuls) {
  const std::string filter = BuildSaveFilter({"PNG file", "TIFF file", "BMP file", "JPEG file"});
  ASSERT_GE(filter.size(), 2u);
  EXPECT_EQ(filter.substr(filter.size() - 2), std::string(2, '\0'));
  EXPECT_EQ(Entries(filter), (std::vector<std::string>{"PNG file(*.png)", "*.png", "TIFF file(*.tif,*tiff)",
                                                        "*.tif;*.tiff", "BMP file(*.bmp)", "*.bmp",
                                                        "JPEG file(*.jpg,*jpeg)", "*.jpg;*.jpeg"}));
  // Shift-JIS "ポ" is 0x83 0x7C: its trail byte is '|' and must not split the description.
  const std::string po = "\x83\x7C";
  EXPECT_EQ(Entries(BuildSaveFilter({po, "T", "B", "J"})).front(), po + "(*.png)");
}

TEST(SaveAsFilter, OpensOnTheSourcesTypeAndATypeChangeRenamesTheField) {
  EXPECT_EQ(InitialFilterIndex("C:\\x\\a.JPG", NoLeadBytes), kSaveJpeg);
  EXPECT_EQ(InitialFilterIndex("C:\\x\\a.jpeg", NoLeadBytes), kSaveJpeg);
  EXPECT_EQ(InitialFilterIndex("C:\\x\\a.Png", NoLeadBytes), kSavePng);
  EXPECT_EQ(InitialFilterIndex("C:\\x\\a.TIFF", NoLeadBytes), kSaveTiff);
  EXPECT_EQ(InitialFilterIndex("C:\\x\\a.tif", NoLeadBytes), kSaveTiff);
  EXPECT_EQ(InitialFilterIndex("C:\\x\\a.gif", NoLeadBytes), kSaveBmp);
  EXPECT_EQ(InitialFilterIndex("C:\\x.png\\a", NoLeadBytes), kSaveBmp) << "a folder's dot is no extension";

  EXPECT_EQ(NameForFilterIndex("a.jpg", kSavePng, NoLeadBytes), "a.png");
  EXPECT_EQ(NameForFilterIndex("a.png", kSaveTiff, NoLeadBytes), "a.tif") << "never .tiff";
  EXPECT_EQ(NameForFilterIndex("a.b.jpeg", kSaveJpeg, NoLeadBytes), "a.b.jpg");
  EXPECT_EQ(NameForFilterIndex("a", kSaveBmp, NoLeadBytes), "a.bmp");
  EXPECT_EQ(NameForFilterIndex("a.", kSaveBmp, NoLeadBytes), "a.bmp");
  EXPECT_EQ(NameForFilterIndex("a.jpg", 5, NoLeadBytes), "a") << "no extension for an unknown entry";
  EXPECT_EQ(NameForFilterIndex("", kSavePng, NoLeadBytes), "");
  EXPECT_EQ(NameForFilterIndex("\x95\x5C.jpg", kSavePng, IsShiftJisLeadByte), "\x95\x5C.png");
}

}  // namespace
}  // namespace zv
