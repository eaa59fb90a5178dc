// The program's own frame and panes, put together as start-up does: which
// commands are enabled, the Refresh command, the end of a Windows session,
// and the exit of a resident copy.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <memory>
#include <set>
#include <string>

#include "app/registry_profile.h"
#include "browser/file_list_view.h"
#include "browser/tests/list_fixture.h"
#include "core/mainwnd/command_table.h"
#include "program/viewer_app.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"

namespace zv {
namespace {

int StoredInt(const char* field, int fallback = -100) {
  return RegistryProfileSection(kSettingsSection).ReadInt(std::string("m_tagEnvSet.") + field, fallback);
}

class ProgramFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    test::RemoveStringIni();
    test::DeleteProgramSettings();
    // Files another test left on the clipboard would enable the paste.
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }
  void TearDown() override {
    frame_.reset();
    test::Pump();
    test::DeleteProgramSettings();
    OleUninitialize();
  }
  CMainFrame& Open(int listMode) {
    services_.LoadSettings();
    services_.settings().dwdLstMod = listMode;
    frame_ = std::make_unique<CMainFrame>(DefaultFrameParts());
    EXPECT_TRUE(frame_->CreateFrame());
    SetWindowPos(frame_->hwnd(), nullptr, 0, 0, 1000, 700, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    test::Pump();
    return *frame_;
  }
  CFileListView& View() { return *static_cast<CFileListView*>(frame_->FileList()); }
  void Send(int id, int code = 0, HWND from = nullptr) {
    SendMessageA(frame_->hwnd(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(from));
    test::Pump();
  }

  AppServices services_;
  test::TempFolder folder_;
  std::unique_ptr<CMainFrame> frame_;
};

TEST_F(ProgramFrameTest, OnlyCommandsThatDoTheirWorkAreEnabledAndOnlyThoseRun) {
  CMainFrame& frame = Open(0);
  const std::set<int> working = {ID_VIEW_FOLDERTREE, ID_VIEW_PREVIEW,  ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
                                 ID_APP_EXIT,        ID_HELP_INDEX,    ID_HELP_INFORMATION, ID_VIEW_REFRESH,
                                 ID_VIEW_LIST,       ID_VIEW_LIGHTTHUMB, ID_VIEW_DETAILTHUMB, ID_VIEW_THUMBSMALL,
                                 ID_VIEW_THUMBMEDIUM, ID_VIEW_THUMBLARGE, ID_VIEW_SORT, ID_TOOL_APPSETTING,
                                 ID_TWAIN_SELECT, ID_TWAIN_INPUT};  // Wine has TWAIN_32.DLL
  for (const CommandInfo& c : CommandTable()) {
    if (c.id == ID_VIEW_CUSTOMIZE) continue;  // nothing invokes the toolbar customisation
    EXPECT_EQ(win::QueryCommand(frame, c.id).enabled(), working.count(c.id) == 1) << c.id;
  }

  for (const char* name : {"a.png", "b.png"}) ASSERT_TRUE(test::CopyZooFile("png_grey8.png", folder_.File(name)));
  View().SetFolder(folder_.path().c_str());
  ASSERT_EQ(View().ItemCount(), 2u);
  // Ctrl+A while the grid shows: the accelerator selects every cell.
  MSG key{View().hwnd(), WM_KEYDOWN, 'A', 0};
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  EXPECT_TRUE(frame.PreTranslateMessage(key));
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  test::Pump();
  EXPECT_EQ(View().GetSelectedCount(), 2);
  EXPECT_EQ(View().gridPresenter().grid().GetSelection(), (std::vector<char>{1, 1}));

  // A selection opens a picture; then the picture commands work, and the
  // Right key after the last picture shows the first.
  EXPECT_TRUE(win::QueryCommand(frame, ID_VIEW_SHOWPICTURE).enabled());
  Send(ID_VIEW_SHOWPICTURE);
  ASSERT_TRUE(View().pictureMode().shown());
  EXPECT_EQ(View().pictureMode().view().path(), folder_.File("b.png"));
  for (int id : {ID_VIEW_RETURNLIST, ID_VIEW_PREVPICTURE, ID_VIEW_NEXTPICTURE, ID_VIEW_REALSIZE, ID_VIEW_INWINDOW,
                 ID_VIEW_ZOOMIN, ID_VIEW_ZOOMOUT, ID_IMAGE_ROTATERIGHT, ID_IMAGE_ROTATELEFT, ID_IMAGE_REFLECTH,
                 ID_IMAGE_REFLECTV})
    EXPECT_TRUE(win::QueryCommand(frame, id).enabled()) << id;
  EXPECT_FALSE(win::QueryCommand(frame, ID_VIEW_SHOWPICTURE).enabled());
  MSG right{View().hwnd(), WM_KEYDOWN, VK_RIGHT, 0};
  EXPECT_TRUE(frame.PreTranslateMessage(right));
  EXPECT_EQ(View().pictureMode().view().path(), folder_.File("a.png"));
  Send(ID_VIEW_RETURNLIST);
  EXPECT_FALSE(View().pictureMode().shown());
  View().SelectAll();

  // A control's notification that carries a command's id is no command.
  Send(ID_VIEW_LIST, EN_CHANGE, View().hwnd());
  EXPECT_NE(View().viewMode(), kListMode);
  Send(ID_VIEW_LIST);
  EXPECT_EQ(View().viewMode(), kListMode);
  EXPECT_EQ(ListView_GetSelectedCount(View().listControl()), 2u) << "the rows show the grid's selection";
  Send(ID_VIEW_THUMBLARGE);
  EXPECT_EQ(View().thumbSize(), 0) << "a thumbnail size is disabled in list mode and does not run";
}

TEST_F(ProgramFrameTest, RefreshReadsTheFolderTreeAndTheFolderAgain) {
  ASSERT_TRUE(test::CopyZooFile("png_grey8.png", folder_.File("a.png")));
  Open(kListMode);
  frame_->SelectFolder(folder_.path());
  ASSERT_EQ(View().CurrentFolder(), folder_.path());
  const std::string before = test::CellText(View().listControl(), 0, 3);

  // Changed outside the program: a folder made, a file rewritten in place.
  ASSERT_TRUE(CreateDirectoryA(folder_.File("made-elsewhere").c_str(), nullptr));
  ASSERT_TRUE(test::CopyZooFile("fit_1600x1200.png", folder_.File("a.png")));
  Send(ID_VIEW_REFRESH);

  EXPECT_EQ(View().CurrentFolder(), folder_.path()) << "the tree selected the same folder again";
  EXPECT_NE(test::CellText(View().listControl(), 0, 3), before) << "the folder was listed afresh, not rescanned";
  EXPECT_EQ(View().Item(0)->width, 1600);
  HWND tree = frame_->FolderTreeBar()->GetTreeCtrl();
  HTREEITEM selected = TreeView_GetSelection(tree);
  ASSERT_NE(selected, nullptr);
  TreeView_Expand(tree, selected, TVE_EXPAND);
  bool found = false;
  for (HTREEITEM child = TreeView_GetChild(tree, selected); child != nullptr;
       child = TreeView_GetNextSibling(tree, child)) {
    char text[MAX_PATH] = "";
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = child;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    TreeView_GetItem(tree, &item);
    found = found || std::string(text) == "made-elsewhere";
  }
  EXPECT_TRUE(found) << "a folder made outside the program appears in the tree";
}

TEST_F(ProgramFrameTest, TheEndOfAWindowsSessionSavesLikeANormalExit) {
  CMainFrame& frame = Open(0);
  Send(ID_VIEW_LIST);
  const int exits = services_.settings().dwdExcCnt;
  EXPECT_TRUE(SendMessageA(frame.hwnd(), WM_QUERYENDSESSION, 0, 0));
  SendMessageA(frame.hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(IsWindow(frame.hwnd())) << "the frame closed as at an exit";
  EXPECT_EQ(StoredInt("dwdLstMod"), kListMode) << "the view wrote its mode back and the record was saved";
  EXPECT_EQ(StoredInt("dwdExcCnt"), exits + 1);
  services_.SaveSettingsAtExit();
  EXPECT_EQ(StoredInt("dwdExcCnt"), exits + 1) << "an exit is counted once";
}

TEST(ResidentCopy, ItsExitKeepsWhatABrowserCopySavedMeanwhile) {
  test::DeleteProgramSettings();
  {
    CViewerApp resident;
    ASSERT_TRUE(resident.InitInstance("i"));
    // A browser copy, run and closed while the resident copy waits, saved its work.
    EnvSet browser;
    browser.dwdExcCnt = 7;
    browser.dwdLstMod = 2;
    lstrcpyA(browser.chaLstFld, "C:\\work\\scans");
    SaveEnvSet(browser);
    resident.ExitInstance();
  }
  EXPECT_EQ(StoredInt("dwdLstMod"), 2);
  EXPECT_EQ(RegistryProfileSection(kSettingsSection).ReadText("m_tagEnvSet.chaLstFld", ""), "C:\\work\\scans");
  EXPECT_EQ(StoredInt("dwdExcCnt"), 8) << "the resident copy's normal exit still counts";
  test::DeleteProgramSettings();
}

}  // namespace
}  // namespace zv
