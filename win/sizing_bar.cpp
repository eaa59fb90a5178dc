#include "win/sizing_bar.h"

#include "win/dpi.h"
#include "win/gdi.h"

namespace zv::win {

namespace {
constexpr char kBarClass[] = "ZVSizingBar";
}

int SizingBar::CaptionHeight() const { return Dpi::SystemMetric(SM_CYSMCAPTION, scale_) + scale_.Px(2); }

void SizingBar::SetScale(DisplayScale scale, HFONT font) {
  scale_ = scale;
  font_ = font;
  SetFontOnTree(hwnd(), font);
  LayoutContent(ContentRect());
  InvalidateRect(hwnd(), nullptr, TRUE);
}

bool SizingBar::CreateBar(HWND parent, int barId, const std::string& title, HFONT font) {
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
  scale_ = Dpi::OfWindow(hwnd());
  return CreateContent();
}

RECT SizingBar::ContentRect() const {
  RECT r{};
  GetClientRect(hwnd(), &r);
  r.top = r.bottom > CaptionHeight() ? CaptionHeight() : r.bottom;
  return r;
}

bool SizingBar::OnPaint() {
  PaintDC dc(hwnd());
  RECT r{};
  GetClientRect(hwnd(), &r);
  RECT caption{r.left, r.top, r.right, r.top + CaptionHeight()};
  FillRect(dc.get(), &caption, GetSysColorBrush(COLOR_BTNFACE));
  // The gripper: two raised lines left of the title.
  const int middle = (caption.top + caption.bottom) / 2;
  const int grip = scale_.Px(3);
  for (int y : {middle - grip, middle + scale_.Px(1)}) {
    RECT line{caption.left + grip, y, caption.left + 2 * grip, y + grip};
    DrawEdge(dc.get(), &line, BDR_RAISEDINNER, BF_RECT);
  }
  {
    SelectedObject font(dc.get(), font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), GetSysColor(COLOR_BTNTEXT));
    RECT text{caption.left + scale_.Px(10), caption.top, caption.right - scale_.Px(2), caption.bottom};
    DrawTextA(dc.get(), title_.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  RECT edge{caption.left, caption.bottom - 1, caption.right, caption.bottom};
  FillRect(dc.get(), &edge, GetSysColorBrush(COLOR_BTNSHADOW));
  return true;
}

void SizingBar::OnSize(int, int) {
  LayoutContent(ContentRect());
  InvalidateRect(hwnd(), nullptr, TRUE);
}

}  // namespace zv::win
