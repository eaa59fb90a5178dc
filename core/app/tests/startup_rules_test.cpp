#include "core/app/startup_rules.h"

#include <gtest/gtest.h>

#include "core/app/text_keys.h"

namespace zv {
namespace {

TEST(CommandLine, OnlyALeadingLowerCaseIMakesAResidentCopy) {
  for (const char* resident : {"i", "ifoo", "i -x"}) EXPECT_TRUE(IsResidentCommandLine(resident)) << resident;
  for (const char* browser : {"", "I", " i", "\"i", "/i", "xi"}) EXPECT_FALSE(IsResidentCommandLine(browser)) << browser;
  EXPECT_FALSE(IsResidentCommandLine(nullptr));
}

TEST(CommandLine, ArgumentsFollowTheProgramNameAndOneBlank) {
  EXPECT_STREQ(ArgumentsAfterProgramName("\"C:\\Program Files\\ZViewer.exe\" i"), "i");
  EXPECT_STREQ(ArgumentsAfterProgramName("\"C:\\a b\\ZViewer.exe\"  i"), " i");
  EXPECT_STREQ(ArgumentsAfterProgramName("C:\\ZViewer.exe ifoo"), "ifoo");
  EXPECT_STREQ(ArgumentsAfterProgramName("C:\\ZViewer.exe"), "");
  EXPECT_STREQ(ArgumentsAfterProgramName("\"C:\\unterminated"), "");
  EXPECT_STREQ(ArgumentsAfterProgramName("\"C:\\ZViewer.exe\"i"), "i") << "no blank after a quoted name";
  EXPECT_STREQ(ArgumentsAfterProgramName(nullptr), "");
}

TEST(FontSize, DigitRuleWithoutValidation) {
  EXPECT_EQ(FontTenthsFromText("10"), 100);
  EXPECT_EQ(FontTenthsFromText("12"), 120);
  EXPECT_EQ(FontTenthsFromText("9"), 90);
  EXPECT_EQ(FontTenthsFromText(""), 0);
  EXPECT_EQ(FontPointsFromText("12"), 12) << "GetFontSetting gives points, without the factor 10";
  EXPECT_EQ(FontPointsFromText("1a"), 10 + ('a' - '0')) << "non-digits count by their code";
  // A long text wraps around without undefined behaviour (UBSan watches this).
  (void)FontTenthsFromText(std::string(200, '9'));
}

TEST(VersionText, FormatsTheFourWords) {
  EXPECT_EQ(VersionText(0x00020001, 0x00010000), "2.1.1.0");
  EXPECT_EQ(VersionText(0xFFFFFFFF, 0), "65535.65535.0.0");
}

TEST(AutoStart, CommandAndValueName) {
  EXPECT_EQ(AutoStartCommand("C:\\Program Files\\ZAMO\\ZViewer.exe"), "\"C:\\Program Files\\ZAMO\\ZViewer.exe\" i");
  EXPECT_EQ(AutoStartValueName("C:\\Program Files\\ZAMO\\ZViewer.exe"), "ZViewer");
  EXPECT_EQ(AutoStartValueName("C:\\a.b\\Viewer"), "Viewer") << "a dot in a folder name is not an extension";
}

TEST(TextKeys, PaddedOrCutToTwentyCharacters) {
  EXPECT_EQ(StoredTextKey("TaskTrayExit"), "TaskTrayExit________");
  EXPECT_EQ(StoredTextKey("version"), "version_____________");
  EXPECT_EQ(StoredTextKey("OpenAppli "), "OpenAppli __________") << "a blank in a key is kept";
  EXPECT_EQ(StoredTextKey("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(StoredTextKey("ABCDEFGHIJKLMNOPQRSTxx"), StoredTextKey("ABCDEFGHIJKLMNOPQRSTyy"))
      << "keys sharing 20 characters are one entry";
}

}  // namespace
}  // namespace zv
