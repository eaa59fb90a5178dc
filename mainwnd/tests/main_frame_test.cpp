// The main frame read back from its real windows: menus, toolbar, tool tips,
// texts from String.ini, bar toggles, command routing, scanner commands.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "core/app/text_keys.h"
#include "core/mainwnd/command_table.h"
#include "res/resource.h"
#include "mainwnd/tests/frame_fakes.h"
#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using test::MenuItemText;
using test::Pump;
using test::ToolTipOf;

std::string A(const char* utf8) { return win::Utf8ToAnsi(utf8); }

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    DeleteFileA(StringIni().c_str());
    test::DeleteProgramSettings();
  }
  void TearDown() override {
    frame_.reset();
    Pump();
    DeleteFileA(StringIni().c_str());
    test::DeleteProgramSettings();
    OleUninitialize();
  }
  static std::string StringIni() { return ProgramFolder() + "\\String.ini"; }
  CMainFrame& Open() {
    frame_ = std::make_unique<CMainFrame>(test::FakeParts(record_));
    EXPECT_TRUE(frame_->CreateFrame());
    ShowWindow(frame_->hwnd(), SW_SHOW);
    Pump();
    return *frame_;
  }
  void Command(int id) {
    SendMessageA(frame_->hwnd(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    Pump();
  }
  // The menu's items after the frame's update on opening it.
  UINT StateAfterOpening(HMENU popup, int id) {
    SendMessageA(frame_->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    return GetMenuState(popup, static_cast<UINT>(id), MF_BYCOMMAND);
  }
  HMENU Popup(int position) { return GetSubMenu(GetMenu(frame_->hwnd()), position); }

  AppServices services_;  // the settings record for the scanner commands
  test::FrameRecord record_;
  std::unique_ptr<CMainFrame> frame_;
};

// Walks a built menu against its layout: ids, separators, texts, popups.
void ExpectMenuMatches(HMENU menu, std::span<const MenuEntry> layout, size_t& at, const std::string& where) {
  int position = 0;
  while (at < layout.size() && layout[at].kind != MenuEntry::PopupEnd) {
    const MenuEntry& e = layout[at++];
    const std::string place = where + "/" + std::to_string(position);
    MENUITEMINFOA info{sizeof info};
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU;
    ASSERT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) << place;
    if (e.kind == MenuEntry::Separator) {
      EXPECT_TRUE(info.fType & MFT_SEPARATOR) << place;
    } else if (e.kind == MenuEntry::Item) {
      EXPECT_EQ(info.wID, static_cast<UINT>(e.id)) << place;
      EXPECT_EQ(info.hSubMenu, nullptr) << place;
      EXPECT_EQ(MenuItemText(menu, position), A(FindCommand(e.id)->menuDefault)) << place;
    } else {
      ASSERT_NE(info.hSubMenu, nullptr) << place;
      std::string title;
      for (const FrameText& t : FrameTexts())
        if (std::string(t.key) == e.key) title = A(t.defaultUtf8);
      EXPECT_EQ(MenuItemText(menu, position), title) << place;
      ExpectMenuMatches(info.hSubMenu, layout, at, place);
      ++at;  // the PopupEnd
    }
    ++position;
  }
  EXPECT_EQ(GetMenuItemCount(menu), position) << where;
}

TEST_F(MainFrameTest, MenuBarAndContextMenuAreBuiltAsTabled) {
  CMainFrame& frame = Open();
  HMENU bar = GetMenu(frame.hwnd());
  size_t at = 0;
  ExpectMenuMatches(bar, MenuBarLayout(), at, "bar");
  at = 0;
  ExpectMenuMatches(frame.contextMenu(), ContextMenuLayout(), at, "context");

  // A few places written out, in case the table itself went wrong.
  EXPECT_EQ(MenuItemText(bar, 0), A("ファイル"));
  EXPECT_EQ(MenuItemText(bar, 4), A("ヘルプ"));
  EXPECT_EQ(GetMenuItemID(Popup(0), 0), 32864u);
  EXPECT_EQ(MenuItemText(Popup(0), 9), A("アプリケーションの終了"));
  EXPECT_EQ(MenuItemText(Popup(2), 0), A("サムネイルの大きさ"));
  EXPECT_EQ(MenuItemText(GetSubMenu(Popup(2), 0), 1), A("中 180×120"));
  EXPECT_EQ(GetMenuItemID(Popup(2), 4), 59392u);
  EXPECT_EQ(GetMenuItemID(frame.contextMenu(), 0), 32869u);
  EXPECT_EQ(GetMenuItemID(frame.contextMenu(), 17), 32891u);
  EXPECT_EQ(GetMenuItemCount(frame.contextMenu()), 18);
}

TEST_F(MainFrameTest, ToolbarButtonsAndToolTips) {
  CMainFrame& frame = Open();
  HWND bar = frame.toolbar();
  EXPECT_EQ(GetDlgCtrlID(bar), 59392);
  EXPECT_EQ(win::GetWindowTextString(bar), A("ツールバー"));
  ASSERT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 33);
  const auto layout = ToolbarLayout();
  int image = 0;
  for (int i = 0; i < 33; ++i) {
    TBBUTTON b{};
    ASSERT_TRUE(SendMessageA(bar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b)));
    if (layout[static_cast<size_t>(i)] == 0) {
      EXPECT_TRUE(b.fsStyle & BTNS_SEP) << i;
      continue;
    }
    EXPECT_EQ(b.idCommand, layout[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(b.iBitmap, image++) << "each button its own image, in order";
    EXPECT_EQ(ToolTipOf(frame.hwnd(), b.idCommand), A(FindCommand(b.idCommand)->tipDefault)) << b.idCommand;
  }
  EXPECT_EQ(ToolTipOf(frame.hwnd(), 32860), A("新規フォルダ作成"));
  EXPECT_EQ(ToolTipOf(frame.hwnd(), 32889), A("このファイルを削除"));
  EXPECT_EQ(ToolTipOf(frame.hwnd(), 32862), A("メールで送信"));
  // Commands without a tool-tip text get the fallback.
  EXPECT_EQ(ToolTipOf(frame.hwnd(), 32885), A("忘れてるぞ！"));
  EXPECT_EQ(ToolTipOf(frame.hwnd(), 59393), A("忘れてるぞ！"));
}

TEST_F(MainFrameTest, StringIniChangesTheMenuItemButNotTheToolTip) {
  WritePrivateProfileStringA("MenuText", StoredTextKey("OpenAppli ").c_str(), A("別のアプリで開く").c_str(),
                             StringIni().c_str());
  WritePrivateProfileStringA("BarTitle", StoredTextKey("PreView").c_str(), "Preview pane", StringIni().c_str());
  CMainFrame& frame = Open();
  char text[256] = "";
  GetMenuStringA(Popup(0), 32863, text, sizeof text, MF_BYCOMMAND);
  EXPECT_EQ(std::string(text), A("別のアプリで開く"));
  GetMenuStringA(frame.contextMenu(), 32863, text, sizeof text, MF_BYCOMMAND);
  EXPECT_EQ(std::string(text), A("別のアプリで開く"));
  EXPECT_EQ(ToolTipOf(frame.hwnd(), 32863), A("アプリケーションで開く"));
  EXPECT_EQ(static_cast<win::SizingBar*>(frame.GetPane(2))->title(), "Preview pane");
  // The frame wrote its missing texts back: the file now lists the tool tip key without the blank.
  char stored[256] = "";
  GetPrivateProfileStringA("ToolTipText", StoredTextKey("OpenAppli").c_str(), "", stored, sizeof stored,
                           StringIni().c_str());
  EXPECT_EQ(std::string(stored), A("アプリケーションで開く"));
}

TEST_F(MainFrameTest, BarsHideAndShowWithTheirCheckMarks) {
  CMainFrame& frame = Open();
  HMENU view = Popup(2);
  const struct {
    int id;
    HWND window;
  } bars[] = {{59393, frame.statusBar()},
              {59392, frame.toolbar()},
              {32772, frame.GetPane(1)->hwnd()},
              {32773, frame.GetPane(2)->hwnd()}};
  for (const auto& bar : bars) {
    EXPECT_TRUE(IsWindowVisible(bar.window)) << bar.id;
    EXPECT_TRUE(StateAfterOpening(view, bar.id) & MF_CHECKED) << bar.id;
    EXPECT_FALSE(StateAfterOpening(view, bar.id) & MF_GRAYED) << bar.id;
    Command(bar.id);
    EXPECT_FALSE(IsWindowVisible(bar.window)) << bar.id;
    EXPECT_FALSE(StateAfterOpening(view, bar.id) & MF_CHECKED) << bar.id;
  }
  // With everything hidden the file list fills the client area.
  RECT client{}, list{};
  GetClientRect(frame.hwnd(), &client);
  GetWindowRect(frame.GetPane(0)->hwnd(), &list);
  EXPECT_EQ(list.right - list.left, client.right);
  EXPECT_EQ(list.bottom - list.top, client.bottom);

  for (const auto& bar : bars) {
    Command(bar.id);
    EXPECT_TRUE(IsWindowVisible(bar.window)) << bar.id;
    EXPECT_TRUE(StateAfterOpening(view, bar.id) & MF_CHECKED) << bar.id;
  }
  // The layout outlives the frame: a preview bar hidden now starts hidden.
  Command(32773);
  frame_.reset();
  Pump();
  CMainFrame& again = Open();
  EXPECT_FALSE(IsWindowVisible(again.GetPane(2)->hwnd()));
  EXPECT_TRUE(IsWindowVisible(again.GetPane(1)->hwnd()));
}

TEST_F(MainFrameTest, CommandsAreOfferedToTheFileListFirst) {
  CMainFrame& frame = Open();
  Command(32887);
  EXPECT_EQ(record_.ran, std::vector<int>{32887});
  Command(59393);  // the list declines: the frame toggles the status bar
  EXPECT_EQ(record_.offered.back(), 59393);
  EXPECT_FALSE(IsWindowVisible(frame.statusBar()));

  // The list's update handlers decide for menus and toolbar alike.
  HMENU edit = Popup(1);
  EXPECT_FALSE(StateAfterOpening(edit, 32887) & MF_GRAYED);
  EXPECT_TRUE(StateAfterOpening(edit, 32888) & MF_GRAYED);
  EXPECT_TRUE(StateAfterOpening(edit, 32892) & MF_GRAYED) << "handled by nobody: disabled";
  frame.OnIdle();
  EXPECT_TRUE(SendMessageA(frame.toolbar(), TB_ISBUTTONENABLED, 32887, 0));
  EXPECT_FALSE(SendMessageA(frame.toolbar(), TB_ISBUTTONENABLED, 32888, 0));
  EXPECT_FALSE(SendMessageA(frame.toolbar(), TB_ISBUTTONENABLED, 32860, 0));

  // Accelerators reach the same commands.
  MSG key{frame.GetPane(0)->hwnd(), WM_KEYDOWN, 'X', 0};
  GetKeyState(VK_CONTROL);
  EXPECT_FALSE(frame.PreTranslateMessage(key)) << "X without Ctrl is no accelerator";
  MSG del{frame.GetPane(0)->hwnd(), WM_KEYDOWN, VK_DELETE, 0};
  EXPECT_TRUE(frame.PreTranslateMessage(del));
  Pump();
  EXPECT_EQ(record_.ran.back(), 32889);
}

TEST_F(MainFrameTest, PanesFocusStatusTextAndExit) {
  CMainFrame& frame = Open();
  EXPECT_EQ(GetDlgCtrlID(frame.GetPane(0)->hwnd()), 59648);
  EXPECT_EQ(GetDlgCtrlID(frame.GetPane(1)->hwnd()), 32772);
  EXPECT_EQ(GetDlgCtrlID(frame.GetPane(2)->hwnd()), 32773);
  EXPECT_EQ(frame.GetPane(3), nullptr);
  EXPECT_EQ(GetDlgCtrlID(frame.statusBar()), 109);

  char text[256] = "";
  SendMessageA(frame.statusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "ZAMO Image Viewer") << "string resource 61336 at first";
  frame.SetStatusText(A("3 個のファイル"));
  SendMessageA(frame.statusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::string(text), A("3 個のファイル"));

  SetFocus(frame.hwnd());
  EXPECT_EQ(GetFocus(), frame.GetPane(0)->hwnd());

  HWND window = frame.hwnd();
  Command(57665);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainFrameTest, ScannerCommandsFollowTwainAndTheRunningScan) {
  CMainFrame& frame = Open();
  HMENU file = Popup(0);
  EXPECT_FALSE(StateAfterOpening(file, 32903) & MF_GRAYED);
  EXPECT_FALSE(StateAfterOpening(file, 32904) & MF_GRAYED);

  lstrcpyA(GetEnvSet().chaSavFol, "C:\\no-such-folder-of-zv\\scans");
  Command(32904);
  char documents[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
  EXPECT_STREQ(GetEnvSet().chaSavFol, documents) << "an unusable save folder falls back to the documents";
  EXPECT_EQ(record_.selectedPath, documents) << "the tree shows where scans arrive";
  EXPECT_EQ(record_.acquisitions, 1);
  EXPECT_TRUE(frame.scanning());
  EXPECT_TRUE(StateAfterOpening(file, 32903) & MF_GRAYED);
  EXPECT_TRUE(StateAfterOpening(file, 32904) & MF_GRAYED);

  NMHDR ended{nullptr, IDW_SCANNER, ZV_SCAN_ENDED};
  SendMessageA(frame.hwnd(), WM_NOTIFY, IDW_SCANNER, reinterpret_cast<LPARAM>(&ended));
  EXPECT_FALSE(frame.scanning());
  EXPECT_FALSE(StateAfterOpening(file, 32904) & MF_GRAYED);

  // A writable save folder is kept.
  test::TempFolder scans;
  lstrcpyA(GetEnvSet().chaSavFol, scans.path().c_str());
  Command(32904);
  EXPECT_EQ(std::string(GetEnvSet().chaSavFol), scans.path());
  SendMessageA(frame.hwnd(), WM_NOTIFY, IDW_SCANNER, reinterpret_cast<LPARAM>(&ended));

  // A source that cannot be opened or enabled sends no end: the scan never ran.
  record_.acquireOpens = false;
  Command(32904);
  EXPECT_FALSE(frame.scanning());
  EXPECT_FALSE(StateAfterOpening(file, 32904) & MF_GRAYED);

  record_.twainLoaded = false;
  EXPECT_TRUE(StateAfterOpening(file, 32903) & MF_GRAYED) << "without TWAIN_32.DLL";
  EXPECT_TRUE(StateAfterOpening(file, 32904) & MF_GRAYED);
}

TEST_F(MainFrameTest, TheFrameConnectsTheTreeToTheListAndHostsBoth) {
  CMainFrame& frame = Open();
  auto& tree = static_cast<test::FakeFolderTree&>(*frame.FolderTreeBar());
  auto& list = static_cast<test::FakeFileList&>(*frame.FileList());
  tree.Select("D:\\scans");
  EXPECT_EQ(record_.currentFolder, "D:\\scans") << "a folder selected in the tree is listed";
  tree.Select(nullptr);
  EXPECT_EQ(record_.currentFolder, "") << "a folder without a path clears the list";

  ASSERT_NE(list.host, nullptr);
  list.host->RefreshFolders();
  EXPECT_EQ(record_.treeRefreshes, 1) << "the list's Refresh reaches the tree";
  EXPECT_TRUE(list.host->NewFolderInTree("scans 2"));
  EXPECT_EQ(record_.newFolders, std::vector<std::string>{"scans 2"}) << "the new-folder command's name reaches the tree";
  list.host->ShowStatusText("3 files");
  char text[64] = "";
  SendMessageA(frame.statusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "3 files");
  frame.SelectFolder("E:\\ZVM");
  EXPECT_EQ(record_.selectedPath, "E:\\ZVM") << "the start folder is selected through the tree";
}

}  // namespace
}  // namespace zv
