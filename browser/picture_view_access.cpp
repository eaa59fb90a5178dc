// The picture view's keys beyond the frame's accelerators, and what a
// screen reader hears of it: the shown file's name, and the zoom as its value.
#include <cmath>
#include <string>

#include "browser/picture_view.h"
#include "core/text/ansi_path.h"
#include "res/resource.h"
#include "win/text_convert.h"

namespace zv {

// Escape and Backspace leave the picture, as the "ReturnList" command
// does (sent to the frame as a menu would, so that its rule applies).
bool CPictureView::OnKey(WPARAM key) {
  if (key != VK_ESCAPE && key != VK_BACK) return false;
  SendMessageA(GetAncestor(hwnd(), GA_ROOT), WM_COMMAND, MAKEWPARAM(ID_VIEW_RETURNLIST, 0), 0);
  return true;
}

void CPictureView::AnnouncePicture() {
  win::RaiseItemEvent(hwnd(), EVENT_OBJECT_NAMECHANGE, -1);
  win::RaiseItemEvent(hwnd(), EVENT_OBJECT_VALUECHANGE, -1);
}

long CPictureView::AccessibleRole() { return ROLE_SYSTEM_GRAPHIC; }

std::wstring CPictureView::AccessibleName() {
  if (!shown_) return {};
  return win::ToWide(NameOfPath(picture_.path, win::IsAnsiLeadByte), CP_ACP);
}

// "25 %", "100 %", "3200 %": the zoom factor in whole percent.
std::wstring CPictureView::AccessibleValue() {
  if (!shown_) return {};
  return std::to_wstring(std::lround(zoom_.factor * 100.0)) + L" %";
}

}  // namespace zv
