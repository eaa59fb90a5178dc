#include "mainwnd/panes.h"

namespace zv {

namespace {
constexpr char kBarClass[] = "ZVSizingBar";
}

int CSizingBar::CaptionHeight() { return GetSystemMetrics(SM_CYSMCAPTION) + 2; }

bool CSizingBar::CreateBar(HWND parent, int barId, const std::string& title, HFONT font) {
  title_ = title;
  font_ = font;
  if (!RegisterClass(kBarClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) return false;
  if (!Create({.className = kBarClass,
               .title = title_.c_str(),
               .style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
               .rect = {0, 0, 200, 200},
               .parent = parent,
               .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(barId))}))
    return false;
  return CreateContent();
}

RECT CSizingBar::ContentRect() const {
  RECT r{};
  GetClientRect(hwnd(), &r);
  r.top = r.bottom > CaptionHeight() ? CaptionHeight() : r.bottom;
  return r;
}

void CSizingBar::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT r{};
  GetClientRect(hwnd(), &r);
  RECT caption{r.left, r.top, r.right, r.top + CaptionHeight()};
  FillRect(dc, &caption, GetSysColorBrush(COLOR_BTNFACE));
  // The gripper: two raised lines left of the title.
  const int middle = (caption.top + caption.bottom) / 2;
  for (int y : {middle - 3, middle + 1}) {
    RECT line{caption.left + 3, y, caption.left + 6, y + 3};
    DrawEdge(dc, &line, BDR_RAISEDINNER, BF_RECT);
  }
  HGDIOBJ old = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT text{caption.left + 10, caption.top, caption.right - 2, caption.bottom};
  DrawTextA(dc, title_.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  SelectObject(dc, old);
  RECT edge{caption.left, caption.bottom - 1, caption.right, caption.bottom};
  FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
  EndPaint(hwnd(), &ps);
}

LRESULT CSizingBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SIZE:
      LayoutContent(ContentRect());
      InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    default:
      return Window::OnMessage(message, wParam, lParam);
  }
}

}  // namespace zv
