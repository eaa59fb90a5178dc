#include "app/tray_frame.h"

#include <cstddef>

#include "app/app_paths.h"
#include "app/auto_start.h"
#include "app/ui_text_table.h"
#include "app/app_services.h"
#include "copyboard/win_copyboard_system.h"
#include "core/copyboard/drive_finder.h"
#include "core/text/ansi_text.h"
#include "res/resource.h"
#include "win/dpi.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr char kTrayFrameClass[] = "ZVTrayFrame";
constexpr UINT kTrayIconId = 1;

// The first form of the record ends with the 64-byte tip.
constexpr DWORD kIconRecordSize = offsetof(NOTIFYICONDATAA, szTip) + 64;
#ifndef _WIN64
static_assert(kIconRecordSize == 88, "the first form of NOTIFYICONDATAA is 88 bytes");
#endif

bool CopyboardUnit0Ready() {
  Win32CopyboardSystem system;
  return DriveFinder(system).IsUnit0Ready();
}

}  // namespace

bool CTrayFrame::CreateInvisible() {
  if (!RegisterClass(kTrayFrameClass)) return false;
  return Create({.className = kTrayFrameClass, .title = "", .style = 0, .rect = {0, 0, 0, 0}});
}

bool CTrayFrame::OnCreate() {
  LoadTexts();
  FillIconRecord();
  Shell_NotifyIconA(NIM_ADD, &icon_);
  BuildMenu();
  // Explorer sends this after it restarts; the icon is then added again.
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  StartTimer(IDT_TRAY_POLL, kTrayPollMilliseconds);
  return true;
}

void CTrayFrame::OnDestroy() {
  StopTimer(IDT_TRAY_POLL);
  Shell_NotifyIconA(NIM_DELETE, &icon_);
  PostQuitMessage(0);
}

void CTrayFrame::LoadTexts() {
  CUiTextTable texts;
  startText_ = texts.GetText("TrayMenu", "ZViewerStart", "ZAMO Image Viewer 起動");
  exitText_ = texts.GetText("TrayMenu", "TaskTrayExit", "タスクトレイから削除");
  closeText_ = texts.GetText("TrayMenu", "TaskTrayMenuClose", "メニューを閉じる");
}

void CTrayFrame::FillIconRecord() {
  icon_ = {};
  icon_.cbSize = kIconRecordSize;
  icon_.hWnd = hwnd();
  icon_.uID = kTrayIconId;
  icon_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon_.uCallbackMessage = WM_ZV_TRAY_NOTIFY;
  SetIcon(IDI_TRAY_DISCONNECTED);
  // The application title; a longer one is cut to 63 bytes at a character boundary.
  char title[256] = "";
  LoadStringA(GetModuleHandleA(nullptr), IDR_MAINFRAME, title, sizeof title);
  CopyToField(icon_.szTip, 64, title, win::IsAnsiLeadByte);
}

void CTrayFrame::BuildMenu() {
  menu_.reset(CreatePopupMenu());
  AppendMenuA(menu_.get(), MF_STRING, ID_TRAY_START_BROWSER, startText_.c_str());
  AppendMenuA(menu_.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu_.get(), MF_STRING, ID_TRAY_EXIT, exitText_.c_str());
  AppendMenuA(menu_.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu_.get(), MF_STRING, ID_TRAY_CLOSE_MENU, closeText_.c_str());
}

// The tray shows a small icon: the image drawn for the screen's small icon
// size (16, 24 or 32 pixels), so that the shell need not shrink a large one.
void CTrayFrame::SetIcon(int resourceId) {
  const int side = win::Dpi::SystemMetric(SM_CXSMICON, win::Dpi::OfWindow(hwnd()));
  icon_.hIcon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, side, side, LR_SHARED));
}

// A browser copy is started once per connection, not on every poll; when one
// already runs, the new copy only brings it to the front and ends.
void CTrayFrame::PollConnection() {
  const bool ready = CopyboardUnit0Ready();
  if (connected_ == 0 && ready) {
    SetIcon(IDI_TRAY_CONNECTED);
    connected_ = 1;
    LaunchInstance(0);
    Shell_NotifyIconA(NIM_MODIFY, &icon_);
  } else if (connected_ == 1 && !ready) {
    SetIcon(IDI_TRAY_DISCONNECTED);
    connected_ = 0;
    Shell_NotifyIconA(NIM_MODIFY, &icon_);
  }
}

void CTrayFrame::OnTimer(UINT_PTR id) {
  if (id == IDT_TRAY_POLL) PollConnection();
}

void CTrayFrame::OnTrayMouse(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      ShowMenuAtCursor();
      break;
    case WM_LBUTTONDBLCLK:
      LaunchInstance(0);
      break;
    default:
      break;
  }
}

void CTrayFrame::ShowMenuAtCursor() {
  POINT cursor{};
  GetCursorPos(&cursor);
  // Without the foreground the menu would not close when the user clicks
  // elsewhere; the null message afterwards lets a second click open it again.
  SetForegroundWindow(hwnd());
  TrackPopupMenu(menu_.get(), TPM_LEFTALIGN, cursor.x, cursor.y, 0, hwnd(), nullptr);
  PostMessageA(hwnd(), WM_NULL, 0, 0);
}

bool CTrayFrame::OnCommand(int id, int /*code*/, HWND /*from*/) {
  switch (id) {
    case ID_TRAY_START_BROWSER:
      LaunchInstance(0);
      return true;
    case ID_TRAY_EXIT:
      SetAutoStart(0, ProgramPath());
      SetTrayStart(0);
      PostMessageA(hwnd(), WM_CLOSE, 0, 0);
      return true;
    case ID_TRAY_CLOSE_MENU:
      return true;
    default:
      return false;
  }
}

LRESULT CTrayFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ZV_TRAY_NOTIFY) {
    OnTrayMouse(static_cast<UINT>(lParam));
    return 0;
  }
  if (message == WM_ENDSESSION && wParam) {
    SaveSettingsAtExit();  // the process may end as soon as this returns
    return 0;
  }
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    Shell_NotifyIconA(NIM_ADD, &icon_);
    return 0;
  }
  return Window::OnMessage(message, wParam, lParam);
}

}  // namespace zv
