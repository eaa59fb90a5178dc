// The file list view on real folders in a real window: what is listed, the
// rows read back from the list control, columns across a restart, refresh,
// sorting, long paths, selection and the picture state.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "browser/tests/list_fixture.h"
#include "core/browser/cell_texts.h"
#include "core/browser/sort_rules.h"
#include "imagelib/tests/zoo.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using Names = std::vector<std::string>;
using test::ColumnTexts;
using test::CopyZooFile;
using test::RowNames;

class FileListTest : public ::testing::Test {
 protected:
  void SetUp() override { test::RemoveStringIni(); }
  void TearDown() override {
    view_.Close();
    test::RemoveStringIni();
  }
  CFileListView& Open() {
    EXPECT_TRUE(view_.Open());
    return view_.view();
  }
  // Zoo files copied under the given names into the folder.
  void Copy(const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [zoo, name] : files) ASSERT_TRUE(CopyZooFile(zoo, folder_.File(name))) << name;
  }
  bool Enabled(int id) { return win::QueryCommand(view_.view(), id).enabled(); }
  // A key pressed in `window`, with Shift held or not (the control reads the thread's key state).
  static void PressKey(HWND window, UINT key, bool shift) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageA(window, WM_KEYDOWN, key, 1);
    SendMessageA(window, WM_KEYUP, key, 0xC0000001);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  }

  EnvSet settings_;
  test::TempFolder folder_;
  test::ViewUnderTest view_{settings_};
};

