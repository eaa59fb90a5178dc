#include "browser/thumb_grid.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/app_services.h"
#include "browser/scroll_request.h"
#include "res/resource.h"
#include "win/dpi.h"
#include "win/gdi.h"
#include "win/handles.h"
#include "win/step_trace.h"

namespace zv {

namespace {

constexpr char kGridClass[] = "ZVThumbnailGrid";
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kFocusInset = 6;  // design pixels; the red frame takes pixels 2 to 4 of each side
// A paint covers at most this many separate rectangles; more: their bounding box.
constexpr size_t kMostPaintParts = 16;

static_assert(static_cast<uint32_t>(GridNoticeCode::kSelChange) == GN_SELCHANGE);
static_assert(static_cast<uint32_t>(GridNoticeCode::kOpen) == GN_OPEN);
static_assert(static_cast<uint32_t>(GridNoticeCode::kContextMenu) == GN_CONTEXTMENU);
static_assert(static_cast<uint32_t>(GridNoticeCode::kBeginDrag) == GN_BEGINDRAG);

void FillWhite(HDC dc, const RECT& rect) {
  SetBkColor(dc, kWhite);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

}  // namespace

bool CThumbnailGrid::CreateGrid(HWND parent, int id, bool visible, ThumbGridHost& host) {
  host_ = &host;
  id_ = id;
  // No background brush: every pixel is painted by OnPaint.
  if (!RegisterClass(kGridClass, nullptr, nullptr, CS_DBLCLKS)) return false;
  if (!Create({.className = kGridClass,
               .style = WS_CHILD | WS_VSCROLL | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0u),
               .rect = {0, 0, 0, 0},
               .parent = parent,
               .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))}))
    return false;
  ShowScrollBar(hwnd(), SB_VERT, FALSE);
  scale_ = win::Dpi::OfWindow(hwnd());
  captions_ = CellCaptions::Load();  // once for all cells
  return true;
}

int CThumbnailGrid::IndexOf(uint64_t cellId) const {
  if (indexOfId_.empty())
    for (size_t i = 0; i < cells_.size(); ++i) indexOfId_.emplace(cells_[i].id, i);
  const auto found = indexOfId_.find(cellId);
  return found != indexOfId_.end() ? static_cast<int>(found->second) : -1;
}

void CThumbnailGrid::Clear() { SetCells({}); }

void CThumbnailGrid::SetCells(std::vector<GridCell> cells) {
  cells_ = std::move(cells);
  indexOfId_.clear();
  selection_.Reset(cells_.size());
  shownFocus_ = 0;
  paintTraced_ = false;
  typeAhead_.Reset();
  LayOut();
  win::RaiseItemEvent(hwnd(), EVENT_OBJECT_REORDER, -1);
}

void CThumbnailGrid::AddCell(GridCell cell) {
  cells_.push_back(std::move(cell));
  indexOfId_.clear();
  selection_.Append();
  LayOut();
}

// An index out of range only lays out again.
void CThumbnailGrid::RemoveCell(size_t index) {
  if (index < cells_.size()) {
    cells_.erase(cells_.begin() + static_cast<ptrdiff_t>(index));
    indexOfId_.clear();
    selection_.Remove(index);
    selection_.TakeChanged();
  }
  LayOut();
}

void CThumbnailGrid::ReplaceCell(size_t index, GridCell cell) {
  if (index >= cells_.size()) return;
  cells_[index] = std::move(cell);
  indexOfId_.clear();
  InvalidateCell(index);
}

void CThumbnailGrid::SetCellMode(int mode) {
  if ((mode != kLightCells && mode != kDetailCells) || mode == cellMode_) return;
  cellMode_ = mode;
  LayOut();
}

void CThumbnailGrid::SetBoxSize(GridSize box) {
  if (box == box_) return;
  box_ = box;
  LayOut();
}

void CThumbnailGrid::SetScale(DisplayScale scale) {
  if (scale == scale_) return;
  scale_ = scale;
  LayOut();
}

