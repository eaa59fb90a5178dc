#include "core/mainwnd/dock_layout.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

DockMetrics Metrics() {
  DockMetrics m;
  m.toolbarHeight = 26;
  m.statusHeight = 20;
  return m;
}

TEST(DockLayout, AllBarsShownTileTheClientAreaWithoutOverlap) {
  DockState s;
  DockRects r = ComputeDockLayout(800, 600, s, Metrics());
  EXPECT_EQ(r.toolbar, (LayoutRect{0, 0, 800, 26}));
  EXPECT_EQ(r.status, (LayoutRect{0, 580, 800, 600}));
  EXPECT_EQ(r.folderTree, (LayoutRect{0, 26, 200, 226}));
  EXPECT_EQ(r.rowSplitter, (LayoutRect{0, 226, 200, 231}));
  EXPECT_EQ(r.preview, (LayoutRect{0, 231, 200, 580}));
  EXPECT_EQ(r.columnSplitter, (LayoutRect{200, 26, 205, 580}));
  EXPECT_EQ(r.client, (LayoutRect{205, 26, 800, 580}));
}

TEST(DockLayout, HiddenBarsGiveTheirRoomAway) {
  DockState s;
  s.showToolbar = false;
  s.showStatusBar = false;
  s.showPreview = false;
  DockRects r = ComputeDockLayout(800, 600, s, Metrics());
  EXPECT_TRUE(r.toolbar.Empty());
  EXPECT_TRUE(r.preview.Empty());
  EXPECT_TRUE(r.rowSplitter.Empty());
  EXPECT_EQ(r.folderTree, (LayoutRect{0, 0, 200, 600})) << "the tree takes the whole column";

  s.showFolderTree = false;
  s.showPreview = true;
  r = ComputeDockLayout(800, 600, s, Metrics());
  EXPECT_EQ(r.preview, (LayoutRect{0, 0, 200, 600}));

  s.showPreview = false;
  r = ComputeDockLayout(800, 600, s, Metrics());
  EXPECT_TRUE(r.columnSplitter.Empty()) << "no column, no splitter";
  EXPECT_EQ(r.client, (LayoutRect{0, 0, 800, 600}));
}

TEST(DockLayout, SplittersDragAndStayWithinBounds) {
  DockState s;
  DockMetrics m = Metrics();
  DockRects r = ComputeDockLayout(800, 600, s, m);
  EXPECT_EQ(SplitterAt(r, 202, 300), Splitter::Column);
  EXPECT_EQ(SplitterAt(r, 100, 228), Splitter::Row);
  EXPECT_EQ(SplitterAt(r, 300, 300), Splitter::None);

  DragSplitter(Splitter::Column, 320, 0, r, s);
  DragSplitter(Splitter::Row, 0, 126, r, s);
  EXPECT_EQ(s.leftWidth, 320);
  EXPECT_EQ(s.treeHeight, 100);
  r = ComputeDockLayout(800, 600, s, m);
  EXPECT_EQ(r.folderTree.right, 320);
  EXPECT_EQ(r.folderTree.bottom, 126);

  // Dragged far out, the file list and the preview keep their minimum.
  DragSplitter(Splitter::Column, 5000, 0, r, s);
  DragSplitter(Splitter::Row, 0, 5000, r, s);
  r = ComputeDockLayout(800, 600, s, m);
  EXPECT_EQ(r.client.Width(), m.minClient);
  EXPECT_EQ(r.preview.Height(), m.minBar);
  DragSplitter(Splitter::Column, -30, 0, r, s);
  r = ComputeDockLayout(800, 600, s, m);
  EXPECT_EQ(r.folderTree.Width(), m.minBar);
}

TEST(DockLayout, TinyWindowsNeverGiveNegativeRectangles) {
  DockState s;
  for (int w : {0, 3, 50, 120})
    for (int h : {0, 10, 45, 80}) {
      DockRects r = ComputeDockLayout(w, h, s, Metrics());
      for (const LayoutRect& x : {r.toolbar, r.status, r.folderTree, r.preview, r.columnSplitter, r.rowSplitter,
                                  r.client}) {
        EXPECT_GE(x.Width(), 0) << w << "x" << h;
        EXPECT_GE(x.Height(), 0) << w << "x" << h;
        EXPECT_LE(x.right, w);
        EXPECT_LE(x.bottom, h);
      }
    }
}

TEST(DockLayout, StoredStateOutOfReasonFallsBackToDefaults) {
  DockState stored;
  stored.leftWidth = -4;
  stored.treeHeight = 100000;
  stored.showPreview = false;
  DockState s = SanitizeDockState(stored);
  EXPECT_EQ(s.leftWidth, 200);
  EXPECT_EQ(s.treeHeight, 200);
  EXPECT_FALSE(s.showPreview) << "visibility is kept";
  stored.leftWidth = 333;
  EXPECT_EQ(SanitizeDockState(stored).leftWidth, 333);
}

// At 150 % and 200 % every fixed size and the stored widths grow with the
// screen (MulDiv's rounding: 5 at 150 % is 8), and a splitter dragged there is
// stored in design units, so it lands where it was on a 96-DPI screen.
TEST(DockLayout, ScalesWithTheScreenAndStoresDesignUnits) {
  EXPECT_EQ(DisplayScale::MulDivRounded(15, 144, 96), 23) << "halves round away from zero";
  EXPECT_EQ(DisplayScale::MulDivRounded(-15, 144, 96), -23);
  EXPECT_EQ(DisplayScale::MulDivRounded(7, 120, 96), 9);
  DockState s;
  const DockRects at144 = ComputeDockLayout(1200, 900, s, Metrics(), DisplayScale{144});
  EXPECT_EQ(at144.folderTree, (LayoutRect{0, 26, 300, 326}));
  EXPECT_EQ(at144.rowSplitter, (LayoutRect{0, 326, 300, 334}));
  EXPECT_EQ(at144.columnSplitter, (LayoutRect{300, 26, 308, 880}));
  const DockRects at192 = ComputeDockLayout(1600, 1200, s, Metrics(), DisplayScale{192});
  EXPECT_EQ(at192.folderTree, (LayoutRect{0, 26, 400, 426}));
  EXPECT_EQ(at192.columnSplitter, (LayoutRect{400, 26, 410, 1180}));
  EXPECT_EQ(at192.client.left, 410);
  const DockRects at96 = ComputeDockLayout(800, 600, s, Metrics(), DisplayScale{96});
  EXPECT_EQ(at96.client, (LayoutRect{205, 26, 800, 580})) << "96 DPI is the design itself";
  EXPECT_EQ(at96.rowSplitter, (LayoutRect{0, 226, 200, 231}));

  DragSplitter(Splitter::Column, 450, 100, at144, s, DisplayScale{144});
  EXPECT_EQ(s.leftWidth, 300) << "450 pixels at 150 % are 300 design pixels";
  DragSplitter(Splitter::Row, 10, 26 + 301, at144, s, DisplayScale{144});
  EXPECT_EQ(s.treeHeight, 201);
  EXPECT_EQ(ComputeDockLayout(800, 600, s, Metrics()).columnSplitter.left, 300);
  DragSplitter(Splitter::Column, 333, 100, at96, s);
  EXPECT_EQ(s.leftWidth, 333) << "at 96 DPI the pixel is stored as it is";
}

}  // namespace
}  // namespace zv
