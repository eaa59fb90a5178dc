#pragma once
// Answers the next dialog of this thread other than `outer` (a message box
// or a nested dialog that a click in `outer` opens), from a timer that runs
// in the nested dialog's own message loop, as a user would.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace zv::test {

class NestedAnswer {
 public:
  NestedAnswer(HWND outer, std::function<void(HWND)> answer) : outer_(outer), answer_(std::move(answer)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &OnTimer);
  }
  ~NestedAnswer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  NestedAnswer(const NestedAnswer&) = delete;
  NestedAnswer& operator=(const NestedAnswer&) = delete;
  bool answered() const { return answered_; }

 private:
  static BOOL CALLBACK Match(HWND window, LPARAM found) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(window) || window == current_->outer_) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ == nullptr || current_->answered_) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &Match, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) return;
    current_->answered_ = true;
    current_->answer_(dialog);
  }
  static inline NestedAnswer* current_ = nullptr;
  HWND outer_ = nullptr;
  std::function<void(HWND)> answer_;
  UINT_PTR timer_ = 0;
  bool answered_ = false;
};

}  // namespace zv::test

namespace zv::test {

// Answers every message box (a dialog with the message static 0xFFFF) that
// this thread shows while the object lives, with `button`, and records
// their texts. Other dialogs are left alone.
class MessageBoxAnswer {
 public:
  explicit MessageBoxAnswer(int button = IDOK) : button_(button) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &OnTimer);
  }
  ~MessageBoxAnswer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  MessageBoxAnswer(const MessageBoxAnswer&) = delete;
  MessageBoxAnswer& operator=(const MessageBoxAnswer&) = delete;
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  static BOOL CALLBACK Match(HWND window, LPARAM found) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(window) || GetDlgItem(window, 0xFFFF) == nullptr) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ == nullptr) return;
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &Match, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return;
    char text[2048] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    current_->texts_.emplace_back(text);
    SendMessageA(GetDlgItem(box, current_->button_), BM_CLICK, 0, 0);
  }
  static inline MessageBoxAnswer* current_ = nullptr;
  int button_;
  std::vector<std::string> texts_;
  UINT_PTR timer_ = 0;
};

}  // namespace zv::test
