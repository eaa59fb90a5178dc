// Property (32891): the file property dialog on the one selected file's
// record, then what it reports: a new name is a rename through the shell,
// or a conversion when the name gives another image type; a new date is the
// file's last-write time. While the board's mirror is shown, the board's
// file is the one changed and the mirror copy follows it.
#include "app/app_services.h"
#include "copyboard/mirror_files.h"
#include "core/fileops/file_attr_rules.h"
#include "core/text/ansi_path.h"
#include "dialogs/file_attr_dlg.h"
#include "fileops/file_commands.h"
#include "fileops/save_converted.h"
#include "win/handles.h"
#include "win/text_convert.h"

namespace zv {

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Device(const FileOperationSite& site, const std::string& path) {
  return MapToDevice(site.mirror, path, win::IsAnsiLeadByte);
}

// Writes the picture in the new name's type and only then, once the new file
// reads back, deletes the old one: a full disk or a read-only folder keeps
// the picture as it was.
bool Convert(const FileOperationSite& site, const std::string& oldPath, const std::string& newPath, int orientation) {
  const std::string deviceOld = Device(site, oldPath), deviceNew = Device(site, newPath);
  if (Exists(deviceNew) || !SaveConverted(site, oldPath, newPath, orientation)) return false;
  DeleteFileA(deviceOld.c_str());
  if (deviceOld != oldPath) {
    CopyToMirror(deviceNew, newPath);
    DeleteFileA(oldPath.c_str());
  }
  return true;
}

// Errors are not reported: the refreshed list shows the time the file has.
void SetLastWriteTime(const std::string& path, const FileTime& time) {
  win::UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const FILETIME written{time.low, time.high};
  if (file) SetFileTime(file.get(), nullptr, nullptr, &written);
}

}  // namespace

void CFileCommands::OnProperty(int) {
  FileListItem record{};
  if (host_.SelectedFileCount() != 1 || !host_.SelectedRecord(record)) return;
  HWND window = host_.CommandWindow();
  HWND owner = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
  const std::optional<FileAttrResult> result = RunFileAttrDialog(owner, record);
  if (!result || result->changes == 0) return;

  const FolderFilesLease lease = host_.ReleaseFolderFiles();
  const FileOperationSite site = host_.OperationSite();
  const std::string oldPath = record.path;
  std::string path = oldPath;  // where the file is afterwards
  if ((result->changes & kNameChanged) != 0) {
    const std::string newPath = result->item.path;
    if (ActionForNewName(record.name, result->item.name) == NewNameAction::kRename) {
      RunOneFileOperation(site, oldPath, newPath, FileOperationMode::Rename);
      if (!Exists(oldPath) && Exists(newPath)) path = newPath;
    } else if (Convert(site, oldPath, newPath, host_.ShownOrientation(oldPath))) {
      path = newPath;
    } else {
      ReportErrorText(owner, nullptr, "SaveImage", "ErrorMsg0001",
                      "新しい形式で保存できなかったため、元のファイルをそのまま残しました。");
    }
  }
  if ((result->changes & kTimeChanged) != 0) {
    SetLastWriteTime(Device(site, path), result->item.lastWrite);
    if (Device(site, path) != path) SetLastWriteTime(path, result->item.lastWrite);
  }

  const std::string folder(FolderOfPath(path, win::IsAnsiLeadByte));
  NotifyFolderChanged(folder);
  const std::string deviceFolder(FolderOfPath(Device(site, path), win::IsAnsiLeadByte));
  if (deviceFolder != folder) NotifyFolderChanged(deviceFolder);
  host_.ReplaceRecord(oldPath, path);
}

}  // namespace zv
