// The board of scripts/copyboard.sh pulled out at the worst moment: while
// its device folder is copied into the mirror, while the user pastes its
// pictures into a folder of the computer, and while its pictures are
// thumbnailed. Each pull happens at a point the test sees (a copy the
// system reports, the shell's question, thumbnail workers held as a file
// command holds them), never at a guessed time. Afterwards no file is lost
// or cut, the view lists what is there, and putting the board back in
// brings everything back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "browser/tests/list_fixture.h"
#include "copyboard/mirror_files.h"
#include "res/resource.h"
#include "tests/wine/board_entries.h"
#include "tests/wine/window_shot.h"
#include "tests/wine/wine_test_support.h"
#include "win/com.h"
#include "win/file_replace.h"
#include "win/folder_listing.h"

namespace zv {
namespace {

using Names = std::vector<std::string>;
using Contents = std::map<std::string, std::string>;  // name -> bytes

// Every plain file of `folder` with its bytes.
Contents FilesOf(const std::string& folder) {
  Contents files;
  for (const FolderEntry& entry : win::ListFolderEntries(folder))
    if (!entry.isFolder) files[entry.name] = test::ReadFileBytes(folder + "\\" + entry.name);
  return files;
}

Names NamesOf(const Contents& files) {
  Names names;
  for (const auto& [name, bytes] : files) names.push_back(name);
  return names;
}

// The bytes of file `name` of `files`; empty when it is not there.
std::string BytesOf(const Contents& files, const std::string& name) {
  const auto found = files.find(name);
  return found != files.end() ? found->second : std::string();
}

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

// The pull the mirror copy hook makes: at the first piece of `pullAt` the
// board goes out and the copy stops, as a read on a vanished drive would.
struct PullDuringCopy {
  static inline std::string pullAt;
  static inline std::string pulledAt;
  static inline bool pulled = false;
  static bool OnCopyProgress(const std::string& boardFile) {
    if (boardFile != pullAt || !pulledAt.empty()) return true;
    pulledAt = boardFile;
    pulled = test::RunBoardScript("pull");
    return false;
  }
  static void Arm(const std::string& boardFile) {
    pullAt = boardFile;
    pulledAt.clear();
    pulled = false;
    SetMirrorCopyHook(&OnCopyProgress);
  }
  ~PullDuringCopy() { SetMirrorCopyHook(nullptr); }
};

class BoardPullTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    ASSERT_TRUE(keeper_.ok());
    test::RemoveStringIni();
    ASSERT_TRUE(test::RunBoardScript("plug"));
    ASSERT_TRUE(test::BoardMediaIn(letters_)) << "the script plugged the board in";
    other_ = std::make_unique<test::FolderAt>(letters_.unit0 + ":\\pictures");
    settings_.dwdLstMod = 0;  // thumbnails
  }
  void TearDown() override {
    view_.Close();
    if (!test::BoardMediaIn(letters_)) test::RunBoardScript("insert");
    for (const std::string& name : added_) DeleteFileA(File(name).c_str());
    other_.reset();
    test::RemoveStringIni();
  }
  std::string Device() const { return letters_.unit0 + ":\\ZVM"; }
  std::string File(const std::string& name) const { return Device() + "\\" + name; }
  // A picture of the zoo put onto the board's device folder (taken off at the end).
  void PutOnBoard(const std::string& zoo, const std::string& name) {
    ASSERT_TRUE(test::CopyZooFile(zoo, File(name))) << name;
    added_.push_back(name);
  }
  CFileListView& Open() {
    EXPECT_TRUE(view_.Open());
    return view_.view();
  }
  Names Rows() { return test::RowNames(view_.list()); }

  win::OleSession ole_;
  const DriveLetters letters_ = test::ScriptBoardLetters();
  test::BoardStateKeeper keeper_{letters_};
  test::FolderAt mirror_{ProgramFolder() + "\\Q7IF"};
  std::unique_ptr<test::FolderAt> other_;  // a folder of the board that is not mirrored
  Names added_;
  EnvSet settings_;
  test::ViewUnderTest view_{settings_};
};

// The mirror holds only whole copies of what the board held: no temporary
// and no file cut short, every copy byte for byte the board's file.
void ExpectOnlyWholeCopies(const Contents& mirror, const Contents& board) {
  for (const auto& [name, bytes] : mirror) {
    EXPECT_FALSE(win::IsTemporaryName(name)) << name;
    const auto original = board.find(name);
    ASSERT_NE(original, board.end()) << name << " is not on the board";
    EXPECT_TRUE(bytes == original->second)
        << name << " is not a whole copy: " << bytes.size() << " of " << original->second.size() << " bytes";
  }
}

