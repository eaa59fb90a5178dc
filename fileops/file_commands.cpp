#include "fileops/file_commands.h"

#include "core/text/ansi_path.h"
#include "dialogs/folder_select_dlg.h"
#include "fileops/file_transfer.h"
#include "res/resource.h"
#include "win/text_convert.h"

namespace zv {

namespace {

using Entry = win::CommandEntry<CFileCommands>;
constexpr Entry kFileCommands[] = {
    {ID_VIEW_REFRESH, ID_VIEW_REFRESH, &CFileCommands::OnRefresh, nullptr},  // always enabled
    {ID_EDIT_CUT, ID_EDIT_COPY, &CFileCommands::OnCutCopy, &CFileCommands::OnUpdateSelection},
    {ID_EDIT_PASTE, ID_EDIT_PASTE, &CFileCommands::OnPaste, &CFileCommands::OnUpdatePaste},
    {ID_EDIT_DELETE, ID_EDIT_DELETE, &CFileCommands::OnDelete, &CFileCommands::OnUpdateSelection},
    {ID_EDIT_CUTALL, ID_EDIT_DELETEALL, &CFileCommands::OnAllFiles, &CFileCommands::OnUpdateAllFiles},
    {ID_FILE_NEWFOLDER, ID_FILE_NEWFOLDER, &CFileCommands::OnNewFolder, &CFileCommands::OnUpdateNewFolder},
    {ID_EDIT_MOVE, ID_EDIT_MOVE, &CFileCommands::OnMoveOrCopyTo, &CFileCommands::OnUpdateMoveOrCopyTo},
    {ID_FILE_PRINT, ID_FILE_PRINT, &CFileCommands::OnPrint, &CFileCommands::OnUpdateSelection},
    {ID_FILE_SENDMAIL, ID_FILE_SENDMAIL, &CFileCommands::OnSendMail, &CFileCommands::OnUpdateSelection},
    {ID_FILE_OPENAPPLI, ID_FILE_OPENAPPLI, &CFileCommands::OnOpenWith, &CFileCommands::OnUpdateSelection},
    {ID_EDIT_PROPERTY, ID_EDIT_PROPERTY, &CFileCommands::OnProperty, &CFileCommands::OnUpdateOneFile},
    {ID_FILE_SAVEAS, ID_FILE_SAVEAS, &CFileCommands::OnSaveAs, &CFileCommands::OnUpdateOneFile},
};

std::string FolderOf(const std::string& path) { return std::string(FolderOfPath(path, win::IsAnsiLeadByte)); }

// Files copied or moved into the folder they are in stay where they are;
// while the board is shown through its mirror, the board's folder is that
// folder too, so nothing is copied onto itself.
bool IntoTheirOwnFolder(const MirrorState& mirror, const std::string& source, const std::string& destination) {
  const std::string from = FolderOf(MapToDevice(mirror, source, win::IsAnsiLeadByte));
  return SamePath(from, MapToDevice(mirror, destination, win::IsAnsiLeadByte), win::IsAnsiLeadByte);
}

}  // namespace

bool CFileCommands::ExecuteCommand(int id) { return win::RunFromMap<CFileCommands>(*this, kFileCommands, id); }

bool CFileCommands::UpdateCommand(win::CommandUpdate& update) {
  return win::UpdateFromMap<CFileCommands>(*this, kFileCommands, update);
}

// Not the list's incremental rescan: folders made elsewhere appear in the
// tree, and a copyboard folder is copied into its mirror again, so files
// deleted on the board leave the list.
void CFileCommands::OnRefresh(int) { host_.RefreshFolders(); }

void CFileCommands::OnUpdateSelection(win::CommandUpdate& update) { update.Enable(host_.SelectedFileCount() > 0); }

void CFileCommands::OnUpdateAllFiles(win::CommandUpdate& update) {
  update.Enable(!host_.PictureShown() && host_.FileCount() > 0);
}

void CFileCommands::OnUpdatePaste(win::CommandUpdate& update) {
  if (host_.PictureShown() || host_.ShownFolder().empty()) {
    update.Enable(false);
    return;
  }
  const DWORD sequence = GetClipboardSequenceNumber();
  if (!pasteCheckValid_ || sequence != pasteCheckedSequence_) {
    pasteHasFiles_ = IsClipboardFormatAvailable(CF_HDROP) && !ClipboardFiles(true).empty();
    pasteCheckedSequence_ = sequence;
    pasteCheckValid_ = true;
  }
  update.Enable(pasteHasFiles_);
}

void CFileCommands::OnCutCopy(int id) { PutOnClipboard(host_.SelectedFiles(), id == ID_EDIT_CUT); }

void CFileCommands::OnAllFiles(int id) {
  host_.SelectAllFiles();
  if (id == ID_EDIT_DELETEALL)
    DeleteFiles(host_.SelectedFiles());
  else
    PutOnClipboard(host_.SelectedFiles(), id == ID_EDIT_CUTALL);
}

bool CFileCommands::PutOnClipboard(const std::vector<std::string>& paths, bool cut) {
  if (paths.empty()) return false;
  win::ComPtr<IDataObject> data = MakeFileListData(paths);
  if (!data || FAILED(OleSetClipboard(data.Get()))) return false;
  clipboardData_ = data;
  cutPending_ = cut;
  return true;
}

bool CFileCommands::PasteMoves() const {
  return cutPending_ && clipboardData_ && OleIsCurrentClipboard(clipboardData_.Get()) == S_OK;
}

std::vector<std::string> CFileCommands::ClipboardFiles(bool headersOnly) const {
  win::ComPtr<IDataObject> data;
  if (FAILED(OleGetClipboard(&data))) return {};
  std::vector<std::string> files;
  for (std::string& path : ReadDroppedPaths(data.Get()))
    if (headersOnly ? host_.HeadersShowable(path) : host_.CanShowFile(path)) files.push_back(std::move(path));
  return files;
}

void CFileCommands::OnPaste(int) {
  const std::string folder = host_.ShownFolder();
  const std::vector<std::string> files = ClipboardFiles(false);
  if (files.empty() || folder.empty()) return;
  Transfer(files, folder, PasteMoves() ? FileOperationMode::Move : FileOperationMode::Copy);
}

void CFileCommands::OnDelete(int) { DeleteFiles(host_.SelectedFiles()); }

void CFileCommands::OnUpdateMoveOrCopyTo(win::CommandUpdate& update) {
  update.Enable(!host_.PictureShown() && host_.SelectedFileCount() > 0);
}

// The dialog starts at the board's own folder while its mirror is shown:
// that is where the files really are.
void CFileCommands::OnMoveOrCopyTo(int) {
  const std::vector<std::string> files = host_.SelectedFiles();
  if (files.empty()) return;
  const MirrorState mirror = host_.OperationSite().mirror;
  const std::string start = mirror.active ? mirror.deviceFolder : host_.ShownFolder();
  const std::optional<FolderChoice> choice = RunFolderSelectDialog(host_.CommandWindow(), start, FolderSelectMode::kMoveCopy);
  if (!choice || choice->folder.empty()) return;
  Transfer(files, choice->folder, choice->button == FolderChoice::kMove ? FileOperationMode::Move : FileOperationMode::Copy);
}

void CFileCommands::DeleteFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  Transfer(paths, std::string(), FileOperationMode::Delete);
}

