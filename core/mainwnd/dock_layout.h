#pragma once
// Arithmetic of the main frame's layout: toolbar on top, status bar at the
// bottom, the folder tree bar over the preview bar in a left column, a
// splitter right of that column and one between the two bars, the file list
// in the rest. No window here; the frame moves its windows to these rectangles.
#include <cstdint>

#include "core/display/display_scale.h"

namespace zv {

struct LayoutRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const LayoutRect&) const = default;
};

// What the user arranged; kept in the registry between runs, in design
// (96-DPI) units.
struct DockState {
  int leftWidth = 200;   // width of the left column (the bars' default size)
  int treeHeight = 200;  // height of the folder tree bar while the preview bar shows too
  bool showToolbar = true;
  bool showStatusBar = true;
  bool showFolderTree = true;
  bool showPreview = true;
  bool operator==(const DockState&) const = default;
};

// The bars' heights are pixels of the screen (measured from the controls);
// the rest are design units.
struct DockMetrics {
  int toolbarHeight = 0;
  int statusHeight = 0;
  int splitter = 5;    // thickness of both splitters
  int minBar = 40;     // no bar is made smaller than this by a splitter
  int minClient = 60;  // the file list keeps at least this width
};

struct DockRects {
  LayoutRect toolbar, status, folderTree, preview, columnSplitter, rowSplitter, client;
};

// In pixels of a screen of `scale`.
DockRects ComputeDockLayout(int clientWidth, int clientHeight, const DockState& state, const DockMetrics& metrics,
                            DisplayScale scale = {});

enum class Splitter { None, Column, Row };
Splitter SplitterAt(const DockRects& rects, int x, int y);

// Moves a splitter so that its leading edge lands at (x, y) of the frame's
// client area (pixels of `scale`); the state keeps design units, and the
// next layout keeps the result within bounds.
void DragSplitter(Splitter which, int x, int y, const DockRects& rects, DockState& state, DisplayScale scale = {});

// A state read back from storage, with sizes out of all reason replaced by the defaults.
DockState SanitizeDockState(const DockState& stored);

}  // namespace zv
