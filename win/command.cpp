#include "win/command.h"

#include <commctrl.h>

namespace zv::win {

CommandUpdate QueryCommand(CommandTarget& target, int id) {
  CommandUpdate update(id);
  if (!target.UpdateCommand(update)) update.Enable(false);
  return update;
}

bool RunEnabledCommand(CommandTarget& target, int id) {
  if (!QueryCommand(target, id).enabled()) return false;
  return target.ExecuteCommand(id);
}

bool IsCommandMessage(int code, HWND from, HWND toolbar) {
  if (from == nullptr) return code == 0 || code == 1;
  return from == toolbar && code == BN_CLICKED;
}

void UpdateMenuItems(HMENU popup, CommandTarget& target) {
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{sizeof info};
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &info)) continue;
    if ((info.fType & MFT_SEPARATOR) != 0 || info.hSubMenu != nullptr) continue;
    CommandUpdate state = QueryCommand(target, static_cast<int>(info.wID));
    EnableMenuItem(popup, static_cast<UINT>(i), MF_BYPOSITION | (state.enabled() ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(popup, static_cast<UINT>(i), MF_BYPOSITION | (state.checked() ? MF_CHECKED : MF_UNCHECKED));
  }
}

void UpdateToolbarButtons(HWND toolbar, CommandTarget& target) {
  const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    if (!SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) continue;
    if ((button.fsStyle & BTNS_SEP) != 0) continue;
    CommandUpdate state = QueryCommand(target, button.idCommand);
    BYTE wanted = button.fsState & static_cast<BYTE>(~(TBSTATE_ENABLED | TBSTATE_CHECKED));
    if (state.enabled()) wanted |= TBSTATE_ENABLED;
    if (state.checked()) wanted |= TBSTATE_CHECKED;
    if (wanted != button.fsState)
      SendMessageA(toolbar, TB_SETSTATE, static_cast<WPARAM>(button.idCommand), MAKELPARAM(wanted, 0));
  }
}

}  // namespace zv::win
