#pragma once
// The file list's model without windows: its records in display order, the
// current record (the one the status text and the picture view follow) and
// the selection. Every change keeps the current record and the selection on
// the same records: removing a record or sorting moves them along, so the
// presenters (list, grid, picture view) only mirror what is here.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/browser/file_list_item.h"
#include "core/text/ansi_text.h"

namespace zv {

class FileListItems {
 public:
  size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  // Null outside 0..size-1.
  const FileListItem* At(size_t index) const;
  const FileListItem* At(int index) const;

  void Clear();
  void Append(const FileListItem& record);
  // The record at `index` holds `record` from now on (a file renamed or
  // rewritten); its address, selection and currency stay.
  void Replace(size_t index, const FileListItem& record);
  // The index of the record of `path` (ignoring case); -1 when none.
  int IndexOfPath(std::string_view path, LeadBytePredicate isLead) const;
  // Removes one record; the current record and the selection stay on theirs
  // (a removed current record leaves none current).
  void Remove(size_t index);
  // Sorts stably by `key` and `dir`; for every new position the old index
  // of the record now there (empty when nothing can move).
  std::vector<size_t> Sort(int key, int dir, LeadBytePredicate isLead);

  // -1 when no record is current.
  int current() const { return current_; }
  void SetCurrent(int index);

  bool IsSelected(size_t index) const { return index < selected_.size() && selected_[index] != 0; }
  void Select(size_t index, bool on);
  void SelectAll(bool on);
  std::vector<int> SelectedIndices() const;
  int SelectedCount() const;

  // Refresh: the indices, highest first, of records whose file is gone, and
  // the names of `listed` that no record has yet (ignoring case), in order.
  template <class Exists>
  std::vector<size_t> VanishedIndices(Exists exists) const {
    std::vector<size_t> gone;
    for (size_t i = records_.size(); i-- > 0;)
      if (!exists(records_[i]->path)) gone.push_back(i);
    return gone;
  }
  std::vector<std::string> NewNames(const std::vector<std::string>& listed, LeadBytePredicate isLead) const;

 private:
  std::vector<std::unique_ptr<FileListItem>> records_;  // stable addresses: a record pointer is its path
  std::vector<char> selected_;                          // parallel to records_
  int current_ = -1;
};

}  // namespace zv
