// The picture view in real windows: where the picture's child lies and which
// scroll bars show after fitting, zooming, turning, resizing, scrolling and
// dragging; and the view's picture commands on a real folder.
#include "browser/picture_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "browser/tests/list_fixture.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "tests/wine/window_shot.h"
#include "win/command.h"

namespace zv {
namespace {

// A rectangle that gtest can compare and print.
struct Box {
  LONG left, top, right, bottom;
  bool operator==(const Box&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "(" << b.left << ", " << b.top << ")-(" << b.right << ", " << b.bottom << ")";
  }
};

bool BarShown(HWND window, DWORD style) { return (GetWindowLongA(window, GWL_STYLE) & style) != 0; }

SCROLLINFO Bar(HWND window, int bar) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(window, bar, &info);
  return info;
}

class PictureViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Open());
    ASSERT_TRUE(view_.CreateView(host_.hwnd(), IDW_PICTURE_VIEW, true));
    Resize(800, 600);
    test::WriteGreyBmp(folder_.File("small.bmp"), 300, 200);
  }
  void TearDown() override {
    view_.Destroy();
    host_.Destroy();
    test::Pump();
  }
  void Resize(int width, int height) {
    MoveWindow(view_.hwnd(), 0, 0, width, height, TRUE);
    test::Pump();
  }
  // The image child's rectangle in the view's client coordinates.
  Box Image() const {
    RECT rect{};
    GetWindowRect(view_.imageChild(), &rect);
    MapWindowPoints(nullptr, view_.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
  }
  RECT Client() const {
    RECT rect{};
    GetClientRect(view_.hwnd(), &rect);
    return rect;
  }
  void Mouse(UINT message, int x, int y, WPARAM keys) {
    SendMessageA(view_.hwnd(), message, keys, MAKELPARAM(x, y));
  }
  // Writes the large picture once for the tests that need it.
  std::string Large() {
    const std::string path = folder_.File("large.bmp");
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) test::WriteGreyBmp(path, 4000, 3000);
    return path;
  }

  test::TempFolder folder_;
  test::HostWindow host_;
  CPictureView view_;
};

TEST_F(PictureViewTest, FitsCentresZoomsAndTurns) {
  ASSERT_TRUE(view_.ShowPicture(folder_.File("small.bmp").c_str(), 0));
  EXPECT_TRUE(IsWindowVisible(view_.imageChild()));
  EXPECT_EQ(Image(), (Box{250, 200, 550, 400})) << "a smaller picture at real size, centred";
  EXPECT_FALSE(BarShown(view_.hwnd(), WS_HSCROLL));
  EXPECT_FALSE(BarShown(view_.hwnd(), WS_VSCROLL));

  ASSERT_TRUE(view_.ShowPicture(folder_.File("small.bmp").c_str(), 1));
  EXPECT_EQ(Image(), (Box{300, 150, 500, 450})) << "orientation 1 stands the picture up";

  ASSERT_TRUE(view_.ShowPicture(Large().c_str(), 0));
  EXPECT_EQ(Image(), (Box{0, 0, 800, 600})) << "fitted";
  EXPECT_DOUBLE_EQ(view_.zoomFactor(), 0.2);
  EXPECT_FALSE(BarShown(view_.hwnd(), WS_HSCROLL));

  view_.ZoomCommand(2);
  UpdateWindow(view_.hwnd());
  test::SaveWindowShot(view_.hwnd(), "picture_zoomed_in");  // for people to look at, with %ZV_SHOT_DIR%
  EXPECT_EQ(view_.zoomMode(), ZoomMode::kZoom);
  ASSERT_TRUE(BarShown(view_.hwnd(), WS_HSCROLL));
  ASSERT_TRUE(BarShown(view_.hwnd(), WS_VSCROLL));
  const RECT client = Client();
  const SCROLLINFO h = Bar(view_.hwnd(), SB_HORZ), v = Bar(view_.hwnd(), SB_VERT);
  EXPECT_EQ(h.nMax, 1600 - client.right);
  EXPECT_EQ(v.nMax, 1200 - client.bottom);
  EXPECT_EQ(h.nPos, (1600 - client.right) / 2) << "the middle is shown";
  EXPECT_EQ(Image(), (Box{-h.nPos, -v.nPos, 1600 - h.nPos, 1200 - v.nPos}));

  for (int i = 0; i < 6; ++i) view_.ZoomCommand(3);
  EXPECT_DOUBLE_EQ(view_.zoomFactor(), 0.125) << "zooming out stops at an eighth";
  EXPECT_EQ(Image(), (Box{150, 112, 650, 487}));
  EXPECT_FALSE(BarShown(view_.hwnd(), WS_HSCROLL));

  // Turning shows the picture anew, fitted, from the kept pixels: the file may be gone.
  ASSERT_TRUE(DeleteFileA(Large().c_str()));
  EXPECT_TRUE(view_.Reorient(3));
  EXPECT_EQ(view_.zoomMode(), ZoomMode::kFit) << "turning leaves the zoom";
  EXPECT_DOUBLE_EQ(view_.zoomFactor(), 0.15);
  EXPECT_EQ(Image(), (Box{175, 0, 625, 600})) << "3000 x 4000 fitted into 800 x 600";
  EXPECT_FALSE(BarShown(view_.hwnd(), WS_VSCROLL));
  EXPECT_EQ(view_.decodeCount(), 3) << "one decode per picture shown";

  EXPECT_FALSE(view_.ShowPicture(folder_.File("missing.bmp").c_str(), 0));
  EXPECT_FALSE(view_.shown());
  EXPECT_FALSE(IsWindowVisible(view_.imageChild())) << "a picture that cannot be decoded leaves the view empty";
}

