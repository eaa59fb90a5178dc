#pragma once
// Which keys a focused control takes before the frame's accelerators.
#include <windows.h>

#include <span>

namespace zv::win {

// True for an arrow key that the window it goes to asks for (WM_GETDLGCODE,
// as a dialog asks): such a key reaches that window before the frame's
// accelerators, so that a list moves its focus with it.
bool WantsNavigationKey(const MSG& msg);

// Tab or F6 (with Shift backwards; not with Ctrl or Alt) moves the focus
// from the pane that holds it to the next visible one of `panes`, as
// Explorer moves between its tree and its items; true when it did.
bool MoveFocusAmongPanes(const MSG& msg, std::span<const HWND> panes);

}  // namespace zv::win
