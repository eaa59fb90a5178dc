#include "core/browser/thumb_grid_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace zv {
namespace {

constexpr GridSize kSmallBox{120, 80};
constexpr GridSize kMediumBox{180, 120};
constexpr GridSize kLargeBox{240, 160};
constexpr int32_t kBar = 16;

TEST(ThumbGridCells, SizesAndPartsForBothModesAndAllBoxes) {
  EXPECT_EQ(CellSizeFor(kLightCells, kSmallBox), (GridSize{140, 120}));
  EXPECT_EQ(CellSizeFor(kLightCells, kMediumBox), (GridSize{200, 160}));
  EXPECT_EQ(CellSizeFor(kLightCells, kLargeBox), (GridSize{260, 200}));
  EXPECT_EQ(CellSizeFor(kDetailCells, kSmallBox), (GridSize{400, 100})) << "a box of 80 keeps the detail rows' 100";
  EXPECT_EQ(CellSizeFor(kDetailCells, kMediumBox), (GridSize{460, 140}));
  EXPECT_EQ(CellSizeFor(kDetailCells, kLargeBox), (GridSize{520, 180}));

  EXPECT_EQ(ThumbnailOrigin(kSmallBox, {120, 60}), (GridPoint{10, 20}));
  EXPECT_EQ(ThumbnailOrigin(kSmallBox, {53, 80}), (GridPoint{43, 10})) << "odd margins truncate";
  EXPECT_EQ(NameRect(kSmallBox, {140, 120}), (GridRect{10, 92, 130, 110}));
  EXPECT_EQ(DetailCaptionRect(2, kMediumBox), (GridRect{200, 50, 260, 70}));
  EXPECT_EQ(DetailValueRect(3, kMediumBox, {460, 140}), (GridRect{260, 70, 450, 90}));
}

// On a 150 % and a 200 % screen the boxes, the cells' pitch and every part
// of a cell grow by exactly 1.5 and 2; 96 DPI is the design to the pixel.
TEST(ThumbGridCells, ScaleWithTheScreen) {
  for (int size : {0, 1, 2, 7}) EXPECT_EQ(ThumbBoxFor(size, DisplayScale{96}), ThumbBoxFor(size)) << size;
  EXPECT_EQ(ThumbBoxFor(0), kSmallBox);
  EXPECT_EQ(ThumbBoxFor(5), kSmallBox) << "an unknown size counts as 0";
  EXPECT_EQ(ThumbBoxFor(2), kLargeBox);
  for (const int dpi : {144, 192}) {
    const DisplayScale scale{dpi};
    const auto times = [dpi](GridSize s) { return GridSize{s.width * dpi / 96, s.height * dpi / 96}; };
    const auto timesRect = [dpi](GridRect r) {
      return GridRect{r.left * dpi / 96, r.top * dpi / 96, r.right * dpi / 96, r.bottom * dpi / 96};
    };
    for (int size : {0, 1, 2}) {
      const GridSize box = ThumbBoxFor(size, scale);
      EXPECT_EQ(box, times(ThumbBoxFor(size))) << dpi << " box " << size;
      for (int mode : {kLightCells, kDetailCells})
        EXPECT_EQ(CellSizeFor(mode, box, scale), times(CellSizeFor(mode, ThumbBoxFor(size))))
            << dpi << " cell " << size << " mode " << mode;
    }
    const GridSize box = ThumbBoxFor(1, scale);
    const GridSize cell = CellSizeFor(kDetailCells, box, scale);
    EXPECT_EQ(NameRect(box, cell, scale), timesRect(NameRect(kMediumBox, {460, 140}))) << dpi;
    EXPECT_EQ(DetailCaptionRect(3, box, scale), timesRect(DetailCaptionRect(3, kMediumBox))) << dpi;
    EXPECT_EQ(DetailValueRect(1, box, cell, scale), timesRect(DetailValueRect(1, kMediumBox, {460, 140}))) << dpi;
    EXPECT_EQ(ThumbnailOrigin(box, {box.width, box.height / 2}, scale),
              (GridPoint{10 * dpi / 96, 10 * dpi / 96 + box.height / 4}));
    EXPECT_EQ(ScrollSteps::For(scale).line, 10 * dpi / 96);
    EXPECT_EQ(ScrollSteps::For(scale).page, 100 * dpi / 96);
  }
  EXPECT_EQ(CellSizeFor(kDetailCells, ThumbBoxFor(0, DisplayScale{144}), DisplayScale{144}), (GridSize{600, 150}))
      << "a box of 80 design pixels keeps the detail rows' 100 on any screen";
}

TEST(ThumbGridLayout, ColumnsRowsEmptyAreaAndScrollRange) {
  const GridSize cell{140, 120};
  // 7 cells in 3 columns: the third row has one cell and two white thirds.
  GridLayout seven = LayOutGrid(7, cell, 3 * 140 + 30, 1000, kBar);
  EXPECT_EQ(seven.columns, 3);
  EXPECT_EQ(seven.rows, 3);
  EXPECT_EQ(seven.canvas, (GridSize{420, 360}));
  EXPECT_EQ(seven.emptyArea, (GridRect{140, 240, 420, 360}));
  EXPECT_FALSE(seven.scrollable);
  EXPECT_EQ(seven.CellOrigin(6), (GridPoint{0, 240}));
  EXPECT_EQ(seven.CellOrigin(5), (GridPoint{280, 120}));

  EXPECT_TRUE(LayOutGrid(6, cell, 420, 1000, kBar).emptyArea.IsEmpty()) << "full rows leave nothing white";

  GridLayout narrow = LayOutGrid(3, cell, 50, 1000, kBar);
  EXPECT_EQ(narrow.columns, 1) << "a window narrower than a cell still has one column";
  EXPECT_EQ(narrow.rows, 3);

  // 3 columns fit 420 pixels only without a bar: 10 cells need 4 rows (480 > 400), so the bar
  // takes its width and 2 columns remain: 5 rows.
  GridLayout tall = LayOutGrid(10, cell, 420, 400, kBar);
  EXPECT_EQ(tall.columns, 2);
  EXPECT_EQ(tall.rows, 5);
  EXPECT_TRUE(tall.scrollable);
  EXPECT_EQ(tall.scrollMax, 600 - 400);

  // A long folder: the range goes beyond 16 bits.
  GridLayout huge = LayOutGrid(20000, cell, 420 + kBar, 600, kBar);
  EXPECT_EQ(huge.scrollMax, 6667 * 120 - 600);

  EXPECT_EQ(LayOutGrid(0, cell, 420, 400, kBar).rows, 0);
}

TEST(ThumbGridLayout, HitTestAndCellsInRows) {
  const GridLayout layout = LayOutGrid(7, {140, 120}, 420, 1000, kBar);
  EXPECT_EQ(layout.HitCell(7, {0, 0}), 0);
  EXPECT_EQ(layout.HitCell(7, {139, 119}), 0) << "the last pixel of a cell is in it";
  EXPECT_EQ(layout.HitCell(7, {140, 119}), 1);
  EXPECT_EQ(layout.HitCell(7, {139, 240}), 6);
  EXPECT_EQ(layout.HitCell(7, {140, 240}), -1) << "the white area of the last row";
  EXPECT_EQ(layout.HitCell(7, {420, 0}), -1) << "right of the canvas";
  EXPECT_EQ(layout.HitCell(7, {0, 360}), -1) << "below the canvas";
  EXPECT_EQ(layout.HitCell(7, {-1, 5}), -1);

  const GridLayout::Span span = layout.CellsInRows(7, 119, 2);  // the border between rows 0 and 1
  EXPECT_EQ(span.first, 0u);
  EXPECT_EQ(span.last, 6u);
  EXPECT_EQ(layout.CellsInRows(7, 240, 500).last, 7u);
  EXPECT_EQ(layout.CellsInRows(7, 5000, 100).first, layout.CellsInRows(7, 5000, 100).last);
}

TEST(ThumbGridScroll, StepsClampToTheRange) {
  EXPECT_EQ(ScrollTarget(ScrollRequest::kLineDown, 0, 0, 500), 10);
  EXPECT_EQ(ScrollTarget(ScrollRequest::kLineUp, 5, 0, 500), 0);
  EXPECT_EQ(ScrollTarget(ScrollRequest::kPageDown, 450, 0, 500), 500);
  EXPECT_EQ(ScrollTarget(ScrollRequest::kPageUp, 450, 0, 500), 350);
  EXPECT_EQ(ScrollTarget(ScrollRequest::kTrack, 0, 800000, 799400), 799400) << "32-bit track positions";
  EXPECT_EQ(ScrollTarget(ScrollRequest::kBottom, 0, 0, 500), 500);
  EXPECT_EQ(ScrollTarget(ScrollRequest::kTop, 300, 0, 500), 0);
  EXPECT_EQ(ScrollTarget(ScrollRequest::kEnd, 300, 0, 500), 300);
}

TEST(ThumbGridNotices, ContextMenuPointPacking) {
  EXPECT_EQ(PackScreenPoint({300, 200}), (300 << 16) | 200);
  EXPECT_EQ(UnpackScreenPoint(PackScreenPoint({-5, -7})), (GridPoint{-5, -7})) << "a monitor left of the first";
}

std::vector<size_t> Selected(const GridSelection& s) {
  std::vector<size_t> out;
  for (size_t i = 0; i < s.size(); ++i)
    if (s.IsSelected(i)) out.push_back(i);
  return out;
}

const GridNotice kNoNotice{GridNoticeCode::kOpen, -99};
GridNotice Or(const std::optional<GridNotice>& n) { return n.value_or(kNoNotice); }
GridNotice SelChange(int i) { return {GridNoticeCode::kSelChange, i}; }

TEST(ThumbGridSelection, ClickCtrlClickAndShiftClick) {
  GridSelection s;
  s.Reset(8);
  EXPECT_EQ(Or(s.PressLeft(2, false, false, {0, 0})), SelChange(2));
  EXPECT_EQ(Or(s.ReleaseLeft()), SelChange(2)) << "a release without a move makes the cell the only one";
  EXPECT_EQ(Or(s.PressLeft(5, false, true, {0, 0})), SelChange(5));
  EXPECT_EQ(Selected(s), (std::vector<size_t>{2, 5}));
  EXPECT_FALSE(s.ReleaseLeft()) << "Ctrl-click leaves no pending click";

  // Shift-click upwards from the anchor 5 to 3: 4 and 3 join, in walk order; 2 stays.
  EXPECT_EQ(Or(s.PressLeft(3, true, false, {0, 0})), SelChange(3));
  EXPECT_EQ(Selected(s), (std::vector<size_t>{2, 3, 4, 5}));
  EXPECT_EQ(s.order(), (std::vector<size_t>{2, 5, 4, 3}));
  EXPECT_EQ(Or(s.DoubleClick()), (GridNotice{GridNoticeCode::kOpen, 3}));

  EXPECT_FALSE(s.PressLeft(4, false, true, {0, 0})) << "Ctrl-click on a selected cell deselects silently";
  EXPECT_EQ(s.order(), (std::vector<size_t>{2, 5, 3}));

  GridSelection only;
  only.Reset(3);
  only.PressLeft(1, false, false, {0, 0});
  only.ReleaseLeft();
  only.TakeChanged();
  EXPECT_FALSE(only.PressLeft(1, false, true, {0, 0}));
  EXPECT_TRUE(Selected(only).empty()) << "Ctrl-click on the only selected cell leaves nothing selected";
  EXPECT_EQ(only.TakeChanged(), (std::vector<size_t>{1}));
  EXPECT_FALSE(only.DoubleClick());
  EXPECT_EQ(Or(only.PressLeft(2, true, false, {0, 0})), SelChange(2)) << "Shift without an anchor selects one";
  EXPECT_EQ(Selected(only), (std::vector<size_t>{2}));

  EXPECT_FALSE(only.PressLeft(-1, false, false, {0, 0})) << "a press on no cell changes nothing";
  EXPECT_EQ(Selected(only), (std::vector<size_t>{2}));
}

TEST(ThumbGridSelection, DragFromAMultipleSelectionAndRightClicks) {
  GridSelection s;
  s.Reset(6);
  s.SetFlags({0, 1, 1, 1, 0, 0});
  EXPECT_FALSE(s.PressLeft(2, false, false, {100, 100})) << "a press on a selected cell keeps the selection";
  EXPECT_FALSE(s.Move({106, 107})) << "9.2 pixels is not yet a drag";
  EXPECT_EQ(Or(s.Move({106, 108})), (GridNotice{GridNoticeCode::kBeginDrag, 0}));
  EXPECT_FALSE(s.Move({200, 200})) << "one drag per press";
  EXPECT_FALSE(s.ReleaseLeft()) << "after a drag the release keeps the selection";
  EXPECT_EQ(Selected(s), (std::vector<size_t>{1, 2, 3}));

  s.PressLeft(2, false, false, {100, 100});
  EXPECT_EQ(Or(s.ReleaseLeft()), SelChange(2));
  EXPECT_EQ(Selected(s), (std::vector<size_t>{2})) << "a release without moving reduces the selection";

  s.SetFlags({1, 0, 1, 0, 0, 0});
  EXPECT_FALSE(s.PressRight(-1)) << "a right click in the white area";
  EXPECT_FALSE(s.PressRight(2)) << "on a selected cell";
  EXPECT_EQ(Selected(s), (std::vector<size_t>{0, 2}));
  EXPECT_EQ(Or(s.PressRight(4)), SelChange(4));
  EXPECT_EQ(Selected(s), (std::vector<size_t>{4}));
}

TEST(ThumbGridSelection, StaysOnItsCellsThroughReorderAndRemove) {
  GridSelection s;
  s.Reset(5);
  s.PressLeft(1, false, false, {0, 0});
  s.ReleaseLeft();
  s.PressLeft(3, false, true, {0, 0});
  s.TakeChanged();
  // Reversed: old 1 is now at 3, old 3 at 1; the anchor follows its cell.
  ASSERT_TRUE(s.Reorder({4, 3, 2, 1, 0}));
  EXPECT_EQ(Selected(s), (std::vector<size_t>{1, 3}));
  EXPECT_EQ(s.order(), (std::vector<size_t>{3, 1}));
  EXPECT_FALSE(s.Reorder({0, 1})) << "a permutation of another length";
  EXPECT_FALSE(s.Reorder({0, 1, 2, 3, 9}));
  EXPECT_EQ(s.order(), (std::vector<size_t>{3, 1}));

  s.Remove(2);
  EXPECT_EQ(s.size(), 4u);
  EXPECT_EQ(s.order(), (std::vector<size_t>{2, 1}));
  s.Remove(2);
  EXPECT_EQ(s.order(), (std::vector<size_t>{1}));
  s.Remove(17);  // out of range: nothing
  EXPECT_EQ(s.size(), 3u);
}

}  // namespace
}  // namespace zv
