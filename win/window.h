#pragma once
// The window base class of our thin layer over Win32. One static window
// procedure binds the HWND to its object (this in GWLP_USERDATA from
// WM_NCCREATE until WM_NCDESTROY) and hands messages to virtual handlers.
#include <windows.h>

#include <string>

namespace zv::win {

struct CreateArgs {
  const char* className = nullptr;  // registered with RegisterClass below
  const char* title = "";
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
  RECT rect = {CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};  // left, top, width, height
  HWND parent = nullptr;
  HMENU menuOrId = nullptr;
};

// A window still alive when its object is destroyed is destroyed by the
// destructor of the class that handles its destruction (OnDestroy, a
// WM_DESTROY of its own): by the time ~Window runs, the parts of a derived
// class are gone and its handlers can no longer be reached, so ~Window only
// unbinds the object and destroys the window with the default handling.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  // Registers a window class whose procedure is ours (once per name).
  static bool RegisterClass(const char* className, HICON icon = nullptr, HBRUSH background = nullptr,
                            UINT style = CS_DBLCLKS);
  bool Create(const CreateArgs& args);
  void Destroy();

  HWND hwnd() const { return hwnd_; }
  // Timers of this window; they arrive at OnTimer.
  bool StartTimer(UINT_PTR id, UINT milliseconds) { return SetTimer(hwnd_, id, milliseconds, nullptr) != 0; }
  void StopTimer(UINT_PTR id) { KillTimer(hwnd_, id); }
  // The object bound to a window of ours, or null.
  static Window* FromHandle(HWND hwnd);

 protected:
  // Every message passes here first; the default decodes the common ones
  // into the handlers below. A handler that returns false (or the default
  // one) leaves the message to DefWindowProc.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Returns true when the command was handled.
  virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*from*/) { return false; }
  virtual void OnTimer(UINT_PTR /*id*/) {}
  virtual bool OnCreate() { return true; }
  virtual void OnDestroy() {}
  virtual void OnSize(int /*width*/, int /*height*/) {}
  // True when painted (the handler validated the window, e.g. with a PaintDC).
  virtual bool OnPaint() { return false; }
  // A child's notification; `result` is the message's answer when handled.
  virtual bool OnNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
  // `screen` is (-1, -1) when the menu key or Shift+F10 asked for it.
  virtual bool OnContextMenu(HWND /*from*/, POINT /*screen*/) { return false; }
  // WM_LBUTTONDOWN ... WM_MBUTTONDBLCLK and WM_MOUSEMOVE, in client coordinates.
  virtual bool OnMouse(UINT /*message*/, POINT /*client*/, UINT /*keys*/) { return false; }
  // WM_HSCROLL (bar SB_HORZ) or WM_VSCROLL (SB_VERT) from the window's own bars.
  virtual bool OnScroll(int /*bar*/, int /*code*/, int /*position*/) { return false; }
  // After WM_NCDESTROY: the HWND is gone; an owner may delete the object here.
  virtual void OnFinalDestroy() {}

  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT GuardedMessage(Window& self, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// Sets `font` on a window and every child control.
void SetFontOnTree(HWND window, HFONT font);

// Shows the wait cursor for the lifetime of the scope.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

std::string GetWindowTextString(HWND window);

}  // namespace zv::win
