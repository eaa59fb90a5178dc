#pragma once
// The one way a window tells the user what is wrong with their input or
// their request: an exclamation box with the given text (from String.ini),
// then the focus back on the field at fault.
#include <windows.h>

#include <string>

namespace zv::win {

// `owner` may be null; `field` may be null (no focus change). Returns
// MessageBoxA's answer (IDOK, or the button pressed for `buttons`).
int ReportError(HWND owner, HWND field, const std::string& text, const std::string& caption = {},
                UINT buttons = MB_OK);

}  // namespace zv::win
