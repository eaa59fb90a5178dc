// The file list view's commands and selection.
#include "browser/file_list_view.h"

#include "res/resource.h"

namespace zv {

namespace {

// The commands of the view itself. The thumbnail modes and sizes show their
// check marks but stay disabled until the thumbnail grid can show them.
using Entry = win::CommandEntry<CFileListView>;
constexpr Entry kViewCommands[] = {
    {ID_VIEW_LIGHTTHUMB, ID_VIEW_DETAILTHUMB, nullptr, &CFileListView::OnUpdateThumbnailModes},
    {ID_VIEW_LIST, ID_VIEW_LIST, &CFileListView::OnListMode, &CFileListView::OnUpdateListMode},
    {ID_VIEW_THUMBSMALL, ID_VIEW_THUMBLARGE, nullptr, &CFileListView::OnUpdateThumbnailSizes},
    {ID_EDIT_SELECTALL, ID_EDIT_SELECTALL, &CFileListView::OnSelectAll, &CFileListView::OnUpdateSelectAll},
};

}  // namespace

bool CFileListView::ExecuteCommand(int id) {
  if (FileListPresenter* shown = Visible(); shown != nullptr && shown->ExecuteCommand(id)) return true;
  if (win::RunFromMap<CFileListView>(*this, kViewCommands, id)) return true;
  return fileCommands_.ExecuteCommand(id);
}

bool CFileListView::UpdateCommand(win::CommandUpdate& update) {
  if (FileListPresenter* shown = Visible(); shown != nullptr && shown->UpdateCommand(update)) return true;
  if (win::UpdateFromMap<CFileListView>(*this, kViewCommands, update)) return true;
  return fileCommands_.UpdateCommand(update);
}

void CFileListView::OnSelectAll(int) { SelectAll(); }

void CFileListView::OnListMode(int) {
  if (viewMode_ == kListMode) return;
  viewMode_ = kListMode;
  // The grid's selection is carried into the rows by the shared model.
  grid_.Show(false);
  list_.ShowSelection();
  list_.Show(true);
}

void CFileListView::OnUpdateThumbnailModes(win::CommandUpdate& update) {
  update.Enable(false);
  update.SetCheck(viewMode_ == update.id() - ID_VIEW_LIGHTTHUMB);
}

void CFileListView::OnUpdateThumbnailSizes(win::CommandUpdate& update) {
  update.Enable(false);
  update.SetCheck(thumbSize_ == update.id() - ID_VIEW_THUMBSMALL);
}

void CFileListView::OnUpdateListMode(win::CommandUpdate& update) { update.SetCheck(viewMode_ == kListMode); }

// Only where the selection can be seen: the blank grid stand-in shows none.
void CFileListView::OnUpdateSelectAll(win::CommandUpdate& update) {
  update.Enable(Visible() != nullptr && !model_.items().empty());
}

HWND CFileListView::DropWindow() const { return viewMode_ == kListMode ? list_.window() : grid_.hwnd(); }

HRESULT CFileListView::DropFiles(IDataObject*, DWORD, const std::string&) {
  // Copying or moving dropped files belongs to the transfer formats; until
  // then nothing is done, and the drop reports that it did nothing.
  return E_NOTIMPL;
}

void CFileListView::StoreScannedImage(void*) {
  // Scanned images arrive once the scanner connection exists; there is none yet.
}

void CFileListView::SelectAll() {
  FileListItems& items = model_.items();
  if (items.empty()) return;
  items.SelectAll(true);
  items.SetCurrent(static_cast<int>(items.size() - 1));
  if (FileListPresenter* shown = Visible()) shown->ShowSelection();
  UpdateStatus();
}

std::vector<std::string> CFileListView::GetSelectedPaths() const {
  std::vector<std::string> paths;
  for (int index : GetSelectedIndices())
    if (const FileListItem* item = model_.items().At(index)) paths.emplace_back(item->path);
  return paths;
}

}  // namespace zv
