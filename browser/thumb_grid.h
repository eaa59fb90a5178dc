#pragma once
// The thumbnail grid (1002): one window that lays its cells out in rows
// filling its width, paints them itself, scrolls vertically and turns mouse
// and keyboard input into selection and the GN_* notifications to its
// parent, and shows its cells to screen readers (thumb_grid_access.cpp). Cells are
// plain objects (browser/thumb_cell.h) and thumbnails pixel buffers kept by
// the owner, so a folder of any size costs one window and no bitmap per
// picture. Scrolling moves what is on the screen and paints only what it
// uncovers.
#include <windows.h>

#include <memory>
#include <unordered_map>
#include <vector>

#include "browser/thumb_cell.h"
#include "core/browser/grid_keys.h"
#include "core/browser/thumb_grid_rules.h"
#include "win/accessible.h"
#include "win/window.h"

namespace zv {

// The record sent with WM_NOTIFY (wParam: the grid's id): the header, then one value.
struct GridNotify {
  NMHDR header;
  int32_t value;
};

// What the grid asks of the object that owns its cells.
class ThumbGridHost {
 public:
  // The thumbnail of a cell; null when it has none (yet).
  virtual std::shared_ptr<const PixelImage> CellPixels(uint64_t cellId) = 0;
  // Cells first..last-1 are now in view (after a layout or a scroll).
  virtual void OnCellsInView(size_t first, size_t last) = 0;
  // A message the owner's workers posted to the grid (WM_ZV_THUMBS_READY).
  // True: results are left, and the grid comes back for them once the input
  // and paint waiting now were handled.
  virtual bool OnThumbnailsReady() = 0;
  // These cells were selected or deselected (by the mouse or by SetSelection).
  virtual void OnSelectionChanged(const std::vector<size_t>& cells) = 0;

 protected:
  ~ThumbGridHost() = default;
};

class CThumbnailGrid : public win::Window, private win::AccessibleSource {
 public:
  static constexpr GridSize kDefaultBox{120, 80};

  bool CreateGrid(HWND parent, int id, bool visible, ThumbGridHost& host);

  void Clear();
  // Many cells at once: one layout and one repaint.
  void SetCells(std::vector<GridCell> cells);
  void AddCell(GridCell cell);
  void RemoveCell(size_t index);
  // The cell at `index` becomes `cell`; its selection stays.
  void ReplaceCell(size_t index, GridCell cell);
  void SetCellMode(int mode);
  // The box in pixels of the grid's screen (ThumbBoxFor of its scale).
  void SetBoxSize(GridSize box);
  // The screen's scale (the window's DPI at creation, then the frame's on a
  // change): margins, captions and steps follow it; the owner sets the box.
  void SetScale(DisplayScale scale);
  DisplayScale scale() const { return scale_; }
  // Repaints a cell whose state or thumbnail changed.
  void SetCellState(size_t index, ThumbState state);
  void SetSelection(const std::vector<char>& flags);
  void SetCellSelected(size_t index, bool selected);
  std::vector<char> GetSelection() const { return selection_.Flags(); }
  bool IsSelected(size_t index) const { return selection_.IsSelected(index); }
  void Reorder(const std::vector<size_t>& permutation);
  void ScrollToBottom();
  // The thumbnail of cell `index`; null out of range or when it has none.
  std::shared_ptr<const PixelImage> GetCellBitmap(size_t index) const;

  size_t size() const { return cells_.size(); }
  const GridCell* Cell(size_t index) const { return index < cells_.size() ? &cells_[index] : nullptr; }
  // The index of the cell with this id; -1 when it is gone.
  int IndexOf(uint64_t cellId) const;
  int cellMode() const { return cellMode_; }
  GridSize box() const { return box_; }
  const GridLayout& layout() const { return layout_; }
  int32_t scrollPosition() const { return scroll_; }
  // The cells that cross the client area now.
  GridLayout::Span CellsInView() const;
  // The cell the keyboard moves; its focus rectangle shows once a key was used.
  size_t focusedCell() const { return selection_.focus(); }
  bool showsFocus() const { return keyboardUsed_ && GetFocus() == hwnd(); }

 protected:
  void OnSize(int width, int height) override;
  bool OnPaint() override;
  bool OnMouse(UINT message, POINT client, UINT keys) override;
  bool OnScroll(int bar, int code, int position) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override { accessible_.Disconnect(); }

 private:
  // thumb_grid_keys.cpp: the keyboard.
  bool OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void OnNavigationKey(GridKey key);
  void OnTyped(char typed);
  void OpenContextMenuAtFocus();
  void ScrollIntoView(size_t index);
  // After every change of selection or focus: repaint, notices to the host
  // and to screen readers.
  void ShowFocusMove();
  void RaiseSelectionEvents(const std::vector<size_t>& changed) const;
  RECT CellClientRect(size_t index) const;

  // AccessibleSource (thumb_grid_access.cpp)
  long AccessibleRole() override;
  std::wstring AccessibleName() override;
  long ItemCount() override;
  std::wstring ItemName(long index) override;
  std::wstring ItemDescription(long index) override;
  long ItemState(long index) override;
  bool ItemRect(long index, RECT& screen) override;
  std::wstring ItemDefaultAction(long index) override;
  bool DoItemDefaultAction(long index) override;
  bool SelectItem(long index, long flags) override;
  long FocusedItem() override;
  std::vector<long> SelectedItems() override;
  long ItemAt(POINT screen) override;

  void LayOut();
  void ScrollTo(int32_t position);
  void Notify(const GridNotice& notice);
  void Notify(const std::optional<GridNotice>& notice) {
    if (notice) Notify(*notice);
  }
  void RepaintChanged();
  // The first paint of a set of cells, for the step trace (win/step_trace.h).
  void TraceFirstPaint();
  void InvalidateCell(size_t index);
  void PaintPart(HDC dc, const RECT& part) const;
  void PaintCells(HDC dc, const RECT& dirty) const;
  void TakeThumbnails();
  int HitTest(POINT client) const;
  void TellCellsInView();

  ThumbGridHost* host_ = nullptr;
  int id_ = 0;
  std::vector<GridCell> cells_;
  mutable std::unordered_map<uint64_t, size_t> indexOfId_;  // rebuilt when empty
  GridSelection selection_;
  GridLayout layout_;
  int cellMode_ = kLightCells;
  GridSize box_ = kDefaultBox;
  DisplayScale scale_;
  int32_t scroll_ = 0;
  bool layingOut_ = false;
  CellCaptions captions_;
  bool keyboardUsed_ = false;
  size_t shownFocus_ = 0;  // the focus as last painted and announced
  bool paintTraced_ = false;  // the first paint of these cells went to the step trace
  TypeAhead typeAhead_;
  win::AccessibleLink accessible_;
};

}  // namespace zv
