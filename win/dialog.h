#pragma once
// Modal and modeless dialogs from .rc templates. `this` is bound at
// WM_INITDIALOG and cleared at WM_NCDESTROY, as for windows.
#include <windows.h>

namespace zv::win {

class Dialog {
 public:
  explicit Dialog(int templateId) : templateId_(templateId) {}
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog();

  // Runs the dialog modally; the result is what EndDialog got (-1 on failure).
  INT_PTR RunModal(HWND parent);
  bool CreateModeless(HWND parent);
  void Destroy();

  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  int templateId() const { return templateId_; }

 protected:
  // Return true to let the system set the default focus.
  virtual bool OnInitDialog() { return true; }
  // Return true when handled. The default ends a modal dialog on OK / Cancel.
  virtual bool OnCommand(int id, int code, HWND from);
  // A child's notification; `result` goes to DWLP_MSGRESULT when handled.
  virtual bool OnNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
  // Any other message; return true when handled (result in `result`; for the
  // WM_CTLCOLOR messages the brush).
  virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }
  void End(INT_PTR result);

  // The program's look on a dialog: application font and program icon.
  void ApplyProgramLook(HFONT font, int iconId);

 private:
  static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  int templateId_;
  bool modal_ = false;
  HWND hwnd_ = nullptr;
};

}  // namespace zv::win
