#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/browser/cell_texts.h"
#include "core/browser/file_list_item.h"
#include "core/text/ansi_path.h"

namespace zv {
namespace {

// "表" is 0x95 0x5C in Shift-JIS: its trail byte is the backslash byte.
const std::string kHyo = "\x95\x5C";

TEST(FileListRecord, PathsThatDoNotFitAreSkippedNotCut) {
  FileListItem item{};
  ASSERT_TRUE(SetItemPath(item, "C:\\pictures", "a.png", NoLeadBytes));
  EXPECT_STREQ(item.path, "C:\\pictures\\a.png");
  EXPECT_STREQ(item.name, "a.png");
  EXPECT_EQ(static_cast<const void*>(&item), static_cast<const void*>(item.path));

  const std::string folder = "C:\\" + std::string(245, 'f');   // 248 bytes
  const std::string fits = std::string(6, 'n') + ".png";       // 248 + 1 + 10 = 259
  ASSERT_TRUE(SetItemPath(item, folder, fits, NoLeadBytes));
  EXPECT_EQ(std::string(item.path).size(), 259u);
  FileListItem untouched{};
  untouched.path[0] = 'X';
  EXPECT_FALSE(SetItemPath(untouched, folder, "n" + fits, NoLeadBytes)) << "260 bytes do not fit";
  EXPECT_EQ(untouched.path[0], 'X');
  EXPECT_EQ(untouched.name[0], '\0');
  EXPECT_FALSE(SetItemPath(untouched, std::string(300, 'f'), "a.png", NoLeadBytes));
}

TEST(FileListRecord, JoinsRootsAndTwoByteFolders) {
  FileListItem item{};
  ASSERT_TRUE(SetItemPath(item, "C:\\", "a.png", NoLeadBytes));
  EXPECT_STREQ(item.path, "C:\\a.png") << "no second backslash after a root";
  ASSERT_TRUE(SetItemPath(item, "C:\\" + kHyo, "a.png", IsShiftJisLeadByte));
  EXPECT_EQ(std::string(item.path), "C:\\" + kHyo + "\\a.png") << "表's trail byte is no backslash";
  EXPECT_STREQ(item.name, "a.png");
  ASSERT_TRUE(SetItemPath(item, "C:\\x", kHyo + ".png", IsShiftJisLeadByte));
  EXPECT_EQ(std::string(item.name), kHyo + ".png");
}

TEST(FileListRecord, FileTimeSeconds) {
  EXPECT_EQ(FileTimeSeconds({9999999u, 0}), 0);
  EXPECT_EQ(FileTimeSeconds({10000000u, 0}), 1);
  EXPECT_EQ(FileTimeSeconds({0, 1}), 429);  // 2^32 / 10^7
  EXPECT_EQ(FileTimeSeconds({0xFFFFFFFFu, 0xFFFFFFFFu}), static_cast<int64_t>(0xFFFFFFFFFFFFFFFFull / 10000000u));
}

TEST(PathUtilities, ExtensionFolderAndFoldedNames) {
  EXPECT_EQ(ExtensionOfPath("C:\\a\\b.PNG", NoLeadBytes), "PNG");
  EXPECT_EQ(ExtensionOfPath("C:\\a\\b.png.bak", NoLeadBytes), "bak");
  EXPECT_EQ(ExtensionOfPath("C:\\a.b\\name", NoLeadBytes), "") << "a folder's '.' is not the file's";
  EXPECT_EQ(ExtensionOfPath("name.", NoLeadBytes), "");
  EXPECT_EQ(ExtensionOfPath("C:\\" + kHyo + ".jpg", IsShiftJisLeadByte), "jpg");

  EXPECT_EQ(FolderPartOf("C:\\a\\b.png", NoLeadBytes), std::optional<std::string_view>("C:\\a"));
  EXPECT_FALSE(FolderPartOf("b.png", NoLeadBytes).has_value()) << "no backslash: the caller keeps its folder";
  EXPECT_EQ(FolderPartOf("C:\\" + kHyo, IsShiftJisLeadByte), std::optional<std::string_view>("C:"));

  EXPECT_EQ(FoldedName("Abc.png", NoLeadBytes), "ABC.PNG");
  EXPECT_EQ(FoldedName("\x83\x61" "a", IsShiftJisLeadByte), "\x83\x61" "A") << "trail bytes stay";
  // Folded forms are equal exactly when SamePath says the names are.
  std::mt19937 random(3);
  const char alphabet[] = "aAbB\x83\x61\x41\\.";
  for (int i = 0; i < 2000; ++i) {
    std::string a, b;
    for (int k = 0; k < 4; ++k) {
      a += alphabet[random() % 9];
      b += alphabet[random() % 9];
    }
    for (LeadBytePredicate isLead : {NoLeadBytes, IsShiftJisLeadByte})
      ASSERT_EQ(FoldedName(a, isLead) == FoldedName(b, isLead), SamePath(a, b, isLead)) << a << " / " << b;
  }

  EXPECT_TRUE(IsListedEntry("a.png", false));
  EXPECT_FALSE(IsListedEntry("a.png", true));
  EXPECT_FALSE(IsListedEntry(".hidden.png", false));
  EXPECT_FALSE(IsListedEntry("..", true));
  EXPECT_FALSE(IsListedEntry("", false));
}

TEST(FileListTexts, CellsAndStatus) {
  EXPECT_EQ(TypeCellText(0), "PNG");
  EXPECT_EQ(TypeCellText(1), "TIFF");
  EXPECT_EQ(TypeCellText(2), "BMP");
  EXPECT_EQ(TypeCellText(3), "JPEG");
  EXPECT_EQ(TypeCellText(-1), "");
  EXPECT_EQ(DateCellText({2024, 3, 7, 9, 5, 1}), "2024/03/07 09:05:01");
  EXPECT_EQ(SizeCellText(1234), "1234");
  EXPECT_EQ(SizeCellText(0x80000000u), "2147483648") << "never negative";
  EXPECT_EQ(PictureSizeCellText(1600, 1200), "1600 * 1200");
  EXPECT_EQ(ColorsCellText(16777216), "16777216");

  FileListItem item{};
  ASSERT_TRUE(SetItemPath(item, "C:\\p", "scan.png", NoLeadBytes));
  item.width = 97;
  item.height = 61;
  item.colors = 256;
  EXPECT_EQ(CurrentItemStatusText(item, "Size", "Colours"), "scan.png, Size 97/61,  Colours 256");
  const std::string longCaption(1023, 'c');
  EXPECT_EQ(CurrentItemStatusText(item, longCaption, ""), "scan.png, " + longCaption + " 97/61,   256");
}

TEST(FileListTexts, ColumnsFromTheSettingsRecord) {
  EXPECT_STREQ(ColumnCaptions()[0].key, "ColmunFileName");
  EXPECT_STREQ(ColumnCaptions()[kPictSizeColumn].key, "ColmunPictSize");
  EXPECT_STREQ(ColumnCaptions()[kColorsColumn].key, "ColmunColors");

  EnvSet settings;
  ColumnLayout layout = ColumnLayoutOf(settings);
  EXPECT_EQ(layout.order, (std::array<int32_t, 6>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(layout.widths, (std::array<int32_t, 6>{200, 200, 200, 200, 200, 200}));

  const int32_t moved[6] = {3, 0, 1, 2, 5, 4};
  std::copy(std::begin(moved), std::end(moved), settings.intClmOdr);
  settings.intClmWid[1] = -5;
  settings.intClmWid[2] = 1 << 30;
  layout = ColumnLayoutOf(settings);
  EXPECT_EQ(layout.order, (std::array<int32_t, 6>{3, 0, 1, 2, 5, 4}));
  EXPECT_EQ(layout.widths[1], 0);
  EXPECT_EQ(layout.widths[2], kMaxColumnWidth);

  for (auto odd : {std::array<int32_t, 6>{0, 0, 1, 2, 3, 4}, std::array<int32_t, 6>{0, 1, 2, 3, 4, 6},
                   std::array<int32_t, 6>{-1, 1, 2, 3, 4, 5}}) {
    std::copy(odd.begin(), odd.end(), settings.intClmOdr);
    EXPECT_EQ(ColumnLayoutOf(settings).order, (std::array<int32_t, 6>{0, 1, 2, 3, 4, 5})) << "odd data: default order";
  }
}

}  // namespace
}  // namespace zv
