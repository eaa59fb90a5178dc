#include "core/fileops/file_operation_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv {
namespace {

using Paths = std::vector<std::string>;
using Mode = FileOperationMode;

MirrorState Mirror() { return {true, "E:\\ZVM", "C:\\Prog\\Q7IF"}; }

std::string List(const Paths& paths) {
  std::string list;
  for (const std::string& p : paths) list += p + '\0';
  return list + '\0';
}

TEST(FileOperationPlan, MultiFileThroughTheMirror) {
  const Paths shown = {"C:\\Prog\\Q7IF\\a.png", "C:\\Prog\\Q7IF\\b.jpg"};
  // Move and delete act on the board's files; the mirror copies are remembered to drop.
  for (Mode mode : {Mode::Move, Mode::Delete}) {
    auto plan = PlanMultiFileOperation(Mirror(), shown, "D:\\Pictures", mode, NoLeadBytes);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->from, List({"E:\\ZVM\\a.png", "E:\\ZVM\\b.jpg"}));
    EXPECT_EQ(plan->mirrorFiles, shown);
    EXPECT_EQ(plan->to, mode == Mode::Move ? std::string("D:\\Pictures") + '\0' + '\0' : "");
    EXPECT_EQ(plan->written, (mode == Mode::Move ? Paths{"D:\\Pictures\\a.png", "D:\\Pictures\\b.jpg"} : Paths{}));
  }
  // A copy reads the mirror files themselves and drops nothing.
  auto copy = PlanMultiFileOperation(Mirror(), shown, "D:\\", Mode::Copy, NoLeadBytes);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->from, List(shown));
  EXPECT_TRUE(copy->mirrorFiles.empty());
  EXPECT_EQ(copy->written, (Paths{"D:\\a.png", "D:\\b.jpg"}));
  // An ordinary folder is not mapped, mirror mode or not.
  auto plain = PlanMultiFileOperation(Mirror(), {"D:\\x\\c.png"}, "", Mode::Delete, NoLeadBytes);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->from, List({"D:\\x\\c.png"}));
  EXPECT_TRUE(plain->mirrorFiles.empty());

  // Nothing onto its own folder (the board's folder for a mapped move), in any case of letters.
  EXPECT_FALSE(PlanMultiFileOperation(Mirror(), shown, "e:\\zvm", Mode::Move, NoLeadBytes));
  EXPECT_FALSE(PlanMultiFileOperation(Mirror(), shown, "c:\\prog\\q7if", Mode::Copy, NoLeadBytes));
  EXPECT_FALSE(PlanMultiFileOperation(Mirror(), {}, "D:\\", Mode::Copy, NoLeadBytes));
  EXPECT_FALSE(PlanMultiFileOperation(Mirror(), shown, "", Mode::Copy, NoLeadBytes));
  EXPECT_FALSE(PlanMultiFileOperation(Mirror(), {"C:\\a.png", ""}, "", Mode::Delete, NoLeadBytes))
      << "an empty path would end the shell's list early";
  EXPECT_FALSE(PlanMultiFileOperation(Mirror(), {std::string("C:\\a.png\0C:\\b.png", 17)}, "", Mode::Delete,
                                      NoLeadBytes));
  EXPECT_FALSE(PlanMultiFileOperation(Mirror(), shown, "D:\\", Mode::Rename, NoLeadBytes));
}

TEST(FileOperationPlan, OneFileMapsSourceAndTarget) {
  auto rename = PlanOneFileOperation(Mirror(), "C:\\Prog\\Q7IF\\a.JPG", "C:\\Prog\\Q7IF\\b.jpg", Mode::Rename,
                                     NoLeadBytes);
  ASSERT_TRUE(rename);
  EXPECT_EQ(rename->from, List({"E:\\ZVM\\a.JPG"}));
  EXPECT_EQ(rename->to, List({"E:\\ZVM\\b.jpg"}));
  EXPECT_EQ(rename->mirrorFiles, Paths{"C:\\Prog\\Q7IF\\a.JPG"});
  EXPECT_EQ(rename->mirrorRenamed, "C:\\Prog\\Q7IF\\b.jpg");
  EXPECT_TRUE(rename->written.empty());
  EXPECT_TRUE(PlanOneFileOperation(Mirror(), "D:\\a.JPG", "D:\\a.jpg", Mode::Rename, NoLeadBytes))
      << "a rename may change the case alone";

  auto copy = PlanOneFileOperation(Mirror(), "C:\\Prog\\Q7IF\\a.png", "D:\\out\\z.png", Mode::Copy, NoLeadBytes);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->from, List({"E:\\ZVM\\a.png"})) << "one file is copied from the board itself";
  EXPECT_TRUE(copy->mirrorFiles.empty());
  EXPECT_EQ(copy->written, Paths{"D:\\out\\z.png"}) << "the file this copy writes is the target";
  auto remove = PlanOneFileOperation(Mirror(), "C:\\Prog\\Q7IF\\a.png", "", Mode::Delete, NoLeadBytes);
  ASSERT_TRUE(remove);
  EXPECT_EQ(remove->to, "");
  EXPECT_EQ(remove->mirrorFiles, Paths{"C:\\Prog\\Q7IF\\a.png"});

  EXPECT_FALSE(PlanOneFileOperation(Mirror(), "D:\\a.png", "d:\\A.PNG", Mode::Copy, NoLeadBytes));
  EXPECT_FALSE(PlanOneFileOperation(Mirror(), "C:\\Prog\\Q7IF\\a.png", "E:\\ZVM\\a.png", Mode::Move, NoLeadBytes))
      << "the mirror file stands for the board's";
  EXPECT_FALSE(PlanOneFileOperation(Mirror(), "D:\\a.png", "", Mode::Rename, NoLeadBytes));
  EXPECT_FALSE(PlanOneFileOperation(Mirror(), "", "D:\\b.png", Mode::Copy, NoLeadBytes));
}

TEST(FileOperationPlan, ShiftJisTrailBytesAreNoBackslash) {
  // "表" is 0x95 0x5C: its trail byte must not split the folder from the name.
  const std::string folder = "C:\\\x95\x5C";
  const MirrorState mirror{true, "E:\\ZVM", folder};
  auto plan = PlanMultiFileOperation(mirror, {folder + "\\a.png"}, "", Mode::Delete, IsShiftJisLeadByte);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->from, List({"E:\\ZVM\\a.png"}));
  EXPECT_FALSE(PlanMultiFileOperation({}, {folder + "\\a.png"}, "c:\\\x95\x5C", Mode::Copy, IsShiftJisLeadByte));
}

}  // namespace
}  // namespace zv
