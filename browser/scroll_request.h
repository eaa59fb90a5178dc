#pragma once
// A scroll bar message's request code (SB_*) as the scroll rules take it.
#include <windows.h>

#include <optional>

#include "core/browser/thumb_grid_rules.h"

namespace zv {

inline std::optional<ScrollRequest> ScrollRequestOf(int code) {
  switch (code) {
    case SB_LINEUP: return ScrollRequest::kLineUp;
    case SB_LINEDOWN: return ScrollRequest::kLineDown;
    case SB_PAGEUP: return ScrollRequest::kPageUp;
    case SB_PAGEDOWN: return ScrollRequest::kPageDown;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return ScrollRequest::kTrack;
    case SB_TOP: return ScrollRequest::kTop;
    case SB_BOTTOM: return ScrollRequest::kBottom;
    case SB_ENDSCROLL: return ScrollRequest::kEnd;
    default: return std::nullopt;
  }
}

}  // namespace zv
