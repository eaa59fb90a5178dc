#include "browser/list_control.h"

#include <commctrl.h>

#include <cstring>

#include "browser/folder_reader.h"
#include "core/imagelib/probe_rules.h"
#include "win/dpi.h"

namespace zv {

bool ListControl::Create(HWND parent, int id, bool visible, HIMAGELIST smallIcons) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_OWNERDATA |
                      (visible ? WS_VISIBLE : 0);
  list_ = CreateWindowExA(0, WC_LISTVIEWA, "", style, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (list_ == nullptr) return false;
  scale_ = win::Dpi::OfWindow(list_);
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
    column.cx = scale_.Px(layout.widths[static_cast<size_t>(k)]);
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
    layout.widths[k] = scale_.Design(static_cast<int>(SendMessageA(list_, LVM_GETCOLUMNWIDTH, k, 0)));
  }
  return layout;
}

void ListControl::SetScale(DisplayScale scale) {
  if (scale == scale_ || list_ == nullptr) return;
  const ColumnLayout design = ReadColumns();
  scale_ = scale;
  for (size_t k = 0; k < kColumnCount; ++k)
    SendMessageA(list_, LVM_SETCOLUMNWIDTH, k, MAKELPARAM(scale_.Px(design.widths[k]), 0));
}

void ListControl::DeleteAllRows() { SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0); }
void ListControl::DeleteRow(int row) { SendMessageA(list_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0); }

void ListControl::SetRowCount(size_t count) {
  SendMessageA(list_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  InvalidateRect(list_, nullptr, TRUE);
}

void ListControl::RedrawRow(int row) { SendMessageA(list_, LVM_REDRAWITEMS, row, row); }

int ListControl::RowCount() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

void ListControl::SetRedraw(bool on) {
  SendMessageA(list_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
  if (on) InvalidateRect(list_, nullptr, TRUE);
}

void ListControl::EnsureVisible(int row) { SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE); }

void ListControl::SetSelected(int row, bool selected) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED;
  state.state = selected ? LVIS_SELECTED : 0;
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

void ListControl::SetFocused(int row) {
  LVITEMA state{};
  state.stateMask = LVIS_FOCUSED;
  state.state = LVIS_FOCUSED;
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  SendMessageA(list_, LVM_SETSELECTIONMARK, 0, row);
}

bool ListControl::IsSelected(int row) const {
  return (SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

int ListControl::SelectedCount() const { return static_cast<int>(SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0)); }

std::string CellText(const FileListItem& item, int column) {
  const std::string_view name(item.name, strnlen(item.name, sizeof item.name));
  switch (column) {
    case 0: return std::string(name);
    case 1: return std::string(TypeCellText(ImageTypeFromPath(name)));
    case 2: return DateCellText(LocalTimeOf(item.lastWrite));
    case 3: return SizeCellText(item.fileSize);
    case 4: return PictureSizeCellText(item.width, item.height);
    case 5: return ColorsCellText(item.colors);
    default: return {};
  }
}

}  // namespace zv
