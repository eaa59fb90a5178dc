#pragma once
// An empty child window in the colour of a window background. The file list
// view holds one in the place of the thumbnail grid (control 1002) and one in
// the place of the picture view (1003) until those windows are part of the
// program; they are sized and shown exactly as the real ones will be.
#include "win/window.h"

namespace zv {

class CBlankPane : public win::Window {
 public:
  bool CreatePane(HWND parent, int id, bool visible);
  void Show(bool shown) {
    if (hwnd() != nullptr) ShowWindow(hwnd(), shown ? SW_SHOW : SW_HIDE);
  }
};

}  // namespace zv
