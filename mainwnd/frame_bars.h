#pragma once
// The toolbar and status bar controls of the main frame.
#include <windows.h>

namespace zv {

// Toolbar 128: flat buttons with tool tips, the 16 x 15 images of bitmap
// IDB_TOOLBAR in the order of the command table, window id 59392.
HWND CreateFrameToolbar(HWND parent);
// The status bar, window id 109, with one stretching pane (61336) that starts
// with string resource 61336.
HWND CreateFrameStatusBar(HWND parent, HFONT font);
int ControlHeight(HWND control);

}  // namespace zv
