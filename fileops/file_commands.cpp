#include "fileops/file_commands.h"

#include "res/resource.h"

namespace zv {

namespace {

using Entry = win::CommandEntry<CFileCommands>;
constexpr Entry kFileCommands[] = {
    {ID_VIEW_REFRESH, ID_VIEW_REFRESH, &CFileCommands::OnRefresh, nullptr},  // always enabled
    {ID_FILE_NEWFOLDER, ID_FILE_NEWFOLDER, &CFileCommands::OnNewFolder, &CFileCommands::OnUpdateNewFolder},
};

}  // namespace

bool CFileCommands::ExecuteCommand(int id) { return win::RunFromMap<CFileCommands>(*this, kFileCommands, id); }

bool CFileCommands::UpdateCommand(win::CommandUpdate& update) {
  return win::UpdateFromMap<CFileCommands>(*this, kFileCommands, update);
}

// Not the list's incremental rescan: folders made elsewhere appear in the
// tree, and a copyboard folder is copied into its mirror again, so files
// deleted on the board leave the list.
void CFileCommands::OnRefresh(int) { host_.RefreshFolders(); }

}  // namespace zv
