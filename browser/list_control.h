#pragma once
// The report-style list control of the file list view (control 1001): its
// creation, six columns, the row count and the row selection. It is a
// virtual list (LVS_OWNERDATA): it keeps no texts or icons of its own and
// asks its parent for those of the rows it draws (LVN_GETDISPINFO), so a
// folder of 100,000 pictures costs no more rows than fit on the screen. The
// control keeps the rows' selection and focus itself.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "core/browser/cell_texts.h"
#include "core/browser/file_list_item.h"
#include "core/display/display_scale.h"

namespace zv {

using ColumnCaptionTexts = std::array<std::string, kColumnCount>;

class ListControl {
 public:
  // Report view, selection shown without focus, several rows selectable,
  // full-row select and header drag and drop; the image list stays ours.
  bool Create(HWND parent, int id, bool visible, HIMAGELIST smallIcons);
  HWND hwnd() const { return list_; }

  // The six columns, left-aligned, with their widths (design pixels, as
  // stored) and display order.
  void InsertColumns(const ColumnCaptionTexts& captions, const ColumnLayout& layout);
  // The widths (design pixels) and display order the user left the columns in.
  ColumnLayout ReadColumns() const;
  // The window moved to a screen of another DPI: columns keep their design widths.
  void SetScale(DisplayScale scale);

  // No rows, no selection, no focus; scrolled to the top.
  void DeleteAllRows();
  // Rows after `row` move up one, with their selection.
  void DeleteRow(int row);
  // Rows 0..count-1; rows that stay keep their selection and the view does not scroll.
  void SetRowCount(size_t count);
  int RowCount() const;
  // Draws row `row` again (its record changed).
  void RedrawRow(int row);
  void EnsureVisible(int row);
  // Redraw off while many rows change state (the control then does not
  // invalidate each row: a call to the window system per row under Wine).
  void SetRedraw(bool on);

  // Selected or not; -1 for every row. The focus stays where it is: moving
  // it scrolls the row into view, one X round trip per row under Wine.
  void SetSelected(int row, bool selected);
  // The focus (and the anchor of Shift selections) on row `row`, scrolled into view.
  void SetFocused(int row);
  bool IsSelected(int row) const;
  int SelectedCount() const;

 private:
  HWND list_ = nullptr;
  DisplayScale scale_;
};

// While the view changes row states itself, the list's change notifications
// are not the user's selection: `userChange` is false for the scope.
class OwnSelectionWrite {
 public:
  explicit OwnSelectionWrite(bool& userChange) : userChange_(userChange), before_(userChange) { userChange_ = false; }
  ~OwnSelectionWrite() { userChange_ = before_; }
  OwnSelectionWrite(const OwnSelectionWrite&) = delete;
  OwnSelectionWrite& operator=(const OwnSelectionWrite&) = delete;

 private:
  bool& userChange_;
  bool before_;
};

// The text of a record's cell in column `column` (0..5; empty for any other).
std::string CellText(const FileListItem& item, int column);

}  // namespace zv
