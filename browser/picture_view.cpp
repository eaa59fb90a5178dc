#include "browser/picture_view.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>

#include "app/app_services.h"
#include "app/ui_text_table.h"
#include "core/imagelib/probe_rules.h"
#include "imagelib/picture_ops.h"
#include "browser/scroll_request.h"
#include "res/resource.h"
#include "win/dpi.h"
#include "win/gdi.h"

namespace zv {

namespace {

constexpr char kPictureViewClass[] = "ZVPictureView";

PixelTarget TargetOf(PixelImage* image) {
  return {reinterpret_cast<uint8_t*>(image->pixels.data()), image->width, image->height,
          static_cast<size_t>(image->width) * 4};
}

// The unturned pixels resampled to `unturned`, then turned and mirrored by
// an orientation code: resampling first turns only the small result. Each
// step runs only when it changes something.
bool Prepare(const PixelImage& pixels, int orientation, GridSize unturned, PixelImage* out) {
  PixelImage sized;
  const bool resize = pixels.width != unturned.width || pixels.height != unturned.height;
  const int bands = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  if (resize && (!AllocatePixels(&sized, unturned.width, unturned.height) ||
                 !ResizePixelsFast(ViewOf(pixels), TargetOf(&sized), bands)))
    return false;
  const PixelImage& from = resize ? sized : pixels;
  if (orientation <= 0 || orientation > 7) {
    *out = resize ? std::move(sized) : pixels;
    return true;
  }
  const OrientationSteps steps = StepsForOrientation(orientation);
  PixelImage turned;
  if (!TurnAndMirror(ViewOf(from), steps.angle, steps.mirrorLeftRight, steps.mirrorTopBottom, &turned)) return false;
  if (steps.thenMirrorLeftRight) return TurnAndMirror(ViewOf(turned), 0, true, false, out);
  *out = std::move(turned);
  return true;
}

// A top-down 32-bit DIB section of `size`, and its bits.
win::UniqueBitmap NewDisplayBitmap(GridSize size, uint32_t** bits) {
  const BITMAPINFO info = win::TopDownDib32(size.width, size.height);
  void* memory = nullptr;
  win::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
  if (!bitmap || memory == nullptr) return {};
  *bits = static_cast<uint32_t*>(memory);
  return bitmap;
}

// Puts `bitmap` (null: none) into the static `image`. A static of the common
// controls 6 shows a 32-bit bitmap with any alpha (ours are opaque, alpha
// 0xFF) through a copy of its own, and hands that copy back at the next
// STM_SETIMAGE: it is the caller's to delete, or every picture shown leaks
// one. `shown` is the bitmap given last, which its owner deletes.
void SetStaticBitmap(HWND image, HBITMAP bitmap, HBITMAP shown) {
  const auto previous =
      reinterpret_cast<HBITMAP>(SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  if (previous != nullptr && previous != shown && previous != bitmap) DeleteObject(previous);
}

// Opaque: a static of the common controls 6 would blend a 32-bit bitmap by its alpha.
void MakeOpaque(uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
}

// The display bitmap of the unturned pixels at `unturned` size, turned by
// `orientation`. Unturned, the resampler writes straight into the bitmap.
win::UniqueBitmap MakeDisplay(const PixelImage& pixels, int orientation, GridSize unturned) {
  const bool turned = orientation > 0 && orientation <= 7;
  const bool resize = pixels.width != unturned.width || pixels.height != unturned.height;
  PixelImage prepared;
  if ((turned || !resize) && !Prepare(pixels, orientation, unturned, &prepared)) return {};
  const GridSize size = turned ? GridSize{prepared.width, prepared.height} : unturned;
  uint32_t* bits = nullptr;
  win::UniqueBitmap bitmap = NewDisplayBitmap(size, &bits);
  if (!bitmap) return {};
  const size_t count = static_cast<size_t>(size.width) * static_cast<size_t>(size.height);
  if (prepared.pixels.empty()) {
    // The user waits for this one: every core takes a band of it.
    const int bands = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    const PixelTarget target{reinterpret_cast<uint8_t*>(bits), size.width, size.height, static_cast<size_t>(size.width) * 4};
    if (!ResizePixelsFast(ViewOf(pixels), target, bands)) return {};
  } else {
    std::copy(prepared.pixels.begin(), prepared.pixels.end(), bits);
  }
  MakeOpaque(bits, count);
  return bitmap;
}

}  // namespace

std::string PictureProblemText(PictureProblem problem) {
  CUiTextTable table;
  switch (problem) {
    case PictureProblem::kNone: return {};
    case PictureProblem::kTooLarge:
      return table.GetText("PictureView", "ErrorMsg0002", "画像が大きすぎるため、この大きさでは表示できません。");
    default: return table.GetText("PictureView", "ErrorMsg0001", "画像を読み込めません。壊れているか、対応していない形式です。");
  }
}

bool CPictureView::CreateView(HWND parent, int id, bool visible) {
  if (!RegisterClass(kPictureViewClass, nullptr, nullptr, CS_DBLCLKS)) return false;
  if (!Create({.className = kPictureViewClass,
               .style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL |
                        (visible ? WS_VISIBLE : 0u),
               .rect = {0, 0, 0, 0},
               .parent = parent,
               .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))}))
    return false;
  scale_ = win::Dpi::OfWindow(hwnd());
  return true;
}

