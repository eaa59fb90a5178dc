#pragma once
// The report-style list control of the file list view (control 1001): its
// creation, six columns, one row per record, and the row selection.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "core/browser/cell_texts.h"
#include "core/browser/file_list_item.h"

namespace zv {

using ColumnCaptionTexts = std::array<std::string, kColumnCount>;

class ListControl {
 public:
  // Report view, selection shown without focus, several rows selectable,
  // full-row select and header drag and drop; the image list stays ours.
  bool Create(HWND parent, int id, bool visible, HIMAGELIST smallIcons);
  HWND hwnd() const { return list_; }

  // The six columns, left-aligned, with their widths and display order.
  void InsertColumns(const ColumnCaptionTexts& captions, const ColumnLayout& layout);
  // The widths and display order the user left the columns in.
  ColumnLayout ReadColumns() const;

  void DeleteAllRows();
  void DeleteRow(int row);
  // Row `row` with the record's six cell texts and the icon at `icon`.
  void InsertRow(int row, const FileListItem& item, int icon);
  int RowCount() const;
  // Redraw off while many rows change.
  void SetRedraw(bool on);
  void EnsureVisible(int row);

  // Selected and focused, or neither; -1 for every row (the focus is not changed then).
  void SetSelected(int row, bool selected);
  std::vector<int> SelectedRows() const;
  int SelectedCount() const;

 private:
  HWND list_ = nullptr;
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

// The six cell texts of a record, column by column.
std::array<std::string, kColumnCount> RowTexts(const FileListItem& item);

}  // namespace zv
