// Mirror mode on the real registry and real folders: the board's entries are
// written into HKLM\SYSTEM\MountedDevices (unit 0 on C:, a drive that is
// always ready here), its device folder is C:\ZVM, and the mirror folder is
// Q7IF beside this test program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "browser/tests/list_fixture.h"
#include "tests/wine/board_entries.h"
#include "tests/wine/wine_test_support.h"

namespace zv {
namespace {

using Names = std::vector<std::string>;

using test::FolderAt;

Names FilesIn(const std::string& folder) {
  Names names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

class MirrorModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::RemoveStringIni();
    ASSERT_TRUE(mounted_.ok());
    lstrcpyA(settings_.chaLstFld, "C:\\previous folder");
    for (const char* name : {"scan1.png", "scan2.jpg"})
      ASSERT_TRUE(test::CopyZooFile(name[4] == '1' ? "png_rgb24.png" : "jpeg_baseline.jpg", device_.File(name)));
    ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", device_.File(".dot.png")));
    test::WriteFileBytes(device_.File("notes.txt"), "not a picture");
    ASSERT_TRUE(CreateDirectoryA(device_.File("sub").c_str(), nullptr));
    ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", device_.File("sub\\inner.png")));
    // What an earlier opening left in the mirror.
    ASSERT_TRUE(test::CopyZooFile("bmp_24.bmp", mirror_.File("stale.bmp")));
    ASSERT_TRUE(CreateDirectoryA(mirror_.File("kept").c_str(), nullptr));
  }
  void TearDown() override {
    view_.Close();
    test::RemoveStringIni();
  }
  CFileListView& Open() {
    EXPECT_TRUE(view_.Open());
    return view_.view();
  }
  void ExpectShowsTheMirror(CFileListView& view, const std::string& opened) {
    EXPECT_TRUE(view.mirror().active);
    EXPECT_EQ(view.mirror().deviceFolder, opened);
    EXPECT_EQ(view.mirror().mirrorFolder, mirror_.path());
    EXPECT_EQ(view.CurrentFolder(), mirror_.path());
    EXPECT_EQ(test::RowNames(view_.list()), (Names{"scan1.png", "scan2.jpg"}));
    for (size_t i = 0; i < view.ItemCount(); ++i)
      EXPECT_EQ(std::string(view.Item(i)->path), mirror_.File(view.Item(i)->name)) << "every record is a mirror file";
    EXPECT_EQ(FilesIn(mirror_.path()), (Names{"kept", "notes.txt", "scan1.png", "scan2.jpg"}))
        << "emptied and refilled: plain files only, none beginning with '.', subfolders neither cleared nor copied";
    EXPECT_STREQ(settings_.chaLstFld, "C:\\previous folder") << "the board's folders are not remembered";
  }

  test::MountedDevicesSnapshot mounted_;
  FolderAt device_{"C:\\ZVM"};
  FolderAt mirror_{ProgramFolder() + "\\Q7IF"};
  EnvSet settings_;
  test::ViewUnderTest view_{settings_};
};

TEST_F(MirrorModeTest, TheDeviceFolderIsShownThroughItsMirrorInEitherCase) {
  mounted_.MountUnit('C', 0);
  mounted_.MountUnit('Y', 1);  // a letter without a drive
  CFileListView& view = Open();
  view.SetFolder("C:\\ZVM");
  ExpectShowsTheMirror(view, "C:\\ZVM");

  // A new scan on the board, and a mirror file lost meanwhile: lower case opens the mirror again, refilled.
  view_.WaitForThumbnails();  // the grid's workers read the pictures while they make thumbnails
  ASSERT_TRUE(DeleteFileA(mirror_.File("scan1.png").c_str()));
  ASSERT_TRUE(test::CopyZooFile("bmp_24.bmp", mirror_.File("stale.bmp")));
  view.SetFolder("c:\\zvm");
  ExpectShowsTheMirror(view, "c:\\zvm");

  // Refresh looks at the board's folder and copies what is new into the mirror.
  ASSERT_TRUE(test::CopyZooFile("bmp_24.bmp", device_.File("scan0.bmp")));
  view.RefreshList();
  EXPECT_EQ(test::RowNames(view_.list()), (Names{"scan1.png", "scan2.jpg", "scan0.bmp"}));
  EXPECT_TRUE(test::FileSizeOf(mirror_.File("scan0.bmp")) > 0);
  EXPECT_EQ(std::string(view.Item(2)->path), mirror_.File("scan0.bmp"));

  // An ordinary folder leaves mirror mode; the mirror files stay until the next opening.
  test::TempFolder other;
  view.SetFolder(other.path().c_str());
  EXPECT_FALSE(view.mirror().active);
  EXPECT_EQ(view.CurrentFolder(), other.path());
  EXPECT_STREQ(settings_.chaLstFld, other.path().c_str());
  EXPECT_EQ(view.mirror().deviceFolder, "c:\\zvm") << "the paths keep their last values";
  EXPECT_TRUE(test::FileSizeOf(mirror_.File("scan0.bmp")) > 0);
}

TEST_F(MirrorModeTest, WithUnitZeroNotReadyTheBoardsFolderIsListedDirectly) {
  mounted_.MountUnit('X', 0);  // a letter without a drive: not ready
  mounted_.MountUnit('C', 1);
  CFileListView& view = Open();
  view.SetFolder("C:\\ZVM");
  EXPECT_FALSE(view.mirror().active);
  EXPECT_EQ(view.CurrentFolder(), "C:\\ZVM");
  EXPECT_EQ(test::RowNames(view_.list()), (Names{"scan1.png", "scan2.jpg"}));
  EXPECT_EQ(std::string(view.Item(0)->path), "C:\\ZVM\\scan1.png");
  EXPECT_EQ(FilesIn(mirror_.path()), (Names{"kept", "stale.bmp"})) << "the mirror is not touched";
  EXPECT_STREQ(settings_.chaLstFld, "C:\\ZVM");
}

}  // namespace
}  // namespace zv
