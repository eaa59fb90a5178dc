// Files that another program deletes, renames or rewrites while the view
// works on them: thumbnails still to be made when the folder changes, a
// file rewritten while its own thumbnail is decoded (the old pixels must not
// be cached as the new file's), and a picture rewritten or deleted while it
// is shown. The change is made while the thumbnail workers are paused as a
// file command pauses them, or while the workers' test hook holds the
// decode, and the folder is read again as at the end of a command; never by
// timing.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/picture_view.h"
#include "browser/thumb_workers.h"
#include "browser/tests/list_fixture.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"

namespace zv {
namespace {

using Names = std::vector<std::string>;

class ChangingFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::RemoveStringIni();
    settings_.dwdLstMod = 0;  // thumbnails
  }
  void TearDown() override {
    view_.Close();
    test::RemoveStringIni();
  }
  // A copy keeps the zoo file's time; the time of now keeps the thumbnail
  // cache of an earlier run (of a folder of the same name) out of the test.
  void Copy(const std::string& zoo, const std::string& name) {
    ASSERT_TRUE(test::CopyZooFile(zoo, folder_.File(name))) << name;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ASSERT_TRUE(test::SetWriteTime(folder_.File(name), now)) << name;
  }
  Names CellNames() {
    Names names;
    const CThumbnailGrid& grid = view_.view().gridPresenter().grid();
    for (size_t i = 0; i < grid.size(); ++i) names.push_back(grid.Cell(i)->name);
    return names;
  }
  // The thumbnail the grid shows for cell `index`; empty pixels when none.
  PixelImage Thumbnail(size_t index) {
    const std::shared_ptr<const PixelImage> shown = view_.view().gridPresenter().grid().GetCellBitmap(index);
    return shown ? *shown : PixelImage{};
  }
  static bool Same(const PixelImage& a, const PixelImage& b) {
    return a.width == b.width && a.height == b.height && !a.pixels.empty() && a.pixels == b.pixels;
  }
  size_t FailedCells() {
    size_t failed = 0;
    for (size_t i = 0; i < view_.view().ItemCount(); ++i) failed += view_.view().gridPresenter().ThumbnailFailed(i);
    return failed;
  }
  // The folder is left (its thumbnails are saved) and listed again.
  void ListAgain() {
    view_.view().SetFolder(elsewhere_.path().c_str());
    view_.view().SetFolder(folder_.path().c_str());
    view_.WaitForThumbnails();
  }

  EnvSet settings_;
  test::TempFolder folder_;
  test::TempFolder elsewhere_;
  test::ViewUnderTest view_{settings_};
};

// The grid is filled while the workers are held; then one file is deleted,
// one renamed and one rewritten with the bytes of another, before any
// thumbnail is made. The grid ends with exactly the folder's pictures, each
// with the thumbnail of what the file holds now, and nothing failed.
TEST_F(ChangingFilesTest, FilesDeletedRenamedOrRewrittenBeforeTheirThumbnailsAreMade) {
  Copy("png_rgb24.png", "a.png");
  Copy("png_grey8.png", "b.png");
  Copy("bmp_24.bmp", "c.bmp");
  Copy("fit_100x50.png", "d.png");
  ASSERT_TRUE(view_.Open());
  CFileListView& view = view_.view();
  view.gridPresenter().PauseThumbnails();
  view.SetFolder(folder_.path().c_str());
  ASSERT_EQ(CellNames(), (Names{"a.png", "b.png", "c.bmp", "d.png"}));
  for (size_t i = 0; i < 4; ++i)
    ASSERT_EQ(view.gridPresenter().grid().Cell(i)->state, ThumbState::kWaiting)
        << i << " outstanding " << view.gridPresenter().outstanding() << " of " << view.gridPresenter().requested();
  ASSERT_TRUE(DeleteFileA(folder_.File("b.png").c_str()));
  ASSERT_TRUE(MoveFileA(folder_.File("c.bmp").c_str(), folder_.File("e.bmp").c_str()));
  Copy("fit_100x50.png", "a.png");
  view.RefreshList();
  view.gridPresenter().ResumeThumbnails();
  view_.WaitForThumbnails();
  ASSERT_EQ(CellNames(), (Names{"a.png", "d.png", "e.bmp"})) << "b and c are gone, e is added at the end";
  EXPECT_EQ(FailedCells(), 0u);
  EXPECT_TRUE(Same(Thumbnail(0), Thumbnail(1))) << "a's thumbnail shows its new bytes, those of d";
  const PixelImage renamed = Thumbnail(2);
  EXPECT_FALSE(renamed.pixels.empty());

  ListAgain();
  ASSERT_EQ(CellNames(), (Names{"a.png", "d.png", "e.bmp"}));
  EXPECT_EQ(FailedCells(), 0u);
  EXPECT_EQ(test::CellText(view_.list(), 0, 4), "100 * 50") << "a is listed as it is now";
  EXPECT_TRUE(Same(Thumbnail(0), Thumbnail(1)));
  EXPECT_TRUE(Same(Thumbnail(2), renamed));
  EXPECT_EQ(test::ReadFileBytes(folder_.File("a.png")), test::ReadFileBytes(folder_.File("d.png")))
      << "no file was touched by the view";
}

