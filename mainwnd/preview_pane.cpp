#include "mainwnd/preview_pane.h"

#include <optional>
#include <utility>

#include "browser/image_probe.h"
#include "browser/thumb_cell.h"
#include "fileops/file_checks.h"
#include "imagelib/thumbnail.h"
#include "res/resource.h"
#include "win/gdi.h"

namespace zv {

namespace {
constexpr char kPreviewClass[] = "ZVPreview";

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}
}  // namespace

bool CPreviewWnd::CreateWnd(HWND parent, int id) {
  if (!RegisterClass(kPreviewClass, nullptr, nullptr, 0)) return false;
  return Create({.className = kPreviewClass,
                 .style = WS_CHILD | WS_VISIBLE,
                 .exStyle = WS_EX_CLIENTEDGE,
                 .rect = {0, 0, 0, 0},
                 .parent = parent,
                 .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))});
}

void CPreviewWnd::SetPreview(const std::string& path) {
  path_ = path;
  shown_ = !path_.empty() && Render();
  if (!shown_) picture_ = {};
  InvalidateRect(hwnd(), nullptr, FALSE);
  UpdateWindow(hwnd());
}

bool CPreviewWnd::Render() {
  // Our own thumbnail threads read with sharing, so the file is opened the
  // same way: only a program that keeps others from reading it keeps it out.
  FileSizeAndTime unused;
  if (!GetSharedFileSizeAndTime(path_, unused)) return false;
  const ImageProbe probe;
  ImageInfo info;
  if (probe.GetImageInfo(path_.c_str(), &info) == 0 || info.width <= 0 || info.height <= 0) return false;
  const SIZE client = ClientSize(hwnd());
  // A bar shrunk to nothing shows nothing; the next resize renders again.
  if (client.cx <= 0 || client.cy <= 0) return false;
  // A picture that fits is asked for at its own size (never enlarged); a
  // larger one at the client area, which it then fills on one side.
  const bool fits = info.width <= client.cx && info.height <= client.cy;
  std::optional<imagelib::Thumbnail> made =
      imagelib::MakeThumbnail(path_.c_str(), probe.GetImageType(path_.c_str()), fits ? info.width : client.cx,
                              fits ? info.height : client.cy);
  if (!made || made->pixels.width <= 0 || made->pixels.height <= 0) return false;
  picture_ = std::move(made->pixels);
  return true;
}

RECT CPreviewWnd::PictureRect() const {
  if (!shown_) return {};
  const SIZE client = ClientSize(hwnd());
  const LONG left = (client.cx - picture_.width) / 2;
  const LONG top = (client.cy - picture_.height) / 2;
  return {left, top, left + picture_.width, top + picture_.height};
}

void CPreviewWnd::OnSize(int, int) {
  if (path_.empty()) return;
  shown_ = Render();
  if (!shown_) picture_ = {};
  InvalidateRect(hwnd(), nullptr, FALSE);
}

bool CPreviewWnd::OnPaint() {
  win::PaintDC dc(hwnd());
  RECT client{};
  GetClientRect(hwnd(), &client);
  const RECT picture = PictureRect();
  // The background around the picture only, so that it does not flicker.
  const int saved = SaveDC(dc.get());
  if (shown_) ExcludeClipRect(dc.get(), picture.left, picture.top, picture.right, picture.bottom);
  FillRect(dc.get(), &client, GetSysColorBrush(COLOR_BTNFACE));
  RestoreDC(dc.get(), saved);
  if (shown_) DrawPixels(dc.get(), picture.left, picture.top, picture_);
  return true;
}

bool CPreviewBar::CreateContent() {
  if (!window_.CreateWnd(hwnd(), IDW_PREVIEW)) return false;
  // The pane carries the bar's title as its text, so a screen reader names it.
  SetWindowTextA(window_.hwnd(), title().c_str());
  return true;
}

void CPreviewBar::LayoutContent(const RECT& c) {
  MoveWindow(window_.hwnd(), c.left, c.top, c.right - c.left, c.bottom - c.top, TRUE);
}

}  // namespace zv