// The bars' widths change with the screen: a shown picture is laid out again where it was.
void CPictureView::SetScale(DisplayScale scale) {
  if (scale == scale_) return;
  scale_ = scale;
  if (shown_) {
    LayOut(true);
    MoveImage();
  }
}

bool CPictureView::ShowPicture(const char* path, int orientation) {
  // The old picture goes first: two very large ones need not fit together.
  TakePicture();
  problem_ = PictureProblem::kNone;
  if (path == nullptr) return false;
  ++decodes_;
  DecodeOutcome outcome = DecodeForView(path);
  if (!outcome.picture) {
    picture_.path = path;
    problem_ = outcome.problem;
    return false;
  }
  return ShowKept(std::move(*outcome.picture), orientation);
}

bool CPictureView::ShowKept(KeptPicture picture, int orientation) {
  TakePicture();
  picture_ = std::move(picture);
  orientation_ = orientation;
  zoom_ = {};
  if (Render()) return true;
  Clear();
  return false;
}

KeptPicture CPictureView::TakePicture() {
  Clear();
  detail_ = {};
  KeptPicture taken = std::move(picture_);
  picture_ = {};
  return taken;
}

// Turned, the picture is shown anew, fitted as a picture just opened; the
// kept pixels are turned, the file is not read again.
bool CPictureView::Reorient(int orientation) {
  const int previous = orientation_;
  const ZoomState previousZoom = zoom_;
  orientation_ = orientation;
  zoom_ = {};
  if (Render()) return true;
  orientation_ = previous;
  zoom_ = previousZoom;
  return false;
}

void CPictureView::ZoomCommand(int code) {
  if (code < 0 || code > 3 || !shown_) return;
  const std::optional<ZoomState> next = ApplyZoomCommand(static_cast<enum ZoomCommand>(code), zoom_, displayed_);
  if (!next) return;
  const ZoomState previous = zoom_;
  zoom_ = *next;
  if (!Render()) zoom_ = previous;
}

// Hides the bars and the picture and drops the display bitmap.
void CPictureView::Clear() {
  shown_ = false;
  EndDrag();
  if (hwnd() != nullptr) ShowScrollBar(hwnd(), SB_BOTH, FALSE);
  bars_ = {};
  if (image_ != nullptr) {
    ShowWindow(image_, SW_HIDE);
    SetStaticBitmap(image_, nullptr, bitmap_.get());
  }
  bitmap_.reset();
  if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, TRUE);
}

bool CPictureView::Render() {
  if (picture_.empty() || image_ == nullptr) return false;
  const GridSize source = OrientedSize(picture_.full, orientation_);
  const DisplayedPicture wanted = DisplayedSizeFor(zoom_.mode, source, FullClient(), zoom_.factor);
  if (wanted.size.width <= 0 || wanted.size.height <= 0) return false;
  // Orienting a size twice gives it back: this is the wanted size unturned.
  const GridSize unturned = OrientedSize(wanted.size, orientation_);
  const PixelImage* from = SourceFor(unturned);
  win::UniqueBitmap bitmap;
  if (from == nullptr || !(bitmap = MakeDisplay(*from, orientation_, unturned))) {
    problem_ = PictureProblem::kTooLarge;
    return false;
  }
  // The new picture replaces the old in place: the static lets go of the
  // old bitmap as it takes the new one (ours stays the owner of both).
  EndDrag();
  shown_ = false;
  problem_ = PictureProblem::kNone;
  source_ = source;
  displayed_ = wanted.size;
  zoom_.factor = wanted.factor;
  SetStaticBitmap(image_, bitmap.get(), bitmap_.get());
  bitmap_ = std::move(bitmap);
  LayOut(false);
  MoveImage();
  ShowWindow(image_, SW_SHOW);
  InvalidateRect(hwnd(), nullptr, TRUE);
  AnnouncePicture();
  return true;
}

