// The resident copy end to end, with the simulated copyboard of
// scripts/copyboard.sh: plugging the board in makes the resident copy start a
// browser copy on the board's mirror; plugging it in again brings that
// browser to the front; the tray menu's exit leaves resident mode.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/auto_start.h"
#include "app/registry_profile.h"
#include "app/single_instance.h"
#include "app/tray_frame.h"
#include "copyboard/mirror_files.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/folder_listing.h"
#include "win/registry.h"

namespace zv {
namespace {

using test::ProgramCopy;

constexpr DWORD kStartTimeout = 15000;
// One poll period and a browser's start (Wine start, one second of splash).
constexpr DWORD kBrowserAfterPlugTimeout = kTrayPollMilliseconds + 8000;

BOOL CALLBACK CountBrowser(HWND window, LPARAM count) {
  if (GetPropA(window, kBrowserCopyName) != nullptr) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int BrowserWindowCount() {
  int count = 0;
  EnumWindows(&CountBrowser, reinterpret_cast<LPARAM>(&count));
  return count;
}

HWND Browser() { return FindWindowWithProperty(kBrowserCopyName); }

// Ends every browser copy (those the resident copy started are not ours to
// terminate by handle).
void CloseBrowsers() {
  for (int i = 0; i < 20 && Browser() != nullptr; ++i) {
    HWND browser = Browser();
    DWORD pid = 0;
    GetWindowThreadProcessId(browser, &pid);
    PostMessageA(browser, WM_CLOSE, 0, 0);
    if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid)) {
      if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
      CloseHandle(process);
    }
  }
}

std::vector<std::string> PlainFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : win::ListFolderEntries(folder))
    if (!entry.isFolder) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

int ListedRows(HWND browser) {
  HWND list = test::FindChildById(browser, IDW_FILE_LIST);
  return list != nullptr ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  return test::WaitForWindow([&] { return condition() ? GetDesktopWindow() : nullptr; }, timeoutMs) != nullptr;
}

win::UniqueKey SettingsKey() { return win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings"); }

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::DeleteProgramSettings();
    // The browser lists in list mode, so its rows can be counted.
    win::WriteDword(SettingsKey().get(), "m_tagEnvSet.dwdLstMod", 2);
    ASSERT_TRUE(test::RunBoardScript("unplug"));
  }
  void TearDown() override {
    CloseBrowsers();
    SetAutoStart(0, program_.exe());  // a failed test must not leave a log-on start behind
    test::RunBoardScript("unplug");
    test::DeleteProgramSettings();
  }

  HWND StartResident() {
    if (HWND other = FindWindowWithProperty(kResidentCopyName)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(other, &pid);
      ADD_FAILURE() << "a resident copy already runs, process " << pid;
    }
    resident_ = program_.Launch("i");
    HWND tray = test::WaitForWindow(
        [&] { return test::TopWindowOf(resident_.dwProcessId, kResidentCopyName); }, kStartTimeout);
    DWORD code = 0;
    if (tray == nullptr && GetExitCodeProcess(resident_.hProcess, &code))
      ADD_FAILURE() << "no tray frame; the resident copy's exit code: " << code;
    return tray;
  }

  ProgramCopy program_;
  PROCESS_INFORMATION resident_{};
};

TEST_F(TrayTest, PluggingTheBoardInOpensTheBrowserOnItsMirror) {
  HWND tray = StartResident();
  ASSERT_NE(tray, nullptr);
  Sleep(kTrayPollMilliseconds + 500);
  EXPECT_EQ(Browser(), nullptr) << "no browser while the board is not connected";

  ASSERT_TRUE(test::RunBoardScript("plug"));
  const DWORD plugged = GetTickCount();
  HWND browser = test::WaitForWindow(Browser, kBrowserAfterPlugTimeout);
  ASSERT_NE(browser, nullptr) << "plugging the board in starts a browser copy";
  std::printf("browser window %lu ms after plug\n", static_cast<unsigned long>(GetTickCount() - plugged));

  // The start folder is unit 1's device folder; it is shown through Q7CF.
  const std::vector<std::string> board = PlainFiles("F:\\ZVM");
  ASSERT_FALSE(board.empty()) << "the simulated board holds images";
  EXPECT_TRUE(WaitUntil([&] { return ListedRows(browser) == static_cast<int>(board.size()); }, 10000))
      << "the browser lists the board's images; rows: " << ListedRows(browser);
  EXPECT_EQ(PlainFiles(program_.folder() + "\\Q7CF"), board) << "the mirror holds a copy of every board file";

  // Pulled out and plugged in again: the running browser comes to the front.
  ShowWindow(browser, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(browser) != FALSE; }, 5000));
  ASSERT_TRUE(test::RunBoardScript("unplug"));
  Sleep(kTrayPollMilliseconds + 1000);
  EXPECT_TRUE(IsWindow(browser)) << "unplugging leaves the browser open";
  ASSERT_TRUE(test::RunBoardScript("plug"));
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(browser) == FALSE; }, kBrowserAfterPlugTimeout))
      << "the second connection restores the running browser";
  Sleep(1000);
  EXPECT_EQ(BrowserWindowCount(), 1) << "the second browser copy only activated the first";
}

TEST_F(TrayTest, DoubleClickStartsTheBrowserAndExitLeavesResidentMode) {
  HWND tray = StartResident();
  ASSERT_NE(tray, nullptr);
  PostMessageA(tray, WM_ZV_TRAY_NOTIFY, 1, WM_LBUTTONDBLCLK);
  EXPECT_NE(test::WaitForWindow(Browser, kStartTimeout), nullptr) << "a double click starts the browser";
  CloseBrowsers();

  for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
    PostMessageA(tray, WM_ZV_TRAY_NOTIFY, 1, press);
    HWND menu = test::WaitForWindow([&] { return test::TopWindowOf(resident_.dwProcessId, nullptr, "#32768"); },
                                    5000);
    ASSERT_NE(menu, nullptr) << "a button press on the icon shows the tray menu";
    // (Wine keeps menus inside their process, so the items are not read from here.)
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 5000)) << "Escape closes the menu";
  }

  PostMessageA(tray, WM_COMMAND, ID_TRAY_START_BROWSER, 0);
  EXPECT_NE(test::WaitForWindow(Browser, kStartTimeout), nullptr) << "the menu's first item starts the browser";
  CloseBrowsers();

  PostMessageA(tray, WM_COMMAND, ID_TRAY_CLOSE_MENU, 0);
  Sleep(300);
  EXPECT_TRUE(IsWindow(tray)) << "closing the menu changes nothing";

  SetAutoStart(1, program_.exe());
  win::WriteDword(SettingsKey().get(), "intTstTry", 1);
  win::UniqueKey run = win::OpenKey(HKEY_LOCAL_MACHINE, kRunKeyPath);
  ASSERT_EQ(win::ReadString(run.get(), "ZViewer").value_or(""), "\"" + program_.exe() + "\" i")
      << "the Run value is there before the exit";
  PostMessageA(tray, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_TRUE(test::WaitForExit(resident_)) << "TaskTrayExit ends the resident copy";
  EXPECT_FALSE(win::ReadString(run.get(), "ZViewer").has_value()) << "the Run value is gone";
  EXPECT_EQ(win::ReadDword(SettingsKey().get(), "intTstTry").value_or(99), 0u);
}

}  // namespace
}  // namespace zv
