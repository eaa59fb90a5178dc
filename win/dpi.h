#pragma once
// The DPI of the screen a window is on, and system sizes for it. The
// per-monitor functions are looked up at run time: Windows before 10 (1607)
// lacks them, and then every window has the system's DPI.
#include <windows.h>

#include "core/display/display_scale.h"

namespace zv::win {

class Dpi {
 public:
  // The window's DPI (GetDpiForWindow), else the system's.
  static DisplayScale OfWindow(HWND window);
  // The system's DPI (GetDpiForSystem), else the screen's LOGPIXELSY.
  static DisplayScale OfSystem();
  // GetSystemMetrics for a screen of `scale` (GetSystemMetricsForDpi where it exists).
  static int SystemMetric(int index, DisplayScale scale);
  // The DPI a WM_DPICHANGED message carries.
  static DisplayScale OfMessage(WPARAM wParam) { return DisplayScale{static_cast<int>(HIWORD(wParam))}; }
};

}  // namespace zv::win
