// The shown folder's thumbnails across the file commands that change it:
// thumbnails made after a command fit the box, none that was made or cached
// is lost, the cache file is written when the folder is left and not
// before, and a folder without pictures leaves the cache's index alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "browser/tests/list_fixture.h"
#include "browser/thumb_cache_store.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/com.h"
#include "win/command.h"

namespace zv {
namespace {

uint32_t U32At(const std::string& bytes, size_t offset) {
  uint32_t v = 0;
  if (offset + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

struct SavedThumb {
  std::string name;
  uint32_t width, height;
};

// The entries of a cache file of the 120 x 80 box.
std::vector<SavedThumb> SavedThumbs(const std::string& path) {
  constexpr size_t kEntry = 532 + 120 * 80 * 4;
  const std::string bytes = test::ReadFileBytes(path);
  std::vector<SavedThumb> thumbs;
  if (U32At(bytes, 1028) != 120 || U32At(bytes, 1032) != 80) return thumbs;
  for (size_t i = 0, at = 1040; i < U32At(bytes, 1036) && at + kEntry <= bytes.size(); ++i, at += kEntry)
    thumbs.push_back({std::string(bytes.c_str() + at), U32At(bytes, at + 524), U32At(bytes, at + 528)});
  return thumbs;
}

std::string Numbered(const char* prefix, int number, const char* extension) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%d%s", prefix, number, extension);
  return name;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FILETIME WriteTimeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}


class FolderThumbnailsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    test::RemoveStringIni();
    thumbs_ = ThumbCacheStore().folder();
    CreateDirectoryA(thumbs_.c_str(), nullptr);
    DeleteFileA(Index().c_str());
    for (const char* name : {"00000000.bin", "00000001.bin", "00000002.bin"}) DeleteFileA((thumbs_ + "\\" + name).c_str());
    settings_.dwdLstMod = 0;  // light thumbnails
    settings_.intThmSiz = 0;  // the 120 x 80 box
    ASSERT_TRUE(test::CopyZooFile("stroke_1600x1200.png", source_.File("big.png")));
  }
  void TearDown() override {
    if (view_) view_->Close();
    test::RemoveStringIni();
  }
  CFileListView& Open(size_t budget = ThumbPixelStore::kDefaultBudget) {
    view_ = std::make_unique<test::ViewUnderTest>(settings_, budget);
    EXPECT_TRUE(view_->Open());
    return view_->view();
  }
  CFileListView& View() { return view_->view(); }
  const CThumbnailGrid& Grid() { return View().gridPresenter().grid(); }
  std::string Index() const { return thumbs_ + "\\ZVThumb.lst"; }
  // The cache file the index names for the folder under test.
  std::string CacheFile() const {
    const std::string index = test::ReadFileBytes(Index());
    const std::string line = folder_.path() + "|";
    const size_t at = index.find(line);
    return at == std::string::npos ? thumbs_ + "\\none" : thumbs_ + "\\" + index.substr(at + line.size(), 12);
  }

  void SelectOnly(const std::string& name) {
    std::vector<char> flags(Grid().size(), 0);
    for (size_t i = 0; i < Grid().size(); ++i) flags[i] = Grid().Cell(i)->name == name ? 1 : 0;
    View().gridPresenter().grid().SetSelection(flags);
    test::Pump();
    ASSERT_EQ(View().GetSelectedCount(), 1) << name;
  }
  // Copies big.png onto the clipboard, from the list of its own folder.
  void CopyBigPicture() {
    View().SetFolder(source_.path().c_str());
    View().SelectAll();
    ASSERT_TRUE(win::RunEnabledCommand(View(), ID_EDIT_COPY));
  }
  void Delete(const std::string& name) {
    SelectOnly(name);
    ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(View(), ID_EDIT_DELETE)); },
                                        [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDYES, 0); }));
    EXPECT_FALSE(Exists(folder_.File(name)));
    test::EmptyTrashOf(name);
  }
  // The property command, with `newName` typed into its dialog.
  void Rename(const std::string& name, const std::string& newName) {
    SelectOnly(name);
    ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(View(), ID_EDIT_PROPERTY)); },
                                        [&](HWND dialog) {
                                          SetDlgItemTextA(dialog, IDC_ATTR_NAME, newName.c_str());
                                          SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                                        }));
  }
  // Every cell's thumbnail, read back from the cache file or the spill
  // where it left memory, fits the box; returns the names of the cells.
  std::set<std::string> ExpectEveryCellFitsTheBox() {
    std::set<std::string> names;
    for (size_t i = 0; i < Grid().size(); ++i) {
      const GridCell& cell = *Grid().Cell(i);
      names.insert(cell.name);
      const std::shared_ptr<const PixelImage> pixels = Grid().GetCellBitmap(i);
      EXPECT_EQ(cell.state, ThumbState::kReady) << cell.name;
      if (pixels == nullptr) {
        ADD_FAILURE() << cell.name << " paints empty";
        continue;
      }
      EXPECT_LE(pixels->width, 120) << cell.name;
      EXPECT_LE(pixels->height, 80) << cell.name;
    }
    return names;
  }
  // The cache file as the folder left it: every cell's thumbnail, in the box.
  void ExpectTheCacheHolds(const std::set<std::string>& names) {
    std::set<std::string> saved;
    for (const SavedThumb& thumb : SavedThumbs(CacheFile())) {
      saved.insert(thumb.name);
      EXPECT_LE(thumb.width, 120u) << thumb.name;
      EXPECT_LE(thumb.height, 80u) << thumb.name;
    }
    EXPECT_EQ(saved, names);
  }

  win::OleSession ole_;
  EnvSet settings_;
  std::string thumbs_;
  test::TempFolder folder_;
  test::TempFolder source_;
  test::TempFolder empty_;
  std::unique_ptr<test::ViewUnderTest> view_;
};

