// What the file commands need from the file list: its selection, its
// folder, its mirror state, and a release of its files around every shell
// operation; and the drags out of and drops into the list.
#include "browser/file_list_view.h"

#include "browser/folder_reader.h"
#include "browser/image_probe.h"
#include "core/text/ansi_path.h"
#include "win/text_convert.h"

namespace zv {

void CFileListView::RefreshFolders() {
  if (host_ != nullptr) host_->RefreshFolders();
}

bool CFileListView::CanShowFile(const std::string& path) const {
  ImageInfo info;
  return path.size() < sizeof(FileListItem::path) && ImageProbe().GetImageInfo(path.c_str(), &info) == 1;
}

bool CFileListView::HeadersShowable(const std::string& path) const {
  ImageInfo info;
  return path.size() < sizeof(FileListItem::path) && ImageProbe().GetHeaderInfo(path.c_str(), &info) == 1;
}

FileOperationSite CFileListView::OperationSite() const { return {hwnd(), model_.mirror(), settings_.intSysDte}; }

// The thumbnail workers may be reading a picture of the folder, which a
// delete or move through the shell would then fail on: no thumbnail or
// read-ahead decode holds a file of the folder open while a command changes
// it. The thumbnails made so far and the open cache file stay; nothing is
// written until the folder is left.
FolderFilesLease CFileListView::ReleaseFolderFiles() {
  ++leases_;
  grid_.PauseThumbnails();
  pictureMode_.StopReadingAhead();
  return FolderFilesLease([this] { EndFolderLease(); });
}

void CFileListView::EndFolderLease() {
  struct ResumeAtEnd {
    GridPresenter& grid;
    ~ResumeAtEnd() { grid.ResumeThumbnails(); }
  } resume{grid_};
  if (--leases_ == 0) RefreshList();
}

bool CFileListView::SelectedRecord(FileListItem& record) const {
  const std::vector<int> selected = model_.items().SelectedIndices();
  const FileListItem* item = selected.size() == 1 ? model_.items().At(selected.front()) : nullptr;
  if (item == nullptr) return false;
  record = *item;
  return true;
}

int CFileListView::ShownOrientation(const std::string& path) const {
  return pictureMode_.OrientationOf(path);
}

// The record is read from the file as a listing would; a file the list
// cannot show (renamed to another extension, or gone) leaves the list.
void CFileListView::ReplaceRecord(const std::string& oldPath, const std::string& newPath) {
  const int index = model_.items().IndexOfPath(oldPath, win::IsAnsiLeadByte);
  if (index < 0) return;
  const size_t at = static_cast<size_t>(index);
  const bool shown = pictureMode_.shown() && model_.items().current() == index;
  FileListItem record{};
  ListingTimes times;
  if (ReadImageRecord(std::string(FolderOfPath(newPath, win::IsAnsiLeadByte)),
                      std::string(NameOfPath(newPath, win::IsAnsiLeadByte)), ImageProbe(), record, times)) {
    model_.items().Replace(at, record);
    for (FileListPresenter* presenter : presenters_) presenter->Replaced(at);
    // The picture view shows the file as it is now, as stored.
    if (shown) pictureMode_.Show(index);
  } else {
    if (shown) ReturnToList();
    model_.items().Remove(at);
    for (FileListPresenter* presenter : presenters_) presenter->Removed(at);
  }
  UpdateStatus();
}

void CFileListView::OnBeginDrag() { fileCommands_.DragSelectionOut(); }

HRESULT CFileListView::DropFiles(IDataObject* data, DWORD effect, const std::string& folder) {
  return fileCommands_.DropFiles(data, effect, folder);
}

}  // namespace zv
