#pragma once
// Sorting the file list: six keys (the list's columns), a direction, the
// comparison of two records, and a stable order. The order is the one a
// stable insertion sort gives (records that compare equal keep their previous
// relative order, in either direction), reached in O(n log n).
#include <cstddef>
#include <string_view>
#include <vector>

#include "core/browser/file_list_item.h"
#include "core/text/ansi_text.h"

namespace zv {

inline constexpr int kSortKeyCount = 6;  // 0 name, 1 type, 2 date, 3 size, 4 picture size, 5 colours
inline constexpr int kAscending = -1;
inline constexpr int kDescending = 1;

// A key and a direction together: what the sort settings dialog shows and gives.
struct SortOrder {
  int key = 0;
  int dir = kAscending;
  bool operator==(const SortOrder&) const = default;
};

// A stored key outside 0..5 counts as 0 (name).
int NormalSortKey(int stored);
// -1 is ascending; any other stored value is descending.
int NormalSortDir(int stored);
// A header click: -1 becomes 1, anything else -1.
int FlippedSortDir(int dir);

// The case-insensitive multibyte compare of names: single-byte letters are
// compared as lower case, two-byte characters byte by byte as they are.
// Negative, 0 or positive.
int CompareNames(std::string_view a, std::string_view b, LeadBytePredicate isLead);

// Negative when a must come before b for this key and direction. Values
// are compared, never subtracted: sizes over 2^31 and pixel counts over
// 2^31 order correctly.
int Compare(int key, int dir, const FileListItem& a, const FileListItem& b, LeadBytePredicate isLead);

// For every new position the old index of the record now there; empty when
// there are fewer than two records (nothing moves).
std::vector<size_t> SortPermutation(const std::vector<const FileListItem*>& items, int key, int dir,
                                    LeadBytePredicate isLead);

// Puts values[permutation[i]] at i. The permutation must be one of values' indices.
template <class T>
void ApplyPermutation(std::vector<T>& values, const std::vector<size_t>& permutation) {
  if (permutation.size() != values.size()) return;
  std::vector<T> ordered;
  ordered.reserve(values.size());
  for (size_t from : permutation) ordered.push_back(std::move(values[from]));
  values = std::move(ordered);
}

}  // namespace zv
