#include "win/navigation_keys.h"

namespace zv::win {

bool WantsNavigationKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.hwnd == nullptr || !IsWindowVisible(msg.hwnd)) return false;
  switch (msg.wParam) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: break;
    default: return false;
  }
  MSG copy = msg;
  const LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&copy));
  return (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) != 0;
}

bool MoveFocusAmongPanes(const MSG& msg, std::span<const HWND> panes) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_TAB && msg.wParam != VK_F6) || panes.empty()) return false;
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  const HWND focus = GetFocus();
  size_t current = panes.size();
  for (size_t i = 0; i < panes.size(); ++i)
    if (panes[i] != nullptr && (panes[i] == focus || IsChild(panes[i], focus))) current = i;
  const bool backwards = GetKeyState(VK_SHIFT) < 0;
  for (size_t step = 1; step <= panes.size(); ++step) {
    const size_t from = current == panes.size() ? (backwards ? 0 : panes.size() - 1) : current;
    const size_t next = backwards ? (from + panes.size() - step) % panes.size() : (from + step) % panes.size();
    if (panes[next] == nullptr || !IsWindowVisible(panes[next]) || next == current) continue;
    SetFocus(panes[next]);
    return true;
  }
  return false;
}

}  // namespace zv::win
