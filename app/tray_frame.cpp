#include "app/tray_frame.h"

namespace zv {

namespace {
constexpr char kTrayFrameClass[] = "ZVTrayFrame";
}

bool CTrayFrame::CreateInvisible() {
  if (!RegisterClass(kTrayFrameClass)) return false;
  return Create({.className = kTrayFrameClass, .title = "", .style = 0, .rect = {0, 0, 0, 0}});
}

LRESULT CTrayFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return Window::OnMessage(message, wParam, lParam);
}

}  // namespace zv
