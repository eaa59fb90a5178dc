#include "core/browser/thumb_grid_rules.h"

#include <algorithm>
#include <utility>

namespace zv {

namespace {

constexpr int32_t kMargin = 10;
constexpr int32_t kRowHeight = 20;
constexpr int32_t kCaptionWidth = 60;

int32_t CeilDiv(int64_t a, int64_t b) { return static_cast<int32_t>((a + b - 1) / b); }

int32_t ColumnsIn(int32_t width, int32_t cellWidth) {
  return cellWidth > 0 ? std::max<int32_t>(1, width / cellWidth) : 1;
}

}  // namespace

GridSize ThumbBoxFor(int thumbSize, DisplayScale scale) {
  switch (thumbSize) {
    case 1: return {scale.Px(180), scale.Px(120)};
    case 2: return {scale.Px(240), scale.Px(160)};
    default: return {scale.Px(120), scale.Px(80)};
  }
}

GridSize CellSizeFor(int cellMode, GridSize box, DisplayScale scale) {
  if (cellMode == kDetailCells)
    return {box.width + scale.Px(280), box.height > scale.Px(80) ? box.height + scale.Px(20) : scale.Px(100)};
  return {box.width + scale.Px(20), box.height + scale.Px(40)};
}

GridPoint ThumbnailOrigin(GridSize box, GridSize thumb, DisplayScale scale) {
  const int32_t margin = scale.Px(kMargin);
  return {(box.width - thumb.width) / 2 + margin, (box.height - thumb.height) / 2 + margin};
}

GridRect NameRect(GridSize box, GridSize cell, DisplayScale scale) {
  return {scale.Px(kMargin), box.height + scale.Px(12), cell.width - scale.Px(kMargin), box.height + scale.Px(30)};
}

GridRect DetailCaptionRect(int row, GridSize box, DisplayScale scale) {
  const int32_t top = scale.Px(kMargin + row * kRowHeight);
  const int32_t left = box.width + scale.Px(20);
  return {left, top, left + scale.Px(kCaptionWidth), scale.Px(kMargin + (row + 1) * kRowHeight)};
}

GridRect DetailValueRect(int row, GridSize box, GridSize cell, DisplayScale scale) {
  const GridRect caption = DetailCaptionRect(row, box, scale);
  return {caption.right, caption.top, cell.width - scale.Px(kMargin), caption.bottom};
}

GridPoint GridLayout::CellOrigin(size_t index) const {
  const auto k = static_cast<int64_t>(index);
  return {static_cast<int32_t>(k % columns) * cell.width, static_cast<int32_t>(k / columns * cell.height)};
}

int GridLayout::HitCell(size_t count, GridPoint p) const {
  if (p.x < 0 || p.y < 0 || cell.width <= 0 || cell.height <= 0) return -1;
  const int32_t column = p.x / cell.width;
  if (column >= columns) return -1;
  const int64_t index = static_cast<int64_t>(p.y / cell.height) * columns + column;
  return index < static_cast<int64_t>(count) ? static_cast<int>(index) : -1;
}

GridLayout::Span GridLayout::CellsInRows(size_t count, int32_t y, int32_t height) const {
  if (count == 0 || height <= 0 || cell.height <= 0) return {};
  const int64_t firstRow = std::max<int32_t>(0, y) / cell.height;
  const int64_t lastRow = std::max<int64_t>(0, static_cast<int64_t>(y) + height - 1) / cell.height;
  const auto first = static_cast<size_t>(std::min<int64_t>(firstRow * columns, count));
  const auto last = static_cast<size_t>(std::min<int64_t>((lastRow + 1) * columns, count));
  return {first, std::max(first, last)};
}

GridLayout LayOutGrid(size_t count, GridSize cell, int32_t fullWidth, int32_t height, int32_t barWidth) {
  GridLayout layout;
  layout.cell = cell;
  if (count == 0 || cell.width <= 0 || cell.height <= 0) return layout;
  const auto n = static_cast<int64_t>(count);
  const bool bar = height < static_cast<int64_t>(CeilDiv(n, ColumnsIn(fullWidth, cell.width))) * cell.height;
  layout.columns = ColumnsIn(bar ? fullWidth - barWidth : fullWidth, cell.width);
  layout.rows = CeilDiv(n, layout.columns);
  layout.canvas = {layout.columns * cell.width, layout.rows * cell.height};
  if (const int32_t filled = static_cast<int32_t>(n % layout.columns); filled != 0) {
    const int32_t top = static_cast<int32_t>(n / layout.columns) * cell.height;
    layout.emptyArea = {cell.width * filled, top, cell.width * layout.columns, top + cell.height};
  }
  layout.scrollable = height < layout.canvas.height;
  layout.scrollMax = layout.scrollable ? layout.canvas.height - height : 0;
  return layout;
}

int32_t ScrollTarget(ScrollRequest request, int32_t position, int32_t trackPosition, int32_t max, ScrollSteps steps) {
  int64_t next = position;
  switch (request) {
    case ScrollRequest::kLineUp: next -= steps.line; break;
    case ScrollRequest::kLineDown: next += steps.line; break;
    case ScrollRequest::kPageUp: next -= steps.page; break;
    case ScrollRequest::kPageDown: next += steps.page; break;
    case ScrollRequest::kTrack: next = trackPosition; break;
    case ScrollRequest::kTop: next = 0; break;
    case ScrollRequest::kBottom: next = max; break;
    case ScrollRequest::kEnd: break;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(next, 0, std::max(0, max)));
}

int32_t PackScreenPoint(GridPoint screen) {
  return static_cast<int32_t>((static_cast<uint32_t>(screen.x) << 16) | (static_cast<uint32_t>(screen.y) & 0xFFFFu));
}

GridPoint UnpackScreenPoint(int32_t packed) {
  const auto bits = static_cast<uint32_t>(packed);
  return {static_cast<int16_t>(bits >> 16), static_cast<int16_t>(bits & 0xFFFFu)};
}

// ---- GridSelection ----

void GridSelection::Reset(size_t count) {
  selected_.assign(count, 0);
  order_.clear();
  changed_.clear();
  click_ = Click::kNone;
  focus_ = anchor_ = 0;
}

void GridSelection::Append() { selected_.push_back(0); }

void GridSelection::Remove(size_t index) {
  if (index >= selected_.size()) return;
  selected_.erase(selected_.begin() + static_cast<ptrdiff_t>(index));
  std::erase(order_, index);
  for (size_t& i : order_)
    if (i > index) --i;
  std::erase(changed_, index);
  for (size_t& i : changed_)
    if (i > index) --i;
  // The focus stays on the same cell, or on the one that took the removed one's place.
  for (size_t* kept : {&focus_, &anchor_})
    if (*kept > index || *kept >= selected_.size()) *kept = *kept > 0 ? *kept - 1 : 0;
  click_ = Click::kNone;
}

bool GridSelection::Reorder(const std::vector<size_t>& permutation) {
  if (permutation.size() != selected_.size()) return false;
  std::vector<size_t> newIndexOf(permutation.size());
  std::vector<char> moved(permutation.size());
  for (size_t k = 0; k < permutation.size(); ++k) {
    if (permutation[k] >= permutation.size()) return false;
    newIndexOf[permutation[k]] = k;
    moved[k] = selected_[permutation[k]];
  }
  selected_ = std::move(moved);
  for (size_t& i : order_) i = newIndexOf[i];
  if (!newIndexOf.empty()) {
    focus_ = newIndexOf[std::min(focus_, newIndexOf.size() - 1)];
    anchor_ = newIndexOf[std::min(anchor_, newIndexOf.size() - 1)];
  }
  changed_.clear();
  click_ = Click::kNone;
  return true;
}

void GridSelection::Set(size_t index, bool on) {
  if (index >= selected_.size() || (selected_[index] != 0) == on) return;
  selected_[index] = on ? 1 : 0;
  if (std::find(changed_.begin(), changed_.end(), index) == changed_.end()) changed_.push_back(index);
  if (on)
    order_.push_back(index);
  else if (auto it = std::find(order_.begin(), order_.end(), index); it != order_.end())
    order_.erase(it);
}

void GridSelection::SetSelected(size_t index, bool on) { Set(index, on); }

void GridSelection::SetFlags(const std::vector<char>& flags) {
  for (size_t i = 0; i < selected_.size(); ++i) Set(i, i < flags.size() && flags[i] != 0);
  order_.clear();
  for (size_t i = 0; i < selected_.size(); ++i)
    if (selected_[i] != 0) order_.push_back(i);
}

void GridSelection::SelectOnly(size_t index) {
  for (size_t i = 0; i < selected_.size(); ++i)
    if (i != index) Set(i, false);
  Set(index, true);
  order_.assign(1, index);
}

std::optional<GridNotice> GridSelection::PressLeft(int hit, bool shift, bool ctrl, GridPoint point) {
  if (hit < 0 || static_cast<size_t>(hit) >= selected_.size()) return std::nullopt;
  const auto i = static_cast<size_t>(hit);
  const GridNotice changed{GridNoticeCode::kSelChange, hit};
  focus_ = i;
  if (!shift || ctrl) anchor_ = i;
  if (shift && !ctrl) {
    if (order_.empty()) {
      Set(i, true);
    } else {
      const size_t anchor = order_.back();
      // Walked from the anchor, so that the cells join the order as they are passed.
      for (size_t k = anchor;; k = anchor <= i ? k + 1 : k - 1) {
        Set(k, true);
        if (k == i) break;
      }
    }
    return changed;
  }
  if (ctrl && !shift) {
    if (IsSelected(i)) {
      Set(i, false);
      return std::nullopt;
    }
    Set(i, true);
    return changed;
  }
  std::optional<GridNotice> notice;
  if (!IsSelected(i)) {
    SelectOnly(i);
    notice = changed;
  }
  // A press on a selected cell keeps a multiple selection, so that it can be dragged.
  click_ = Click::kPending;
  press_ = point;
  pressIndex_ = i;
  return notice;
}

std::optional<GridNotice> GridSelection::Move(GridPoint point) {
  if (click_ != Click::kPending) return std::nullopt;
  const int64_t dx = int64_t{point.x} - press_.x;
  const int64_t dy = int64_t{point.y} - press_.y;
  if (dx * dx + dy * dy < kDragDistanceSquared) return std::nullopt;
  click_ = Click::kDragging;
  return GridNotice{GridNoticeCode::kBeginDrag, 0};
}

std::optional<GridNotice> GridSelection::ReleaseLeft() {
  const bool pending = click_ == Click::kPending;
  click_ = Click::kNone;
  if (!pending || pressIndex_ >= selected_.size()) return std::nullopt;
  SelectOnly(pressIndex_);
  return GridNotice{GridNoticeCode::kSelChange, static_cast<int32_t>(pressIndex_)};
}

std::optional<GridNotice> GridSelection::DoubleClick() const {
  if (selected_.empty() || order_.empty()) return std::nullopt;
  return GridNotice{GridNoticeCode::kOpen, static_cast<int32_t>(order_.back())};
}

std::optional<GridNotice> GridSelection::PressRight(int hit) {
  if (hit < 0 || static_cast<size_t>(hit) >= selected_.size() || IsSelected(static_cast<size_t>(hit)))
    return std::nullopt;
  SelectOnly(static_cast<size_t>(hit));
  focus_ = anchor_ = static_cast<size_t>(hit);
  return GridNotice{GridNoticeCode::kSelChange, hit};
}

std::optional<GridNotice> GridSelection::MoveFocus(size_t target, bool shift, bool ctrl) {
  if (target >= selected_.size()) return std::nullopt;
  focus_ = target;
  if (ctrl && !shift) return std::nullopt;
  if (shift) {
    const size_t low = std::min(anchor_, target), high = std::max(anchor_, target);
    for (size_t k = 0; k < selected_.size(); ++k)
      if (k < low || k > high) Set(k, false);
    // Walked from the anchor, so that the focused cell is the last in the order.
    for (size_t k = anchor_;; k = anchor_ <= target ? k + 1 : k - 1) {
      Set(k, true);
      if (k == target) break;
    }
  } else {
    SelectOnly(target);
    anchor_ = target;
  }
  return GridNotice{GridNoticeCode::kSelChange, static_cast<int32_t>(target)};
}

std::optional<GridNotice> GridSelection::ToggleFocused() {
  if (focus_ >= selected_.size()) return std::nullopt;
  anchor_ = focus_;
  const bool on = !IsSelected(focus_);
  Set(focus_, on);
  if (!on) return std::nullopt;
  return GridNotice{GridNoticeCode::kSelChange, static_cast<int32_t>(focus_)};
}

std::vector<size_t> GridSelection::TakeChanged() { return std::exchange(changed_, {}); }

}  // namespace zv
