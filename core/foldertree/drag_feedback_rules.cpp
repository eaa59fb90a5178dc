#include "core/foldertree/drag_feedback_rules.h"

namespace zv {

ScrollBands ScrollBandsAt(int y, int itemHeight, int clientHeight) {
  ScrollBands bands;
  bands.up = y >= 0 && y <= itemHeight;
  bands.down = y >= clientHeight - itemHeight && y <= clientHeight;
  return bands;
}

bool ScrollDownPastHighlight(int clientHeight, int itemHeight) {
  if (itemHeight <= 0) return true;  // a control without rows: step on
  return clientHeight % itemHeight <= itemHeight / 4;
}

}  // namespace zv
