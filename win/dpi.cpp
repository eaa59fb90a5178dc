#include "win/dpi.h"

#include "win/gdi.h"

namespace zv::win {

namespace {

template <typename Function>
Function User32Function(const char* name) {
  static HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                           : nullptr;
}

// A DPI out of all reason (0 from a failed call) counts as the design's.
DisplayScale Checked(UINT dpi) {
  return DisplayScale{dpi >= 24 && dpi <= 2400 ? static_cast<int>(dpi) : kDesignDpi};
}

}  // namespace

DisplayScale Dpi::OfWindow(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) return Checked(getDpiForWindow(window));
  return OfSystem();
}

DisplayScale Dpi::OfSystem() {
  using GetDpiForSystemFunction = UINT(WINAPI*)();
  static const auto getDpiForSystem = User32Function<GetDpiForSystemFunction>("GetDpiForSystem");
  if (getDpiForSystem != nullptr) return Checked(getDpiForSystem());
  return Checked(static_cast<UINT>(GetDeviceCaps(WindowDC(nullptr).get(), LOGPIXELSY)));
}

int Dpi::SystemMetric(int index, DisplayScale scale) {
  using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
  static const auto forDpi = User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  if (forDpi != nullptr) return forDpi(index, static_cast<UINT>(scale.dpi));
  return GetSystemMetrics(index);
}

}  // namespace zv::win