// An 8-bit grey BMP, white with a black one-pixel vertical line at column
// `line`, written row by row (the largest is over 100 MB).
void WriteLinedBmp(const std::string& path, int width, int height, int line) {
  const uint32_t stride = (static_cast<uint32_t>(width) + 3) & ~3u;
  uint8_t header[54 + 1024] = {'B', 'M'};
  auto put = [&](size_t at, uint32_t v) { std::memcpy(&header[at], &v, 4); };
  put(2, sizeof header + stride * static_cast<uint32_t>(height));
  put(10, sizeof header);
  put(14, 40);
  put(18, static_cast<uint32_t>(width));
  put(22, static_cast<uint32_t>(height));
  put(26, 1 | (8 << 16));
  put(46, 256);
  for (uint32_t i = 0; i < 256; ++i) put(54 + 4 * i, i | i << 8 | i << 16);
  std::string row(stride, '\xFF');
  row[static_cast<size_t>(line)] = 0;
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(header, 1, sizeof header, file);
  for (int y = 0; y < height; ++y) std::fwrite(row.data(), 1, row.size(), file);
  ASSERT_EQ(std::fclose(file), 0);
}

// A 12,000 x 9,000 scan is too large to hold whole in 32 bits: it opens
// from a reduced copy that still shows a one-pixel pen line, zooms within
// that copy without reading the file, decodes again only past it, and a
// size that cannot be made leaves the picture shown.
TEST_F(PictureViewTest, OpensTheLargestScanReduced) {
  const std::string path = folder_.File("scan.bmp");
  WriteLinedBmp(path, 12000, 9000, 6000);
  ASSERT_TRUE(view_.ShowPicture(path.c_str(), 0));
  EXPECT_EQ(Image(), (Box{0, 0, 800, 600}));
  const KeptPicture& kept = view_.kept();
  ASSERT_TRUE(kept.reduced());
  EXPECT_LE(int64_t{kept.pixels.width} * kept.pixels.height, kMaxZoomInPixels);
  EXPECT_EQ(kept.full, (GridSize{12000, 9000}));
  const int32_t column = static_cast<int32_t>(6000.5 * kept.pixels.width / 12000);
  uint32_t darkest = 255;
  for (int32_t x = column - 1; x <= column + 1; ++x) darkest = std::min(darkest, kept.pixels.At(x, kept.pixels.height / 2) & 0xFF);
  EXPECT_LT(darkest, 224u) << "averaging keeps the pen line; picking pixels would lose it";
  EXPECT_EQ(kept.pixels.At(column + 5, kept.pixels.height / 2) & 0xFF, 255u);

  view_.ZoomCommand(2);
  view_.ZoomCommand(2);
  EXPECT_EQ(view_.displayedSize(), (GridSize{3200, 2400}));
  EXPECT_EQ(view_.decodeCount(), 1) << "served by the reduced copy";
  EXPECT_TRUE(view_.Reorient(1));
  EXPECT_EQ(view_.displayedSize(), (GridSize{450, 600})) << "turned and fitted";
  EXPECT_TRUE(view_.Reorient(0));
  view_.ZoomCommand(2);
  view_.ZoomCommand(2);
  EXPECT_EQ(view_.displayedSize(), (GridSize{3200, 2400}));

  view_.ZoomCommand(1);
  EXPECT_EQ(view_.problem(), PictureProblem::kTooLarge) << "real size would be 108 million pixels";
  EXPECT_TRUE(view_.shown());
  EXPECT_EQ(view_.displayedSize(), (GridSize{3200, 2400})) << "the picture stays as it was";
  EXPECT_EQ(view_.zoomMode(), ZoomMode::kZoom);

  view_.ZoomCommand(2);
  EXPECT_EQ(view_.problem(), PictureProblem::kNone);
  EXPECT_EQ(view_.displayedSize(), (GridSize{6400, 4800}));
  EXPECT_EQ(view_.decodeCount(), 2) << "decoded again at the size shown";
  ASSERT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_TRUE(view_.Reorient(2)) << "turned from the reduced copy, fitted";
  EXPECT_EQ(view_.displayedSize(), (GridSize{800, 600}));
  EXPECT_EQ(view_.decodeCount(), 2);
}