// The kept pixels wherever they hold at least the pixels shown; past a
// reduced copy, the file decoded again at exactly that size.
const PixelImage* CPictureView::SourceFor(GridSize unturned) {
  if (!picture_.reduced() || (unturned.width <= picture_.pixels.width && unturned.height <= picture_.pixels.height)) {
    detail_ = {};
    return &picture_.pixels;
  }
  if (detail_.width == unturned.width && detail_.height == unturned.height) return &detail_;
  detail_ = {};
  if (!PixelSizeIsAllowed(unturned.width, unturned.height)) return nullptr;
  ++decodes_;
  if (DecodeAtSize(picture_.path, unturned, &detail_)) return &detail_;
  detail_ = {};
  return nullptr;
}

GridSize CPictureView::Client() const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  return {client.right, client.bottom};
}

// The client area as it would be without bars.
GridSize CPictureView::FullClient() const {
  const GridSize client = Client();
  const GridSize bar = BarSize();
  return {client.width + (bars_.vertical ? bar.width : 0), client.height + (bars_.horizontal ? bar.height : 0)};
}

// The width of the vertical and the height of the horizontal scroll bar.
GridSize CPictureView::BarSize() const {
  return {win::Dpi::SystemMetric(SM_CXVSCROLL, scale_), win::Dpi::SystemMetric(SM_CYHSCROLL, scale_)};
}

// Showing or hiding a bar sends WM_SIZE; shown_ stays false meanwhile so
// that it does not lay out again.
void CPictureView::LayOut(bool keep) {
  const PictureBars previous = bars_;
  const GridSize full = FullClient();
  shown_ = false;
  const PicturePlacement placed =
      PlacePicture(displayed_, full, BarSize(), keep ? std::optional<PictureBars>(previous) : std::nullopt);
  bars_ = placed.bars;
  position_ = placed.origin;
  // A bar is shown or hidden only when that changes: each change makes the
  // window frame again, which costs more than the rest of a layout.
  // 32-bit ranges and positions: a zoomed picture can be far wider than 65535 pixels.
  if (bars_.horizontal) {
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_POS, 0, bars_.horizontalMax, 0, bars_.horizontalPos, 0};
    SetScrollInfo(hwnd(), SB_HORZ, &info, previous.horizontal);
  }
  if (bars_.vertical) {
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_POS, 0, bars_.verticalMax, 0, bars_.verticalPos, 0};
    SetScrollInfo(hwnd(), SB_VERT, &info, previous.vertical);
  }
  const bool horizontal = bars_.horizontal != previous.horizontal, vertical = bars_.vertical != previous.vertical;
  if (horizontal && vertical && bars_.horizontal == bars_.vertical) {
    ShowScrollBar(hwnd(), SB_BOTH, bars_.horizontal);
  } else {
    if (horizontal) ShowScrollBar(hwnd(), SB_HORZ, bars_.horizontal);
    if (vertical) ShowScrollBar(hwnd(), SB_VERT, bars_.vertical);
  }
  shown_ = true;
}

void CPictureView::MoveImage() {
  SetWindowPos(image_, nullptr, position_.x, position_.y, displayed_.width, displayed_.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPictureView::SetBarPositions() {
  if (bars_.horizontal) {
    bars_.horizontalPos = -position_.x;
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, bars_.horizontalPos, 0};
    SetScrollInfo(hwnd(), SB_HORZ, &info, TRUE);
  }
  if (bars_.vertical) {
    bars_.verticalPos = -position_.y;
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, bars_.verticalPos, 0};
    SetScrollInfo(hwnd(), SB_VERT, &info, TRUE);
  }
}

void CPictureView::OnSize(int, int) {
  if (!created_) {
    image_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_BITMAP | WS_DISABLED, 0, 0, 0, 0, hwnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDW_PICTURE_IMAGE)),
                             GetModuleHandleA(nullptr), nullptr);
    ShowScrollBar(hwnd(), SB_BOTH, FALSE);
    created_ = image_ != nullptr;
    return;
  }
  if (!shown_) return;
  if (zoom_.mode == ZoomMode::kFit) {
    Render();
    return;
  }
  LayOut(true);
  MoveImage();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