TEST_F(FileListTest, ListsOnlyRecognisedImagesWithTheirCellTexts) {
  Copy({{"png_rgb24.png", "a.png"}, {"jpeg_grey.jpg", "b.JPG"}, {"bmp_8.bmp", "c.bmp"}, {"tiff_lzw.tif", "d.tif"},
        {"png_rgb24.png", ".hidden.png"}, {"png_badcrc.png", "broken.png"}, {"tiff_float.tif", "float.tif"},
        {"png_rgb24.png", "backup.png.bak"}, {"png_rgb24.png", "noextension"}});
  test::WriteFileBytes(folder_.File("notes.txt"), "not a picture");
  test::WriteFileBytes(folder_.File("fake.jpg"), "not a picture either");
  ASSERT_TRUE(CreateDirectoryA(folder_.File("folder.png").c_str(), nullptr));
  const FILETIME written = test::FileTimeOf(2021, 6, 30, 23, 59, 58);
  ASSERT_TRUE(test::SetWriteTime(folder_.File("c.bmp"), written));

  CFileListView& view = Open();
  view.SetFolder(folder_.path().c_str());
  EXPECT_EQ(view.CurrentFolder(), folder_.path());
  ASSERT_EQ(RowNames(view_.list()), (Names{"a.png", "b.JPG", "c.bmp", "d.tif"}))
      << "no subfolder, dot name, broken or unreadable picture, other extension or non-image";
  EXPECT_EQ(ColumnTexts(view_.list(), 1), (Names{"PNG", "JPEG", "BMP", "TIFF"}));
  EXPECT_EQ(test::CellText(view_.list(), 2, 2), test::LocalDateText(written));
  EXPECT_EQ(test::CellText(view_.list(), 1, 3), std::to_string(test::FileSizeOf(folder_.File("b.JPG"))));
  EXPECT_EQ(ColumnTexts(view_.list(), 4), (Names{"97 * 61", "97 * 61", "97 * 61", "97 * 61"}));
  EXPECT_EQ(ColumnTexts(view_.list(), 5), (Names{"16777216", "256", "256", "16777216"}));

  ASSERT_EQ(view.ItemCount(), 4u);
  for (size_t i = 0; i < view.ItemCount(); ++i) {
    const FileListItem* item = view.Item(i);
    EXPECT_EQ(std::string(item->path), folder_.File(item->name));
    EXPECT_EQ(static_cast<const void*>(item), static_cast<const void*>(item->path)) << "a record is its path";
  }
  EXPECT_EQ(view.Item(2)->lastWrite.low, written.dwLowDateTime);
  EXPECT_EQ(view.Item(2)->lastWrite.high, written.dwHighDateTime);
  // Every row shows its file's shell icon from the view's list (found when
  // the row is first drawn); files with the same icon share it.
  std::vector<int> rowIcons;
  for (int row = 0; row < 4; ++row) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ASSERT_TRUE(SendMessageA(view_.list(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    rowIcons.push_back(item.iImage);
  }
  const int icons = ImageList_GetImageCount(
      reinterpret_cast<HIMAGELIST>(SendMessageA(view_.list(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)));
  EXPECT_GE(icons, 1);
  EXPECT_LE(icons, 4);
  for (int row = 0; row < 4; ++row) {
    EXPECT_GE(rowIcons[static_cast<size_t>(row)], 0) << row;
    EXPECT_LT(rowIcons[static_cast<size_t>(row)], icons) << row;
  }
  EXPECT_STREQ(settings_.chaLstFld, folder_.path().c_str()) << "an ordinary folder is remembered";

  view.SetFolder(nullptr);
  EXPECT_EQ(test::RowNames(view_.list()).size(), 0u);
  EXPECT_EQ(view.ItemCount(), 0u);
  EXPECT_EQ(view.CurrentFolder(), "");
  EXPECT_STREQ(settings_.chaLstFld, folder_.path().c_str()) << "no folder is not remembered";

  view.SetFolder(folder_.File("no such folder").c_str());
  EXPECT_EQ(view.ItemCount(), 0u) << "a folder that cannot be enumerated lists nothing";
}

TEST_F(FileListTest, ColumnsAndModesSurviveARestartThroughTheRegistry) {
  test::DeleteProgramSettings();
  settings_.intSotMod = 3;
  settings_.intSotDir = 1;
  settings_.dwdLstMod = kListMode;
  settings_.dwdDspMod = 7;
  settings_.intThmSiz = 2;
  HWND list = Open().listControl();
  for (int k = 0; k < kColumnCount; ++k)
    EXPECT_EQ(test::ColumnCaption(list, k), win::Utf8ToAnsi(ColumnCaptions()[static_cast<size_t>(k)].defaultUtf8)) << k;
  EXPECT_EQ(test::ColumnOrder(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 3, 0), 200);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_FALSE(IsWindowVisible(view_.view().grid())) << "list mode shows the list only";

  // What a user does with the header: the first column dragged to the third place, widths changed.
  std::vector<int> moved = {1, 2, 0, 5, 3, 4};
  ASSERT_TRUE(SendMessageA(list, LVM_SETCOLUMNORDERARRAY, moved.size(), reinterpret_cast<LPARAM>(moved.data())));
  for (int k = 0; k < kColumnCount; ++k) SendMessageA(list, LVM_SETCOLUMNWIDTH, k, 50 + 10 * k);
  view_.Close();
  EXPECT_EQ(std::vector<int>(settings_.intClmOdr, settings_.intClmOdr + 6), moved);
  EXPECT_EQ(settings_.intClmWid[0], 50);
  EXPECT_EQ(settings_.intClmWid[5], 100);
  EXPECT_EQ(settings_.dwdLstMod, kListMode);
  EXPECT_EQ(settings_.dwdDspMod, 0);
  EXPECT_EQ(settings_.intThmSiz, 2);
  EXPECT_EQ(settings_.intSotMod, 3);
  EXPECT_EQ(settings_.intSotDir, 1);

  SaveEnvSet(settings_);
  EnvSet restarted;
  LoadEnvSet(restarted);
  settings_ = restarted;
  list = Open().listControl();
  EXPECT_EQ(test::ColumnOrder(list), moved);
  for (int k = 0; k < kColumnCount; ++k) EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, k, 0), 50 + 10 * k) << k;
  EXPECT_EQ(view_.view().sortKey(), 3);
  EXPECT_EQ(view_.view().sortDir(), 1);
  view_.Close();

  // Odd registry data: an order that is no permutation, a sort key out of range.
  std::fill(std::begin(settings_.intClmOdr), std::end(settings_.intClmOdr), 9);
  settings_.intSotMod = 77;
  settings_.intClmWid[0] = -300;
  settings_.intClmWid[1] = 50000;
  list = Open().listControl();
  EXPECT_EQ(test::ColumnOrder(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(view_.view().sortKey(), 0);
  EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 0) << "a negative width is taken as 0";
  EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), kMaxColumnWidth) << "a huge width is cut";
  test::DeleteProgramSettings();
}

