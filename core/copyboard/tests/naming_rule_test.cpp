// The naming rule of scanned images: the names it forms, the search for the
// first free one, and settings edited by hand that must not lead a scan out
// of the save folder or end the program.
#include "core/copyboard/naming_rule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace zv {
namespace {

std::tm At(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

bool SingleByte(unsigned char) { return false; }
bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

NamingRule Defaults() {
  EnvSet settings;
  std::snprintf(settings.chaSavFol, sizeof settings.chaSavFol, "C:\\Scans");
  return NamingRuleOf(settings);
}

// The files of a folder, and a clock the test moves.
struct Folder {
  std::set<std::string> files;
  std::tm now = At(2024, 5, 6, 7, 8, 9);
  std::string Save(const NamingRule& rule) {
    const std::string path = NextFreeName(
        rule, [&](const std::string& p) { return files.count(p) != 0; }, [&] { return now; }, SingleByte);
    files.insert(path);
    return path;
  }
};

TEST(NamingRule, DateNamesCountWithinASecondAndStartAgainAfterIt) {
  Folder folder;
  const NamingRule rule = Defaults();
  EXPECT_EQ(folder.Save(rule), "C:\\Scans\\20240506_070809(001).PNG");
  EXPECT_EQ(folder.Save(rule), "C:\\Scans\\20240506_070809(002).PNG");
  folder.now.tm_sec = 10;
  EXPECT_EQ(folder.Save(rule), "C:\\Scans\\20240506_070810(001).PNG");
}

TEST(NamingRule, FixedNamesFillGapsAndNumbersGrowPastTheirFormat) {
  Folder folder;
  NamingRule rule = Defaults();
  rule.fixedName = true;
  rule.numberFormat = "[0000]";
  rule.extension = "JPG";
  EXPECT_EQ(folder.Save(rule), "C:\\Scans\\Image[0001].JPG");
  EXPECT_EQ(folder.Save(rule), "C:\\Scans\\Image[0002].JPG");
  folder.files.erase("C:\\Scans\\Image[0001].JPG");
  EXPECT_EQ(folder.Save(rule), "C:\\Scans\\Image[0001].JPG") << "no stored counter: the gap is filled";

  rule.numberFormat = "(0)";
  for (int i = 0; i < 9; ++i) folder.Save(rule);
  EXPECT_EQ(folder.Save(rule), "C:\\Scans\\Image(10).JPG") << "a number wider than the run is printed in full";

  const std::tm t = At(2024, 5, 6, 7, 8, 9);
  rule.fixedName = false;
  rule.numberFormat = "0";
  EXPECT_EQ(FormName(rule, 1, t, SingleByte), "C:\\Scans\\20240506_0708091.JPG");
  rule.numberFormat = "ab";
  EXPECT_EQ(FormName(rule, 7, t, SingleByte), "C:\\Scans\\20240506_0708097ab.JPG") << "no '0': the number, then the text";
  rule.numberFormat = "x00y0";
  EXPECT_EQ(FormName(rule, 3, t, SingleByte), "C:\\Scans\\20240506_070809x03y0.JPG") << "only the first run counts";
  rule.datePattern = "%m%d";
  EXPECT_EQ(FormName(rule, 3, At(2024, 5, 6, 23, 0, 0), SingleByte), "C:\\Scans\\0506x03y0.JPG");
}

TEST(NamingRule, HandEditedSettingsStayInsideTheSaveFolder) {
  const std::tm t = At(2024, 5, 6, 7, 8, 9);
  NamingRule rule = Defaults();
  rule.fixedName = true;
  rule.name = "..\\..\\Windows\\x:y";
  EXPECT_EQ(FormName(rule, 1, t, SingleByte), "C:\\Scans\\.._.._Windows_x_y(001).PNG");
  rule.name = "\x95\x5C\x8E\x86";  // Shift-JIS 表紙: the first trail byte is 0x5C
  EXPECT_EQ(FormName(rule, 1, t, ShiftJisLead), "C:\\Scans\\\x95\x5C\x8E\x86(001).PNG");

  rule.fixedName = false;
  for (const char* pattern : {"%c", "%Q", "%Y%", "%Y/%m"}) {
    rule.datePattern = pattern;
    const std::string name = FormName(rule, 1, t, SingleByte);
    EXPECT_EQ(name.find('/', 3), std::string::npos) << pattern;
    EXPECT_EQ(name.find(':', 3), std::string::npos) << pattern;
  }
  rule.datePattern = "%Q";
  EXPECT_EQ(FormName(rule, 1, t, SingleByte), "C:\\Scans\\20240506_070809(001).PNG") << "the first row's pattern";

  EXPECT_EQ(NextFreeName(rule, [](const std::string&) { return true; }, [&] { return t; }, SingleByte), "")
      << "the search ends when nothing is free";
}

TEST(NamingRule, SettingsAreReadUpToTheirFieldsEnd) {
  EnvSet settings;
  std::memset(settings.chaExtNam, 'A', sizeof settings.chaExtNam);  // no terminating NUL
  settings.intNamMod = 2;
  const NamingRule rule = NamingRuleOf(settings);
  EXPECT_TRUE(rule.fixedName) << "any value but 0 is the fixed name";
  EXPECT_EQ(rule.extension, std::string(sizeof settings.chaExtNam, 'A'));
  EXPECT_EQ(SplitNumberFormat("(000)").width, 3);
}

}  // namespace
}  // namespace zv
