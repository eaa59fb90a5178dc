#pragma once
// What a window that draws its own items (no window per item) tells a
// screen reader through MSAA: an IAccessible for its client area whose
// children are the items, as simple elements (child ids 1..n). The window
// answers WM_GETOBJECT with Answer() and raises the win events itself; the
// object asks the window's AccessibleSource for everything at the moment it
// is asked. A client may keep the object after the window is gone: then
// every call fails with CO_E_OBJNOTCONNECTED.
#include <windows.h>

#include <oleacc.h>

#include <string>
#include <vector>

namespace zv::win {

// Indices are 0-based here; child id = index + 1.
class AccessibleSource {
 public:
  virtual long AccessibleRole() = 0;  // ROLE_SYSTEM_* of the window's client
  virtual std::wstring AccessibleName() = 0;
  virtual std::wstring AccessibleValue() { return {}; }
  virtual long ItemCount() { return 0; }
  virtual std::wstring ItemName(long /*index*/) { return {}; }
  virtual std::wstring ItemDescription(long /*index*/) { return {}; }
  // STATE_SYSTEM_* flags (selected, focused, offscreen...).
  virtual long ItemState(long /*index*/) { return 0; }
  // In screen coordinates; false when the item has none.
  virtual bool ItemRect(long /*index*/, RECT& /*screen*/) { return false; }
  virtual std::wstring ItemDefaultAction(long /*index*/) { return {}; }
  virtual bool DoItemDefaultAction(long /*index*/) { return false; }
  // SELFLAG_* on one item; false when not done.
  virtual bool SelectItem(long /*index*/, long /*flags*/) { return false; }
  // The focused item, -1 when the window has no focus or no item.
  virtual long FocusedItem() { return -1; }
  virtual std::vector<long> SelectedItems() { return {}; }
  // The item at a screen point, -1 for none.
  virtual long ItemAt(POINT /*screen*/) { return -1; }

 protected:
  ~AccessibleSource() = default;
};

class WindowAccessible;

// The window's side: makes the object at the first WM_GETOBJECT, keeps it,
// and cuts it off from the window when the window goes.
class AccessibleLink {
 public:
  AccessibleLink() = default;
  ~AccessibleLink() { Disconnect(); }
  AccessibleLink(const AccessibleLink&) = delete;
  AccessibleLink& operator=(const AccessibleLink&) = delete;

  // The answer to WM_GETOBJECT: the object for OBJID_CLIENT, 0 (the
  // system's default) for anything else.
  LRESULT Answer(HWND window, AccessibleSource& source, WPARAM wParam, LPARAM lParam);
  // Before the window or the source goes.
  void Disconnect();

 private:
  WindowAccessible* object_ = nullptr;  // one reference held
};

// Raises a win event for the client object (item -1) or one item.
void RaiseItemEvent(HWND window, DWORD event, long item);

}  // namespace zv::win