TEST_F(FileListTest, RefreshDropsVanishedFilesAndAppendsNewOnesAtTheEnd) {
  Copy({{"png_rgb24.png", "a.png"}, {"png_grey8.png", "c.png"}, {"bmp_24.bmp", "e.bmp"}, {"jpeg_baseline.jpg", "g.jpg"}});
  CFileListView& view = Open();
  view.SetFolder(folder_.path().c_str());
  ASSERT_EQ(RowNames(view_.list()), (Names{"a.png", "c.png", "e.bmp", "g.jpg"}));
  // The user selects e.bmp; it becomes the current item at once (the status follows later).
  ListView_SetItemState(view_.list(), 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ASSERT_EQ(view.currentItem(), 2);
  view_.WaitForThumbnails();

  ASSERT_TRUE(DeleteFileA(folder_.File("c.png").c_str()));
  Copy({{"png_rgb24.png", "b.png"}, {"fit_100x50.png", "a.png"}});  // b is new; a is rewritten in place
  test::WriteFileBytes(folder_.File("d.txt"), "text");
  // Another program holds g.jpg open without sharing: it is still there.
  HANDLE held = CreateFileA(folder_.File("g.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  view.RefreshList();
  CloseHandle(held);

  EXPECT_EQ(RowNames(view_.list()), (Names{"a.png", "e.bmp", "g.jpg", "b.png"}))
      << "c is gone; b is added at the end although the list is sorted by name";
  EXPECT_EQ(test::CellText(view_.list(), 0, 4), "97 * 61") << "a file rewritten in place keeps its row";
  EXPECT_EQ(view.Item(0)->width, 97);
  ASSERT_EQ(view.ItemCount(), 4u);
  EXPECT_STREQ(view.Item(3)->name, "b.png");
  EXPECT_EQ(view.currentItem(), 1) << "the current item follows its record when a row above it goes";
  EXPECT_STREQ(view.Item(static_cast<size_t>(view.currentItem()))->name, "e.bmp");

  ASSERT_TRUE(DeleteFileA(folder_.File("e.bmp").c_str()));
  view.RefreshList();
  EXPECT_EQ(view.currentItem(), -1) << "a vanished current item leaves none";
  EXPECT_EQ(RowNames(view_.list()), (Names{"a.png", "g.jpg", "b.png"}));
  view.RefreshList();
  EXPECT_EQ(RowNames(view_.list()), (Names{"a.png", "g.jpg", "b.png"})) << "nothing new: nothing changes";

  // The Refresh command is more than this rescan: the folder tree reads its
  // folders again and the list lists the folder it then selects.
  EXPECT_TRUE(Enabled(ID_VIEW_REFRESH));
  EXPECT_TRUE(view.ExecuteCommand(ID_VIEW_REFRESH));
  EXPECT_EQ(view_.host().folderRefreshes, 1);
}

TEST_F(FileListTest, SortingByTypeAndPictureSizeIsStableInBothDirections) {
  Copy({{"jpeg_baseline.jpg", "a.jpg"}, {"png_rgb24.png", "b.png"}, {"bmp_24.bmp", "c.BMP"}, {"tiff_lzw.tif", "d.tif"},
        {"png_grey8.png", "e.PNG"}, {"jpeg_grey.jpg", "f.jpeg"}, {"tiff_none.tif", "g.tiff"}, {"bmp_8.bmp", "h.bmp"},
        {"fit_100x50.png", "i.png"}, {"fit_1600x1200.png", "j.png"}});
  CFileListView& view = Open();
  view.SetFolder(folder_.path().c_str());
  view.SortAndApply(1, kAscending);
  EXPECT_EQ(RowNames(view_.list()),
            (Names{"b.png", "e.PNG", "i.png", "j.png", "d.tif", "g.tiff", "c.BMP", "h.bmp", "a.jpg", "f.jpeg"}));
  view.SortAndApply(1, kDescending);
  EXPECT_EQ(RowNames(view_.list()),
            (Names{"a.jpg", "f.jpeg", "c.BMP", "h.bmp", "d.tif", "g.tiff", "b.png", "e.PNG", "i.png", "j.png"}))
      << "each type keeps its previous order: descending is not the ascending order mirrored";
  ASSERT_EQ(view.ItemCount(), 10u);
  for (size_t i = 0; i < view.ItemCount(); ++i)
    EXPECT_EQ(test::CellText(view_.list(), static_cast<int>(i), 0), view.Item(i)->name) << "row i is record i";

  view.SortAndApply(0, kAscending);
  view.SortAndApply(4, kAscending);  // 97 x 61 everywhere but i (100 x 50) and j (1600 x 1200)
  EXPECT_EQ(RowNames(view_.list()),
            (Names{"i.png", "a.jpg", "b.png", "c.BMP", "d.tif", "e.PNG", "f.jpeg", "g.tiff", "h.bmp", "j.png"}));
  view.SortAndApply(4, kDescending);
  EXPECT_EQ(RowNames(view_.list()),
            (Names{"j.png", "a.jpg", "b.png", "c.BMP", "d.tif", "e.PNG", "f.jpeg", "g.tiff", "h.bmp", "i.png"}));
}

// The rows are made anew with the control's drawing held off; a new folder
// or order must still start at its first row, not where the old one was
// scrolled to, and show a scroll bar that fits the new count.
TEST_F(FileListTest, ANewFolderOrOrderStartsAtItsFirstRow) {
  test::TempFolder other;
  for (int i = 0; i < 80; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%02d.bmp", i);
    test::WriteGreyBmp(folder_.File(name), 4, 4);
    if (i < 5) test::WriteGreyBmp(other.File(name), 4, 4);
  }
  CFileListView& view = Open();
  view.SetFolder(folder_.path().c_str());
  const HWND list = view_.list();
  const auto scrollToEnd = [&] {
    SendMessageA(list, LVM_ENSUREVISIBLE, 79, FALSE);
    ASSERT_GT(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0) << "the window shows fewer than 80 rows";
  };
  scrollToEnd();
  view.SortAndApply(0, kDescending);
  EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);
  EXPECT_EQ(test::CellText(list, 0, 0), "p79.bmp");

  scrollToEnd();
  view.SetFolder(other.path().c_str());
  EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);
  SCROLLINFO bar{sizeof bar, SIF_ALL};
  EXPECT_FALSE(GetScrollInfo(list, SB_VERT, &bar) && bar.nPos > 0) << "five rows need no scrolling";
  EXPECT_EQ(view.ItemCount(), 5u);
}

TEST_F(FileListTest, TheFirstHeaderClickAfterStartUpSortsByNameDescending) {
  Copy({{"png_rgb24.png", "b.png"}, {"jpeg_baseline.jpg", "a.jpg"}, {"bmp_24.bmp", "C.bmp"}});
  CFileListView& view = Open();
  view.SetFolder(folder_.path().c_str());
  ASSERT_EQ(RowNames(view_.list()), (Names{"a.jpg", "b.png", "C.bmp"})) << "defaults: name, ascending";

  // A real click on the header: button down and up at the middle of a column's header item.
  auto clickHeader = [&](int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(view_.list(), LVM_GETHEADER, 0, 0));
    RECT r{};
    ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r)));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
    test::Pump();
  };
  ListView_SetItemState(view_.list(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ASSERT_EQ(view.currentItem(), 0);
  clickHeader(0);
  EXPECT_EQ(view.currentItem(), 2) << "the current item is still a.jpg, now in the last row";
  EXPECT_EQ(view.sortKey(), 0);
  EXPECT_EQ(view.sortDir(), kDescending);
  EXPECT_EQ(RowNames(view_.list()), (Names{"C.bmp", "b.png", "a.jpg"}));
  clickHeader(1);
  EXPECT_EQ(view.sortKey(), 1);
  EXPECT_EQ(view.sortDir(), kAscending) << "the direction flips with every click, on any column";
  EXPECT_EQ(RowNames(view_.list()), (Names{"b.png", "C.bmp", "a.jpg"}));
}

// The grid's cells by name, in their order.
Names CellNames(CFileListView& view) {
  Names names;
  const CThumbnailGrid& grid = view.gridPresenter().grid();
  for (size_t i = 0; i < grid.size(); ++i) names.push_back(grid.Cell(i)->name);
  return names;
}

TEST_F(FileListTest, SortSettingsReorderRowsAndCellsKeepingTheirThumbnails) {
  Copy({{"jpeg_baseline.jpg", "a.jpg"}, {"png_rgb24.png", "b.png"}, {"bmp_24.bmp", "c.BMP"}, {"tiff_lzw.tif", "d.tif"},
        {"png_grey8.png", "e.PNG"}, {"jpeg_grey.jpg", "f.jpeg"}, {"tiff_none.tif", "g.tiff"}, {"bmp_8.bmp", "h.bmp"}});
  settings_.dwdLstMod = 0;
  settings_.intSotMod = 0;
  settings_.intSotDir = kDescending;
  CFileListView& view = Open();
  EXPECT_TRUE(Enabled(ID_VIEW_SORT)) << "also without a folder";
  view.SetFolder(folder_.path().c_str());
  view_.WaitForThumbnails();
  ASSERT_EQ(CellNames(view), (Names{"h.bmp", "g.tiff", "f.jpeg", "e.PNG", "d.tif", "c.BMP", "b.png", "a.jpg"}));
  const size_t requested = view.gridPresenter().requested();
  auto thumbnailsByName = [&] {
    std::map<std::string, const PixelImage*> thumbnails;
    for (size_t i = 0; i < view.ItemCount(); ++i)
      thumbnails[view.gridPresenter().grid().Cell(i)->name] = view.gridPresenter().grid().GetCellBitmap(i).get();
    return thumbnails;
  };
  const auto thumbnails = thumbnailsByName();

  // Command 32885 as the user runs it: the dialog opens on the view's order;
  // the answer clicks a key and a direction, then OK or Cancel.
  auto sortSettings = [&](int key, int direction, int button) {
    std::vector<int> shown;
    EXPECT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(view, ID_VIEW_SORT)); },
                                        [&](HWND dialog) {
                                          for (int id = IDC_SORT_NAME; id <= IDC_SORT_DESCENDING; ++id)
                                            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) shown.push_back(id);
                                          for (int id : {key, direction, button})
                                            SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
                                        }));
    return shown;
  };
  view.gridPresenter().grid().SetSelection({0, 0, 1, 0, 0, 0, 0, 0});  // f.jpeg
  test::Pump();
  EXPECT_EQ(sortSettings(IDC_SORT_TYPE, IDC_SORT_ASCENDING, IDOK),
            (std::vector<int>{IDC_SORT_NAME, IDC_SORT_DESCENDING}));
  const Names byType = {"e.PNG", "b.png", "g.tiff", "d.tif", "h.bmp", "c.BMP", "f.jpeg", "a.jpg"};
  EXPECT_EQ(view.sortKey(), 1);
  EXPECT_EQ(view.sortDir(), kAscending);
  EXPECT_EQ(RowNames(view_.list()), byType) << "PNG, TIFF, BMP, JPEG; each type in its previous order";
  EXPECT_EQ(CellNames(view), byType);
  EXPECT_EQ(view.GetSelectedPaths(), Names{folder_.File("f.jpeg")}) << "the grid's cells keep their selection";
  EXPECT_EQ(view.gridPresenter().requested(), requested) << "no thumbnail is made again";
  EXPECT_EQ(thumbnailsByName(), thumbnails) << "every cell keeps its own thumbnail";

  EXPECT_EQ(sortSettings(IDC_SORT_SIZE, IDC_SORT_DESCENDING, IDCANCEL),
            (std::vector<int>{IDC_SORT_TYPE, IDC_SORT_ASCENDING}));
  EXPECT_EQ(view.sortKey(), 1) << "Cancel changes nothing";
  EXPECT_EQ(view.sortDir(), kAscending);
  EXPECT_EQ(RowNames(view_.list()), byType);

  // Sorted in list mode, the filled grid follows, so the thumbnails show the same order.
  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_LIST));
  EXPECT_TRUE(Enabled(ID_VIEW_SORT));
  sortSettings(IDC_SORT_TYPE, IDC_SORT_DESCENDING, IDOK);
  const Names byTypeDescending = {"f.jpeg", "a.jpg", "h.bmp", "c.BMP", "g.tiff", "d.tif", "e.PNG", "b.png"};
  EXPECT_EQ(RowNames(view_.list()), byTypeDescending);
  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_DETAILTHUMB));
  EXPECT_EQ(CellNames(view), byTypeDescending);
  EXPECT_EQ(view.gridPresenter().requested(), requested);

  view_.Close();
  EXPECT_EQ(settings_.intSotMod, 1) << "the chosen order is written back";
  EXPECT_EQ(settings_.intSotDir, kDescending);
}

