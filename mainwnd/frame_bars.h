#pragma once
// The toolbar and status bar controls of the main frame.
#include <windows.h>

#include "core/display/display_scale.h"

namespace zv {

// Toolbar 128: flat buttons with tool tips, the images of the strip drawn
// for the screen's scale (16 x 15 pixels at 100 %, IDB_TOOLBAR; 150 % and
// 200 % strips beside it) in the order of the command table, window id 59392.
HWND CreateFrameToolbar(HWND parent, DisplayScale scale = {});
// The strip of toolbar images nearest the scale, and the size of one image.
struct ToolbarStrip {
  int resource;
  int width, height;
};
ToolbarStrip ToolbarStripFor(DisplayScale scale);
// The status bar, window id 109, with one stretching pane (61336) that starts
// with string resource 61336.
HWND CreateFrameStatusBar(HWND parent, HFONT font);
int ControlHeight(HWND control);

}  // namespace zv