TEST_F(PictureViewTest, ResizeScrollAndDrag) {
  // No bars: a press on the picture does not drag it.
  ASSERT_TRUE(view_.ShowPicture(folder_.File("small.bmp").c_str(), 0));
  Mouse(WM_LBUTTONDOWN, 300, 300, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, 350, 320, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 350, 320, 0);
  EXPECT_EQ(Image(), (Box{250, 200, 550, 400}));

  ASSERT_TRUE(view_.ShowPicture(Large().c_str(), 0));
  Resize(400, 300);
  EXPECT_EQ(Image(), (Box{0, 0, 400, 300})) << "fit mode refits to the new size";

  view_.ZoomCommand(1);
  ASSERT_TRUE(BarShown(view_.hwnd(), WS_HSCROLL));
  const int centre = (4000 - Client().right) / 2;
  SendMessageA(view_.hwnd(), WM_HSCROLL, SB_PAGEDOWN, 0);
  SendMessageA(view_.hwnd(), WM_HSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(Bar(view_.hwnd(), SB_HORZ).nPos, centre + 9) << "a page is 10 pixels, a line 1";
  EXPECT_EQ(Image().left, -(centre + 9));

  Resize(600, 500);
  EXPECT_EQ(Image().left, -(centre + 9)) << "real size keeps the scroll position";
  EXPECT_EQ(Image().right - Image().left, 4000);
  const int top = Image().top;

  // A press beside the picture is no drag; one on it moves it with the mouse.
  Mouse(WM_LBUTTONDOWN, 100, 100, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, 130, 120, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 140, 125, 0);
  EXPECT_EQ(Image().left, -(centre + 9) + 40);
  EXPECT_EQ(Image().top, top + 25);
  EXPECT_EQ(Bar(view_.hwnd(), SB_HORZ).nPos, centre + 9 - 40) << "the bars follow the drag";
  EXPECT_EQ(Bar(view_.hwnd(), SB_VERT).nPos, -(top + 25));
  Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 5000, 5000, 0);
  EXPECT_EQ(Image().left, 0) << "a drag stops at the picture's edge";
  EXPECT_EQ(Image().top, 0);

  SendMessageA(view_.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), 0);
  EXPECT_EQ(Image().top, -2 * (Client().bottom / 10)) << "two notches down, a tenth of the window each";
  EXPECT_EQ(Bar(view_.hwnd(), SB_VERT).nPos, 2 * (Client().bottom / 10));
}

// ---- through the file list view ----

class PictureCommandsTest : public ::testing::Test {
 protected:
  void TearDown() override { view_.Close(); }
  bool Enabled(int id) { return win::QueryCommand(view_.view(), id).enabled(); }

  EnvSet settings_;
  test::TempFolder folder_;
  test::ViewUnderTest view_{settings_};
};