void CThumbnailGrid::SetCellState(size_t index, ThumbState state) {
  if (index >= cells_.size()) return;
  cells_[index].state = state;
  InvalidateCell(index);
}

void CThumbnailGrid::SetSelection(const std::vector<char>& flags) {
  selection_.SetFlags(flags);
  RepaintChanged();
}

void CThumbnailGrid::SetCellSelected(size_t index, bool selected) {
  selection_.SetSelected(index, selected);
  RepaintChanged();
}

void CThumbnailGrid::Reorder(const std::vector<size_t>& permutation) {
  if (!selection_.Reorder(permutation)) return;
  std::vector<GridCell> moved;
  moved.reserve(cells_.size());
  for (size_t old : permutation) moved.push_back(std::move(cells_[old]));
  cells_ = std::move(moved);
  indexOfId_.clear();
  LayOut();
}

void CThumbnailGrid::ScrollToBottom() {
  if (layout_.scrollable) ScrollTo(layout_.scrollMax);
}

std::shared_ptr<const PixelImage> CThumbnailGrid::GetCellBitmap(size_t index) const {
  if (index >= cells_.size() || host_ == nullptr) return nullptr;
  return host_->CellPixels(cells_[index].id);
}

// Every layout shows the top again, as the rows may have moved under the view.
void CThumbnailGrid::LayOut() {
  if (layingOut_ || hwnd() == nullptr) return;
  layingOut_ = true;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const bool barShown = (GetWindowLongA(hwnd(), GWL_STYLE) & WS_VSCROLL) != 0;
  const int32_t barWidth = win::Dpi::SystemMetric(SM_CXVSCROLL, scale_);
  const int32_t fullWidth = client.right + (barShown ? barWidth : 0);
  layout_ = LayOutGrid(cells_.size(), CellSizeFor(cellMode_, box_, scale_), fullWidth, client.bottom, barWidth);
  scroll_ = 0;
  SCROLLINFO bar{sizeof bar, SIF_RANGE | SIF_POS | SIF_PAGE, 0, layout_.scrollable ? layout_.scrollMax : 0, 0, 0, 0};
  SetScrollInfo(hwnd(), SB_VERT, &bar, FALSE);
  ShowScrollBar(hwnd(), SB_VERT, layout_.scrollable);
  layingOut_ = false;
  InvalidateRect(hwnd(), nullptr, FALSE);
  TellCellsInView();
}

void CThumbnailGrid::OnSize(int, int) { LayOut(); }

GridLayout::Span CThumbnailGrid::CellsInView() const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  return layout_.CellsInRows(cells_.size(), scroll_, client.bottom);
}

void CThumbnailGrid::TellCellsInView() {
  const GridLayout::Span span = CellsInView();
  if (host_ != nullptr && span.first < span.last) host_->OnCellsInView(span.first, span.last);
}

void CThumbnailGrid::ScrollTo(int32_t position) {
  position = std::clamp(position, 0, layout_.scrollMax);
  const int32_t by = scroll_ - position;
  scroll_ = position;
  SCROLLINFO bar{sizeof bar, SIF_POS, 0, 0, 0, position, 0};
  SetScrollInfo(hwnd(), SB_VERT, &bar, TRUE);
  if (by == 0) return;
  ScrollWindowEx(hwnd(), 0, by, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
  UpdateWindow(hwnd());
  TellCellsInView();
}

bool CThumbnailGrid::OnScroll(int bar, int code, int) {
  if (bar != SB_VERT) return false;
  const std::optional<ScrollRequest> request = ScrollRequestOf(code);
  if (!request) return true;
  // The track position of the message has 16 bits; the bar keeps all 32.
  SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd(), SB_VERT, &info);
  ScrollTo(ScrollTarget(*request, scroll_, info.nTrackPos, layout_.scrollMax, ScrollSteps::For(scale_)));
  return true;
}