// Only the bands around the picture: the static paints the picture itself.
bool CPictureView::OnPaint() {
  win::PaintDC paint(hwnd());
  const GridSize client = Client();
  const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  if (!shown_) {
    const RECT all{0, 0, client.width, client.height};
    FillRect(paint.get(), &all, face);
    return true;
  }
  const int32_t right = position_.x + displayed_.width, bottom = position_.y + displayed_.height;
  const RECT bands[] = {{0, 0, client.width, position_.y},
                        {0, bottom, client.width, client.height},
                        {0, position_.y, position_.x, bottom},
                        {right, position_.y, client.width, bottom}};
  for (const RECT& band : bands)
    if (band.right > band.left && band.bottom > band.top) FillRect(paint.get(), &band, face);
  return true;
}

bool CPictureView::OnMouse(UINT message, POINT client, UINT keys) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      const bool onPicture = client.x >= position_.x && client.x < position_.x + displayed_.width &&
                             client.y >= position_.y && client.y < position_.y + displayed_.height;
      if (!shown_ || !(bars_.horizontal || bars_.vertical) || !onPicture || (keys & MK_LBUTTON) == 0) return true;
      dragging_ = true;
      last_ = client;
      SetCapture(hwnd());
      SetCursorById(IDC_GRAB);
      return true;
    }
    case WM_MOUSEMOVE:
      if (!dragging_) return false;
      if ((keys & MK_LBUTTON) == 0) {
        EndDrag();
        return true;
      }
      SetCursorById(IDC_GRAB);
      DragTo(client);
      return true;
    case WM_LBUTTONUP:
      if (!dragging_) return false;
      DragTo(client);
      EndDrag();
      return true;
    default: return false;
  }
}

void CPictureView::DragTo(POINT client) {
  const GridSize area = Client();
  if (bars_.horizontal)
    position_.x = ClampPictureCoordinate(position_.x + client.x - last_.x, area.width, displayed_.width);
  if (bars_.vertical)
    position_.y = ClampPictureCoordinate(position_.y + client.y - last_.y, area.height, displayed_.height);
  last_ = client;
  MoveImage();
  SetBarPositions();
}

void CPictureView::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
  SetCursorById(-1);
}

bool CPictureView::OnScroll(int bar, int code, int) {
  const bool horizontal = bar == SB_HORZ;
  if (!shown_ || !(horizontal ? bars_.horizontal : bars_.vertical)) return false;
  const std::optional<ScrollRequest> request = ScrollRequestOf(code);
  if (!request) return false;
  // The message carries 16 bits of the track position; the bar keeps all 32.
  SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd(), bar, &info);
  const int32_t position = horizontal ? bars_.horizontalPos : bars_.verticalPos;
  const int32_t max = horizontal ? bars_.horizontalMax : bars_.verticalMax;
  ScrollTo(horizontal, ScrollTarget(*request, position, info.nTrackPos, max, PictureScrollSteps(scale_)));
  return false;  // the default handling runs after the move
}

// The wheel scrolls the picture up and down, or sideways when it is only
// wider than the window: a notch is a tenth of the window.
void CPictureView::OnWheel(int delta) {
  if (!shown_ || !(bars_.horizontal || bars_.vertical)) return;
  const bool horizontal = !bars_.vertical;
  const GridSize area = Client();
  const int32_t notch = std::max(1, (horizontal ? area.width : area.height) / 10);
  const int32_t position = horizontal ? bars_.horizontalPos : bars_.verticalPos;
  ScrollTo(horizontal, position - delta * notch / WHEEL_DELTA);
}

// Moves the picture so that the bar of that axis stands at `target`.
void CPictureView::ScrollTo(bool horizontal, int32_t target) {
  const GridSize area = Client();
  if (horizontal)
    position_.x = ClampPictureCoordinate(-target, area.width, displayed_.width);
  else
    position_.y = ClampPictureCoordinate(-target, area.height, displayed_.height);
  MoveImage();
  SetBarPositions();
}

LRESULT CPictureView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;  // OnPaint covers every pixel the picture does not
    case WM_MOUSEWHEEL: OnWheel(GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_GETOBJECT: return accessible_.Answer(hwnd(), *this, wParam, lParam);
    case WM_KEYDOWN:
      if (OnKey(wParam)) return 0;
      return Window::OnMessage(message, wParam, lParam);
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd() && dragging_) {
        dragging_ = false;
        SetCursorById(-1);
      }
      return 0;
    default: return Window::OnMessage(message, wParam, lParam);
  }
}

void CPictureView::OnDestroy() {
  accessible_.Disconnect();
  if (image_ != nullptr) SetStaticBitmap(image_, nullptr, bitmap_.get());
  bitmap_.reset();
  image_ = nullptr;
  created_ = false;
  shown_ = false;
}

}  // namespace zv
