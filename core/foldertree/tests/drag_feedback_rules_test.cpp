#include "core/foldertree/drag_feedback_rules.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(DragFeedback, BandsAreOneItemHighWithBothEdgesIncluded) {
  // Items of 18 pixels in a 200-pixel tree.
  auto at = [](int y) { return ScrollBandsAt(y, 18, 200); };
  EXPECT_TRUE(at(0).up);
  EXPECT_TRUE(at(18).up);
  EXPECT_FALSE(at(19).up);
  EXPECT_FALSE(at(-1).up) << "above the tree";
  EXPECT_FALSE(at(100).up || at(100).down);
  EXPECT_FALSE(at(181).down);
  EXPECT_TRUE(at(182).down);
  EXPECT_TRUE(at(200).down);
  EXPECT_FALSE(at(201).down) << "below the tree";
  const ScrollBands low = ScrollBandsAt(15, 18, 30);
  EXPECT_TRUE(low.up && low.down) << "a tree lower than two items scrolls both ways";
}

TEST(DragFeedback, ScrollingDownStepsPastTheHighlightOnlyWhenTheLastRowIsWhole) {
  EXPECT_TRUE(ScrollDownPastHighlight(180, 18)) << "rows fit exactly";
  EXPECT_TRUE(ScrollDownPastHighlight(184, 18)) << "4 pixels left over: at most a quarter";
  EXPECT_FALSE(ScrollDownPastHighlight(185, 18)) << "5 pixels: the last row is partly shown";
  EXPECT_FALSE(ScrollDownPastHighlight(197, 18));
}

}  // namespace
}  // namespace zv
