#include "core/copyboard/mirror_folders.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace zv {
namespace {

const char kProgramFolder[] = "C:\\Program Files\\ZAMO\\ZViewer";

Unit0Readiness Board(const std::string& unit0, const std::string& unit1, bool ready) {
  return {{unit0, unit1}, ready};
}

TEST(CopyboardPaths, CompareIgnoringCaseLikeTheMultibyteCompare) {
  EXPECT_TRUE(SamePath("E:\\ZVM", "e:\\zvm", NoLeadBytes));
  EXPECT_FALSE(SamePath("E:\\ZVM", "E:\\ZVM\\", NoLeadBytes));
  EXPECT_FALSE(SamePath("E:\\ZVM", "F:\\ZVM", NoLeadBytes));
  // 0x83 0x41 is katakana "ア", 0x83 0x61 is "ャ": the trail bytes look like
  // 'A' and 'a' but the characters differ.
  EXPECT_FALSE(SamePath("C:\\\x83\x41", "C:\\\x83\x61", IsShiftJisLeadByte));
  EXPECT_TRUE(SamePath("C:\\\x83\x41", "C:\\\x83\x61", NoLeadBytes)) << "in code page 1252 these are letters";
  // Lower-case ASCII after a two-byte character still folds.
  EXPECT_TRUE(SamePath("C:\\\x95\x5C" "abc", "c:\\\x95\x5C" "ABC", IsShiftJisLeadByte));
}

TEST(CopyboardPaths, SplitAtTheLastBackslashThatIsACharacter) {
  // "表" is 0x95 0x5C in Shift-JIS: its trail byte is a backslash byte.
  const char path[] = "C:\\\x95\x5C";
  EXPECT_EQ(FolderOfPath(path, IsShiftJisLeadByte), "C:");
  EXPECT_EQ(NameOfPath(path, IsShiftJisLeadByte), "\x95\x5C");
  EXPECT_EQ(FolderOfPath(path, NoLeadBytes), "C:\\\x95");
  EXPECT_EQ(FolderOfPath("name.png", NoLeadBytes), "");
  EXPECT_EQ(NameOfPath("name.png", NoLeadBytes), "name.png");
}

TEST(CopyboardMirror, DeviceAndMirrorFolders) {
  DriveLetters letters{"E", "F"};
  EXPECT_EQ(DeviceFolderOf("E"), "E:\\ZVM");
  EXPECT_EQ(DeviceFolderOf(""), "");
  EXPECT_EQ(DeviceUnitOf("E:\\ZVM", letters, NoLeadBytes), 0);
  EXPECT_EQ(DeviceUnitOf("e:\\zvm", letters, NoLeadBytes), 0);
  EXPECT_EQ(DeviceUnitOf("F:\\Zvm", letters, NoLeadBytes), 1);
  EXPECT_EQ(DeviceUnitOf("E:\\ZVM\\sub", letters, NoLeadBytes), -1);
  EXPECT_EQ(DeviceUnitOf("E:\\", letters, NoLeadBytes), -1);
  EXPECT_EQ(DeviceUnitOf("G:\\ZVM", letters, NoLeadBytes), -1);
  EXPECT_EQ(DeviceUnitOf(":\\ZVM", DriveLetters{"E", ""}, NoLeadBytes), -1) << "an unknown unit matches nothing";
  EXPECT_EQ(MirrorFolderOf(kProgramFolder, 0, NoLeadBytes), "C:\\Program Files\\ZAMO\\ZViewer\\Q7IF");
  EXPECT_EQ(MirrorFolderOf(kProgramFolder, 1, NoLeadBytes), "C:\\Program Files\\ZAMO\\ZViewer\\Q7CF");
}

TEST(CopyboardMirror, OpeningFolders) {
  MirrorState state;

  FolderOpening unit0 = OpenFolder(state, "e:\\zvm", Board("E", "F", true), kProgramFolder, NoLeadBytes);
  EXPECT_TRUE(unit0.refillMirror);
  EXPECT_FALSE(unit0.rememberAsLastFolder) << "chaLstFld never holds a device folder";
  EXPECT_EQ(unit0.shownFolder, "C:\\Program Files\\ZAMO\\ZViewer\\Q7IF");
  EXPECT_TRUE(state.active);
  EXPECT_EQ(state.deviceFolder, "e:\\zvm") << "the device folder is kept as it was selected";
  EXPECT_EQ(state.mirrorFolder, unit0.shownFolder);

  FolderOpening unit1 = OpenFolder(state, "F:\\ZVM", Board("E", "F", true), kProgramFolder, NoLeadBytes);
  EXPECT_TRUE(unit1.refillMirror);
  EXPECT_EQ(unit1.shownFolder, "C:\\Program Files\\ZAMO\\ZViewer\\Q7CF");
  EXPECT_EQ(state.deviceFolder, "F:\\ZVM");

  FolderOpening plain = OpenFolder(state, "C:\\Pictures", Board("E", "F", true), kProgramFolder, NoLeadBytes);
  EXPECT_FALSE(plain.refillMirror);
  EXPECT_TRUE(plain.rememberAsLastFolder);
  EXPECT_EQ(plain.shownFolder, "C:\\Pictures");
  EXPECT_FALSE(state.active);
  EXPECT_EQ(state.deviceFolder, "F:\\ZVM") << "the paths keep their last values";
  EXPECT_EQ(state.mirrorFolder, "C:\\Program Files\\ZAMO\\ZViewer\\Q7CF");

  // Unit 0 not ready: unit 1's folder is listed directly.
  state = MirrorState();
  FolderOpening direct = OpenFolder(state, "F:\\ZVM", Board("", "F", false), kProgramFolder, NoLeadBytes);
  EXPECT_FALSE(direct.refillMirror);
  EXPECT_FALSE(state.active);
  EXPECT_EQ(direct.shownFolder, "F:\\ZVM");
  EXPECT_TRUE(direct.rememberAsLastFolder);
  EXPECT_EQ(state.mirrorFolder, "");

  FolderOpening nothing = OpenFolder(state, "", Board("E", "F", true), kProgramFolder, NoLeadBytes);
  EXPECT_EQ(nothing.shownFolder, "");
  EXPECT_FALSE(nothing.rememberAsLastFolder);
  EXPECT_FALSE(nothing.refillMirror);
}

TEST(CopyboardMirror, MapToDevice) {
  MirrorState state;
  EXPECT_EQ(MapToDevice(state, "C:\\a.png", NoLeadBytes), "C:\\a.png") << "no mirror yet";

  OpenFolder(state, "E:\\ZVM", Board("E", "F", true), kProgramFolder, NoLeadBytes);
  EXPECT_EQ(MapToDevice(state, "C:\\Program Files\\ZAMO\\ZViewer\\Q7IF\\scan 01.png", NoLeadBytes),
            "E:\\ZVM\\scan 01.png");
  EXPECT_EQ(MapToDevice(state, "c:\\program files\\zamo\\zviewer\\q7if\\A.PNG", NoLeadBytes), "E:\\ZVM\\A.PNG");
  EXPECT_EQ(MapToDevice(state, "C:\\Program Files\\ZAMO\\ZViewer\\Q7IF\\sub\\a.png", NoLeadBytes),
            "C:\\Program Files\\ZAMO\\ZViewer\\Q7IF\\sub\\a.png")
      << "a file below the mirror folder is not a mirror file";
  EXPECT_EQ(MapToDevice(state, "C:\\Program Files\\ZAMO\\ZViewer\\Q7CF\\a.png", NoLeadBytes),
            "C:\\Program Files\\ZAMO\\ZViewer\\Q7CF\\a.png")
      << "the other unit's mirror is not the current one";

  // After an ordinary folder the mapping still applies (the file commands rely on it).
  OpenFolder(state, "D:\\Pictures", Board("E", "F", true), kProgramFolder, NoLeadBytes);
  EXPECT_EQ(MapToDevice(state, "C:\\Program Files\\ZAMO\\ZViewer\\Q7IF\\b.png", NoLeadBytes), "E:\\ZVM\\b.png");

  // A Shift-JIS name whose trail byte is 0x5C keeps its whole name.
  EXPECT_EQ(MapToDevice(state, "C:\\Program Files\\ZAMO\\ZViewer\\Q7IF\\\x95\x5C.png", IsShiftJisLeadByte),
            "E:\\ZVM\\\x95\x5C.png");
}

TEST(CopyboardMirror, StampApplies) {
  MirrorState state;
  OpenFolder(state, "E:\\ZVM", Board("E", "F", true), kProgramFolder, NoLeadBytes);
  DriveLetters letters{"E", "F"};
  std::vector<std::string> fromMirror = {"C:\\Program Files\\ZAMO\\ZViewer\\q7if\\a.png", "D:\\elsewhere\\b.png"};
  EXPECT_TRUE(StampApplies(state, fromMirror, letters, 1, NoLeadBytes));
  EXPECT_FALSE(StampApplies(state, fromMirror, letters, 0, NoLeadBytes)) << "intSysDte 0";
  EXPECT_FALSE(StampApplies(state, fromMirror, letters, 2, NoLeadBytes)) << "only exactly 1 stamps";
  EXPECT_FALSE(StampApplies(state, {}, letters, 1, NoLeadBytes));
  EXPECT_TRUE(StampApplies(state, {"f:\\zvm\\a.png"}, letters, 1, NoLeadBytes)) << "unit 1's device folder";
  EXPECT_FALSE(StampApplies(state, {"f:\\zvm\\a.png"}, DriveLetters{"E", ""}, 1, NoLeadBytes));
  EXPECT_FALSE(StampApplies(state, {"D:\\elsewhere\\b.png", fromMirror[0]}, letters, 1, NoLeadBytes))
      << "only the first source's folder counts";
}

TEST(CopyboardMirror, MirrorFilesAreDroppedOnlyWhenTheirDeviceFileIsGone) {
  MirrorState state;
  OpenFolder(state, "E:\\ZVM", Board("E", "F", true), kProgramFolder, NoLeadBytes);
  std::set<std::string> onBoard = {"E:\\ZVM\\kept.png"};
  std::vector<std::string> listed = {"C:\\Program Files\\ZAMO\\ZViewer\\Q7IF\\gone.png",
                                     "C:\\Program Files\\ZAMO\\ZViewer\\Q7IF\\kept.png", "D:\\other\\x.png"};
  std::vector<std::string> drop = MirrorFilesToDrop(
      state, listed, [&](const std::string& device) { return onBoard.count(device) != 0; }, NoLeadBytes);
  EXPECT_EQ(drop, (std::vector<std::string>{"C:\\Program Files\\ZAMO\\ZViewer\\Q7IF\\gone.png"}));
}

TEST(CopyboardMirror, ClearAndFillPlans) {
  std::vector<FolderEntry> device = {{".", true},         {"..", true},          {"20240101_0930.png", false},
                                     {".hidden", false}, {"sub", true},         {"scan 2.JPG", false},
                                     {"", false},        {"\x95\x5C.png", false}};
  std::vector<FileCopy> fill = PlanFillMirror("E:\\ZVM", "C:\\ZV\\Q7IF", device, NoLeadBytes);
  ASSERT_EQ(fill.size(), 3u) << "dot names, folders and nameless entries are not mirrored";
  EXPECT_EQ(fill[0].from, "E:\\ZVM\\20240101_0930.png");
  EXPECT_EQ(fill[0].to, "C:\\ZV\\Q7IF\\20240101_0930.png");
  EXPECT_EQ(fill[1].from, "E:\\ZVM\\scan 2.JPG");
  EXPECT_EQ(fill[2].to, "C:\\ZV\\Q7IF\\\x95\x5C.png");

  std::vector<FolderEntry> mirror = {{".", true}, {"..", true}, {"old.png", false}, {".keep", false}, {"Thumbs", true}};
  EXPECT_EQ(PlanClearMirror("C:\\ZV\\Q7IF", mirror, NoLeadBytes), (std::vector<std::string>{"C:\\ZV\\Q7IF\\old.png"}));
  EXPECT_TRUE(PlanClearMirror("C:\\ZV\\Q7IF", {}, NoLeadBytes).empty());
}

}  // namespace
}  // namespace zv
