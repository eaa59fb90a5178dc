// The file list view as pane 0 of a real main frame: the status bar text of
// the current item after the deferred update, and the context menu at the
// point of a right click.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <memory>
#include <string>

#include "app/app_services.h"
#include "browser/file_list_view.h"
#include "browser/tests/list_fixture.h"
#include "core/browser/cell_texts.h"
#include "mainwnd/main_frame.h"
#include "mainwnd/tests/frame_fakes.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"

namespace zv {
namespace {

class FileListInFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::RemoveStringIni();
    test::DeleteProgramSettings();
    settings_.dwdLstMod = kListMode;
    frame_ = std::make_unique<CMainFrame>(test::FileListFrameParts(settings_, view_));
    ASSERT_TRUE(frame_->CreateFrame());
    SetWindowPos(frame_->hwnd(), nullptr, 0, 0, 1000, 700, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    test::Pump();
    for (const char* name : {"a.png", "b.png", "c.png"})
      ASSERT_TRUE(test::CopyZooFile(name[0] == 'c' ? "png_grey4.png" : "png_grey8.png", folder_.File(name)));
    view_->SetFolder(folder_.path().c_str());
  }
  void TearDown() override {
    frame_.reset();
    test::Pump();
    test::RemoveStringIni();
    test::DeleteProgramSettings();
  }
  std::string StatusText() {
    char text[1024] = "";
    SendMessageA(frame_->statusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }
  const std::string& PreviewPath() { return frame_->PreviewBar()->window().path(); }
  void SelectByUser(int row) {
    ListView_SetItemState(view_->listControl(), -1, 0, LVIS_SELECTED);
    ListView_SetItemState(view_->listControl(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }

  AppServices services_;
  EnvSet settings_;
  test::TempFolder folder_;
  std::unique_ptr<CMainFrame> frame_;
  CFileListView* view_ = nullptr;
};

std::string Caption(int column) { return win::Utf8ToAnsi(ColumnCaptions()[static_cast<size_t>(column)].defaultUtf8); }

TEST_F(FileListInFrameTest, StatusTextFollowsTheCurrentItemAfterThePause) {
  EXPECT_EQ(StatusText(), "ZAMO Image Viewer") << "no current item: the idle text";
  SelectByUser(0);
  SelectByUser(2);
  EXPECT_EQ(StatusText(), "ZAMO Image Viewer") << "the update waits for its pause, not for each change";
  EXPECT_EQ(PreviewPath(), "") << "the preview waits as the status does";
  const std::string expected =
      "c.png, " + Caption(kPictSizeColumn) + " 97/61,  " + Caption(kColorsColumn) + " 16";
  for (int i = 0; i < 6000 && StatusText() != expected; ++i) test::PumpFor(10);  // up to a minute
  EXPECT_EQ(StatusText(), expected);
  EXPECT_EQ(PreviewPath(), folder_.File("c.png"));
  const RECT shown = frame_->PreviewBar()->window().PictureRect();
  EXPECT_EQ(shown.right - shown.left, 97) << "a picture smaller than the pane keeps its size";

  // The view's own selection writes are not the user's.
  frame_->ExecuteCommand(ID_EDIT_SELECTALL);
  EXPECT_EQ(view_->GetSelectedCount(), 3);
  view_->SetFolder(folder_.path().c_str());
  EXPECT_EQ(StatusText(), "ZAMO Image Viewer") << "a new listing has no current item";
  EXPECT_EQ(PreviewPath(), "") << "and no preview";
  test::PumpFor(700);  // longer than the pause: an update wrongly started would have come
  EXPECT_EQ(StatusText(), "ZAMO Image Viewer");
}

TEST_F(FileListInFrameTest, AClickInTheGridPreviewsAtOnce) {
  frame_->ExecuteCommand(ID_VIEW_LIGHTTHUMB);
  test::Pump();
  ASSERT_TRUE(IsWindowVisible(view_->grid()));
  SendMessageA(view_->grid(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));  // the first cell
  SendMessageA(view_->grid(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(PreviewPath(), folder_.File("a.png")) << "no pause after a click in the grid";
  EXPECT_EQ(StatusText().substr(0, 6), "a.png,");
  const RECT shown = frame_->PreviewBar()->window().PictureRect();
  EXPECT_FALSE(IsRectEmpty(&shown));
}

// Finds the popup menu while it is tracked, records where it is, and ends it.
RECT g_menuRect;
bool g_menuSeen = false;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
  HWND menu = FindWindowA("#32768", nullptr);
  if (menu == nullptr || !IsWindowVisible(menu)) return;
  GetWindowRect(menu, &g_menuRect);
  g_menuSeen = true;
  EndMenu();
}

TEST_F(FileListInFrameTest, RightClickOpensTheContextMenuAtTheScreenPoint) {
  NMITEMACTIVATE click{};
  click.hdr = {view_->listControl(), IDW_FILE_LIST, static_cast<UINT>(NM_RCLICK)};
  click.iItem = 1;
  click.ptAction = {40, 30};  // in the list's client area
  POINT screen = click.ptAction;
  ClientToScreen(view_->listControl(), &screen);
  UINT_PTR timer = SetTimer(nullptr, 0, 100, &CloseMenu);
  SendMessageA(view_->hwnd(), WM_NOTIFY, IDW_FILE_LIST, reinterpret_cast<LPARAM>(&click));
  KillTimer(nullptr, timer);
  ASSERT_TRUE(g_menuSeen) << "the frame's context menu was shown";
  EXPECT_NEAR(g_menuRect.left, screen.x, 2);
  EXPECT_NEAR(g_menuRect.top, screen.y, 2);
}

}  // namespace
}  // namespace zv