TEST_F(PictureCommandsTest, OpenMoveAroundTurnAndReturn) {
  test::WriteGreyBmp(folder_.File("a.bmp"), 30, 20);
  test::WriteGreyBmp(folder_.File("b.bmp"), 40, 20);
  test::WriteGreyBmp(folder_.File("c.bmp"), 300, 200);
  settings_.dwdLstMod = 0;
  ASSERT_TRUE(view_.Open());
  CFileListView& view = view_.view();
  view.SetFolder(folder_.path().c_str());
  ASSERT_EQ(view.ItemCount(), 3u);
  EXPECT_FALSE(Enabled(ID_VIEW_SHOWPICTURE)) << "nothing selected";
  view.SelectAll();  // c current
  ASSERT_TRUE(Enabled(ID_VIEW_SHOWPICTURE));
  EXPECT_FALSE(Enabled(ID_VIEW_NEXTPICTURE));

  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_SHOWPICTURE));
  EXPECT_TRUE(view.pictureMode().shown());
  EXPECT_TRUE(IsWindowVisible(view.pictureMode().window()));
  EXPECT_FALSE(IsWindowVisible(view.grid()));
  EXPECT_EQ(view.pictureMode().view().path(), folder_.File("c.bmp"));
  EXPECT_EQ(view.GetSelectedIndices(), std::vector<int>{2}) << "the opened record is the only one selected";
  EXPECT_FALSE(Enabled(ID_VIEW_SHOWPICTURE));
  for (int id = ID_VIEW_RETURNLIST; id <= ID_IMAGE_REFLECTV; ++id) EXPECT_TRUE(Enabled(id)) << id;

  view.ExecuteCommand(ID_VIEW_NEXTPICTURE);
  EXPECT_EQ(view.pictureMode().view().path(), folder_.File("a.bmp")) << "next after the last is the first";
  EXPECT_EQ(view.GetSelectedIndices(), std::vector<int>{0});
  view.ExecuteCommand(ID_VIEW_PREVPICTURE);
  EXPECT_EQ(view.pictureMode().view().path(), folder_.File("c.bmp")) << "previous before the first is the last";
  EXPECT_EQ(view.currentItem(), 2);
  EXPECT_EQ(view.gridPresenter().grid().GetSelection(), (std::vector<char>{0, 0, 1}));
  // After three pictures the static still holds a live bitmap of the shown
  // size: the view deletes only the copies the static hands back.
  const auto held = reinterpret_cast<HBITMAP>(
      SendMessageA(view.pictureMode().view().imageChild(), STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP heldInfo{};
  ASSERT_EQ(GetObjectA(held, sizeof heldInfo, &heldInfo), static_cast<int>(sizeof heldInfo));
  EXPECT_EQ(heldInfo.bmWidth, view.pictureMode().view().displayedSize().width);
  EXPECT_EQ(heldInfo.bmHeight, view.pictureMode().view().displayedSize().height);

  // Turning and mirroring do not read the file again.
  const int decodes = view.pictureMode().view().decodeCount();
  ASSERT_TRUE(MoveFileA(folder_.File("c.bmp").c_str(), folder_.File("gone.bmp").c_str()));
  view.ExecuteCommand(ID_IMAGE_ROTATERIGHT);
  EXPECT_EQ(view.pictureMode().view().GetOrientation(), 3);
  EXPECT_TRUE(view.pictureMode().view().shown());
  EXPECT_EQ(view.pictureMode().view().displayedSize(), (GridSize{200, 300}));
  view.ExecuteCommand(ID_IMAGE_REFLECTH);
  EXPECT_EQ(view.pictureMode().view().GetOrientation(), 7);
  view.ExecuteCommand(ID_VIEW_ZOOMIN);
  EXPECT_EQ(view.pictureMode().view().displayedSize(), (GridSize{400, 600}));
  view.ExecuteCommand(ID_IMAGE_ROTATELEFT);
  EXPECT_EQ(view.pictureMode().view().GetOrientation(), 5);
  EXPECT_EQ(view.pictureMode().view().zoomMode(), ZoomMode::kFit) << "a turn shows the picture fitted again";
  EXPECT_EQ(view.pictureMode().view().displayedSize(), (GridSize{300, 200}));
  EXPECT_EQ(view.pictureMode().view().decodeCount(), decodes);

  view.ExecuteCommand(ID_VIEW_RETURNLIST);
  EXPECT_FALSE(view.pictureMode().shown());
  EXPECT_FALSE(IsWindowVisible(view.pictureMode().window()));
  EXPECT_TRUE(IsWindowVisible(view.grid()));
  EXPECT_FALSE(Enabled(ID_VIEW_ZOOMIN));

  // Listing mode leaves the picture too.
  view.ExecuteCommand(ID_VIEW_SHOWPICTURE);
  ASSERT_TRUE(view.pictureMode().shown());
  view.ExecuteCommand(ID_VIEW_LIST);
  EXPECT_FALSE(view.pictureMode().shown());
  EXPECT_TRUE(IsWindowVisible(view.listControl()));
  EXPECT_FALSE(IsWindowVisible(view.pictureMode().window()));
}

// The neighbours are decoded ahead: moving to them reads no file on the
// user-interface thread, at most two pictures wait beside the shown one,
// a neighbour whose file changed is decoded again, and a picture that
// cannot be read says so in the status bar.
TEST_F(PictureCommandsTest, ReadsNeighboursAhead) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"}) test::WriteGreyBmp(folder_.File(name), 60, 40);
  // Listed by its header, but its pixels are cut off.
  test::WriteFileBytes(folder_.File("c.bmp"), test::ReadFileBytes(folder_.File("c.bmp")).substr(0, 60));
  settings_.dwdLstMod = 0;
  ASSERT_TRUE(view_.Open());
  CFileListView& view = view_.view();
  view.SetFolder(folder_.path().c_str());
  ASSERT_EQ(view.ItemCount(), 5u);
  view.SelectAll();  // e current
  auto waitForNeighbours = [&] {
    for (int i = 0; i < 6000 && view.pictureMode().readAhead().KeptPaths().size() < 2; ++i) test::PumpFor(10);
    return view.pictureMode().readAhead().KeptPaths().size();
  };
  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_SHOWPICTURE));
  ASSERT_EQ(view.pictureMode().view().path(), folder_.File("e.bmp"));
  ASSERT_EQ(waitForNeighbours(), 2u) << "a and d";
  const int decodes = view.pictureMode().view().decodeCount();

  view.ExecuteCommand(ID_VIEW_NEXTPICTURE);
  EXPECT_EQ(view.pictureMode().view().path(), folder_.File("a.bmp"));
  EXPECT_TRUE(view.pictureMode().view().shown());
  EXPECT_EQ(view.pictureMode().view().decodeCount(), decodes) << "a came from the read-ahead";
  ASSERT_EQ(waitForNeighbours(), 2u) << "e (left behind) and b";
  view.ExecuteCommand(ID_VIEW_PREVPICTURE);
  EXPECT_EQ(view.pictureMode().view().path(), folder_.File("e.bmp"));
  EXPECT_EQ(view.pictureMode().view().decodeCount(), decodes) << "going back needs no decode";
  // b is dropped at once, a is kept; d, the new neighbour, may be ready already or still being decoded.
  const std::vector<std::string> kept = view.pictureMode().readAhead().KeptPaths();
  EXPECT_NE(std::find(kept.begin(), kept.end(), folder_.File("a.bmp")), kept.end());
  EXPECT_EQ(std::find(kept.begin(), kept.end(), folder_.File("b.bmp")), kept.end());

  // a is kept again; now its file changes.
  ASSERT_EQ(waitForNeighbours(), 2u);
  test::WriteGreyBmp(folder_.File("a.bmp"), 90, 30);
  view.ExecuteCommand(ID_VIEW_NEXTPICTURE);
  EXPECT_EQ(view.pictureMode().view().displayedSize(), (GridSize{90, 30})) << "the changed file, not the old pixels";
  EXPECT_EQ(view.pictureMode().view().decodeCount(), decodes + 1);

  view_.host().statusTexts.clear();
  view.ExecuteCommand(ID_VIEW_NEXTPICTURE);
  view.ExecuteCommand(ID_VIEW_NEXTPICTURE);
  EXPECT_EQ(view.pictureMode().view().path(), folder_.File("c.bmp"));
  EXPECT_FALSE(view.pictureMode().view().shown());
  EXPECT_EQ(view.pictureMode().view().problem(), PictureProblem::kUnreadable);
  ASSERT_FALSE(view_.host().statusTexts.empty());
  const std::string message = PictureProblemText(PictureProblem::kUnreadable);
  EXPECT_NE(message, PictureProblemText(PictureProblem::kTooLarge));
  EXPECT_NE(view_.host().statusTexts.back().find(message), std::string::npos) << "the status bar says why";

  view.ExecuteCommand(ID_VIEW_RETURNLIST);
  EXPECT_TRUE(view.pictureMode().readAhead().KeptPaths().empty()) << "leaving the picture drops what was read ahead";
}

}  // namespace
}  // namespace zv
