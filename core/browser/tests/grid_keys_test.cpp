#include "core/browser/grid_keys.h"

#include <gtest/gtest.h>

#include "core/browser/thumb_grid_rules.h"

namespace zv {
namespace {

// 10 cells in 4 columns:   0 1 2 3 / 4 5 6 7 / 8 9
TEST(GridKeys, ArrowsHomeEndAndPagesMoveInRowsAndStopAtTheEdges) {
  auto to = [](GridKey key, size_t from, int32_t pageRows = 1) { return GridKeyTarget(key, from, 10, 4, pageRows); };
  EXPECT_EQ(to(GridKey::kRight, 3), 4u) << "right at a row's end goes on to the next row";
  EXPECT_EQ(to(GridKey::kLeft, 4), 3u);
  EXPECT_EQ(to(GridKey::kLeft, 0), 0u);
  EXPECT_EQ(to(GridKey::kRight, 9), 9u);
  EXPECT_EQ(to(GridKey::kDown, 1), 5u) << "down keeps the column";
  EXPECT_EQ(to(GridKey::kUp, 5), 1u);
  EXPECT_EQ(to(GridKey::kUp, 2), 2u) << "up in the first row stays";
  EXPECT_EQ(to(GridKey::kDown, 6), 9u) << "below is empty but there is a row: the last cell";
  EXPECT_EQ(to(GridKey::kDown, 9), 9u);
  EXPECT_EQ(to(GridKey::kHome, 7), 0u);
  EXPECT_EQ(to(GridKey::kEnd, 2), 9u);
  EXPECT_EQ(to(GridKey::kPageDown, 1, 2), 9u) << "a page past the end: the last row, as near the column as it goes";
  EXPECT_EQ(to(GridKey::kPageDown, 0, 2), 8u);
  EXPECT_EQ(to(GridKey::kPageDown, 2, 1), 6u);
  EXPECT_EQ(to(GridKey::kPageUp, 9, 1), 5u);
  EXPECT_EQ(to(GridKey::kPageUp, 6, 2), 2u) << "a page before the start: the first row, same column";
  EXPECT_EQ(GridKeyTarget(GridKey::kDown, 0, 3, 1, 1), 1u) << "one column: down is the next cell";
  EXPECT_EQ(GridKeyTarget(GridKey::kEnd, 0, 0, 4, 1), 0u) << "no cells";
  EXPECT_EQ(GridKeyTarget(GridKey::kLeft, 50, 10, 4, 1), 8u) << "a stale focus is taken as the last cell";
}

TEST(GridKeys, ShiftExtendsFromTheAnchorCtrlMovesOnlyTheFocusAndCtrlSpaceToggles) {
  GridSelection selection;
  selection.Reset(10);
  EXPECT_EQ(selection.MoveFocus(2, false, false), (GridNotice{GridNoticeCode::kSelChange, 2}));
  EXPECT_EQ(selection.Flags(), (std::vector<char>{0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
  selection.MoveFocus(5, true, false);
  EXPECT_EQ(selection.Flags(), (std::vector<char>{0, 0, 1, 1, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(selection.order().back(), 5u) << "the focused cell is the last selected";
  selection.MoveFocus(0, true, false);
  EXPECT_EQ(selection.Flags(), (std::vector<char>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0}))
      << "the range is anchored at 2 and replaces the one before";
  selection.TakeChanged();

  EXPECT_EQ(selection.MoveFocus(7, false, true), std::nullopt) << "Ctrl moves the focus only";
  EXPECT_EQ(selection.focus(), 7u);
  EXPECT_TRUE(selection.TakeChanged().empty());
  EXPECT_EQ(selection.ToggleFocused(), (GridNotice{GridNoticeCode::kSelChange, 7}));
  EXPECT_EQ(selection.Flags(), (std::vector<char>{1, 1, 1, 0, 0, 0, 0, 1, 0, 0}));
  selection.MoveFocus(9, true, false);
  EXPECT_EQ(selection.Flags(), (std::vector<char>{0, 0, 0, 0, 0, 0, 0, 1, 1, 1})) << "Ctrl+Space set the anchor";
  selection.MoveFocus(8, false, true);
  EXPECT_EQ(selection.ToggleFocused(), std::nullopt) << "toggled off: no new current cell";
  EXPECT_FALSE(selection.IsSelected(8));

  // The focus follows its cell through removal and sorting, and a click.
  selection.Remove(3);
  EXPECT_EQ(selection.focus(), 7u);
  selection.Reorder({8, 7, 6, 5, 4, 3, 2, 1, 0});
  EXPECT_EQ(selection.focus(), 1u);
  selection.PressLeft(4, false, false, {0, 0});
  selection.ReleaseLeft();
  EXPECT_EQ(selection.focus(), 4u);
  selection.MoveFocus(6, true, false);
  EXPECT_EQ(selection.Flags(), (std::vector<char>{0, 0, 0, 0, 1, 1, 1, 0, 0})) << "a click sets the anchor";
  selection.Remove(8);
  selection.Remove(7);
  selection.Remove(6);
  EXPECT_EQ(selection.focus(), 5u) << "the focused last cell removed: the new last";
  EXPECT_EQ(selection.MoveFocus(6, false, false), std::nullopt) << "out of range";
}

TEST(GridKeys, TypedLettersJumpToNamesAndAPauseStartsAgain) {
  const std::vector<std::string_view> names{"apple.png", "Banana.jpg", "berry.bmp", "bean.tif", "cherry.png"};
  EXPECT_EQ(FindTypedName(names, 0, "b"), 1) << "case is ignored";
  EXPECT_EQ(FindTypedName(names, 1, "b"), 2) << "the same first letter steps on";
  EXPECT_EQ(FindTypedName(names, 3, "bb"), 1) << "typed again it wraps round";
  EXPECT_EQ(FindTypedName(names, 2, "be"), 2) << "a longer prefix keeps a name that still fits";
  EXPECT_EQ(FindTypedName(names, 2, "bea"), 3);
  EXPECT_EQ(FindTypedName(names, 0, "x"), -1);
  EXPECT_EQ(FindTypedName(names, 0, "apple.png and more"), -1);
  EXPECT_EQ(FindTypedName({}, 0, "a"), -1);

  TypeAhead typed;
  typed.Type('b', 100);
  typed.Type('E', 900);
  EXPECT_EQ(typed.prefix(), "bE");
  typed.Type('c', 900 + TypeAhead::kPauseMs);
  EXPECT_EQ(typed.prefix(), "c") << "a pause starts a new search";
  typed.Type('h', 0xFFFFFF00u);
  typed.Type('e', 0x00000010u);
  EXPECT_EQ(typed.prefix(), "he") << "the message clock wrapped a moment ago";
}

}  // namespace
}  // namespace zv