// Opening the board's folder fills the mirror; the board is pulled while
// the second picture is copied. Then a refresh finds a picture changed on
// the board and the board is pulled while that copy runs: the old copy
// stays. Each time the board goes back in, the mirror is filled again.
TEST_F(BoardPullTest, PulledWhileTheMirrorIsFilled) {
  PutOnBoard("png_rgb24.png", "pull1.png");
  // Large enough to be copied in many pieces: the pull comes after the first.
  test::WriteGreyBmp(File("pull2.bmp"), 600, 400);
  added_.push_back("pull2.bmp");
  PutOnBoard("jpeg_baseline.jpg", "pull3.jpg");
  const Contents board = FilesOf(Device());
  CFileListView& view = Open();

  PullDuringCopy pull;
  PullDuringCopy::Arm(File("pull2.bmp"));
  view.SetFolder(Device().c_str());
  ASSERT_EQ(PullDuringCopy::pulledAt, File("pull2.bmp")) << "the system reported the copy of pull2.bmp";
  ASSERT_TRUE(PullDuringCopy::pulled);
  ASSERT_FALSE(test::BoardMediaIn(letters_));
  ASSERT_EQ(view.CurrentFolder(), mirror_.path());
  Contents mirror = FilesOf(mirror_.path());
  ExpectOnlyWholeCopies(mirror, board);
  EXPECT_EQ(mirror.count("pull2.bmp"), 0u) << "the copy cut short is not in the mirror";
  EXPECT_EQ(Sorted(Rows()), NamesOf(mirror)) << "the list shows what the mirror holds";
  view_.WaitForThumbnails();
  for (size_t i = 0; i < view.ItemCount(); ++i) EXPECT_FALSE(view.gridPresenter().ThumbnailFailed(i)) << i;

  ASSERT_TRUE(test::RunBoardScript("insert"));
  SetMirrorCopyHook(nullptr);
  view.SetFolder(Device().c_str());
  mirror = FilesOf(mirror_.path());
  EXPECT_EQ(NamesOf(mirror), NamesOf(board)) << "back in, the board's folder is mirrored whole";
  ExpectOnlyWholeCopies(mirror, board);
  EXPECT_EQ(Sorted(Rows()), NamesOf(board));
  view_.WaitForThumbnails();

  // pull1.png changes on the board; the refresh's copy of it is cut short.
  const std::string oldCopy = BytesOf(mirror, "pull1.png");
  ASSERT_TRUE(test::CopyZooFile("png_grey8.png", File("pull1.png")));
  const std::string newBytes = test::ReadFileBytes(File("pull1.png"));
  ASSERT_NE(newBytes, oldCopy);
  PullDuringCopy::Arm(File("pull1.png"));
  view.RefreshList();
  ASSERT_EQ(PullDuringCopy::pulledAt, File("pull1.png"));
  ASSERT_TRUE(PullDuringCopy::pulled);
  mirror = FilesOf(mirror_.path());
  EXPECT_EQ(NamesOf(mirror), NamesOf(board)) << "nothing is lost from the mirror, no temporary stays";
  EXPECT_TRUE(BytesOf(mirror, "pull1.png") == oldCopy) << "the old copy stays whole until a new one is complete";
  EXPECT_EQ(Sorted(Rows()), NamesOf(board));

  ASSERT_TRUE(test::RunBoardScript("insert"));
  SetMirrorCopyHook(nullptr);
  view.RefreshList();
  EXPECT_TRUE(test::ReadFileBytes(mirror_.File("pull1.png")) == newBytes) << "back in, the changed picture is copied";
  EXPECT_EQ(Sorted(Rows()), NamesOf(board));
}

