#include "mainwnd/placeholder_panes.h"

#include "dialogs/info_dlg.h"
#include "mainwnd/command_ids.h"

namespace zv {

namespace {

constexpr char kListClass[] = "ZVEmptyFileList";

using Entry = win::CommandEntry<CEmptyFileList>;
constexpr Entry kListCommands[] = {
    {ID_FILE_NEWFOLDER, ID_FILE_SAVEAS, &CEmptyFileList::OnNothing, &CEmptyFileList::OnUpdateNeedsFiles},
    {ID_VIEW_LIGHTTHUMB, ID_IMAGE_REFLECTV, &CEmptyFileList::OnNothing, &CEmptyFileList::OnUpdateNeedsFiles},
    {ID_VIEW_REFRESH, ID_VIEW_REFRESH, &CEmptyFileList::OnNothing, nullptr},
    {ID_VIEW_THUMBSMALL, ID_VIEW_THUMBLARGE, &CEmptyFileList::OnNothing, &CEmptyFileList::OnUpdateNeedsFiles},
    {ID_VIEW_SORT, ID_VIEW_SORT, &CEmptyFileList::OnNothing, nullptr},
    {ID_EDIT_CUT, ID_EDIT_DELETEALL, &CEmptyFileList::OnNothing, &CEmptyFileList::OnUpdateNeedsFiles},
    {ID_TOOL_APPSETTING, ID_TOOL_APPSETTING, &CEmptyFileList::OnNothing, nullptr},
    {ID_HELP_INDEX, ID_HELP_INDEX, &CEmptyFileList::OnHelp, nullptr},
    {ID_HELP_INFORMATION, ID_HELP_INFORMATION, &CEmptyFileList::OnInformation, nullptr},
    {ID_INDICATOR_IDLE, ID_INDICATOR_IDLE, nullptr, nullptr},
};

}  // namespace

bool CEmptyFileList::CreatePane(HWND parent, int childId) {
  if (!RegisterClass(kListClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) return false;
  return Create({.className = kListClass,
                 .style = WS_CHILD | WS_VISIBLE | WS_BORDER,
                 .rect = {0, 0, 0, 0},
                 .parent = parent,
                 .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId))});
}

bool CEmptyFileList::ExecuteCommand(int id) { return win::RunFromMap<CEmptyFileList>(*this, kListCommands, id); }

bool CEmptyFileList::UpdateCommand(win::CommandUpdate& update) {
  return win::UpdateFromMap<CEmptyFileList>(*this, kListCommands, update);
}

void CEmptyFileList::OnNothing(int) {}
void CEmptyFileList::OnHelp(int) { OpenHelpFile(); }
void CEmptyFileList::OnInformation(int) { CInfoDlg().RunModal(GetParent(hwnd())); }
void CEmptyFileList::OnUpdateNeedsFiles(win::CommandUpdate& update) { update.Enable(false); }

}  // namespace zv
