#pragma once
// The main frame of a browser copy.
#include "win/window.h"

namespace zv {

class CMainFrame : public win::Window {
 public:
  // Creates the frame window (WS_OVERLAPPEDWINDOW, titled with the program title).
  bool CreateFrame();
  // Sees every message of the loop first; true consumes it.
  bool PreTranslateMessage(MSG& msg);
  // Runs when the message queue has run empty.
  void OnIdle() {}

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace zv
