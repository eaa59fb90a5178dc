#include "browser/list_presenter.h"

#include <commctrl.h>

#include "res/resource.h"

namespace zv {

bool ListPresenter::Create(HWND parent, bool visible, const ColumnCaptionTexts& captions,
                           const ColumnLayout& columns) {
  if (!icons_.Create() || !list_.Create(parent, IDW_FILE_LIST, visible, icons_.get())) return false;
  window_ = list_.hwnd();
  list_.InsertColumns(captions, columns);
  return true;
}

void ListPresenter::InsertRow(size_t index) {
  const FileListItem* record = items_.At(index);
  if (record == nullptr) return;
  int icon = I_IMAGENONE;
  {
    PhaseTimer timer(iconSeconds_);
    icon = icons_.AddIconOf(record->path);
  }
  list_.InsertRow(static_cast<int>(index), *record, icon);
}

void ListPresenter::Rebuild() {
  icons_.RemoveAll();
  FillRows();
}

// Rows hold their texts, not the record: a new order means new rows (the
// icons stay in the image list).
void ListPresenter::Reorder(const std::vector<size_t>&) { FillRows(); }

void ListPresenter::FillRows() {
  iconSeconds_ = 0;
  OwnSelectionWrite own(userChange_);
  list_.SetRedraw(false);
  list_.DeleteAllRows();
  SendMessageA(list_.hwnd(), LVM_SETITEMCOUNT, items_.size(), 0);
  for (size_t i = 0; i < items_.size(); ++i) InsertRow(i);
  for (int i : items_.SelectedIndices()) list_.SetSelected(i, true);
  list_.SetRedraw(true);
}

void ListPresenter::Removed(size_t index) {
  OwnSelectionWrite own(userChange_);
  list_.DeleteRow(static_cast<int>(index));
}

// The row's texts and icon are made anew; its selection stays.
void ListPresenter::Replaced(size_t index) {
  if (index >= items_.size()) return;
  OwnSelectionWrite own(userChange_);
  list_.DeleteRow(static_cast<int>(index));
  InsertRow(index);
  if (items_.IsSelected(index)) list_.SetSelected(static_cast<int>(index), true);
}

void ListPresenter::Appended(size_t first) {
  if (first >= items_.size()) return;
  {
    OwnSelectionWrite own(userChange_);
    for (size_t i = first; i < items_.size(); ++i) InsertRow(i);
  }
  list_.EnsureVisible(static_cast<int>(items_.size() - 1));
}

void ListPresenter::ShowSelection() {
  OwnSelectionWrite own(userChange_);
  list_.SetSelected(-1, false);
  for (int i : items_.SelectedIndices()) list_.SetSelected(i, true);
  // The current record gets the focus (SetSelected focuses what it selects).
  if (items_.current() >= 0 && items_.IsSelected(static_cast<size_t>(items_.current())))
    list_.SetSelected(items_.current(), true);
}

bool ListPresenter::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != list_.hwnd() || list_.hwnd() == nullptr) return false;
  result = 0;
  switch (header.code) {
    case LVN_ITEMCHANGED: OnItemChanged(reinterpret_cast<NMLISTVIEW&>(header)); return true;
    case LVN_COLUMNCLICK: events_.OnSortColumn(reinterpret_cast<NMLISTVIEW&>(header).iSubItem); return true;
    case NM_RCLICK: {
      POINT point = reinterpret_cast<NMITEMACTIVATE&>(header).ptAction;
      ClientToScreen(list_.hwnd(), &point);
      events_.OnContextMenu(point);
      return true;
    }
    case NM_DBLCLK: events_.OnOpenCurrent(); return true;
    case LVN_BEGINDRAG: events_.OnBeginDrag(); return true;
    default: return false;
  }
}

// Only the user's changes go to the model: while the presenter writes the
// model's own selection into the rows, their echo must not write it back.
void ListPresenter::OnItemChanged(const NMLISTVIEW& change) {
  if ((change.uChanged & LVIF_STATE) == 0 || !userChange_) return;
  const bool wasSelected = (change.uOldState & LVIS_SELECTED) != 0;
  const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
  if (wasSelected != selected) events_.OnSelect(change.iItem, selected);
  if (selected && change.iItem >= 0 && change.iItem != items_.current()) events_.OnCurrentChanged(change.iItem);
}

}  // namespace zv
