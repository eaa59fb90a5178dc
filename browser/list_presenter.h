#pragma once
// The list presenter: the report-style list control (1001) with six columns,
// one row per record and the files' small shell icons. The rows are virtual:
// a row's texts and icon are made from its record when the control draws it,
// so listing, sorting and selecting cost nothing per row that is not seen.
#include <windows.h>

#include "browser/file_list_presenter.h"
#include "browser/folder_reader.h"
#include "browser/list_control.h"
#include "core/app/envset.h"

namespace zv {

class ListPresenter : public FileListPresenter {
 public:
  ListPresenter(const FileListItems& items, PresenterEvents& events) : FileListPresenter(items, events) {}

  bool Create(HWND parent, bool visible, const ColumnCaptionTexts& captions, const ColumnLayout& columns);
  // The widths and display order the user left the columns in.
  ColumnLayout ReadColumns() const { return list_.ReadColumns(); }
  const ListControl& control() const { return list_; }
  void SetScale(DisplayScale scale) { list_.SetScale(scale); }
  // Seconds spent finding the rows' shell icons since the last Rebuild (for the listing benchmark).
  double lastIconSeconds() const { return iconSeconds_; }

  void Rebuild() override;
  void Reorder(const std::vector<size_t>& permutation) override;
  void Removed(size_t index) override;
  void Replaced(size_t index) override;
  void Appended(size_t first) override;
  void ShowSelection() override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;

 private:
  void OnItemChanged(const NMLISTVIEW& change);
  void OnRangeChanged(const NMLVODSTATECHANGE& change);
  void OnGetDisplayInfo(LVITEMA& row);
  int FindRow(int startRow, UINT flags, const std::string& typed) const;
  int IconOf(size_t index);
  void ShowAllRows();
  void WriteSelection(bool focus);
  std::vector<int> WriteSelectedStates();

  ListControl list_;
  SmallIconList icons_;
  // Each row's icon once it has been drawn (kIconUnknown before), parallel to the records.
  std::vector<int> iconOf_;
  bool userChange_ = true;
  double iconSeconds_ = 0;
};

}  // namespace zv