// Holds the decode of one picture after it has read the file and before
// its thumbnail is handed over (the workers' test hook), until released.
class DecodeHold {
 public:
  explicit DecodeHold(const std::string& path) {
    path_ = path;
    SetAfterDecodeHook(&Hook);
  }
  ~DecodeHold() {
    SetAfterDecodeHook(nullptr);
    SetEvent(release_);
  }
  static bool WaitUntilHeld() { return WaitForSingleObject(held_, 60000) == WAIT_OBJECT_0; }
  static void Release() { SetEvent(release_); }

 private:
  static void Hook(const std::string& path) {
    if (path != path_) return;
    SetEvent(held_);
    WaitForSingleObject(release_, 60000);
  }
  static inline std::string path_;
  static inline HANDLE held_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  static inline HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

// a.png is rewritten by another program while its own decode is under way:
// the decode has read the old bytes, its thumbnail is not handed over yet.
// The old pixels belong to the old size and time: the cache must never hand
// them out for the new file; the next listing makes a's thumbnail again
// from the new bytes, and the one after takes that from the cache.
TEST_F(ChangingFilesTest, AFileRewrittenDuringItsDecodeIsNotCachedWithTheOldPixels) {
  Copy("png_rgb24.png", "a.png");
  Copy("fit_100x50.png", "d.png");
  ASSERT_TRUE(view_.Open());
  CFileListView& view = view_.view();
  {
    DecodeHold hold(folder_.File("a.png"));
    view.SetFolder(folder_.path().c_str());
    ASSERT_TRUE(DecodeHold::WaitUntilHeld()) << "a's decode reached the hold";
    Copy("fit_100x50.png", "a.png");
    view.RefreshList();  // as after a file command
    DecodeHold::Release();
    view_.WaitForThumbnails();
  }
  ASSERT_EQ(CellNames(), (Names{"a.png", "d.png"}));
  ASSERT_FALSE(Same(Thumbnail(0), Thumbnail(1))) << "the held decode had read the old bytes";

  ListAgain();
  ASSERT_EQ(CellNames(), (Names{"a.png", "d.png"}));
  EXPECT_EQ(view.gridPresenter().requested(), 1u) << "a's thumbnail is made again";
  EXPECT_TRUE(Same(Thumbnail(0), Thumbnail(1))) << "a shows its new bytes, not the pixels of the old ones";
  EXPECT_EQ(test::CellText(view_.list(), 0, 4), "100 * 50") << "and is listed as it is now";

  ListAgain();
  EXPECT_EQ(view.gridPresenter().requested(), 0u) << "the new thumbnail is cached for the new file";
  EXPECT_TRUE(Same(Thumbnail(0), Thumbnail(1)));
}

// The picture shown is rewritten, then the user moves away and back: the
// view shows the new picture, not the pixels it kept of the old one. Then
// it is deleted: going back says it cannot be read, and the others still show.
TEST_F(ChangingFilesTest, APictureRewrittenOrDeletedWhileItIsShown) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) test::WriteGreyBmp(folder_.File(name), 60, 40);
  ASSERT_TRUE(view_.Open());
  CFileListView& view = view_.view();
  view.SetFolder(folder_.path().c_str());
  view.SelectAll();  // c current
  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_SHOWPICTURE));
  CPictureView& picture = view.pictureMode().view();
  ASSERT_EQ(picture.path(), folder_.File("c.bmp"));
  ASSERT_EQ(picture.displayedSize(), (GridSize{60, 40}));

  test::WriteGreyBmp(folder_.File("c.bmp"), 90, 30);
  view.ExecuteCommand(ID_VIEW_NEXTPICTURE);  // c is kept as a neighbour, with its old pixels
  ASSERT_EQ(picture.path(), folder_.File("a.bmp"));
  view.ExecuteCommand(ID_VIEW_PREVPICTURE);
  ASSERT_EQ(picture.path(), folder_.File("c.bmp"));
  EXPECT_TRUE(picture.shown());
  EXPECT_EQ(picture.displayedSize(), (GridSize{90, 30})) << "the rewritten file, not the pixels kept of the old one";

  const std::string a = test::ReadFileBytes(folder_.File("a.bmp"));
  ASSERT_TRUE(DeleteFileA(folder_.File("c.bmp").c_str()));
  view.ExecuteCommand(ID_VIEW_NEXTPICTURE);
  view_.host().statusTexts.clear();
  view.ExecuteCommand(ID_VIEW_PREVPICTURE);
  EXPECT_EQ(picture.path(), folder_.File("c.bmp"));
  EXPECT_FALSE(picture.shown());
  EXPECT_EQ(picture.problem(), PictureProblem::kUnreadable);
  ASSERT_FALSE(view_.host().statusTexts.empty());
  EXPECT_NE(view_.host().statusTexts.back().find(PictureProblemText(PictureProblem::kUnreadable)), std::string::npos);
  view.ExecuteCommand(ID_VIEW_NEXTPICTURE);
  EXPECT_EQ(picture.path(), folder_.File("a.bmp"));
  EXPECT_TRUE(picture.shown()) << "the view goes on with the next picture";
  EXPECT_EQ(test::ReadFileBytes(folder_.File("a.bmp")), a);
}

}  // namespace
}  // namespace zv
