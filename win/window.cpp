#include "win/window.h"

#include "win/diagnostics.h"

#include <vector>

namespace zv::win {

namespace {
// Signed: points left of or above a window are negative.
POINT PointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }
}  // namespace

// The derived parts are gone: no message may reach them (see window.h).
Window::~Window() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool Window::RegisterClass(const char* className, HICON icon, HBRUSH background, UINT style) {
  WNDCLASSEXA existing{sizeof existing};
  if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &existing)) return true;
  WNDCLASSEXA wc{sizeof wc};
  wc.style = style;
  wc.lpfnWndProc = &Window::StaticProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = icon;
  wc.hIconSm = icon;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return RegisterClassExA(&wc) != 0;
}

bool Window::Create(const CreateArgs& a) {
  HWND created = CreateWindowExA(a.exStyle, a.className, a.title, a.style, a.rect.left, a.rect.top, a.rect.right,
                                 a.rect.bottom, a.parent, a.menuOrId, GetModuleHandleA(nullptr), this);
  return created != nullptr;
}

void Window::Destroy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

Window* Window::FromHandle(HWND hwnd) {
  return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      break;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_SIZE:
      OnSize(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_PAINT:
      if (OnPaint()) return 0;
      break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header != nullptr && OnNotify(*header, result)) return result;
      break;
    }
    case WM_CONTEXTMENU:
      if (OnContextMenu(reinterpret_cast<HWND>(wParam), PointOf(lParam))) return 0;
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lParam == 0 && OnScroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam),
                                  static_cast<short>(HIWORD(wParam))))
        return 0;
      break;
    default:
      if (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK &&
          OnMouse(message, PointOf(lParam), static_cast<UINT>(wParam)))
        return 0;
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  Window* self = FromHandle(hwnd);
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    LRESULT result = GuardedMessage(*self, message, wParam, lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnFinalDestroy();
    return result;
  }
  return GuardedMessage(*self, message, wParam, lParam);
}

// An exception must not unwind through the system's code that called the
// window procedure: a failed handler (out of memory, say) leaves the message
// to the default processing instead.
LRESULT Window::GuardedMessage(Window& self, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return self.OnMessage(message, wParam, lParam);
  } catch (...) {
    LogCaughtException("a window procedure");
    return DefWindowProcA(self.hwnd_, message, wParam, lParam);
  }
}

namespace {
// A named CALLBACK function: a lambda does not convert to the stdcall WNDENUMPROC of 32-bit Windows.
BOOL CALLBACK SetFontOnChild(HWND child, LPARAM font) {
  SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}
}  // namespace

void SetFontOnTree(HWND window, HFONT font) {
  if (font == nullptr) return;
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  EnumChildWindows(window, &SetFontOnChild, reinterpret_cast<LPARAM>(font));
}

std::string GetWindowTextString(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

}  // namespace zv::win
