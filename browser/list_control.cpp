#include "browser/list_control.h"

#include <commctrl.h>

#include <cstring>

#include "browser/folder_reader.h"
#include "core/imagelib/probe_rules.h"

namespace zv {

bool ListControl::Create(HWND parent, int id, bool visible, HIMAGELIST smallIcons) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                      (visible ? WS_VISIBLE : 0);
  list_ = CreateWindowExA(0, WC_LISTVIEWA, "", style, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (list_ == nullptr) return false;
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallIcons));
  return true;
}

void ListControl::InsertColumns(const ColumnCaptionTexts& captions, const ColumnLayout& layout) {
  for (int k = 0; k < kColumnCount; ++k) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = layout.widths[static_cast<size_t>(k)];
    column.pszText = const_cast<char*>(captions[static_cast<size_t>(k)].c_str());
    column.iSubItem = k;
    SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(&column));
  }
  std::array<int, kColumnCount> order{};
  for (size_t k = 0; k < kColumnCount; ++k) order[k] = layout.order[k];
  SendMessageA(list_, LVM_SETCOLUMNORDERARRAY, kColumnCount, reinterpret_cast<LPARAM>(order.data()));
}

ColumnLayout ListControl::ReadColumns() const {
  ColumnLayout layout;
  std::array<int, kColumnCount> order{};
  if (!SendMessageA(list_, LVM_GETCOLUMNORDERARRAY, kColumnCount, reinterpret_cast<LPARAM>(order.data())))
    for (size_t k = 0; k < kColumnCount; ++k) order[k] = static_cast<int>(k);
  for (size_t k = 0; k < kColumnCount; ++k) {
    layout.order[k] = order[k];
    layout.widths[k] = static_cast<int32_t>(SendMessageA(list_, LVM_GETCOLUMNWIDTH, k, 0));
  }
  return layout;
}

void ListControl::DeleteAllRows() { SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0); }
void ListControl::DeleteRow(int row) { SendMessageA(list_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0); }

void ListControl::InsertRow(int row, const FileListItem& item, int icon) {
  const std::array<std::string, kColumnCount> texts = RowTexts(item);
  LVITEMA entry{};
  entry.mask = LVIF_TEXT | LVIF_IMAGE;
  entry.iItem = row;
  entry.pszText = const_cast<char*>(texts[0].c_str());
  entry.iImage = icon;
  const int at = static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
  if (at < 0) return;
  for (int k = 1; k < kColumnCount; ++k) {
    LVITEMA cell{};
    cell.iSubItem = k;
    cell.pszText = const_cast<char*>(texts[static_cast<size_t>(k)].c_str());
    SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&cell));
  }
}

int ListControl::RowCount() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

void ListControl::SetRedraw(bool on) {
  SendMessageA(list_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
  if (on) InvalidateRect(list_, nullptr, TRUE);
}

void ListControl::EnsureVisible(int row) { SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE); }

void ListControl::SetSelected(int row, bool selected) {
  LVITEMA state{};
  state.stateMask = row < 0 ? LVIS_SELECTED : LVIS_SELECTED | LVIS_FOCUSED;
  state.state = selected ? state.stateMask : 0;
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

std::vector<int> ListControl::SelectedRows() const {
  std::vector<int> rows;
  for (int row = -1;;) {
    row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
    if (row < 0) break;
    rows.push_back(row);
  }
  return rows;
}

int ListControl::SelectedCount() const { return static_cast<int>(SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0)); }

std::array<std::string, kColumnCount> RowTexts(const FileListItem& item) {
  std::string name(item.name, strnlen(item.name, sizeof item.name));
  return {name,
          std::string(TypeCellText(ImageTypeFromPath(name))),
          DateCellText(LocalTimeOf(item.lastWrite)),
          SizeCellText(item.fileSize),
          PictureSizeCellText(item.width, item.height),
          ColorsCellText(item.colors)};
}

}  // namespace zv