FileOperationOutcome CFileCommands::Transfer(const std::vector<std::string>& sources, const std::string& destination,
                                             FileOperationMode mode) {
  if (sources.empty()) return {};
  const FileOperationSite site = host_.OperationSite();
  if (mode != FileOperationMode::Delete && IntoTheirOwnFolder(site.mirror, sources.front(), destination)) return {};
  const FolderFilesLease lease = host_.ReleaseFolderFiles();
  const FileOperationOutcome outcome = RunMultiFileOperation(site, sources, destination, mode);
  if (outcome) {
    const std::string sourceFolder = FolderOf(sources.front());
    NotifyFolderChanged(destination);
    if (mode != FileOperationMode::Copy && sourceFolder != destination) NotifyFolderChanged(sourceFolder);
    // Through the mirror, the board's folder changed as well.
    const std::string device = MapToDevice(site.mirror, sources.front(), win::IsAnsiLeadByte);
    if (device != sources.front()) NotifyFolderChanged(FolderOf(device));
    pasteCheckValid_ = false;  // files on the clipboard may be gone now
  }
  return outcome;
}

void CFileCommands::DragSelectionOut() {
  const std::vector<std::string> paths = host_.SelectedFiles();
  if (paths.empty()) return;
  win::ComPtr<IDataObject> data = MakeFileListData(paths);
  if (!data) return;
  dragData_ = data;
  struct EndOfDrag {
    win::ComPtr<IDataObject>& data;
    ~EndOfDrag() { data.Reset(); }
  } end{dragData_};
  DragFilesOut(data.Get());
}

HRESULT CFileCommands::DropFiles(IDataObject* data, DWORD effect, const std::string& folder) {
  std::vector<std::string> files;
  for (std::string& path : ReadDroppedPaths(data))
    if (host_.CanShowFile(path)) files.push_back(std::move(path));
  // Files dropped onto the folder they come from stay where they are.
  if (files.empty() || folder.empty() || SamePath(FolderOf(files.front()), folder, win::IsAnsiLeadByte))
    return S_FALSE;
  const bool move = effect == DROPEFFECT_MOVE;
  const FileOperationOutcome outcome = Transfer(files, folder, move ? FileOperationMode::Move : FileOperationMode::Copy);
  // A move that did not finish must not let the source delete its files.
  return outcome.started && (outcome.complete || !move) ? S_OK : S_FALSE;
}

void CFileCommands::KeepClipboard() {
  if (clipboardData_ && OleIsCurrentClipboard(clipboardData_.Get()) == S_OK) OleFlushClipboard();
  clipboardData_.Reset();
}

}  // namespace zv
