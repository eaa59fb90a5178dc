#include "browser/list_presenter.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "core/text/ansi_path.h"
#include "core/text/ansi_text.h"
#include "res/resource.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr int kIconUnknown = INT_MIN;

}  // namespace

bool ListPresenter::Create(HWND parent, bool visible, const ColumnCaptionTexts& captions,
                           const ColumnLayout& columns) {
  if (!icons_.Create() || !list_.Create(parent, IDW_FILE_LIST, visible, icons_.get())) return false;
  window_ = list_.hwnd();
  list_.InsertColumns(captions, columns);
  return true;
}

int ListPresenter::IconOf(size_t index) {
  if (index >= iconOf_.size()) return I_IMAGENONE;
  if (iconOf_[index] == kIconUnknown) {
    PhaseTimer timer(iconSeconds_);
    iconOf_[index] = icons_.AddIconOf(items_.At(index)->path);
  }
  return iconOf_[index];
}

void ListPresenter::Rebuild() {
  icons_.RemoveAll();
  iconSeconds_ = 0;
  iconOf_.assign(items_.size(), kIconUnknown);
  ShowAllRows();
}

// The icons go with their records; the rows show the new order at once.
void ListPresenter::Reorder(const std::vector<size_t>& permutation) {
  if (permutation.size() == iconOf_.size()) {
    std::vector<int> moved(permutation.size());
    for (size_t i = 0; i < permutation.size(); ++i) moved[i] = iconOf_[permutation[i]];
    iconOf_ = std::move(moved);
  } else {
    iconOf_.assign(items_.size(), kIconUnknown);
  }
  ShowAllRows();
}

// All rows anew: no focus, scrolled to the top, the model's selection. The
// control draws nothing until all is set: under Wine, each step would
// otherwise lay out and paint its scroll bar on its own, 40 ms apiece. With
// drawing held, deleting the rows leaves the scroll position as it was.
void ListPresenter::ShowAllRows() {
  OwnSelectionWrite own(userChange_);
  list_.SetRedraw(false);
  list_.DeleteAllRows();
  list_.SetRowCount(items_.size());
  WriteSelectedStates();
  list_.SetRedraw(true);
  if (!items_.empty()) list_.EnsureVisible(0);
}

// The model's selection into the rows; the focus, when asked, on the current
// record if it is selected, else on the last selected one.
void ListPresenter::WriteSelection(bool focus) {
  list_.SetRedraw(false);
  const std::vector<int> selected = WriteSelectedStates();
  list_.SetRedraw(true);
  if (!focus || selected.empty()) return;
  const int current = items_.current();
  list_.SetFocused(current >= 0 && items_.IsSelected(static_cast<size_t>(current)) ? current : selected.back());
}

// The rows' selected states as the model has them; returns the selected rows.
std::vector<int> ListPresenter::WriteSelectedStates() {
  std::vector<int> selected = items_.SelectedIndices();
  if (!selected.empty() && selected.size() == items_.size()) {
    list_.SetSelected(-1, true);
  } else {
    list_.SetSelected(-1, false);
    for (int i : selected) list_.SetSelected(i, true);
  }
  return selected;
}

void ListPresenter::Removed(size_t index) {
  if (index < iconOf_.size()) iconOf_.erase(iconOf_.begin() + static_cast<std::ptrdiff_t>(index));
  OwnSelectionWrite own(userChange_);
  list_.DeleteRow(static_cast<int>(index));
}

// The row's texts and icon are made anew; its selection stays.
void ListPresenter::Replaced(size_t index) {
  if (index >= items_.size() || index >= iconOf_.size()) return;
  iconOf_[index] = kIconUnknown;
  list_.RedrawRow(static_cast<int>(index));
}

void ListPresenter::Appended(size_t first) {
  if (first >= items_.size()) return;
  iconOf_.resize(items_.size(), kIconUnknown);
  {
    OwnSelectionWrite own(userChange_);
    list_.SetRowCount(items_.size());
  }
  list_.EnsureVisible(static_cast<int>(items_.size() - 1));
}

