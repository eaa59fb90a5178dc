#pragma once
// One copy of each kind: a named mutex per kind, and window properties that
// let a second browser copy find and activate the first.
#include <windows.h>

namespace zv {

inline constexpr char kBrowserCopyName[] = "ZAMO View Normal";
inline constexpr char kResidentCopyName[] = "ZAMO View Tasktray";

// Creates this kind's mutex (owned, held for the life of the process). Returns
// true when start-up must stop: another resident copy runs, or another browser
// copy runs (which is then restored and brought to the front).
bool IsOtherInstanceRunning(bool resident);

// The first top-level window, in z-order, that carries the property `name`.
HWND FindWindowWithProperty(const char* name);

}  // namespace zv
