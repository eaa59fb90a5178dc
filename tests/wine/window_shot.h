#pragma once
// Pictures of windows for people to look at: when %ZV_SHOT_DIR% is set, a
// test can save what a window shows on the screen as <dir>\<name>.bmp. No
// test depends on it; without the variable nothing is written.
#include <windows.h>

#include <string>

namespace zv::test {

// True when the picture was written.
bool SaveWindowShot(HWND window, const std::string& name);

}  // namespace zv::test
