#include "browser/blank_pane.h"

namespace zv {

namespace {
constexpr char kBlankPaneClass[] = "ZVBlankPane";
}  // namespace

bool CBlankPane::CreatePane(HWND parent, int id, bool visible) {
  if (!RegisterClass(kBlankPaneClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) return false;
  return Create({.className = kBlankPaneClass,
                 .style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0u),
                 .rect = {0, 0, 0, 0},
                 .parent = parent,
                 .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))});
}

}  // namespace zv
