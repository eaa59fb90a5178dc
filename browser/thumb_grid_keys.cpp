// The thumbnail grid's keyboard, as in Explorer's thumbnail view: the arrows,
// Home, End and the page keys move the focus (Shift extends the selection
// from the anchor, Ctrl moves only the focus), Ctrl+Space toggles the focused
// cell, Enter opens, the menu key and Shift+F10 open the context menu at the
// focused cell, and typed letters jump to a name. The rules are in
// core/browser/grid_keys.h and GridSelection.
#include <algorithm>
#include <optional>

#include "browser/thumb_grid.h"

namespace zv {

namespace {

bool KeyDown(int key) { return GetKeyState(key) < 0; }

std::optional<GridKey> GridKeyOf(WPARAM key) {
  switch (key) {
    case VK_LEFT: return GridKey::kLeft;
    case VK_RIGHT: return GridKey::kRight;
    case VK_UP: return GridKey::kUp;
    case VK_DOWN: return GridKey::kDown;
    case VK_HOME: return GridKey::kHome;
    case VK_END: return GridKey::kEnd;
    case VK_PRIOR: return GridKey::kPageUp;
    case VK_NEXT: return GridKey::kPageDown;
    default: return std::nullopt;
  }
}

}  // namespace

// The menu key and Shift+F10 are taken here, before DefWindowProc would
// turn them into a WM_CONTEXTMENU for the parent.
bool CThumbnailGrid::OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_GETDLGCODE: result = DLGC_WANTARROWS | DLGC_WANTCHARS; return true;
    case WM_KEYDOWN:
      if (const std::optional<GridKey> key = GridKeyOf(wParam)) {
        OnNavigationKey(*key);
      } else if (wParam == VK_SPACE && KeyDown(VK_CONTROL)) {
        keyboardUsed_ = true;
        const std::optional<GridNotice> notice = selection_.ToggleFocused();
        RepaintChanged();
        Notify(notice);
      } else if (wParam == VK_RETURN) {
        Notify(selection_.DoubleClick());
      } else if (wParam == VK_APPS) {
        OpenContextMenuAtFocus();
      } else {
        return false;
      }
      return true;
    case WM_KEYUP: return wParam == VK_APPS;
    case WM_SYSKEYDOWN:
      if (wParam != VK_F10 || !KeyDown(VK_SHIFT)) return false;
      OpenContextMenuAtFocus();
      return true;
    case WM_CONTEXTMENU:
      if (lParam != -1) return false;
      OpenContextMenuAtFocus();
      return true;
    case WM_CHAR: {
      const auto typed = static_cast<char>(wParam);
      // Control characters, and a space before any letter or with Ctrl (Ctrl+Space), are no search.
      if (static_cast<unsigned char>(typed) < 0x20 || (typed == ' ' && (typeAhead_.prefix().empty() || KeyDown(VK_CONTROL))))
        return true;
      OnTyped(typed);
      return true;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (!cells_.empty()) InvalidateCell(selection_.focus());
      if (message == WM_SETFOCUS && !cells_.empty()) win::RaiseItemEvent(hwnd(), EVENT_OBJECT_FOCUS, static_cast<long>(selection_.focus()));
      return false;
    default: return false;
  }
}

void CThumbnailGrid::OnNavigationKey(GridKey key) {
  if (cells_.empty()) return;
  keyboardUsed_ = true;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int32_t pageRows = layout_.cell.height > 0 ? client.bottom / layout_.cell.height : 1;
  const size_t target = GridKeyTarget(key, selection_.focus(), cells_.size(), layout_.columns, pageRows);
  const std::optional<GridNotice> notice = selection_.MoveFocus(target, KeyDown(VK_SHIFT), KeyDown(VK_CONTROL));
  ScrollIntoView(target);
  RepaintChanged();
  Notify(notice);
}

void CThumbnailGrid::OnTyped(char typed) {
  if (cells_.empty()) return;
  keyboardUsed_ = true;
  typeAhead_.Type(typed, static_cast<uint32_t>(GetMessageTime()));
  std::vector<std::string_view> names;
  names.reserve(cells_.size());
  for (const GridCell& cell : cells_) names.emplace_back(cell.name);
  const int found = FindTypedName(names, selection_.focus(), typeAhead_.prefix());
  if (found < 0) return;
  const std::optional<GridNotice> notice = selection_.MoveFocus(static_cast<size_t>(found), false, false);
  ScrollIntoView(static_cast<size_t>(found));
  RepaintChanged();
  Notify(notice);
}

// At the middle of the focused cell, as a right click there would; the
// selection stays as the keyboard made it. Without cells: the top left.
void CThumbnailGrid::OpenContextMenuAtFocus() {
  keyboardUsed_ = true;
  POINT at{0, 0};
  if (!cells_.empty()) {
    ScrollIntoView(selection_.focus());
    const RECT cell = CellClientRect(selection_.focus());
    at = POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  }
  ClientToScreen(hwnd(), &at);
  Notify(GridNotice{GridNoticeCode::kContextMenu, PackScreenPoint({at.x, at.y})});
}

void CThumbnailGrid::ScrollIntoView(size_t index) {
  if (index >= cells_.size()) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int32_t top = layout_.CellOrigin(index).y;
  const int32_t bottom = top + layout_.cell.height;
  if (top < scroll_)
    ScrollTo(top);
  else if (bottom > scroll_ + client.bottom)
    ScrollTo(bottom - client.bottom);
}

// The old and the new focused cell are repainted (the focus rectangle moves)
// and a screen reader hears of the new one while the grid has the focus.
void CThumbnailGrid::ShowFocusMove() {
  const size_t focus = selection_.focus();
  if (focus == shownFocus_) return;
  if (shownFocus_ < cells_.size()) InvalidateCell(shownFocus_);
  if (focus < cells_.size()) InvalidateCell(focus);
  shownFocus_ = focus;
  if (GetFocus() == hwnd() && focus < cells_.size())
    win::RaiseItemEvent(hwnd(), EVENT_OBJECT_FOCUS, static_cast<long>(focus));
}

// One cell selected alone is EVENT_OBJECT_SELECTION; a few changes are told
// one by one; many at once (select all) as one change within the grid.
void CThumbnailGrid::RaiseSelectionEvents(const std::vector<size_t>& changed) const {
  constexpr size_t kEventsOneByOne = 20;
  const std::vector<size_t>& order = selection_.order();
  if (order.size() == 1 && std::find(changed.begin(), changed.end(), order.front()) != changed.end()) {
    win::RaiseItemEvent(hwnd(), EVENT_OBJECT_SELECTION, static_cast<long>(order.front()));
    return;
  }
  if (changed.size() > kEventsOneByOne) {
    win::RaiseItemEvent(hwnd(), EVENT_OBJECT_SELECTIONWITHIN, -1);
    return;
  }
  for (size_t index : changed)
    win::RaiseItemEvent(hwnd(), selection_.IsSelected(index) ? EVENT_OBJECT_SELECTIONADD : EVENT_OBJECT_SELECTIONREMOVE,
                        static_cast<long>(index));
}

}  // namespace zv