void ListPresenter::ShowSelection() {
  OwnSelectionWrite own(userChange_);
  WriteSelection(true);
}

// The view is an ANSI window, so the control sends the ANSI form of
// LVN_GETDISPINFO; Wine sends the search by typed letters in its wide form
// whatever the window, Windows in the ANSI form.
bool ListPresenter::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != list_.hwnd() || list_.hwnd() == nullptr) return false;
  result = 0;
  switch (header.code) {
    case LVN_GETDISPINFOA: OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOA&>(header).item); return true;
    case LVN_ODFINDITEMA: {
      const NMLVFINDITEMA& find = reinterpret_cast<NMLVFINDITEMA&>(header);
      result = find.lvfi.psz != nullptr ? FindRow(find.iStart, find.lvfi.flags, find.lvfi.psz) : -1;
      return true;
    }
    case LVN_ODFINDITEMW: {
      const NMLVFINDITEMW& find = reinterpret_cast<NMLVFINDITEMW&>(header);
      result = find.lvfi.psz != nullptr ? FindRow(find.iStart, find.lvfi.flags, win::FromWide(find.lvfi.psz, CP_ACP)) : -1;
      return true;
    }
    case LVN_ITEMCHANGED: OnItemChanged(reinterpret_cast<NMLISTVIEW&>(header)); return true;
    case LVN_ODSTATECHANGED: OnRangeChanged(reinterpret_cast<NMLVODSTATECHANGE&>(header)); return true;
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

void ListPresenter::OnGetDisplayInfo(LVITEMA& row) {
  if (row.iItem < 0) return;
  const FileListItem* record = items_.At(row.iItem);
  if (record == nullptr) return;
  if ((row.mask & LVIF_TEXT) != 0 && row.pszText != nullptr && row.cchTextMax > 0) {
    CopyToField(row.pszText, static_cast<size_t>(row.cchTextMax), CellText(*record, row.iSubItem), win::IsAnsiLeadByte);
  }
  if ((row.mask & LVIF_IMAGE) != 0) row.iImage = row.iSubItem == 0 ? IconOf(static_cast<size_t>(row.iItem)) : I_IMAGENONE;
}

// Typing a name's first letters: the first row from the start row on (then
// from the top) whose name begins with them, ignoring case; -1 for none.
int ListPresenter::FindRow(int startRow, UINT flags, const std::string& typed) const {
  if ((flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || items_.empty()) return -1;
  const std::string wanted = FoldedName(typed, win::IsAnsiLeadByte);
  const bool partial = (flags & LVFI_PARTIAL) != 0;
  const size_t count = items_.size();
  const size_t start = startRow >= 0 && static_cast<size_t>(startRow) < count ? static_cast<size_t>(startRow) : 0;
  const size_t tried = (flags & LVFI_WRAP) != 0 || start == 0 ? count : count - start;
  for (size_t k = 0; k < tried; ++k) {
    const size_t i = (start + k) % count;
    const std::string name = FoldedName(items_.At(i)->name, win::IsAnsiLeadByte);
    if (partial ? name.compare(0, wanted.size(), wanted) == 0 : name == wanted) return static_cast<int>(i);
  }
  return -1;
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

// Shift-clicks select a range in one notification. Each row's state is read
// back from the control: what the notification says of the states is not
// the same on every version of the control.
void ListPresenter::OnRangeChanged(const NMLVODSTATECHANGE& change) {
  if (!userChange_ || change.iFrom < 0 || change.iTo < change.iFrom) return;
  const int last = std::min(change.iTo, static_cast<int>(items_.size()) - 1);
  for (int row = change.iFrom; row <= last; ++row) events_.OnSelect(row, list_.IsSelected(row));
}

}  // namespace zv