RECT CThumbnailGrid::CellClientRect(size_t index) const {
  const GridPoint at = layout_.CellOrigin(index);
  return RECT{at.x, at.y - scroll_, at.x + layout_.cell.width, at.y - scroll_ + layout_.cell.height};
}

// A cell out of view costs no call: most thumbnails of a fill arrive there.
void CThumbnailGrid::InvalidateCell(size_t index) {
  const RECT rect = CellClientRect(index);
  RECT client{}, shown{};
  GetClientRect(hwnd(), &client);
  if (IntersectRect(&shown, &rect, &client)) InvalidateRect(hwnd(), &rect, FALSE);
}

// The selection is repainted at once, as the user expects to see a click.
void CThumbnailGrid::RepaintChanged() {
  ShowFocusMove();
  const std::vector<size_t> changed = selection_.TakeChanged();
  if (changed.empty()) return;
  for (size_t index : changed) InvalidateCell(index);
  UpdateWindow(hwnd());
  RaiseSelectionEvents(changed);
  if (host_ != nullptr) host_->OnSelectionChanged(changed);
}

// Only the parts that need it: cells that got their thumbnails one by one
// while others stayed would otherwise repaint their whole bounding box.
bool CThumbnailGrid::OnPaint() {
  const std::vector<RECT> parts = win::UpdateRects(hwnd(), kMostPaintParts);
  win::PaintDC paint(hwnd());
  if (parts.empty()) {
    PaintPart(paint.get(), paint.dirty());
  } else {
    for (const RECT& part : parts) PaintPart(paint.get(), part);
  }
  if (!paintTraced_ && !cells_.empty()) TraceFirstPaint();
  return true;
}

void CThumbnailGrid::TraceFirstPaint() {
  paintTraced_ = true;
  const GridLayout::Span view = CellsInView();
  size_t ready = 0;
  for (size_t i = view.first; i < view.last; ++i) ready += cells_[i].state != ThumbState::kWaiting ? 1 : 0;
  win::TraceStep("grid: first paint, " + std::to_string(ready) + " of " + std::to_string(view.last - view.first) +
                 " cells in view done");
}

// Painted off screen and copied in one step, so that cells do not flicker.
void CThumbnailGrid::PaintPart(HDC dc, const RECT& part) const {
  const int width = part.right - part.left, height = part.bottom - part.top;
  if (width <= 0 || height <= 0) return;
  win::MemoryDC memory(dc);
  win::UniqueBitmap canvas(CreateCompatibleBitmap(dc, width, height));
  if (memory.get() == nullptr || !canvas) {
    PaintCells(dc, part);
    return;
  }
  win::SelectedObject selected(memory.get(), canvas.get());
  SetViewportOrgEx(memory.get(), -part.left, -part.top, nullptr);
  PaintCells(memory.get(), part);
  SetViewportOrgEx(memory.get(), 0, 0, nullptr);
  BitBlt(dc, part.left, part.top, width, height, memory.get(), 0, 0, SRCCOPY);
}

// White where there is no cell (right of and below the cells, the rest of
// the last row), then the cells that cross the dirty rectangle.
void CThumbnailGrid::PaintCells(HDC dc, const RECT& dirty) const {
  FillWhite(dc, dirty);
  if (cells_.empty()) return;
  const CellPainter painter(captions_, GetAppFont(), scale_);
  const GridLayout::Span span = layout_.CellsInRows(cells_.size(), dirty.top + scroll_, dirty.bottom - dirty.top);
  for (size_t i = span.first; i < span.last; ++i) {
    const GridPoint at = layout_.CellOrigin(i);
    if (at.x >= dirty.right || at.x + layout_.cell.width <= dirty.left) continue;
    const GridCell& cell = cells_[i];
    std::shared_ptr<const PixelImage> pixels;
    if (cell.state == ThumbState::kReady && host_ != nullptr) pixels = host_->CellPixels(cell.id);
    painter.Paint(dc, POINT{at.x, at.y - scroll_}, cellMode_, box_, cell, pixels.get(), selection_.IsSelected(i));
  }
  if (showsFocus() && selection_.focus() < cells_.size()) {
    // Inside the red selection frame, so that both show.
    RECT focus = CellClientRect(selection_.focus());
    InflateRect(&focus, -scale_.Px(kFocusInset), -scale_.Px(kFocusInset));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, kWhite);
    DrawFocusRect(dc, &focus);
  }
}

