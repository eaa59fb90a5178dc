#pragma once
// The thumbnail grid's rules without a window: the geometry of a cell, the
// layout of cells in rows that fill the width, the hit test, the scroll
// steps, and the mouse selection with the notifications it sends.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/display/display_scale.h"

namespace zv {

inline constexpr int kLightCells = 0;   // thumbnail with the name below
inline constexpr int kDetailCells = 1;  // thumbnail with four rows of details beside it

struct GridSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const GridSize&) const = default;
};

struct GridPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const GridPoint&) const = default;
};

struct GridRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const GridRect&) const = default;
};

// ---- one cell (coordinates from the cell's top left) ----
// The box is in pixels of the screen (the thumbnail box of the screen's
// scale); the margins, rows and captions around it are design lengths that
// `scale` turns into pixels of the same screen.

// The thumbnail box of thumbnail size 0, 1, 2 (any other: 0) on a screen of
// `scale`: 120 x 80, 180 x 120, 240 x 160 at 96 DPI.
GridSize ThumbBoxFor(int thumbSize, DisplayScale scale = {});
GridSize CellSizeFor(int cellMode, GridSize box, DisplayScale scale = {});
// Where a thumbnail of `thumb` is drawn, centred in the box at (10, 10).
GridPoint ThumbnailOrigin(GridSize box, GridSize thumb, DisplayScale scale = {});
// Light cells: the name under the box.
GridRect NameRect(GridSize box, GridSize cell, DisplayScale scale = {});
// Detail cells: row 0-3 (name, date, picture size, colours), 20 pixels high.
inline constexpr int kDetailRows = 4;
GridRect DetailCaptionRect(int row, GridSize box, DisplayScale scale = {});
GridRect DetailValueRect(int row, GridSize box, GridSize cell, DisplayScale scale = {});
// The width of the red selection frame's bars.
inline int SelectionFrameWidth(DisplayScale scale = {}) { return scale.Px(3); }

// ---- the grid ----

struct GridLayout {
  GridSize cell;
  int32_t columns = 1;
  int32_t rows = 0;
  GridSize canvas;        // columns x rows cells
  GridRect emptyArea;     // what the last, incomplete row leaves; empty when it is full
  bool scrollable = false;
  int32_t scrollMax = 0;  // the scroll range is 0..scrollMax

  GridPoint CellOrigin(size_t index) const;
  // The cell under a point of the canvas; -1 for none.
  int HitCell(size_t count, GridPoint canvasPoint) const;
  // Cells first..last-1 cross the rows from y to y + height of the canvas.
  struct Span {
    size_t first = 0;
    size_t last = 0;
  };
  Span CellsInRows(size_t count, int32_t y, int32_t height) const;
};

// Lays out `count` cells in a client area of `fullWidth` (no scroll bar) by
// `height`; a shown scroll bar takes `barWidth` of the width. The bar is
// shown when the rows do not fit the height, and then the columns are
// counted again in the narrower width. At least one column.
GridLayout LayOutGrid(size_t count, GridSize cell, int32_t fullWidth, int32_t height, int32_t barWidth);

enum class ScrollRequest { kLineUp, kLineDown, kPageUp, kPageDown, kTrack, kTop, kBottom, kEnd };
// Pixels a line and a page move: the grid's steps by default.
struct ScrollSteps {
  int32_t line = 10;
  int32_t page = 100;
  // The grid's steps on a screen of `scale`.
  static ScrollSteps For(DisplayScale scale) { return {scale.Px(10), scale.Px(100)}; }
};
// The new scroll position for a request, clamped to 0..max.
int32_t ScrollTarget(ScrollRequest request, int32_t position, int32_t trackPosition, int32_t max,
                     ScrollSteps steps = {});

// ---- selection with the mouse ----

enum class GridNoticeCode : uint32_t {
  kSelChange = 0x80000001u,    // value: the cell that became current
  kOpen = 0x80000002u,         // value: the last cell selected
  kContextMenu = 0x80000003u,  // value: the screen point, x << 16 | (y & 0xFFFF)
  kBeginDrag = 0x80000004u,    // value: 0
};

struct GridNotice {
  GridNoticeCode code;
  int32_t value = 0;
  bool operator==(const GridNotice&) const = default;
};

// The point of a context menu notice, packed as the grid sends it.
int32_t PackScreenPoint(GridPoint screen);
GridPoint UnpackScreenPoint(int32_t packed);

// Which cells are selected, in the order they were selected (the last one is
// the anchor of Shift-click), the focused cell that the keyboard moves (the
// mouse moves it too) with the anchor of Shift+arrow, and the state of a
// press that may become a drag. Every change of a cell's state is remembered until TakeChanged, so
// that the window repaints exactly those cells.
class GridSelection {
 public:
  // The distance (squared) the pointer must move while pressed to start a drag.
  static constexpr int64_t kDragDistanceSquared = 100;

  size_t size() const { return selected_.size(); }
  void Reset(size_t count);
  void Append();
  void Remove(size_t index);
  // New position k holds the old cell permutation[k]; false (nothing done)
  // when the permutation has another length.
  bool Reorder(const std::vector<size_t>& permutation);

  bool IsSelected(size_t index) const { return index < selected_.size() && selected_[index] != 0; }
  const std::vector<size_t>& order() const { return order_; }
  std::vector<char> Flags() const { return selected_; }
  // Every cell takes its flag; the order becomes the selected cells in index order.
  void SetFlags(const std::vector<char>& flags);
  void SetSelected(size_t index, bool on);

  // Mouse input on cell `hit` (-1: none) at a client point.
  std::optional<GridNotice> PressLeft(int hit, bool shift, bool ctrl, GridPoint point);
  std::optional<GridNotice> Move(GridPoint point);
  std::optional<GridNotice> ReleaseLeft();
  std::optional<GridNotice> DoubleClick() const;
  // The selection change a right press makes; the window sends the context menu after it.
  std::optional<GridNotice> PressRight(int hit);
  // The press ends without a release (the window lost the mouse): no click, no drag.
  void CancelPress() { click_ = Click::kNone; }

  // The focused cell; 0 when there are no cells.
  size_t focus() const { return focus_; }
  // The keyboard moved the focus to `target`: alone it selects that cell
  // only, with Shift exactly the cells from the anchor to it, with Ctrl it
  // moves the focus and leaves the selection. A new current cell is noticed.
  std::optional<GridNotice> MoveFocus(size_t target, bool shift, bool ctrl);
  // Ctrl+Space: the focused cell changes its state and becomes the anchor.
  std::optional<GridNotice> ToggleFocused();

  // The cells whose state changed since the last call, each once.
  std::vector<size_t> TakeChanged();

 private:
  enum class Click { kNone, kPending, kDragging };
  void Set(size_t index, bool on);
  void SelectOnly(size_t index);

  std::vector<char> selected_;
  std::vector<size_t> order_;
  std::vector<size_t> changed_;
  Click click_ = Click::kNone;
  size_t focus_ = 0;
  size_t anchor_ = 0;
  GridPoint press_;
  size_t pressIndex_ = 0;
};

}  // namespace zv
