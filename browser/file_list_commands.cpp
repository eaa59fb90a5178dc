// The file list view's commands, selection, picture state and path utilities.
#include "browser/file_list_view.h"

#include "core/browser/path_utils.h"
#include "dialogs/info_dlg.h"
#include "mainwnd/command_ids.h"
#include "win/text_convert.h"

namespace zv {

namespace {

void Show(HWND window, bool shown) {
  if (window != nullptr) ShowWindow(window, shown ? SW_SHOW : SW_HIDE);
}

// Every command that belongs to the file list view. Commands whose work
// lands with later parts of the browser (the thumbnail grid, the picture
// view, the file and image commands, the dialogs) do nothing yet and are
// disabled, except those the frame keeps always enabled.
using Entry = win::CommandEntry<CFileListView>;
constexpr Entry kViewCommands[] = {
    {ID_FILE_NEWFOLDER, ID_FILE_SAVEAS, &CFileListView::OnNothing, &CFileListView::OnUpdateNotYet},
    {ID_VIEW_LIGHTTHUMB, ID_VIEW_DETAILTHUMB, &CFileListView::OnNothing, &CFileListView::OnUpdateThumbnailModes},
    {ID_VIEW_LIST, ID_VIEW_LIST, &CFileListView::OnListMode, &CFileListView::OnUpdateListMode},
    {ID_VIEW_SHOWPICTURE, ID_VIEW_SHOWPICTURE, &CFileListView::OnShowPicture, &CFileListView::OnUpdateShowPicture},
    {ID_VIEW_RETURNLIST, ID_VIEW_RETURNLIST, &CFileListView::OnReturnList, &CFileListView::OnUpdatePictureShown},
    {ID_VIEW_PREVPICTURE, ID_IMAGE_REFLECTV, &CFileListView::OnNothing, &CFileListView::OnUpdateNotYet},
    {ID_VIEW_REFRESH, ID_VIEW_REFRESH, &CFileListView::OnRefresh, nullptr},
    {ID_VIEW_THUMBSMALL, ID_VIEW_THUMBLARGE, &CFileListView::OnNothing, &CFileListView::OnUpdateThumbnailSizes},
    {ID_VIEW_SORT, ID_VIEW_SORT, &CFileListView::OnNothing, nullptr},  // the sort settings dialog
    {ID_EDIT_CUT, ID_EDIT_PROPERTY, &CFileListView::OnNothing, &CFileListView::OnUpdateNotYet},
    {ID_EDIT_SELECTALL, ID_EDIT_SELECTALL, &CFileListView::OnSelectAll, &CFileListView::OnUpdateSelectAll},
    {ID_EDIT_CUTALL, ID_EDIT_DELETEALL, &CFileListView::OnNothing, &CFileListView::OnUpdateNotYet},
    {ID_TOOL_APPSETTING, ID_TOOL_APPSETTING, &CFileListView::OnNothing, nullptr},  // the setup dialog
    {ID_HELP_INDEX, ID_HELP_INDEX, &CFileListView::OnHelp, nullptr},
    {ID_HELP_INFORMATION, ID_HELP_INFORMATION, &CFileListView::OnInformation, nullptr},
    {ID_INDICATOR_IDLE, ID_INDICATOR_IDLE, nullptr, nullptr},
};

}  // namespace

bool CFileListView::ExecuteCommand(int id) { return win::RunFromMap<CFileListView>(*this, kViewCommands, id); }

bool CFileListView::UpdateCommand(win::CommandUpdate& update) {
  return win::UpdateFromMap<CFileListView>(*this, kViewCommands, update);
}

void CFileListView::OnNothing(int) {}
void CFileListView::OnHelp(int) { OpenHelpFile(); }
void CFileListView::OnInformation(int) { CInfoDlg().RunModal(GetParent(hwnd())); }
void CFileListView::OnRefresh(int) { RefreshList(); }
void CFileListView::OnSelectAll(int) { SelectAll(); }
void CFileListView::OnShowPicture(int) { OpenCurrent(); }
void CFileListView::OnReturnList(int) { ReturnToList(); }

void CFileListView::OnListMode(int) {
  ReturnToList();
  if (viewMode_ == kListMode) return;
  viewMode_ = kListMode;
  // The grid's selection is copied into the rows here once the thumbnail grid exists.
  Show(grid_.hwnd(), false);
  Show(list_.hwnd(), true);
}

void CFileListView::OnUpdateNotYet(win::CommandUpdate& update) { update.Enable(false); }

void CFileListView::OnUpdateThumbnailModes(win::CommandUpdate& update) {
  update.Enable(false);  // until the thumbnail grid exists
  update.SetCheck(viewMode_ == update.id() - ID_VIEW_LIGHTTHUMB);
}

void CFileListView::OnUpdateThumbnailSizes(win::CommandUpdate& update) {
  update.Enable(false);  // until the thumbnail grid exists
  update.SetCheck(thumbSize_ == update.id() - ID_VIEW_THUMBSMALL);
}

void CFileListView::OnUpdateListMode(win::CommandUpdate& update) { update.SetCheck(viewMode_ == kListMode); }

void CFileListView::OnUpdateShowPicture(win::CommandUpdate& update) {
  update.Enable(!pictureShown_ && GetSelectedCount() > 0);
}

void CFileListView::OnUpdatePictureShown(win::CommandUpdate& update) { update.Enable(pictureShown_); }
void CFileListView::OnUpdateSelectAll(win::CommandUpdate& update) { update.Enable(!entries_.empty()); }

HWND CFileListView::DropWindow() const { return viewMode_ == kListMode ? list_.hwnd() : grid_.hwnd(); }

HRESULT CFileListView::DropFiles(IDataObject*, DWORD, const std::string&) {
  // Copying or moving dropped files belongs to the transfer formats; until
  // then nothing is done, and the drop reports that it did nothing.
  return E_NOTIMPL;
}

void CFileListView::StoreScannedImage(void*) {
  // Scanned images arrive once the scanner connection exists; there is none yet.
}

void CFileListView::SelectAll() {
  if (entries_.empty() || list_.hwnd() == nullptr) return;
  {
    OwnSelectionWrite own(userChange_);
    list_.SetSelected(-1, true);
    list_.SetSelected(static_cast<int>(entries_.size() - 1), true);
  }
  // In the thumbnail modes the grid's cells are selected here once the grid exists.
  currentItem_ = static_cast<int>(entries_.size() - 1);
  UpdateStatus();
}

// In list mode the selection is the list's rows; in the thumbnail modes it
// is the grid's cells, which hold none until the thumbnail grid exists.
std::vector<int> CFileListView::GetSelectedIndices() const {
  if (viewMode_ != kListMode || list_.hwnd() == nullptr) return {};
  return list_.SelectedRows();
}

int CFileListView::GetSelectedCount() const {
  if (viewMode_ != kListMode || list_.hwnd() == nullptr) return 0;
  return list_.SelectedCount();
}

std::vector<std::string> CFileListView::GetSelectedPaths() const {
  std::vector<std::string> paths;
  for (int index : GetSelectedIndices())
    if (const FileListItem* item = Item(static_cast<size_t>(index))) paths.emplace_back(item->path);
  return paths;
}

void CFileListView::OpenCurrent() {
  if (currentItem_ < 0 || static_cast<size_t>(currentItem_) >= entries_.size()) return;
  win::WaitCursor wait;
  if (viewMode_ == kListMode && list_.hwnd() != nullptr) {
    OwnSelectionWrite own(userChange_);
    list_.SetSelected(-1, false);
    list_.SetSelected(currentItem_, true);
  }
  // The picture view shows entries_[currentItem_]'s record at orientation 0 here once it exists.
  Show(list_.hwnd(), false);
  Show(grid_.hwnd(), false);
  Show(pictureView_.hwnd(), true);
  pictureShown_ = true;
}

void CFileListView::ReturnToList() {
  if (pictureShown_) {
    Show(pictureView_.hwnd(), false);
    pictureShown_ = false;
  }
  Show(viewMode_ == kListMode ? list_.hwnd() : grid_.hwnd(), true);
}

std::string CFileListView::PathName(const std::string& path) {
  return std::string(NameOfPath(path, win::IsAnsiLeadByte));
}

void CFileListView::PathFolder(const std::string& path, std::string& folder) {
  if (auto part = FolderPartOf(path, win::IsAnsiLeadByte)) folder = std::string(*part);
}

std::string CFileListView::PathExtension(const std::string& path) {
  return std::string(ExtensionOfPath(path, win::IsAnsiLeadByte));
}

}  // namespace zv