// Thumbnails asked for after a command (pasted, renamed, converted files,
// and cells whose thumbnails were still to be made) are made for the box,
// and nothing is written to the cache until the folder is left.
TEST_F(FolderThumbnailsTest, ThumbnailsMadeAfterFileCommandsFitTheBoxAndAreSavedOnLeaving) {
  for (int i = 0; i < 16; ++i)
    ASSERT_TRUE(test::CopyZooFile("stroke_1600x1200.png", folder_.File(Numbered("p", 10 + i, ".png"))));
  test::WriteGreyBmp(folder_.File("a.bmp"), 240, 120);
  Open();
  CopyBigPicture();
  View().SetFolder(folder_.path().c_str());
  Delete("p11.png");  // while the folder is still filling
  ASSERT_TRUE(win::RunEnabledCommand(View(), ID_EDIT_PASTE));
  ASSERT_TRUE(Exists(folder_.File("big.png")));
  Rename("a.bmp", "r.bmp");
  Rename("p12.png", "p12.jpg");  // converted
  ASSERT_TRUE(Exists(folder_.File("p12.jpg")));
  view_->WaitForThumbnails();
  EXPECT_FALSE(Exists(CacheFile())) << "a command writes no cache";

  const std::set<std::string> names = ExpectEveryCellFitsTheBox();
  EXPECT_EQ(names.size(), 17u);
  EXPECT_TRUE(names.contains("big.png") && names.contains("r.bmp") && names.contains("p12.jpg"));
  EXPECT_FALSE(names.contains("p11.png"));
  View().SetFolder(empty_.path().c_str());
  ExpectTheCacheHolds(names);
}

// Most thumbnails of a large folder live in its cache file and its spill,
// not in memory; a command keeps the file open for them.
TEST_F(FolderThumbnailsTest, AFolderOverTheMemoryBudgetLosesNoThumbnailThroughACommand) {
  for (int i = 0; i < 12; ++i)
    test::WriteGreyBmp(folder_.File(Numbered("g", 10 + i, ".bmp")), 240, 120 + 10 * i);
  Open(size_t{120} * 80 * 4 * 3);  // three thumbnails in memory
  CopyBigPicture();
  View().SetFolder(folder_.path().c_str());
  view_->WaitForThumbnails();
  View().SetFolder(empty_.path().c_str());
  ASSERT_EQ(SavedThumbs(CacheFile()).size(), 12u);

  View().SetFolder(folder_.path().c_str());  // every thumbnail from the cache
  EXPECT_EQ(View().gridPresenter().requested(), 0u);
  View().SortAndApply(0, 1);  // names descending: the cache file's order is out of date
  const FILETIME written = WriteTimeOf(CacheFile());
  ASSERT_TRUE(win::RunEnabledCommand(View(), ID_EDIT_PASTE));
  view_->WaitForThumbnails();
  const FILETIME afterwards = WriteTimeOf(CacheFile());
  EXPECT_EQ(CompareFileTime(&written, &afterwards), 0) << "the command rewrote no cache";
  const std::set<std::string> names = ExpectEveryCellFitsTheBox();
  EXPECT_EQ(names.size(), 13u);
  View().SetFolder(empty_.path().c_str());
  ExpectTheCacheHolds(names);
}

TEST_F(FolderThumbnailsTest, AFolderWithoutPicturesGetsNoIndexLine) {
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", folder_.File("a.png")));
  test::WriteFileBytes(empty_.File("notes.txt"), "not a picture");
  Open();
  View().SetFolder(empty_.path().c_str());
  EXPECT_FALSE(Exists(Index()));
  View().SetFolder(folder_.path().c_str());
  EXPECT_EQ(test::ReadFileBytes(Index()), folder_.path() + "|00000000.bin\r\n");
}

}  // namespace
}  // namespace zv