TEST_F(FileListTest, APathOf259BytesIsListedThumbnailedAndShownAndOneOf260IsSkipped) {
  // folder + "\" + name: the name that makes 259 bytes is listed, one more byte is not.
  const size_t subLength = 259 - folder_.path().size() - 1 - 1 - 10;  // folder\sub\ + a 10-byte name
  const std::string sub = folder_.File(std::string(subLength, 's'));
  ASSERT_TRUE(CreateDirectoryW(win::ToWide(sub, CP_ACP).c_str(), nullptr));
  const std::string fits = "f12345.png";   // 10 bytes: 259 in all
  const std::string over = "o123456.png";  // 11 bytes: 260
  for (const std::string& name : {fits, over}) {
    const std::wstring target = win::ToWide(sub + "\\" + name, CP_ACP);
    ASSERT_TRUE(CopyFileW(win::ToWide(test::ZooPath("png_rgb24.png"), CP_ACP).c_str(), target.c_str(), FALSE))
        << name;
  }
  CFileListView& view = Open();
  view.SetFolder(sub.c_str());
  ASSERT_EQ(RowNames(view_.list()), (Names{fits}));
  EXPECT_EQ(std::string(view.Item(0)->path).size(), 259u);

  // The listed one is thumbnailed, its thumbnail cached under the long
  // folder and taken from there, and it shows as a picture.
  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_LIGHTTHUMB));
  view_.WaitForThumbnails();
  ASSERT_EQ(view.gridPresenter().grid().size(), 1u);
  EXPECT_FALSE(view.gridPresenter().ThumbnailFailed(0));
  ASSERT_NE(view.gridPresenter().grid().GetCellBitmap(0), nullptr);
  const PixelImage made = *view.gridPresenter().grid().GetCellBitmap(0);
  test::TempFolder elsewhere;
  view.SetFolder(elsewhere.path().c_str());
  view.SetFolder(sub.c_str());
  view_.WaitForThumbnails();
  EXPECT_EQ(view.gridPresenter().requested(), 0u) << "taken from the cache";
  ASSERT_NE(view.gridPresenter().grid().GetCellBitmap(0), nullptr);
  EXPECT_EQ(view.gridPresenter().grid().GetCellBitmap(0)->pixels, made.pixels);
  view.SelectAll();
  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_SHOWPICTURE));
  EXPECT_TRUE(view.pictureMode().view().shown());
  EXPECT_EQ(view.pictureMode().view().path().size(), 259u);
}