// The user copies two pictures of a board folder and pastes them into a
// folder of the computer that already holds a picture of the second name.
// The shell copies the first and asks about the second; the board is pulled
// while it asks, and the user says yes. (What the user is told is the
// shell's: Windows shows its error; Wine 8's shell passes over the failed
// copy and reports success, so the test cannot ask for a message.)
TEST_F(BoardPullTest, PulledWhileItsPicturesArePasted) {
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", other_->File("a.png")));
  ASSERT_TRUE(test::CopyZooFile("png_grey8.png", other_->File("b.png")));
  const Contents board = FilesOf(other_->path());
  test::TempFolder target;
  ASSERT_TRUE(test::CopyZooFile("fit_100x50.png", target.File("b.png")));
  const Contents before = FilesOf(target.path());

  CFileListView& view = Open();
  view.SetFolder(other_->path().c_str());
  ASSERT_FALSE(view.mirror().active);
  ASSERT_EQ(Rows(), (Names{"a.png", "b.png"}));
  ASSERT_TRUE(win::RunEnabledCommand(view, ID_EDIT_COPYALL));
  view.SetFolder(target.path().c_str());
  bool pulled = false;
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(view, ID_EDIT_PASTE)); },
                                      [&](HWND dialog) {
                                        pulled = test::RunBoardScript("pull");
                                        PostMessageA(dialog, WM_COMMAND, IDYES, 0);
                                      }))
      << "the shell asked before the second picture";
  ASSERT_TRUE(pulled);
  const Contents after = FilesOf(target.path());
  EXPECT_EQ(NamesOf(after), (Names{"a.png", "b.png"})) << "no temporary or cut file stays";
  EXPECT_TRUE(BytesOf(after, "a.png") == BytesOf(board, "a.png")) << "the picture copied before the pull is whole";
  EXPECT_TRUE(BytesOf(after, "b.png") == BytesOf(before, "b.png")) << "the picture that was to be replaced keeps its bytes";
  EXPECT_EQ(Sorted(Rows()), (Names{"a.png", "b.png"})) << "the view lists the folder as it is";

  view.SetFolder(other_->path().c_str());
  EXPECT_TRUE(Rows().empty()) << "the pulled board's folder lists nothing";
  ASSERT_TRUE(test::RunBoardScript("insert"));
  view.SetFolder(other_->path().c_str());
  EXPECT_EQ(Rows(), (Names{"a.png", "b.png"}));
  EXPECT_TRUE(FilesOf(other_->path()) == board) << "the board's pictures are untouched";
}

// Thumbnails of a board folder: the workers are held as a file command holds
// them, the board is pulled, the workers go on. The cells end failed; once
// the board is back in, listing the folder again gives every thumbnail, the
// same as of copies of the pictures on the computer, and none of the failures
// was kept in the thumbnail cache.
TEST_F(BoardPullTest, PulledWhileItsPicturesAreThumbnailed) {
  const Names names = {"a.png", "b.bmp", "c.jpg"};
  const Names zoo = {"png_rgb24.png", "bmp_24.bmp", "jpeg_baseline.jpg"};
  test::TempFolder local;
  // The time of now keeps a cache of an earlier run out of the test.
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  for (size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(test::CopyZooFile(zoo[i], local.File(names[i])));
    ASSERT_TRUE(test::CopyZooFile(zoo[i], other_->File(names[i])));
    ASSERT_TRUE(test::SetWriteTime(other_->File(names[i]), now));
  }
  CFileListView& view = Open();
  GridPresenter& grid = view.gridPresenter();
  view.SetFolder(local.path().c_str());
  view_.WaitForThumbnails();
  std::vector<PixelImage> expected;
  for (size_t i = 0; i < names.size(); ++i) {
    ASSERT_FALSE(grid.ThumbnailFailed(i));
    expected.push_back(*grid.grid().GetCellBitmap(i));
  }

  grid.PauseThumbnails();
  view.SetFolder(other_->path().c_str());
  ASSERT_EQ(Rows(), names);
  for (size_t i = 0; i < names.size(); ++i) ASSERT_EQ(grid.grid().Cell(i)->state, ThumbState::kWaiting) << i;
  ASSERT_TRUE(test::RunBoardScript("pull"));
  grid.ResumeThumbnails();
  view_.WaitForThumbnails();
  for (size_t i = 0; i < names.size(); ++i) EXPECT_TRUE(grid.ThumbnailFailed(i)) << names[i];
  test::SaveWindowShot(view.hwnd(), "board_pulled_thumbnails");  // for people to look at, with %ZV_SHOT_DIR%
  EXPECT_EQ(Rows(), names) << "the rows stay until the folder is read again";
  view.SetFolder(local.path().c_str());  // the board's folder is left: its cache is saved

  ASSERT_TRUE(test::RunBoardScript("insert"));
  view.SetFolder(other_->path().c_str());
  view_.WaitForThumbnails();
  ASSERT_EQ(Rows(), names);
  EXPECT_EQ(grid.requested(), names.size()) << "no failure was cached";
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_FALSE(grid.ThumbnailFailed(i)) << names[i];
    const std::shared_ptr<const PixelImage> shown = grid.grid().GetCellBitmap(i);
    ASSERT_TRUE(shown) << names[i];
    EXPECT_TRUE(shown->width == expected[i].width && shown->height == expected[i].height &&
                shown->pixels == expected[i].pixels)
        << names[i];
  }
}

}  // namespace
}  // namespace zv
