// What the file commands need from the file list: its selection, its
// folder, its mirror state, and a release of its files around every shell
// operation; and the drags out of and drops into the list.
#include "browser/file_list_view.h"

#include "browser/image_probe.h"

namespace zv {

void CFileListView::RefreshFolders() {
  if (host_ != nullptr) host_->RefreshFolders();
}

bool CFileListView::CanShowFile(const std::string& path) const {
  ImageInfo info;
  return path.size() < sizeof(FileListItem::path) && ImageProbe().GetImageInfo(path.c_str(), &info) == 1;
}

FileOperationSite CFileListView::OperationSite() const { return {hwnd(), model_.mirror(), settings_.intSysDte}; }

// The thumbnail workers may be reading a picture of the folder, which a
// delete or move through the shell would then fail on.
// No thumbnail or read-ahead decode holds a file of the folder open while
// the shell changes it.
void CFileListView::ReleaseFolderFiles() {
  grid_.LeaveFolder();
  readAhead_.CancelAndWait();
}

void CFileListView::RereadFolder() {
  RefreshList();
  grid_.ResumeThumbnails();
}

void CFileListView::OnBeginDrag() { fileCommands_.DragSelectionOut(); }

HRESULT CFileListView::DropFiles(IDataObject* data, DWORD effect, const std::string& folder) {
  return fileCommands_.DropFiles(data, effect, folder);
}

}  // namespace zv
