#pragma once
// Where a drag over the folder tree scrolls it: within one item height of the
// top edge the tree scrolls up, within one item height of the bottom edge it
// scrolls down (both edges inclusive, so in a tree lower than two items both
// may hold). And which item a downward scroll brings into view.
namespace zv {

struct ScrollBands {
  bool up = false;
  bool down = false;
};

// `y` in the tree's client coordinates; `clientHeight` is the client area's height.
ScrollBands ScrollBandsAt(int y, int itemHeight, int clientHeight);

// True when a downward scroll step should bring the item after the drop
// highlight into view rather than the highlight itself: when the last row is
// cut by at most a quarter of an item height (the highlight, at the bottom
// row, is then already fully visible).
bool ScrollDownPastHighlight(int clientHeight, int itemHeight);

}  // namespace zv
