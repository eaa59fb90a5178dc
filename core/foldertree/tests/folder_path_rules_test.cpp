#include "core/foldertree/folder_path_rules.h"
#include "core/text/ansi_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv {
namespace {

using Names = std::vector<std::string>;

// Shift-JIS "表" is 0x95 0x5C: its trail byte is a backslash. "ツ" is 0x83 0x63: its trail byte is 'c'.
const std::string kHyou = "\x95\x5C";
const std::string kTsu = "\x83\x63";

bool SameSjis(std::string_view a, std::string_view b) { return SamePath(a, b, IsShiftJisLeadByte); }

std::optional<Names> Below(const std::string& path, const std::string& folder) {
  return NamesBelowFolder(path, folder, SameSjis, IsShiftJisLeadByte);
}

TEST(NamesBelowFolder, GivesTheNamesBehindTheFolderIgnoringCase) {
  const std::string desktop = "C:\\Users\\Ann\\Desktop";
  EXPECT_EQ(Below(desktop, desktop), Names{}) << "the folder itself: no names";
  EXPECT_EQ(Below(desktop + "\\", desktop), Names{}) << "with a trailing backslash";
  EXPECT_EQ(Below("c:\\users\\ann\\DESKTOP\\Pics\\2024", desktop), (Names{"Pics", "2024"}));
  EXPECT_EQ(Below(desktop + "\\a\\\\b\\", desktop), (Names{"a", "b"})) << "empty names dropped";
  EXPECT_EQ(Below("C:\\x", "C:\\"), Names{"x"}) << "a folder that ends in a backslash";
}

TEST(NamesBelowFolder, RefusesPathsOutsideTheFolder) {
  const std::string desktop = "C:\\Users\\Ann\\Desktop";
  EXPECT_EQ(Below(desktop + "2\\Pics", desktop), std::nullopt) << "a sibling whose name starts the same";
  EXPECT_EQ(Below("C:\\Users\\Ann", desktop), std::nullopt) << "shorter than the folder";
  EXPECT_EQ(Below("D:\\Users\\Ann\\Desktop\\x", desktop), std::nullopt);
  EXPECT_EQ(Below("", desktop), std::nullopt);
  EXPECT_EQ(Below("C:\\x", ""), std::nullopt) << "an unknown folder matches nothing";
}

TEST(NamesBelowFolder, NeverSplitsTwoByteCharacters) {
  const std::string folder = "C:\\" + kHyou + "\\Desktop";
  EXPECT_EQ(Below(folder + "\\" + kHyou + "x\\" + kHyou, folder), (Names{kHyou + "x", kHyou}))
      << "a trail byte 0x5C is no separator";
  EXPECT_EQ(Below("C:\\a" + kHyou, "C:\\a\x95"), std::nullopt)
      << "a folder that would end in the middle of a character of the path";
  EXPECT_EQ(Below("C:\\" + kTsu + "\\x", "C:\\\x83\x43"), std::nullopt)
      << "the trail byte 'c' is not a letter to fold (ツ is not イ)";
}

TEST(SplitFolderNames, SplitsAtOwnBackslashesOnly) {
  EXPECT_EQ(SplitFolderNames("", IsShiftJisLeadByte), Names{});
  EXPECT_EQ(SplitFolderNames("\\", IsShiftJisLeadByte), Names{});
  EXPECT_EQ(SplitFolderNames("a\\bc\\d", IsShiftJisLeadByte), (Names{"a", "bc", "d"}));
  EXPECT_EQ(SplitFolderNames(kHyou + kHyou + "\\" + kHyou, IsShiftJisLeadByte), (Names{kHyou + kHyou, kHyou}));
  EXPECT_EQ(SplitFolderNames(kHyou, NoLeadBytes), (Names{"\x95"})) << "a single-byte code page has no trail bytes";
  EXPECT_EQ(SplitFolderNames("ab\x95", IsShiftJisLeadByte), Names{"ab\x95"}) << "a lone lead byte at the end";
}

TEST(ReportedFolderPath, DropsOneTrailingBackslashAndRefusesShortPaths) {
  EXPECT_EQ(ReportedFolderPath("C:\\", IsShiftJisLeadByte), "C:") << "a drive root is reported without backslash";
  EXPECT_EQ(ReportedFolderPath("C:\\Pics\\", IsShiftJisLeadByte), "C:\\Pics");
  EXPECT_EQ(ReportedFolderPath("C:\\Pics\\\\", IsShiftJisLeadByte), "C:\\Pics\\") << "only one is removed";
  EXPECT_EQ(ReportedFolderPath("C:\\Pics", IsShiftJisLeadByte), "C:\\Pics");
  EXPECT_EQ(ReportedFolderPath("C:", IsShiftJisLeadByte), std::nullopt);
  EXPECT_EQ(ReportedFolderPath("", IsShiftJisLeadByte), std::nullopt);
  EXPECT_EQ(ReportedFolderPath("C:\\" + kHyou, IsShiftJisLeadByte), "C:\\" + kHyou)
      << "the trail byte of the last character stays";
  EXPECT_EQ(ReportedFolderPath("C:\\" + kHyou, NoLeadBytes), "C:\\\x95");
}

TEST(WithDriveRootBackslash, CompletesOnlyABareDrive) {
  EXPECT_EQ(WithDriveRootBackslash("C:"), "C:\\");
  EXPECT_EQ(WithDriveRootBackslash("C:\\"), "C:\\");
  EXPECT_EQ(WithDriveRootBackslash("C:x"), "C:x");
  EXPECT_EQ(WithDriveRootBackslash("C"), "C");
  EXPECT_EQ(WithDriveRootBackslash(""), "");
}

TEST(SamePath, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(SamePath("Program Files", "PROGRAM files", IsShiftJisLeadByte));
  EXPECT_FALSE(SamePath("abc", "abd", IsShiftJisLeadByte));
  EXPECT_FALSE(SamePath("abc", "ab", IsShiftJisLeadByte));
  EXPECT_FALSE(SamePath(kTsu, "\x83\x43", IsShiftJisLeadByte)) << "trail bytes are not letters";
  EXPECT_TRUE(SamePath(kTsu, "\x83\x43", NoLeadBytes)) << "but they are in a single-byte page";
}

TEST(IconCacheKey, IsFileCommaIndexInUpperCase) {
  EXPECT_EQ(IconCacheKey("C:\\Windows\\system32\\shell32.dll", 3, IsShiftJisLeadByte),
            "C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL,3");
  EXPECT_EQ(IconCacheKey("DefaultClose", 0, IsShiftJisLeadByte), "DEFAULTCLOSE,0");
  EXPECT_EQ(IconCacheKey("x.dll", -4, IsShiftJisLeadByte), "X.DLL,-4");
  EXPECT_EQ(IconCacheKey("", -1, IsShiftJisLeadByte), ",-1");
  EXPECT_EQ(IconCacheKey("a" + kTsu + ".ico", 0, IsShiftJisLeadByte), "A" + kTsu + ".ICO,0")
      << "the trail byte 'c' of ツ stays as it is";
}

TEST(IconKeyList, GivesOneImagePerKeyInOrder) {
  IconKeyList keys;
  EXPECT_EQ(keys.Find("A,1"), std::nullopt);
  EXPECT_EQ(keys.Append("A,1"), 0);
  EXPECT_EQ(keys.Append("B,1"), 1);
  EXPECT_EQ(keys.Find("A,1"), 0);
  EXPECT_EQ(keys.Find("B,1"), 1);
  EXPECT_EQ(keys.Find("a,1"), std::nullopt) << "keys are compared exactly";
  EXPECT_EQ(keys.Append("A,1"), 2) << "an appended image always gets the next index";
  EXPECT_EQ(keys.Find("A,1"), 0) << "the first image of a key is the one found";
  EXPECT_EQ(keys.size(), 3u);
  keys.Clear();
  EXPECT_EQ(keys.size(), 0u);
  EXPECT_EQ(keys.Find("B,1"), std::nullopt);
  EXPECT_EQ(keys.Append("B,1"), 0);
}

}  // namespace
}  // namespace zv
