#include "core/fileops/folder_name_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "core/fileops/input_rules.h"

namespace zv {
namespace {

// A file system of the paths in `existing`, recording what it was asked.
struct FakeFolder {
  std::set<std::string> existing;
  std::vector<std::string> asked;
  ExistenceTest exists() {
    return [this](const std::string& path) {
      asked.push_back(path);
      return existing.count(path) != 0;
    };
  }
};

TEST(NewFolderName, ChecksLengthThenCharactersThenExistence) {
  FakeFolder disk;
  disk.existing = {"C:\\p\\taken", "C:\\p\\" + std::string(250, 'a')};
  auto check = [&](const std::string& name) { return CheckNewFolderName("C:\\p", name, disk.exists(), NoLeadBytes); };

  EXPECT_EQ(check(std::string(251, 'a')), NewFolderProblem::TooLong);
  EXPECT_EQ(check(std::string(250, ';') + ";"), NewFolderProblem::TooLong) << "length is checked first";
  EXPECT_EQ(check(std::string(249, 'b') + ";"), NewFolderProblem::ForbiddenChar) << "250 bytes pass the length";
  EXPECT_TRUE(disk.asked.empty()) << "a refused name is not looked up";
  EXPECT_EQ(check(std::string(250, 'a')), NewFolderProblem::Exists);
  EXPECT_EQ(check(std::string(250, 'b')), NewFolderProblem::None);
  EXPECT_EQ(disk.asked.back(), "C:\\p\\" + std::string(250, 'b'));
  for (char c : std::string(kForbiddenNameChars))
    EXPECT_EQ(check(std::string("x") + c + "y"), NewFolderProblem::ForbiddenChar) << c;
  EXPECT_EQ(check("taken"), NewFolderProblem::Exists);
  EXPECT_EQ(check("free"), NewFolderProblem::None);
}

TEST(NewFolderName, TwoByteCharactersCountAsTheirBytesAndHideNoBackslash) {
  FakeFolder disk;
  // Shift-JIS "表" is 0x95 0x5C: its trail byte is not a backslash.
  const std::string hyo = "\x95\x5C";
  EXPECT_EQ(CheckNewFolderName("C:", hyo + "\x8E\xA6", disk.exists(), IsShiftJisLeadByte), NewFolderProblem::None);
  EXPECT_EQ(disk.asked.back(), "C:\\" + hyo + "\x8E\xA6");
  EXPECT_EQ(CheckNewFolderName("C:", hyo, disk.exists(), NoLeadBytes), NewFolderProblem::ForbiddenChar)
      << "read as single bytes, 0x5C is a backslash";
  std::string wide;
  for (int i = 0; i < 125; ++i) wide += hyo;
  EXPECT_EQ(CheckNewFolderName("C:", wide, disk.exists(), IsShiftJisLeadByte), NewFolderProblem::None);
  EXPECT_EQ(CheckNewFolderName("C:", wide + "a", disk.exists(), IsShiftJisLeadByte), NewFolderProblem::TooLong)
      << "125 two-byte characters and one letter are 251 bytes";
}

TEST(FreeFolderName, NumbersFromOneUntilANameIsFree) {
  FakeFolder disk;
  const std::string name = "\x90\x56\x82\xB5\x82\xA2";  // Shift-JIS "新しい"
  EXPECT_EQ(FreeFolderName("C:\\p", name, disk.exists(), IsShiftJisLeadByte), name);
  disk.existing = {"C:\\p\\" + name, "C:\\p\\" + name + "(1)", "C:\\p\\" + name + "(3)"};
  EXPECT_EQ(FreeFolderName("C:\\p", name, disk.exists(), IsShiftJisLeadByte), name + "(2)");
  disk.existing = {"C:\\" + name};
  EXPECT_EQ(FreeFolderName("C:\\", name, disk.exists(), IsShiftJisLeadByte), name + "(1)")
      << "a drive root gets no second backslash";

  int asked = 0;
  const std::string last =
      FreeFolderName("C:\\p", "x", [&](const std::string&) { return ++asked, true; }, NoLeadBytes);
  EXPECT_EQ(last, "x(" + std::to_string(kFreeNameTries) + ")") << "a folder where every name exists ends the search";
  EXPECT_EQ(asked, kFreeNameTries + 1);
}

}  // namespace
}  // namespace zv
