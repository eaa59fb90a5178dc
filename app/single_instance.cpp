#include "app/single_instance.h"

namespace zv {

namespace {

// Creates the named mutex owned and keeps it: it lives as long as the
// process. Returns true when it already existed.
bool ClaimMutex(const char* name) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
  return mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

void Activate(HWND window) {
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
  SetForegroundWindow(GetLastActivePopup(window));
}

}  // namespace

HWND FindWindowWithProperty(const char* name) {
  for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (GetPropA(w, name) != nullptr) return w;
  }
  return nullptr;
}

bool IsOtherInstanceRunning(bool resident) {
  if (resident) return ClaimMutex(kResidentCopyName);
  if (!ClaimMutex(kBrowserCopyName)) return false;
  HWND first = FindWindowWithProperty(kBrowserCopyName);
  if (first == nullptr) return true;
  Activate(first);
  return true;
}

}  // namespace zv
