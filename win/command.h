#pragma once
// Command routing with update handlers. A command target runs a command or
// says what state its menu item and toolbar button show. Menus are brought up
// to date when they open (WM_INITMENUPOPUP), toolbar buttons when the message
// queue runs empty, both from the same update handlers, so a disabled command
// is greyed everywhere at once. A command that no target handles is disabled.
#include <windows.h>

#include <span>

namespace zv::win {

class CommandUpdate {
 public:
  explicit CommandUpdate(int id) : id_(id) {}
  int id() const { return id_; }
  void Enable(bool on = true) { enabled_ = on; }
  void SetCheck(bool on = true) { checked_ = on; }
  bool enabled() const { return enabled_; }
  bool checked() const { return checked_; }

 private:
  int id_;
  bool enabled_ = true;
  bool checked_ = false;
};

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  // Runs the command; false when this target has no handler for it.
  virtual bool ExecuteCommand(int id) = 0;
  // Fills `update`; false when this target has no handler for the command.
  virtual bool UpdateCommand(CommandUpdate& update) = 0;
};

// One line of a command map: the ids first..last run `run` (may be null:
// nothing to run, e.g. a check mark only); `update` (may be null: always
// enabled) gives their state.
template <class T>
struct CommandEntry {
  int first;
  int last;
  void (T::*run)(int id);
  void (T::*update)(CommandUpdate& update);
};

// Runs `id` when the map has it and its update handler enables it; a
// disabled command is taken (true) but not run, so an accelerator or a stale
// menu never runs what its button shows greyed.
template <class T>
bool RunFromMap(T& self, std::span<const CommandEntry<T>> map, int id) {
  for (const CommandEntry<T>& e : map)
    if (id >= e.first && id <= e.last) {
      CommandUpdate update(id);
      if (e.update != nullptr) (self.*e.update)(update);
      if (e.run != nullptr && update.enabled()) (self.*e.run)(id);
      return true;
    }
  return false;
}

template <class T>
bool UpdateFromMap(T& self, std::span<const CommandEntry<T>> map, CommandUpdate& update) {
  for (const CommandEntry<T>& e : map)
    if (update.id() >= e.first && update.id() <= e.last) {
      if (e.update != nullptr) (self.*e.update)(update);
      return true;
    }
  return false;
}

// The state of one command as the target sees it (disabled when unhandled).
CommandUpdate QueryCommand(CommandTarget& target, int id);
// Runs the command only when the target enables it; true when it ran.
bool RunEnabledCommand(CommandTarget& target, int id);
// Whether a WM_COMMAND is a command (menu 0, accelerator 1, or a click on a
// button of `toolbar`) rather than a control's notification that happens to
// carry the same id.
bool IsCommandMessage(int code, HWND from, HWND toolbar);

// Enables, disables and checks the items of a popup (not its submenus, which
// get their own WM_INITMENUPOPUP).
void UpdateMenuItems(HMENU popup, CommandTarget& target);
// The same for the buttons of a toolbar control; only changed states are sent.
void UpdateToolbarButtons(HWND toolbar, CommandTarget& target);

}  // namespace zv::win
