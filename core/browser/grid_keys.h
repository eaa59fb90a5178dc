#pragma once
// The thumbnail grid's keyboard without a window, as Explorer's thumbnail
// view does it: where an arrow, Home, End or a page key moves the focus in
// rows of cells, and which cell the first letters of a name typed quickly
// one after the other jump to.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

enum class GridKey { kLeft, kRight, kUp, kDown, kHome, kEnd, kPageUp, kPageDown };

// The cell the focus moves to from `focus` among `count` cells laid out in
// `columns` columns, `pageRows` rows making a screenful. Up and down keep the
// column; down from the row above an incomplete last row lands on the last
// cell; a page stops at the first or last row, in the same column when it
// can. At an edge the focus stays.
size_t GridKeyTarget(GridKey key, size_t focus, size_t count, int32_t columns, int32_t pageRows);

// The letters typed so far: a pause of kPauseMs or more starts a new search.
class TypeAhead {
 public:
  static constexpr uint32_t kPauseMs = 1000;
  // Adds a character typed at `timeMs` (a message time: it wraps).
  void Type(char typed, uint32_t timeMs);
  const std::string& prefix() const { return prefix_; }
  void Reset() { prefix_.clear(); }

 private:
  std::string prefix_;
  uint32_t lastMs_ = 0;
};

// The name that `prefix` jumps to from the focused `focus`, -1 for none; the
// search wraps round. One letter, or the same letter typed again and again,
// steps to the next name with that first letter; a longer prefix keeps the
// focused name while it still fits. Letters are compared ignoring ASCII case;
// the bytes of a two-byte character are compared as they are.
int FindTypedName(const std::vector<std::string_view>& names, size_t focus, std::string_view prefix);

}  // namespace zv
