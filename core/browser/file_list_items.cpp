#include "core/browser/file_list_items.h"

#include <unordered_set>

#include "core/browser/sort_rules.h"
#include "core/text/ansi_path.h"

namespace zv {

const FileListItem* FileListItems::At(size_t index) const {
  return index < records_.size() ? records_[index].get() : nullptr;
}

const FileListItem* FileListItems::At(int index) const {
  return index >= 0 ? At(static_cast<size_t>(index)) : nullptr;
}

void FileListItems::Clear() {
  records_.clear();
  selected_.clear();
  current_ = -1;
}

void FileListItems::Append(const FileListItem& record) {
  records_.push_back(std::make_unique<FileListItem>(record));
  selected_.push_back(0);
}

void FileListItems::Replace(size_t index, const FileListItem& record) {
  if (index < records_.size()) *records_[index] = record;
}

int FileListItems::IndexOfPath(std::string_view path, LeadBytePredicate isLead) const {
  for (size_t i = 0; i < records_.size(); ++i)
    if (SamePath(records_[i]->path, path, isLead)) return static_cast<int>(i);
  return -1;
}

void FileListItems::Remove(size_t index) {
  if (index >= records_.size()) return;
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
  selected_.erase(selected_.begin() + static_cast<std::ptrdiff_t>(index));
  const int row = static_cast<int>(index);
  if (current_ == row) current_ = -1;
  else if (current_ > row) --current_;
}

std::vector<size_t> FileListItems::Sort(int key, int dir, LeadBytePredicate isLead) {
  std::vector<const FileListItem*> view;
  view.reserve(records_.size());
  for (const auto& record : records_) view.push_back(record.get());
  std::vector<size_t> order = SortPermutation(view, key, dir, isLead);
  if (order.empty()) return order;
  ApplyPermutation(records_, order);
  ApplyPermutation(selected_, order);
  for (size_t i = 0; i < order.size(); ++i)
    if (static_cast<int>(order[i]) == current_) {
      current_ = static_cast<int>(i);
      break;
    }
  return order;
}

void FileListItems::SetCurrent(int index) {
  current_ = index >= 0 && static_cast<size_t>(index) < records_.size() ? index : -1;
}

void FileListItems::Select(size_t index, bool on) {
  if (index < selected_.size()) selected_[index] = on ? 1 : 0;
}

void FileListItems::SelectAll(bool on) { selected_.assign(records_.size(), on ? 1 : 0); }

std::vector<int> FileListItems::SelectedIndices() const {
  std::vector<int> indices;
  for (size_t i = 0; i < selected_.size(); ++i)
    if (selected_[i] != 0) indices.push_back(static_cast<int>(i));
  return indices;
}

int FileListItems::SelectedCount() const {
  int count = 0;
  for (char on : selected_) count += on != 0 ? 1 : 0;
  return count;
}

std::vector<std::string> FileListItems::NewNames(const std::vector<std::string>& listed,
                                                 LeadBytePredicate isLead) const {
  std::unordered_set<std::string> known;
  for (const auto& record : records_) known.insert(FoldedName(record->name, isLead));
  std::vector<std::string> fresh;
  for (const std::string& name : listed)
    if (known.insert(FoldedName(name, isLead)).second) fresh.push_back(name);
  return fresh;
}

}  // namespace zv
