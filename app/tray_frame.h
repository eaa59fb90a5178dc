#pragma once
// The invisible frame of a resident copy. It owns the task-tray icon; a
// WM_CLOSE (from its menu, the setup dialog or the system) ends the copy.
#include "win/window.h"

namespace zv {

class CTrayFrame : public win::Window {
 public:
  // Style 0, empty rectangle, no parent: never shown.
  bool CreateInvisible();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace zv
