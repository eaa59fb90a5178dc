#include "mainwnd/frame_bars.h"

#include <commctrl.h>

#include <vector>

#include "core/mainwnd/command_table.h"
#include "res/resource.h"

namespace zv {

ToolbarStrip ToolbarStripFor(DisplayScale scale) {
  constexpr DisplayScale k150{144}, k200{192};
  if (scale.dpi >= 168) return {IDB_TOOLBAR_200, k200.Px(16), k200.Px(15)};
  if (scale.dpi >= 120) return {IDB_TOOLBAR_150, k150.Px(16), k150.Px(15)};
  return {IDB_TOOLBAR, 16, 15};
}

HWND CreateFrameToolbar(HWND parent, DisplayScale scale) {
  HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                 CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                             0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_VIEW_TOOLBAR)),
                             GetModuleHandleA(nullptr), nullptr);
  if (bar == nullptr) return nullptr;
  SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  const ToolbarStrip images = ToolbarStripFor(scale);
  SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(images.width, images.height));
  // Room around the image as the toolkit gives it: 1 pixel borders on each side.
  SendMessageA(bar, TB_SETINDENT, static_cast<WPARAM>(scale.Px(1)), 0);
  TBADDBITMAP strip{GetModuleHandleA(nullptr), static_cast<UINT_PTR>(images.resource)};
  if (SendMessageA(bar, TB_ADDBITMAP, kToolbarButtonCount, reinterpret_cast<LPARAM>(&strip)) < 0) {
    DestroyWindow(bar);
    return nullptr;
  }
  std::vector<TBBUTTON> buttons;
  int image = 0;
  for (int id : ToolbarLayout()) {
    TBBUTTON b{};
    if (id == 0) {
      b.fsStyle = BTNS_SEP;
      b.iBitmap = scale.Px(6);  // a separator's width
    } else {
      b.iBitmap = image++;
      b.idCommand = id;
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = BTNS_BUTTON;
    }
    buttons.push_back(b);
  }
  if (!SendMessageA(bar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()))) {
    DestroyWindow(bar);
    return nullptr;
  }
  SendMessageA(bar, TB_AUTOSIZE, 0, 0);
  return bar;
}

HWND CreateFrameStatusBar(HWND parent, HFONT font) {
  HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | CCS_BOTTOM | CCS_NOPARENTALIGN, 0, 0, 0,
                             0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDW_STATUS_BAR)),
                             GetModuleHandleA(nullptr), nullptr);
  if (bar == nullptr) return nullptr;
  if (font != nullptr) SendMessageA(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  int parts[] = {-1};  // the one pane stretches over the whole bar
  SendMessageA(bar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
  char idle[256] = "";
  LoadStringA(GetModuleHandleA(nullptr), IDS_IDLE_TITLE, idle, sizeof idle);
  SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(idle));
  return bar;
}

int ControlHeight(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return r.bottom - r.top;
}

}  // namespace zv
