#include "mainwnd/main_frame.h"

#include "res/app_identity.h"
#include "res/resource.h"

namespace zv {

namespace {
constexpr char kMainFrameClass[] = "ZVMainFrame";
}

bool CMainFrame::CreateFrame() {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  if (!RegisterClass(kMainFrameClass, icon, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1))) return false;
  return Create({.className = kMainFrameClass, .title = ZV_APP_TITLE, .style = WS_OVERLAPPEDWINDOW});
}

bool CMainFrame::PreTranslateMessage(MSG&) { return false; }

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return Window::OnMessage(message, wParam, lParam);
}

}  // namespace zv
