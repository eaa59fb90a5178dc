#pragma once
// The invisible frame of a resident copy. It keeps the task-tray icon, polls
// every two seconds whether the copyboard's unit 0 is ready and starts a
// browser copy once per connection. Its tray menu starts the browser, leaves
// resident mode or just closes. A WM_CLOSE (from its menu, the setup dialog
// or the system) ends the copy.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "win/handles.h"
#include "win/window.h"

namespace zv {

inline constexpr UINT kTrayPollMilliseconds = 2000;

class CTrayFrame : public win::Window {
 public:
  // The window goes with the object, its icon and timer with it.
  ~CTrayFrame() override { Destroy(); }
  // Style 0, empty rectangle, no parent: never shown.
  bool CreateInvisible();
  bool connected() const { return connected_ != 0; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnCreate() override;
  void OnDestroy() override;
  bool OnCommand(int id, int code, HWND from) override;
  void OnTimer(UINT_PTR id) override;

 private:
  void LoadTexts();
  void FillIconRecord();
  void BuildMenu();
  void SetIcon(int resourceId);
  void PollConnection();
  void OnTrayMouse(UINT mouseMessage);
  void ShowMenuAtCursor();

  // The shell's record in its first form (88 bytes in the 32-bit program):
  // every shell since Windows 95 takes it.
  NOTIFYICONDATAA icon_{};
  win::UniqueMenu menu_;
  int connected_ = 0;
  std::string startText_;
  std::string exitText_;
  std::string closeText_;
  UINT taskbarCreated_ = 0;
};

}  // namespace zv