TEST_F(FileListTest, FoldersWithTwoByteNamesUnderCodePage932) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  const std::string hyo = "\x95\x5C";  // "表": its trail byte is the backslash byte
  const std::string sub = folder_.File(hyo);
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(CopyZooFile("png_rgb24.png", sub + "\\" + hyo + ".png"));
  ASSERT_TRUE(CopyZooFile("bmp_24.bmp", sub + "\\a.bmp"));
  CFileListView& view = Open();
  view.SetFolder(sub.c_str());
  ASSERT_EQ(RowNames(view_.list()), (Names{"a.bmp", hyo + ".png"}));
  EXPECT_EQ(std::string(view.Item(1)->path), sub + "\\" + hyo + ".png");
  EXPECT_EQ(std::string(view.Item(1)->name), hyo + ".png");
}

// A folder of 100,000 entries of which ten are pictures, made on the Linux
// side (100,000 files through Wine would take minutes), with a picture whose
// name the ANSI code page cannot hold: the ten are listed, the one that the
// program cannot name is skipped, and nobody is told of a problem.
TEST_F(FileListTest, AFolderOfHundredThousandEntriesAndANameTheCodePageCannotHold) {
  std::string linuxFolder;
  ASSERT_TRUE(test::RunLinuxCommand(
      "d=$(mktemp -d /tmp/zv-big-XXXXXX) && cd \"$d\" && seq -f 'note%06g.txt' 1 99989 | xargs touch && "
      "mkdir sub && printf '%s' \"$d\"",
      &linuxFolder));
  ASSERT_FALSE(linuxFolder.empty());
  const std::string folder = test::WindowsPathOfLinux(linuxFolder);
  Names pictures;
  for (const char* name : {"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp", "p5.bmp", "p6.bmp", "p7.bmp", "p8.bmp",
                           "x.bmp"}) {
    pictures.emplace_back(name);
    test::WriteGreyBmp(test::WindowsPathOfLinux(linuxFolder + "/" + name), 20, 10);
  }
  // A snowman: neither code page 932 nor 1252 has it, so its narrow name is
  // "?.bmp", a pattern that x.bmp matches.
  const std::wstring first = win::ToWide(test::WindowsPathOfLinux(linuxFolder + "/p0.bmp"), CP_ACP);
  const std::wstring snowman = win::ToWide(test::WindowsPathOfLinux(linuxFolder + "/"), CP_ACP) + L"\u2603.bmp";
  ASSERT_TRUE(CopyFileW(first.c_str(), snowman.c_str(), FALSE));
  test::MessageBoxWatcher boxes;
  CFileListView& view = Open();
  view.SetFolder(folder.c_str());
  EXPECT_EQ(RowNames(view_.list()), pictures);
  EXPECT_TRUE(boxes.Texts().empty());
  for (const std::string& text : view_.host().statusTexts) EXPECT_EQ(text.find('?'), std::string::npos) << text;
  view_.Close();
  test::RunLinuxCommand("rm -rf '" + linuxFolder + "'");
}

