#include "win/dialog.h"

#include "win/diagnostics.h"
#include "win/window.h"

namespace zv::win {

Dialog::~Dialog() {
  if (hwnd_ != nullptr && !modal_) {
    SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

INT_PTR Dialog::RunModal(HWND parent) {
  modal_ = true;
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), parent, &Dialog::StaticProc,
                         reinterpret_cast<LPARAM>(this));
}

bool Dialog::CreateModeless(HWND parent) {
  modal_ = false;
  return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), parent,
                            &Dialog::StaticProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::Destroy() {
  if (hwnd_ == nullptr) return;
  if (modal_)
    EndDialog(hwnd_, IDCANCEL);
  else
    DestroyWindow(hwnd_);
}

void Dialog::End(INT_PTR result) {
  if (modal_)
    EndDialog(hwnd_, result);
  else
    DestroyWindow(hwnd_);
}

bool Dialog::OnCommand(int id, int, HWND) {
  if (id == IDOK || id == IDCANCEL) {
    End(id);
    return true;
  }
  return false;
}

void Dialog::ApplyProgramLook(HFONT font, int iconId) {
  SetFontOnTree(hwnd_, font);
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  // No exception unwinds into the dialog manager: a failed handler leaves
  // the message to the default processing.
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    LogCaughtException("a dialog procedure");
    return FALSE;
  }
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog() ? TRUE : FALSE;
  if (message == WM_COMMAND) return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
  INT_PTR result = 0;
  bool handled = false;
  if (message == WM_NOTIFY && lParam != 0) {
    LRESULT answer = 0;
    handled = OnNotify(*reinterpret_cast<NMHDR*>(lParam), answer);
    result = answer;
  } else {
    handled = OnMessage(message, wParam, lParam, result);
  }
  if (!handled) return FALSE;
  // The colour messages answer with the brush itself, not through DWLP_MSGRESULT.
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) return result;
  SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace zv::win
