// The file list view's commands and selection.
#include "browser/file_list_view.h"

#include "dialogs/sort_dlg.h"
#include "res/resource.h"

namespace zv {

namespace {

// The commands of the view itself.
using Entry = win::CommandEntry<CFileListView>;
constexpr Entry kViewCommands[] = {
    {ID_VIEW_LIGHTTHUMB, ID_VIEW_DETAILTHUMB, &CFileListView::OnThumbnailMode, &CFileListView::OnUpdateThumbnailModes},
    {ID_VIEW_LIST, ID_VIEW_LIST, &CFileListView::OnListMode, &CFileListView::OnUpdateListMode},
    {ID_VIEW_THUMBSMALL, ID_VIEW_THUMBLARGE, &CFileListView::OnThumbnailSize, &CFileListView::OnUpdateThumbnailSizes},
    {ID_VIEW_SORT, ID_VIEW_SORT, &CFileListView::OnSortSettings, nullptr},
    {ID_EDIT_SELECTALL, ID_EDIT_SELECTALL, &CFileListView::OnSelectAll, &CFileListView::OnUpdateSelectAll},
};

}  // namespace

bool CFileListView::ExecuteCommand(int id) {
  if (FileListPresenter* shown = Visible(); shown != nullptr && shown->ExecuteCommand(id)) return true;
  if (pictureMode_.ExecuteCommand(id)) return true;
  if (win::RunFromMap<CFileListView>(*this, kViewCommands, id)) return true;
  return fileCommands_.ExecuteCommand(id);
}

bool CFileListView::UpdateCommand(win::CommandUpdate& update) {
  if (FileListPresenter* shown = Visible(); shown != nullptr && shown->UpdateCommand(update)) return true;
  if (pictureMode_.UpdateCommand(update)) return true;
  if (win::UpdateFromMap<CFileListView>(*this, kViewCommands, update)) return true;
  return fileCommands_.UpdateCommand(update);
}

void CFileListView::OnSelectAll(int) { SelectAll(); }

// The view keeps what was chosen (and writes it back on closing) even for
// an empty folder, whose next listing is then sorted that way.
void CFileListView::OnSortSettings(int) {
  const std::optional<SortOrder> chosen = RunSortDialog(GetAncestor(hwnd(), GA_ROOT), {sortKey_, sortDir_});
  if (!chosen) return;
  sortKey_ = NormalSortKey(chosen->key);
  sortDir_ = NormalSortDir(chosen->dir);
  SortAndApply(sortKey_, sortDir_);
}

void CFileListView::OnListMode(int) {
  ReturnToList();
  if (viewMode_ == kListMode) return;
  viewMode_ = kListMode;
  // The grid keeps its cells; its selection is carried into the rows by the shared model.
  grid_.SetFilling(false);
  grid_.Show(false);
  list_.ShowSelection();
  list_.Show(true);
}

void CFileListView::OnThumbnailMode(int id) {
  const int mode = id - ID_VIEW_LIGHTTHUMB;
  ReturnToList();
  if (viewMode_ == mode) return;
  const bool fromList = viewMode_ == kListMode;
  viewMode_ = mode;
  grid_.SetCellMode(mode);
  list_.Show(false);
  grid_.Show(true);
  if (fromList) {
    // Filled once (cache first) if the folder was listed in list mode, then
    // the rows' selection is carried into the cells.
    win::WaitCursor wait;
    grid_.SetFilling(true);
    grid_.ShowSelection();
  }
}

// After the frame has repainted, so that the closed menu is gone before the wait.
void CFileListView::OnThumbnailSize(int id) {
  const int size = id - ID_VIEW_THUMBSMALL;
  if (viewMode_ == kListMode || size == thumbSize_) return;
  thumbSize_ = size;
  ReturnToList();
  UpdateWindow(GetAncestor(hwnd(), GA_ROOT));
  win::WaitCursor wait;
  grid_.SetThumbSize(size);
}

void CFileListView::OnUpdateThumbnailModes(win::CommandUpdate& update) {
  update.SetCheck(viewMode_ == update.id() - ID_VIEW_LIGHTTHUMB);
}

void CFileListView::OnUpdateThumbnailSizes(win::CommandUpdate& update) {
  update.Enable(viewMode_ != kListMode);
  update.SetCheck(thumbSize_ == update.id() - ID_VIEW_THUMBSMALL);
}

void CFileListView::OnUpdateListMode(win::CommandUpdate& update) { update.SetCheck(viewMode_ == kListMode); }

void CFileListView::OnUpdateSelectAll(win::CommandUpdate& update) {
  update.Enable(!pictureMode_.shown() && !model_.items().empty());
}

HWND CFileListView::DropWindow() const { return viewMode_ == kListMode ? list_.window() : grid_.window(); }

void CFileListView::StoreScannedImage(void* image) {
  fileCommands_.StoreScannedImage(static_cast<HGLOBAL>(image), settings_);
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
