#include "core/browser/thumb_index.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace zv {
namespace {

std::vector<std::string> Folders(const ThumbIndex& index) {
  std::vector<std::string> folders;
  for (const ThumbIndexLine& line : index) folders.push_back(line.folder);
  return folders;
}

TEST(ThumbIndex, ReadsOnlyWellFormedLinesAndWritesThemBackWithCrLf) {
  // "ポ" is 0x83 0x7C in Shift-JIS: its trail byte is '|' and must not split the line.
  const std::string poster = "C:\\\x83\x7C\x83X\x83^\x81[";
  const std::string text = "C:\\scans|00000000.bin\r\n"
                           "|00000005.bin\r\n"       // separator at 0
                           "C|00000006.bin\r\n"      // separator at 1: a one-letter folder
                           "no separator here\r\n"
                           "\r\n" +
                           poster + "|00000001.bin\r\n" +
                           "D:\\a|b|00000002.bin\n"  // split at the first '|'; LF alone ends a line too
                           "E:\\last|00000003.bin";  // no line end before the end of the file
  const ThumbIndex index = ParseThumbIndex(text, IsShiftJisLeadByte);
  EXPECT_EQ(index, (ThumbIndex{{"C:\\scans", "00000000.bin"},
                               {poster, "00000001.bin"},
                               {"D:\\a", "b|00000002.bin"},
                               {"E:\\last", "00000003.bin"}}));
  EXPECT_EQ(WriteThumbIndex(index), "C:\\scans|00000000.bin\r\n" + poster +
                                        "|00000001.bin\r\nD:\\a|b|00000002.bin\r\nE:\\last|00000003.bin\r\n")
      << "ignored lines are dropped at the rewrite";
  EXPECT_EQ(ParseThumbIndex(text, NoLeadBytes)[1].folder, "C:\\\x83")
      << "under a single-byte code page the same byte is a separator";
  EXPECT_TRUE(ParseThumbIndex("", IsShiftJisLeadByte).empty());
}

TEST(ThumbIndex, LookupMovesTheFolderToTheFrontOrAddsItWithTheSmallestFreeName) {
  ThumbIndex index;
  EXPECT_EQ(LookUpCacheName(index, "C:\\a", NoLeadBytes), "00000000.bin") << "first name of an empty index";
  EXPECT_EQ(LookUpCacheName(index, "C:\\b", NoLeadBytes), "00000001.bin");
  EXPECT_EQ(LookUpCacheName(index, "C:\\c", NoLeadBytes), "00000002.bin");
  EXPECT_EQ(Folders(index), (std::vector<std::string>{"C:\\c", "C:\\b", "C:\\a"}));

  EXPECT_EQ(LookUpCacheName(index, "c:\\A", NoLeadBytes), "00000000.bin") << "folders compare ignoring case";
  EXPECT_EQ(Folders(index), (std::vector<std::string>{"c:\\A", "C:\\c", "C:\\b"}))
      << "the line moves to the front with the text looked up; the others keep their order";

  // Gaps are filled from the bottom; names compare ignoring case.
  index = {{"C:\\x", "00000000.BIN"}, {"C:\\y", "0000000A.bin"}, {"C:\\z", "00000002.bin"}};
  EXPECT_EQ(SmallestFreeCacheName(index, NoLeadBytes), "00000001.bin");
  index.push_back({"C:\\w", "00000001.bin"});
  EXPECT_EQ(SmallestFreeCacheName(index, NoLeadBytes), "00000003.bin");

  // Shift-JIS 0x83 0x61 and 0x83 0x41 are two katakana whose trail bytes look like 'a' and 'A':
  // different folders.
  index = {{"C:\\\x83\x61", "00000000.bin"}};
  EXPECT_EQ(LookUpCacheName(index, "C:\\\x83\x41", IsShiftJisLeadByte), "00000001.bin");
  EXPECT_EQ(index.size(), 2u);
}

TEST(ThumbIndex, ANameThatIsNotACacheFileNameIsNeverUsed) {
  EXPECT_TRUE(IsCacheFileName("0000abcd.bin"));
  EXPECT_TRUE(IsCacheFileName("0000ABCD.BIN"));
  for (const char* bad : {"", "0000abcd.bi", "0000abcg.bin", "..\\..\\x.bin", "0000abcd.binx", "000abcd.bin"})
    EXPECT_FALSE(IsCacheFileName(bad)) << bad;

  ThumbIndex index = {{"C:\\b", "00000000.bin"}, {"C:\\a", "..\\..\\boot.ini"}};
  EXPECT_EQ(LookUpCacheName(index, "C:\\a", NoLeadBytes), "00000001.bin");
  EXPECT_EQ(index, (ThumbIndex{{"C:\\a", "00000001.bin"}, {"C:\\b", "00000000.bin"}}))
      << "the damaged line is replaced, not kept beside the new one";
}

TEST(ThumbIndex, PruneDropsFoldersThatAreGoneAndDeletesOnlyTheirCacheFiles) {
  std::set<std::string> folders = {"C:\\keep1", "C:\\keep2"};
  std::set<std::string> files = {"00000000.bin", "00000001.bin", "00000002.bin", "00000003.bin"};
  std::vector<std::string> asked;
  const auto exists = [&](const std::string& folder) {
    asked.push_back(folder);
    return folders.contains(folder);
  };
  const auto remove = [&](const std::string& name) { files.erase(name); };

  ThumbIndex index = {{"C:\\keep1", "00000002.bin"},
                      {"C:\\gone1", "00000000.bin"},
                      {"C:\\keep2", "00000001.bin"},
                      {"C:\\gone2", "00000003.bin"},
                      {"C:\\gone3", "..\\ZViewer.exe"}};
  EXPECT_TRUE(PruneThumbIndex(index, exists, remove));
  EXPECT_EQ(asked, (std::vector<std::string>{"C:\\gone3", "C:\\gone2", "C:\\keep2", "C:\\gone1", "C:\\keep1"}))
      << "lines are tested from the last to the first";
  EXPECT_EQ(index, (ThumbIndex{{"C:\\keep1", "00000002.bin"}, {"C:\\keep2", "00000001.bin"}}));
  EXPECT_EQ(files, (std::set<std::string>{"00000001.bin", "00000002.bin"}))
      << "the files of existing folders stay; a name outside the cache is never passed on";

  asked.clear();
  EXPECT_FALSE(PruneThumbIndex(index, exists, remove)) << "nothing dropped: no rewrite";
  EXPECT_EQ(asked.size(), 2u);
}

}  // namespace
}  // namespace zv
