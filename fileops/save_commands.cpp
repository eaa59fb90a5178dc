// Save as (32864): the save-as dialog on the one selected file (its board
// file while the board's mirror is shown), then Save converted into the
// chosen path, turned as the picture view shows the file. The dialog asks
// before it names an existing file, so the copy after it does not ask again.
#include "app/app_services.h"
#include "core/text/ansi_path.h"
#include "dialogs/save_as_dlg.h"
#include "fileops/file_commands.h"
#include "fileops/save_converted.h"
#include "win/text_convert.h"

namespace zv {

void CFileCommands::OnUpdateOneFile(win::CommandUpdate& update) { update.Enable(host_.SelectedFileCount() == 1); }

void CFileCommands::OnSaveAs(int) {
  const std::vector<std::string> files = host_.SelectedFiles();
  if (files.size() != 1) return;
  FileOperationSite site = host_.OperationSite();
  site.overwriteAsked = true;
  // A mirror folder opened as an ordinary folder shows its own files.
  const std::string source =
      site.mirror.active ? MapToDevice(site.mirror, files.front(), win::IsAnsiLeadByte) : files.front();
  const int orientation = host_.ShownOrientation(files.front());
  HWND window = host_.CommandWindow();
  HWND owner = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
  const std::optional<std::string> target = RunSaveAsDialog(owner, source);
  if (!target) return;
  // The target may be a listed file the grid is reading.
  const FolderFilesLease lease = host_.ReleaseFolderFiles();
  if (!SaveConverted(site, source, *target, orientation))
    ReportErrorText(owner, nullptr, "SaveImage", "ErrorMsg0002", "画像を保存できませんでした。");
  NotifyFolderChanged(std::string(FolderOfPath(*target, win::IsAnsiLeadByte)));
  // A listed file that was overwritten shows its new picture.
  host_.ReplaceRecord(*target, *target);
}

}  // namespace zv
