#include "core/mainwnd/dock_layout.h"

#include <algorithm>

namespace zv {

namespace {
// Clamps to [low, high], preferring `low` when the range is empty.
int Fit(int value, int low, int high) { return std::max(low, std::min(value, high)); }
}  // namespace

namespace {
// The state and the fixed sizes in pixels of the screen.
DockState StateOn(const DockState& design, DisplayScale scale) {
  DockState s = design;
  s.leftWidth = scale.Px(design.leftWidth);
  s.treeHeight = scale.Px(design.treeHeight);
  return s;
}
DockMetrics MetricsOn(const DockMetrics& design, DisplayScale scale) {
  DockMetrics m = design;
  m.splitter = scale.Px(design.splitter);
  m.minBar = scale.Px(design.minBar);
  m.minClient = scale.Px(design.minClient);
  return m;
}
}  // namespace

DockRects ComputeDockLayout(int width, int height, const DockState& designState, const DockMetrics& designMetrics,
                            DisplayScale scale) {
  const DockState s = StateOn(designState, scale);
  const DockMetrics m = MetricsOn(designMetrics, scale);
  DockRects r;
  width = std::max(width, 0);
  height = std::max(height, 0);
  int top = 0;
  int bottom = height;
  if (s.showToolbar) {
    r.toolbar = {0, 0, width, std::min(m.toolbarHeight, height)};
    top = r.toolbar.bottom;
  }
  if (s.showStatusBar) {
    r.status = {0, std::max(top, height - m.statusHeight), width, height};
    bottom = r.status.top;
  }
  int left = 0;
  if (s.showFolderTree || s.showPreview) {
    int column = Fit(s.leftWidth, std::min(m.minBar, width), width - m.splitter - m.minClient);
    column = std::max(0, std::min(column, width));
    LayoutRect area{0, top, column, bottom};
    if (s.showFolderTree && s.showPreview) {
      int treeHeight = Fit(s.treeHeight, std::min(m.minBar, area.Height()), area.Height() - m.splitter - m.minBar);
      treeHeight = std::max(0, std::min(treeHeight, area.Height()));
      r.folderTree = {0, top, column, top + treeHeight};
      r.rowSplitter = {0, r.folderTree.bottom, column, std::min(bottom, r.folderTree.bottom + m.splitter)};
      r.preview = {0, r.rowSplitter.bottom, column, bottom};
    } else if (s.showFolderTree) {
      r.folderTree = area;
    } else {
      r.preview = area;
    }
    r.columnSplitter = {column, top, std::min(width, column + m.splitter), bottom};
    left = r.columnSplitter.right;
  }
  r.client = {left, top, width, bottom};
  return r;
}

Splitter SplitterAt(const DockRects& r, int x, int y) {
  if (!r.columnSplitter.Empty() && r.columnSplitter.Contains(x, y)) return Splitter::Column;
  if (!r.rowSplitter.Empty() && r.rowSplitter.Contains(x, y)) return Splitter::Row;
  return Splitter::None;
}

void DragSplitter(Splitter which, int x, int y, const DockRects& r, DockState& s, DisplayScale scale) {
  if (which == Splitter::Column) s.leftWidth = scale.Design(std::max(0, x));
  if (which == Splitter::Row) s.treeHeight = scale.Design(std::max(0, y - r.folderTree.top));
}

DockState SanitizeDockState(const DockState& stored) {
  DockState s = stored;
  const DockState defaults;
  constexpr int kLargest = 8192;
  if (s.leftWidth <= 0 || s.leftWidth > kLargest) s.leftWidth = defaults.leftWidth;
  if (s.treeHeight <= 0 || s.treeHeight > kLargest) s.treeHeight = defaults.treeHeight;
  return s;
}

}  // namespace zv