int CThumbnailGrid::HitTest(POINT client) const {
  return layout_.HitCell(cells_.size(), {client.x, client.y + scroll_});
}

void CThumbnailGrid::Notify(const GridNotice& notice) {
  GridNotify record{{hwnd(), static_cast<UINT_PTR>(id_), static_cast<UINT>(notice.code)}, notice.value};
  SendMessageA(GetParent(hwnd()), WM_NOTIFY, static_cast<WPARAM>(id_), reinterpret_cast<LPARAM>(&record));
}

bool CThumbnailGrid::OnMouse(UINT message, POINT client, UINT keys) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      SetFocus(hwnd());
      if ((keys & MK_LBUTTON) == 0) return true;
      const std::optional<GridNotice> notice = selection_.PressLeft(
          HitTest(client), (keys & MK_SHIFT) != 0, (keys & MK_CONTROL) != 0, {client.x, client.y});
      if (GetCapture() != hwnd()) SetCapture(hwnd());
      RepaintChanged();
      Notify(notice);
      return true;
    }
    case WM_MOUSEMOVE: Notify(selection_.Move({client.x, client.y})); return true;
    case WM_LBUTTONUP: {
      const std::optional<GridNotice> notice = selection_.ReleaseLeft();
      if (GetCapture() == hwnd()) ReleaseCapture();
      RepaintChanged();
      Notify(notice);
      return true;
    }
    case WM_LBUTTONDBLCLK: Notify(selection_.DoubleClick()); return true;
    case WM_RBUTTONDOWN: {
      SetFocus(hwnd());
      if ((keys & MK_RBUTTON) == 0) return true;
      const std::optional<GridNotice> notice = selection_.PressRight(HitTest(client));
      RepaintChanged();
      Notify(notice);
      POINT screen = client;
      ClientToScreen(hwnd(), &screen);
      Notify(GridNotice{GridNoticeCode::kContextMenu, PackScreenPoint({screen.x, screen.y})});
      return true;
    }
    default: return false;
  }
}

LRESULT CThumbnailGrid::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; OnKeyMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_GETOBJECT: return accessible_.Answer(hwnd(), *this, wParam, lParam);
    case WM_ERASEBKGND: return 1;  // OnPaint covers everything
    case WM_MOUSEWHEEL: {
      // About a third of a row per notch, so that a few notches move a row.
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      ScrollTo(scroll_ - notches * std::max(ScrollSteps::For(scale_).line, layout_.cell.height / 3));
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd()) selection_.CancelPress();
      return 0;
    case WM_ZV_THUMBS_READY: TakeThumbnails(); return 0;
    default: return Window::OnMessage(message, wParam, lParam);
  }
}

// The host takes a slice of the results; for the rest the grid comes back
// by a message of its own. A posted message is taken before input and
// paint, so while those wait it comes back by a timer, which waits for them.
void CThumbnailGrid::TakeThumbnails() {
  if (host_ == nullptr || !host_->OnThumbnailsReady()) return;
  if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT)) != 0)
    StartTimer(IDT_TAKE_THUMBNAILS, USER_TIMER_MINIMUM);
  else
    PostMessageA(hwnd(), WM_ZV_THUMBS_READY, 0, 0);
}

void CThumbnailGrid::OnTimer(UINT_PTR id) {
  if (id != IDT_TAKE_THUMBNAILS) return;
  StopTimer(id);
  TakeThumbnails();
}

}  // namespace zv
