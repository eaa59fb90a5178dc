// The thumbnail grid in real windows: cells painted pixel for pixel, mouse
// messages turned into selection and notifications, scrolling; and the grid
// in the file list view, filled through the thumbnail cache on disk.
#include "browser/thumb_grid.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "browser/picture_view.h"
#include "browser/tests/list_fixture.h"
#include "browser/thumb_cache_store.h"
#include "core/browser/thumb_index.h"
#include "imagelib/tests/zoo.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "tests/wine/window_shot.h"
#include "win/gdi.h"
#include "win/handles.h"

namespace zv {
namespace {

// ---- one cell, painted into a 32-bit DIB section ----

class DibCanvas {
 public:
  DibCanvas(int width, int height) : width_(width) {
    const BITMAPINFO info = win::TopDownDib32(width, height);
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
    selected_.emplace(dc_.get(), bitmap_.get());
  }
  HDC dc() const { return dc_.get(); }
  // The pixel as a COLORREF (R in the low byte).
  COLORREF At(int x, int y) const {
    const uint32_t bgr = bits_[y * width_ + x];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
  }

 private:
  int width_;
  uint32_t* bits_ = nullptr;
  win::MemoryDC dc_{nullptr};
  win::UniqueBitmap bitmap_;
  std::optional<win::SelectedObject> selected_;
};

PixelImage Solid(int32_t width, int32_t height, uint32_t bgra) {
  return {width, height, std::pmr::vector<uint32_t>(static_cast<size_t>(width) * height, bgra)};
}

TEST(ThumbCellPainting, BevelSelectionFrameAndCentredThumbnail) {
  const CellCaptions captions{"n", "d", "s", "h", "v", "c"};
  const CellPainter painter(captions, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  GridCell cell;
  cell.name = "a.png";
  cell.state = ThumbState::kReady;
  const PixelImage thumb = Solid(120, 60, 0x00123456);
  DibCanvas canvas(140, 120);
  painter.Paint(canvas.dc(), {0, 0}, kLightCells, {120, 80}, cell, &thumb, true);

  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), red = RGB(255, 0, 0);
  EXPECT_EQ(canvas.At(0, 0), light);
  EXPECT_EQ(canvas.At(1, 1), light);
  EXPECT_EQ(canvas.At(0, 118), light) << "the left line ends above the bottom line";
  EXPECT_EQ(canvas.At(0, 119), dark);
  EXPECT_EQ(canvas.At(139, 1), dark);
  EXPECT_EQ(canvas.At(138, 117), dark);
  // The red frame: 3-pixel bars inside the bevel.
  EXPECT_EQ(canvas.At(2, 2), red);
  EXPECT_EQ(canvas.At(137, 4), red);
  EXPECT_EQ(canvas.At(70, 5), face) << "the top bar is 3 pixels high";
  EXPECT_EQ(canvas.At(4, 60), red);
  EXPECT_EQ(canvas.At(5, 60), face);
  EXPECT_EQ(canvas.At(135, 60), red);
  EXPECT_EQ(canvas.At(70, 117), red);
  // A 120 x 60 thumbnail in a 120 x 80 box is drawn at (10, 20).
  EXPECT_EQ(canvas.At(10, 20), RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(canvas.At(129, 79), RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(canvas.At(10, 19), face);
  EXPECT_EQ(canvas.At(129, 80), face);

  // Not selected: no red anywhere; failed: the panel only, no thumbnail.
  DibCanvas plain(140, 120);
  cell.state = ThumbState::kFailed;
  painter.Paint(plain.dc(), {0, 0}, kLightCells, {120, 80}, cell, &thumb, false);
  EXPECT_EQ(plain.At(2, 2), face);
  EXPECT_EQ(plain.At(70, 50), face);
  EXPECT_EQ(plain.At(70, 101), face) << "a cell that failed shows no name";
}

// ---- the grid window and its notifications ----

class RecordingParent : public win::Window, public ThumbGridHost {
 public:
  bool Open() {
    if (!RegisterClass("ZVGridTestParent", nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) return false;
    if (!Create({.className = "ZVGridTestParent", .style = WS_POPUP | WS_CLIPCHILDREN, .exStyle = WS_EX_NOACTIVATE,
                 .rect = {30, 30, 600, 400}}))
      return false;
    ShowWindow(hwnd(), SW_SHOWNA);
    return grid.CreateGrid(hwnd(), IDW_THUMB_GRID, true, *this) &&
           MoveWindow(grid.hwnd(), 0, 0, 3 * 140 + 30, 300, TRUE);
  }
  std::shared_ptr<const PixelImage> CellPixels(uint64_t cellId) override {
    asked.push_back(cellId);
    return pixels;
  }
  void OnCellsInView(size_t first, size_t last) override { inView = {first, last}; }
  bool OnThumbnailsReady() override { return false; }
  void OnSelectionChanged(const std::vector<size_t>& cells) override { changed.insert(changed.end(), cells.begin(), cells.end()); }

  CThumbnailGrid grid;
  std::shared_ptr<const PixelImage> pixels = std::make_shared<PixelImage>(Solid(100, 80, 0x0000FF00));
  std::vector<GridNotice> notices;
  std::vector<size_t> changed;
  std::pair<size_t, size_t> inView;
  std::vector<uint64_t> asked;  // the cells whose thumbnails were asked for, by paints

 protected:
  bool OnNotify(NMHDR& header, LRESULT& result) override {
    if (header.idFrom != IDW_THUMB_GRID) return false;
    notices.push_back({static_cast<GridNoticeCode>(header.code), reinterpret_cast<GridNotify&>(header).value});
    result = 0;
    return true;
  }
};

class ThumbGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent_.Open());
    std::vector<GridCell> cells(7);
    for (size_t i = 0; i < cells.size(); ++i) {
      cells[i].id = 100 + i;
      cells[i].name = "cell" + std::to_string(i);
      cells[i].state = ThumbState::kReady;
    }
    grid().SetCells(cells);
    test::Pump();
  }
  void TearDown() override {
    parent_.Destroy();
    test::Pump();
  }
  CThumbnailGrid& grid() { return parent_.grid; }
  // A mouse message at a client point of the grid.
  void Mouse(UINT message, int x, int y, UINT keys) {
    SendMessageA(grid().hwnd(), message, keys, MAKELPARAM(x, y));
  }
  std::vector<GridNotice> TakeNotices() { return std::exchange(parent_.notices, {}); }
  COLORREF ScreenPixel(int x, int y) {
    win::WindowDC dc(grid().hwnd());
    return GetPixel(dc.get(), x, y);
  }

  RecordingParent parent_;
};

TEST_F(ThumbGridTest, LayoutPaintsCellsAndWhiteWhereThereAreNone) {
  // 450 pixels hold 3 columns; 7 cells make 3 rows (360 > 300), so the bar shows.
  EXPECT_EQ(grid().layout().columns, 3);
  EXPECT_TRUE(grid().layout().scrollable);
  EXPECT_EQ(parent_.inView, (std::pair<size_t, size_t>{0, 7}));
  UpdateWindow(grid().hwnd());
  EXPECT_EQ(ScreenPixel(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT)) << "cell 0's bevel";
  EXPECT_EQ(ScreenPixel(10 + 10, 10 + 0), RGB(0, 255, 0)) << "cell 0's thumbnail, centred at (20, 10)";
  EXPECT_EQ(ScreenPixel(425, 100), RGB(255, 255, 255)) << "right of the cells";

  SendMessageA(grid().hwnd(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(grid().scrollPosition(), 360 - 300);
  UpdateWindow(grid().hwnd());
  EXPECT_EQ(ScreenPixel(200, 250), RGB(255, 255, 255)) << "the empty two thirds of the last row";
  EXPECT_EQ(ScreenPixel(0, 180), GetSysColor(COLOR_BTNHIGHLIGHT)) << "cell 6 at canvas y 240";
  SendMessageA(grid().hwnd(), WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(grid().scrollPosition(), 50);

  grid().SetCellMode(kDetailCells);  // any layout shows the top again
  EXPECT_EQ(grid().scrollPosition(), 0);
  EXPECT_EQ(grid().layout().cell, (GridSize{400, 100}));
  EXPECT_EQ(grid().layout().columns, 1);
  grid().ScrollToBottom();
  EXPECT_EQ(grid().scrollPosition(), 700 - 300);
}

// Thumbnails arrive one cell at a time: a paint covers the cells that
// changed, not the box around them (here cells 1 and 3 lie between).
TEST_F(ThumbGridTest, APaintCoversOnlyTheCellsThatChanged) {
  UpdateWindow(grid().hwnd());
  parent_.asked.clear();
  grid().SetCellState(0, ThumbState::kReady);
  grid().SetCellState(4, ThumbState::kReady);
  UpdateWindow(grid().hwnd());
  EXPECT_EQ(parent_.asked, (std::vector<uint64_t>{100, 104}));
  EXPECT_EQ(ScreenPixel(10 + 10, 10 + 0), RGB(0, 255, 0)) << "cell 0's thumbnail";
  EXPECT_EQ(ScreenPixel(140 + 20, 120 + 10), RGB(0, 255, 0)) << "cell 4's thumbnail";
}

TEST_F(ThumbGridTest, MouseSelectsDragsOpensAndAsksForTheMenu) {
  Mouse(WM_LBUTTONDOWN, 150, 10, MK_LBUTTON);  // cell 1
  Mouse(WM_LBUTTONUP, 150, 10, 0);
  EXPECT_EQ(TakeNotices(), (std::vector<GridNotice>{{GridNoticeCode::kSelChange, 1}, {GridNoticeCode::kSelChange, 1}}));
  Mouse(WM_LBUTTONDOWN, 290, 130, MK_LBUTTON | MK_SHIFT);  // cell 5: 1..5 selected
  Mouse(WM_LBUTTONUP, 290, 130, MK_SHIFT);
  EXPECT_EQ(grid().GetSelection(), (std::vector<char>{0, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(parent_.changed, (std::vector<size_t>{1, 2, 3, 4, 5})) << "the owner hears every change";

  // A press on a selected cell and a move of 10 pixels start a drag of the selection.
  TakeNotices();
  Mouse(WM_LBUTTONDOWN, 10, 130, MK_LBUTTON);  // cell 3
  Mouse(WM_MOUSEMOVE, 16, 138, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 16, 138, 0);
  EXPECT_EQ(TakeNotices(), (std::vector<GridNotice>{{GridNoticeCode::kBeginDrag, 0}}));
  EXPECT_EQ(grid().GetSelection(), (std::vector<char>{0, 1, 1, 1, 1, 1, 0}));

  Mouse(WM_LBUTTONDBLCLK, 10, 130, MK_LBUTTON);
  EXPECT_EQ(TakeNotices(), (std::vector<GridNotice>{{GridNoticeCode::kOpen, 5}})) << "the last cell selected opens";

  // A right click in the white area: the menu at the screen point, the selection as it was.
  Mouse(WM_RBUTTONDOWN, 300, 250, MK_RBUTTON);
  POINT screen{300, 250};
  ClientToScreen(grid().hwnd(), &screen);
  EXPECT_EQ(TakeNotices(), (std::vector<GridNotice>{{GridNoticeCode::kContextMenu, PackScreenPoint({screen.x, screen.y})}}));
  EXPECT_EQ(grid().GetSelection(), (std::vector<char>{0, 1, 1, 1, 1, 1, 0}));
  Mouse(WM_RBUTTONDOWN, 10, 10, MK_RBUTTON);  // cell 0, not selected: it alone
  EXPECT_EQ(TakeNotices().front(), (GridNotice{GridNoticeCode::kSelChange, 0}));
  EXPECT_EQ(grid().GetSelection(), (std::vector<char>{1, 0, 0, 0, 0, 0, 0}));

  // The selection follows its cells through a new order and a removal.
  grid().Reorder({6, 5, 4, 3, 2, 1, 0});
  EXPECT_EQ(grid().GetSelection(), (std::vector<char>{0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(grid().Cell(0)->id, 106u);
  grid().RemoveCell(0);
  EXPECT_EQ(grid().IndexOf(100), 5);
  EXPECT_EQ(grid().IndexOf(106), -1);
  EXPECT_EQ(grid().GetCellBitmap(5), parent_.pixels);
  EXPECT_EQ(grid().GetCellBitmap(6), nullptr);
}

// The keyboard's focus rectangle and the MSAA object in this process: the
// object answers from the grid while it lives and fails cleanly after.
TEST_F(ThumbGridTest, FocusRectangleAfterAKeyAndAnAccessibleObjectThatOutlivesTheGrid) {
  SetFocus(grid().hwnd());
  ASSERT_EQ(GetFocus(), grid().hwnd());
  UpdateWindow(grid().hwnd());
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(ScreenPixel(140 + 6, 60), face) << "no focus rectangle before a key was used";
  SendMessageA(grid().hwnd(), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(TakeNotices(), (std::vector<GridNotice>{{GridNoticeCode::kSelChange, 1}}));
  EXPECT_EQ(grid().focusedCell(), 1u);
  UpdateWindow(grid().hwnd());
  EXPECT_FALSE(ScreenPixel(140 + 6, 61) == face && ScreenPixel(140 + 6, 62) == face)
      << "cell 1 has the dotted focus rectangle on its left side";
  EXPECT_EQ(ScreenPixel(6, 61), face) << "cell 0 has none";
  SendMessageA(grid().hwnd(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(TakeNotices(), (std::vector<GridNotice>{{GridNoticeCode::kOpen, 1}})) << "Enter opens";
  SendMessageA(grid().hwnd(), WM_KEYDOWN, VK_APPS, 0);
  const std::vector<GridNotice> menu = TakeNotices();
  ASSERT_EQ(menu.size(), 1u);
  POINT middle{140 + 70, 60};
  ClientToScreen(grid().hwnd(), &middle);
  EXPECT_EQ(menu[0], (GridNotice{GridNoticeCode::kContextMenu, PackScreenPoint({middle.x, middle.y})}))
      << "the menu key opens the menu at the focused cell";

  const LRESULT answer = SendMessageA(grid().hwnd(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  ASSERT_GT(answer, 0);
  IAccessible* object = nullptr;
  ASSERT_EQ(ObjectFromLresult(answer, IID_IAccessible, 0, reinterpret_cast<void**>(&object)), S_OK);
  long count = 0;
  ASSERT_EQ(object->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 7);
  VARIANT child{};
  child.vt = VT_I4;
  child.lVal = 2;
  VARIANT state{};
  ASSERT_EQ(object->get_accState(child, &state), S_OK);
  EXPECT_EQ(state.lVal & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED), STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED);
  grid().SetCellMode(kDetailCells);  // one column of cells 100 high
  child.lVal = 7;
  ASSERT_EQ(object->get_accState(child, &state), S_OK);
  EXPECT_NE(state.lVal & STATE_SYSTEM_OFFSCREEN, 0) << "cell 6 is at 600, below the window's 300 pixels";
  EXPECT_EQ(object->accDoDefaultAction(child), S_OK);
  EXPECT_EQ(TakeNotices(), (std::vector<GridNotice>{{GridNoticeCode::kSelChange, 6}, {GridNoticeCode::kOpen, 6}}));
  EXPECT_EQ(grid().scrollPosition(), 700 - 300) << "the opened cell was scrolled into view";
  ASSERT_EQ(object->get_accState(child, &state), S_OK);
  EXPECT_EQ(state.lVal & STATE_SYSTEM_OFFSCREEN, 0);

  parent_.Destroy();
  test::Pump();
  EXPECT_EQ(object->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(object->get_accName(child, &name), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(object->Release(), 0u) << "the client held the last reference";
}

// ---- the grid in the file list view, through the cache on disk ----

uint32_t U32At(const std::string& bytes, size_t offset) {
  uint32_t v = 0;
  if (offset + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

class GridCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::RemoveStringIni();
    thumbs_ = ThumbCacheStore().folder();
    CreateDirectoryA(thumbs_.c_str(), nullptr);
    DeleteFileA((thumbs_ + "\\ZVThumb.lst").c_str());
    ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", folder_.File("a.png")));
    ASSERT_TRUE(test::CopyZooFile("jpeg_huge.jpg", folder_.File("b.jpg")));  // listed, too large to decode
    test::WriteGreyBmp(folder_.File("c.bmp"), 240, 120);
    ASSERT_TRUE(test::CopyZooFile("bmp_24.bmp", other_.File("x.bmp")));
  }
  void TearDown() override { view_.Close(); }
  CFileListView& Open() {
    EXPECT_TRUE(view_.Open());
    return view_.view();
  }
  void WaitForThumbnails() { view_.WaitForThumbnails(); }
  ThumbState StateOf(const char* name) {
    const CThumbnailGrid& grid = view_.view().gridPresenter().grid();
    for (size_t i = 0; i < grid.size(); ++i)
      if (grid.Cell(i)->name == name) return grid.Cell(i)->state;
    ADD_FAILURE() << name << " has no cell";
    return ThumbState::kWaiting;
  }
  // A click on the cell of `name`: it becomes the current record, and the status follows at once.
  void Click(const char* name) {
    CFileListView& view = view_.view();
    const CThumbnailGrid& grid = view.gridPresenter().grid();
    for (size_t i = 0; i < grid.size(); ++i) {
      if (grid.Cell(i)->name != name) continue;
      const GridPoint at = grid.layout().CellOrigin(i);
      SendMessageA(view.grid(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x + 5, at.y + 5));
      SendMessageA(view.grid(), WM_LBUTTONUP, 0, MAKELPARAM(at.x + 5, at.y + 5));
      return;
    }
    ADD_FAILURE() << name << " has no cell";
  }

  EnvSet settings_;
  std::string thumbs_;
  test::TempFolder folder_;
  test::TempFolder other_;
  test::ViewUnderTest view_{settings_};
};

TEST_F(GridCacheTest, TheCacheIsWrittenOnLeavingAndReusedUntilAFileChanges) {
  settings_.dwdLstMod = 0;
  CFileListView& view = Open();
  view.SetFolder(folder_.path().c_str());
  EXPECT_EQ(view.gridPresenter().requested(), 3u) << "nothing cached yet";
  WaitForThumbnails();
  EXPECT_EQ(StateOf("a.png"), ThumbState::kReady);
  EXPECT_EQ(StateOf("b.jpg"), ThumbState::kFailed);
  EXPECT_EQ(StateOf("c.bmp"), ThumbState::kReady);
  view.SetFolder(other_.path().c_str());

  // The index: the folder looked up last on top, each with the smallest free name.
  EXPECT_EQ(test::ReadFileBytes(thumbs_ + "\\ZVThumb.lst"),
            other_.path() + "|00000001.bin\r\n" + folder_.path() + "|00000000.bin\r\n");
  const std::string cache = test::ReadFileBytes(thumbs_ + "\\00000000.bin");
  constexpr size_t kEntry = 532 + 120 * 80 * 4;
  ASSERT_EQ(cache.size(), 1040 + 2 * kEntry) << "the picture that failed has no entry";
  EXPECT_EQ(U32At(cache, 0), 100u);
  EXPECT_EQ(std::string(cache.c_str() + 4), folder_.path());
  EXPECT_EQ(U32At(cache, 1028), 120u);
  EXPECT_EQ(U32At(cache, 1032), 80u);
  EXPECT_EQ(U32At(cache, 1036), 2u);
  // In grid order, the picture that failed left out.
  EXPECT_EQ(std::string(cache.c_str() + 1040), "a.png");
  const size_t bmp = 1040 + kEntry;
  EXPECT_EQ(std::string(cache.c_str() + bmp), "c.bmp");
  EXPECT_EQ(U32At(cache, bmp + 512), test::FileSizeOf(folder_.File("c.bmp")));
  EXPECT_EQ(U32At(cache, bmp + 524), 120u);
  EXPECT_EQ(U32At(cache, bmp + 528), 60u);
  EXPECT_EQ(U32At(cache, bmp + 532), 0xFF404040u) << "the picture's colour, opaque";
  EXPECT_EQ(U32At(cache, bmp + 532 + 120 * 60 * 4 - 4), 0xFF404040u) << "the last of 120 x 60 pixels";
  EXPECT_EQ(U32At(cache, bmp + 532 + 120 * 60 * 4), 0u) << "the rest of the box is zeros";

  // Back again: only the file touched meanwhile (and the one that never decodes) is made again.
  ASSERT_TRUE(test::SetWriteTime(folder_.File("a.png"), test::FileTimeOf(2024, 5, 6, 7, 8, 9)));
  view.SetFolder(folder_.path().c_str());
  EXPECT_EQ(view.gridPresenter().requested(), 2u);
  EXPECT_EQ(StateOf("c.bmp"), ThumbState::kReady) << "shown at once from the cache";
  WaitForThumbnails();
  EXPECT_EQ(StateOf("a.png"), ThumbState::kReady);
}

TEST_F(GridCacheTest, ListModeFillsTheGridOnceWithTheSelectionAndSizesRemakeIt) {
  settings_.dwdLstMod = kListMode;
  CFileListView& view = Open();
  view.SetFolder(folder_.path().c_str());
  EXPECT_FALSE(view.gridPresenter().filled()) << "listed in list mode: the grid stays empty";
  EXPECT_EQ(view.gridPresenter().grid().size(), 0u);
  ListView_SetItemState(view.listControl(), 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_DETAILTHUMB));
  EXPECT_EQ(view.viewMode(), 1);
  EXPECT_TRUE(IsWindowVisible(view.grid()));
  EXPECT_EQ(view.gridPresenter().grid().size(), 3u);
  EXPECT_EQ(view.gridPresenter().grid().cellMode(), kDetailCells);
  EXPECT_EQ(view.gridPresenter().grid().GetSelection(), (std::vector<char>{0, 0, 1}));
  WaitForThumbnails();

  // A click in the grid reaches the model and the rows once back in list mode.
  const GridPoint cell0 = view.gridPresenter().grid().layout().CellOrigin(0);
  SendMessageA(view.grid(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell0.x + 5, cell0.y + 5));
  SendMessageA(view.grid(), WM_LBUTTONUP, 0, MAKELPARAM(cell0.x + 5, cell0.y + 5));
  EXPECT_EQ(view.currentItem(), 0);
  EXPECT_EQ(view.GetSelectedIndices(), std::vector<int>{0});
  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_LIST));
  EXPECT_EQ(ListView_GetNextItem(view.listControl(), -1, LVNI_SELECTED), 0);
  EXPECT_EQ(view.gridPresenter().grid().size(), 3u) << "the grid keeps its cells";
  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_LIGHTTHUMB));
  EXPECT_EQ(view.gridPresenter().requested(), 3u) << "switching back fills nothing again";

  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_THUMBLARGE));
  EXPECT_EQ(view.thumbSize(), 2);
  EXPECT_EQ(view.gridPresenter().grid().box(), (GridSize{240, 160}));
  EXPECT_EQ(view.gridPresenter().requested(), 3u) << "every thumbnail is made again at the new size";
  WaitForThumbnails();
  const std::shared_ptr<const PixelImage> large = view.gridPresenter().grid().GetCellBitmap(2);
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(large->width, 240);
  EXPECT_EQ(large->height, 120) << "made from the file, not scaled from the small one";
}

// Pictures as cameras, scanners and editors write them. JPEGs with bytes a
// decoder skips before a marker are listed and get their thumbnails. A TIFF
// that Windows' decoder reads and this one (Wine 8's) does not is listed as
// a failed cell, and the status bar says why when it is chosen.
TEST_F(GridCacheTest, RealWorldPicturesAreListedAndThumbnailed) {
  test::TempFolder pictures;
  const std::string jpeg = test::ReadBytes(test::ZooPath("jpeg_baseline.jpg"));
  ASSERT_GT(jpeg.size(), 6u);
  const size_t afterApp0 = 4 + (static_cast<uint8_t>(jpeg[4]) << 8 | static_cast<uint8_t>(jpeg[5]));
  const std::map<std::string, std::string> inserted = {
      {"stuffed.jpg", std::string("\xFF\x00", 2)},
      {"comment.jpg", std::string("\xFF\xFE\x00\x05zoo", 7) + "junk"},
      {"app13.jpg", std::string("\xFF\xED\x00\x10Photoshop 3.0\x00" "8BIM\x00resource", 31)},
      {"app14.jpg", std::string("\xFF\xEE\x00\x07" "Adobe\x00\x64\x80\x00\x00\x00\x00\x01", 17)}};
  for (const auto& [name, bytes] : inserted) {
    std::string file = jpeg;
    file.insert(afterApp0, bytes);
    test::WriteFileBytes(pictures.File(name), file);
  }
  ASSERT_TRUE(test::CopyZooFile("tiff_planar.tif", pictures.File("planar.tif")));
  ASSERT_TRUE(test::CopyZooFile("tiff_grey16_be.tif", pictures.File("grey16.tif")));

  settings_.dwdLstMod = 0;
  CFileListView& view = Open();
  view.SetFolder(pictures.path().c_str());
  ASSERT_EQ(view.ItemCount(), 6u) << "every one is listed";
  for (size_t i = 0; i < view.ItemCount(); ++i) {
    EXPECT_EQ(view.Item(i)->width, 97) << view.Item(i)->name;
    EXPECT_EQ(view.Item(i)->height, 61) << view.Item(i)->name;
  }
  WaitForThumbnails();
  UpdateWindow(view.hwnd());
  test::SaveWindowShot(view.hwnd(), "grid_real_world");  // for people to look at, with %ZV_SHOT_DIR%
  for (const auto& [name, bytes] : inserted) EXPECT_EQ(StateOf(name.c_str()), ThumbState::kReady) << name;
  EXPECT_EQ(StateOf("grey16.tif"), ThumbState::kReady);
  EXPECT_EQ(StateOf("planar.tif"), ThumbState::kFailed) << "Wine's decoder does not read separate planes";

  const std::string why = PictureProblemText(PictureProblem::kUnreadable);
  Click("planar.tif");
  ASSERT_FALSE(view_.host().statusTexts.empty());
  EXPECT_EQ(view_.host().statusTexts.back().rfind("planar.tif, ", 0), 0u);
  EXPECT_NE(view_.host().statusTexts.back().find(why), std::string::npos) << "the status bar says why";
  Click("app13.jpg");
  EXPECT_EQ(view_.host().statusTexts.back().rfind("app13.jpg, ", 0), 0u);
  EXPECT_EQ(view_.host().statusTexts.back().find(why), std::string::npos) << "a picture with its thumbnail";
}

// The made thumbnails are taken a slice of time at a time. With a slice of
// nothing each message takes one; the grid comes back for the rest by
// itself (the workers announce nothing more until all are taken), and every
// cell arrives. A folder left meanwhile drops what was not taken.
TEST_F(GridCacheTest, MadeThumbnailsAreTakenASliceAtATimeAndAllArrive) {
  settings_.dwdLstMod = 0;
  CFileListView& view = Open();
  GridPresenter& grid = view.gridPresenter();
  grid.SetIntakeSlice(std::chrono::microseconds(0));
  const auto settled = [&] { return grid.outstanding() == grid.waiting(); };  // all made, nothing pumped
  const auto arrived = [&] {
    size_t n = 0;
    for (size_t i = 0; i < grid.grid().size(); ++i) n += grid.grid().Cell(i)->state != ThumbState::kWaiting;
    return n;
  };
  view.SetFolder(folder_.path().c_str());
  ASSERT_EQ(grid.requested(), 3u);
  for (int i = 0; i < 1200 && !settled(); ++i) Sleep(100);  // two minutes at most
  ASSERT_TRUE(settled());
  const size_t before = arrived();
  ASSERT_EQ(grid.waiting(), 3u - before);
  ASSERT_GE(grid.waiting(), 2u);
  SendMessageA(view.grid(), WM_ZV_THUMBS_READY, 0, 0);
  EXPECT_EQ(arrived(), before + 1) << "one result per slice";
  WaitForThumbnails();
  EXPECT_EQ(arrived(), 3u);
  test::SaveWindowShot(view.hwnd(), "grid_slices_taken");  // for people to look at, with %ZV_SHOT_DIR%
  EXPECT_EQ(StateOf("a.png"), ThumbState::kReady);
  EXPECT_EQ(StateOf("b.jpg"), ThumbState::kFailed);
  EXPECT_EQ(StateOf("c.bmp"), ThumbState::kReady);

  view.SetFolder(other_.path().c_str());
  for (int i = 0; i < 1200 && !(settled() && grid.waiting() > 0); ++i) Sleep(100);
  ASSERT_EQ(grid.waiting(), 1u);
  grid.PauseThumbnails();  // so that no result of the new listing can come before the check
  view.SetFolder(folder_.path().c_str());
  EXPECT_EQ(grid.waiting(), 0u) << "the folder left drops the result it did not take";
  grid.ResumeThumbnails();
  WaitForThumbnails();
  EXPECT_EQ(arrived(), 3u);
}

}  // namespace
}  // namespace zv