TEST_F(FileListTest, SelectionModesAndWhichCommandsWork) {
  Copy({{"png_rgb24.png", "a.png"}, {"bmp_24.bmp", "b.bmp"}, {"jpeg_baseline.jpg", "c.jpg"}});
  settings_.dwdLstMod = 0;  // light thumbnails at start-up
  CFileListView& view = Open();
  EXPECT_FALSE(IsWindowVisible(view.listControl()));
  EXPECT_TRUE(IsWindowVisible(view.grid()));
  EXPECT_FALSE(IsWindowVisible(view.pictureMode().window()));
  EXPECT_EQ(view.DropWindow(), view.grid());
  view.SetFolder(folder_.path().c_str());
  EXPECT_EQ(RowNames(view.listControl()).size(), 3u) << "the rows exist in every mode";
  EXPECT_TRUE(Enabled(ID_EDIT_SELECTALL));

  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_LIST));
  EXPECT_EQ(view.viewMode(), kListMode);
  EXPECT_TRUE(IsWindowVisible(view.listControl()));
  EXPECT_FALSE(IsWindowVisible(view.grid()));
  EXPECT_EQ(view.DropWindow(), view.listControl());
  EXPECT_TRUE(win::QueryCommand(view, ID_VIEW_LIST).checked());
  EXPECT_FALSE(win::QueryCommand(view, ID_VIEW_LIGHTTHUMB).checked());

  ASSERT_TRUE(Enabled(ID_EDIT_SELECTALL));
  view.ExecuteCommand(ID_EDIT_SELECTALL);
  EXPECT_EQ(view.GetSelectedCount(), 3);
  EXPECT_EQ(ListView_GetSelectedCount(view.listControl()), 3u) << "the rows show the model's selection";
  EXPECT_EQ(view.GetSelectedPaths(), (Names{folder_.File("a.png"), folder_.File("b.bmp"), folder_.File("c.jpg")}));
  EXPECT_EQ(view.currentItem(), 2) << "select all makes the last item current";

  // The user's clicks in the list reach the model's selection.
  ListView_SetItemState(view.listControl(), -1, 0, LVIS_SELECTED);
  ListView_SetItemState(view.listControl(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(view.GetSelectedIndices(), std::vector<int>{1});
  EXPECT_EQ(view.currentItem(), 1);
  view.SortAndApply(0, kDescending);
  EXPECT_EQ(RowNames(view.listControl()), (Names{"c.jpg", "b.bmp", "a.png"}));
  EXPECT_EQ(view.GetSelectedCount(), 0) << "the rows are made anew, without the selection";
  EXPECT_EQ(ListView_GetNextItem(view.listControl(), -1, LVNI_SELECTED), -1);
  ListView_SetItemState(view.listControl(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ASSERT_EQ(view.GetSelectedIndices(), std::vector<int>{1});

  // The rows are drawn from the records, so the keyboard's range selection
  // and the search by a name's first letters must reach the model too.
  ListView_SetItemState(view.listControl(), -1, 0, LVIS_SELECTED);
  SetFocus(view.listControl());
  PressKey(view.listControl(), VK_HOME, false);
  PressKey(view.listControl(), VK_END, true);
  EXPECT_EQ(view.GetSelectedIndices(), (std::vector<int>{0, 1, 2})) << "Shift+End from the first row selects all";
  SendMessageA(view.listControl(), WM_CHAR, 'b', 1);
  EXPECT_EQ(ListView_GetNextItem(view.listControl(), -1, LVNI_FOCUSED), 1) << "typing b finds b.bmp";
  EXPECT_EQ(view.GetSelectedIndices(), std::vector<int>{1});
  EXPECT_EQ(view.currentItem(), 1);

  // A command is enabled only where it really does its work: the picture
  // commands while no picture is open, the frame's setup dialog (not the
  // view's), and the thumbnail sizes in list mode. A disabled command does
  // not run either.
  EXPECT_TRUE(Enabled(ID_VIEW_SHOWPICTURE)) << "a record is selected";
  for (int id : {ID_EDIT_MOVE, ID_FILE_NEWFOLDER, ID_FILE_SAVEAS, ID_EDIT_PROPERTY, ID_FILE_PRINT})
    EXPECT_TRUE(Enabled(id)) << id;
  for (int id : {ID_VIEW_RETURNLIST, ID_VIEW_NEXTPICTURE, ID_VIEW_ZOOMIN, ID_IMAGE_ROTATERIGHT, ID_VIEW_THUMBSMALL,
                 ID_TOOL_APPSETTING})
    EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(view.ExecuteCommand(ID_VIEW_THUMBLARGE)) << "taken by the view's map";
  EXPECT_EQ(view.thumbSize(), 0) << "but not run";
  EXPECT_FALSE(view.ExecuteCommand(ID_TWAIN_INPUT)) << "the frame's commands are not the view's";
  EXPECT_FALSE(view.ExecuteCommand(ID_HELP_INFORMATION));
  EXPECT_EQ(view.DropFiles(nullptr, DROPEFFECT_COPY, folder_.path()), S_FALSE)
      << "a drop that does nothing does not report success";
}

}  // namespace
}  // namespace zv
