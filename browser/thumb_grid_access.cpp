// The thumbnail grid as a screen reader sees it: a list whose items are the
// cells (name: the file name; description: the detail rows with their
// captions; default action "open"). The grid raises the focus and selection
// events itself (thumb_grid_keys.cpp).
#include "browser/thumb_grid.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr wchar_t kOpenAction[] = L"open";

std::wstring Wide(const std::string& ansi) { return win::ToWide(ansi, CP_ACP); }

}  // namespace

long CThumbnailGrid::AccessibleRole() { return ROLE_SYSTEM_LIST; }

// The file list view names the grid after the folder it shows.
std::wstring CThumbnailGrid::AccessibleName() { return Wide(win::GetWindowTextString(hwnd())); }

long CThumbnailGrid::ItemCount() { return static_cast<long>(cells_.size()); }

std::wstring CThumbnailGrid::ItemName(long index) { return Wide(cells_[static_cast<size_t>(index)].name); }

std::wstring CThumbnailGrid::ItemDescription(long index) {
  const GridCell& cell = cells_[static_cast<size_t>(index)];
  const std::string* rowCaptions[kDetailRows] = {&captions_.fileName, &captions_.fileDate, &captions_.pictSize,
                                                 &captions_.colorNumber};
  std::string text;
  for (int row = 0; row < kDetailRows; ++row) {
    if (row > 0) text += ", ";
    text += *rowCaptions[row] + " " + DetailValue(row, cell, captions_);
  }
  return Wide(text);
}

long CThumbnailGrid::ItemState(long index) {
  const auto i = static_cast<size_t>(index);
  long state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (selection_.IsSelected(i)) state |= STATE_SYSTEM_SELECTED;
  if (GetFocus() == hwnd() && selection_.focus() == i) state |= STATE_SYSTEM_FOCUSED;
  const GridLayout::Span view = CellsInView();
  if (i < view.first || i >= view.last || !IsWindowVisible(hwnd())) state |= STATE_SYSTEM_OFFSCREEN;
  return state;
}

bool CThumbnailGrid::ItemRect(long index, RECT& screen) {
  screen = CellClientRect(static_cast<size_t>(index));
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
  return true;
}

std::wstring CThumbnailGrid::ItemDefaultAction(long) { return kOpenAction; }

// As a double click on the cell: it alone is selected, then opened.
bool CThumbnailGrid::DoItemDefaultAction(long index) {
  const std::optional<GridNotice> selected = selection_.MoveFocus(static_cast<size_t>(index), false, false);
  ScrollIntoView(static_cast<size_t>(index));
  RepaintChanged();
  Notify(selected);
  Notify(selection_.DoubleClick());
  return true;
}

bool CThumbnailGrid::SelectItem(long index, long flags) {
  const auto i = static_cast<size_t>(index);
  std::optional<GridNotice> notice;
  if ((flags & SELFLAG_TAKEFOCUS) != 0) SetFocus(hwnd());
  if ((flags & SELFLAG_TAKESELECTION) != 0) {
    notice = selection_.MoveFocus(i, false, false);
  } else if ((flags & SELFLAG_ADDSELECTION) != 0) {
    selection_.SetSelected(i, true);
    notice = GridNotice{GridNoticeCode::kSelChange, index};
  } else if ((flags & SELFLAG_REMOVESELECTION) != 0) {
    selection_.SetSelected(i, false);
  } else if ((flags & SELFLAG_TAKEFOCUS) != 0) {
    selection_.MoveFocus(i, false, true);
  } else {
    return false;
  }
  ScrollIntoView(i);
  RepaintChanged();
  Notify(notice);
  return true;
}

long CThumbnailGrid::FocusedItem() {
  return GetFocus() == hwnd() && !cells_.empty() ? static_cast<long>(selection_.focus()) : -1;
}

std::vector<long> CThumbnailGrid::SelectedItems() {
  std::vector<long> selected;
  for (size_t i = 0; i < cells_.size(); ++i)
    if (selection_.IsSelected(i)) selected.push_back(static_cast<long>(i));
  return selected;
}

long CThumbnailGrid::ItemAt(POINT screen) {
  ScreenToClient(hwnd(), &screen);
  return HitTest(screen);
}

}  // namespace zv
