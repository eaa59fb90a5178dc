// New folder (32860): a free name proposed in the listed folder, the folder
// name dialog, then the folder tree makes the folder below its selected
// folder. While a copyboard folder is mirrored the list shows the mirror, so
// the free name is searched there, while the tree makes the folder in the
// folder it has selected.
#include "app/app_services.h"
#include "core/fileops/folder_name_rules.h"
#include "core/text/ansi_path.h"
#include "dialogs/folder_name_dlg.h"
#include "fileops/file_commands.h"
#include "win/text_convert.h"

namespace zv {

namespace {
bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

void CFileCommands::OnUpdateNewFolder(win::CommandUpdate& update) { update.Enable(!host_.ShownFolder().empty()); }

void CFileCommands::OnNewFolder(int) {
  const std::string folder = host_.ShownFolder();
  if (folder.empty()) return;
  const std::string name = FreeFolderName(folder, GetDefaultFolderName(), &PathExists, win::IsAnsiLeadByte);
  HWND window = host_.CommandWindow();
  const std::optional<std::string> accepted = RunFolderNameDialog(
      window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr, JoinPath(folder, name, win::IsAnsiLeadByte));
  if (!accepted) return;
  host_.NewFolderInTree(std::string(NameOfPath(*accepted, win::IsAnsiLeadByte)));
}

}  // namespace zv
