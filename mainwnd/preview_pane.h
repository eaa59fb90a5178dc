#pragma once
// The preview bar (pane 2): below its caption a plain window (id 2000) that
// shows the file list's current picture scaled down to fit, never enlarged,
// centred on the button-face colour. The frame passes it the path the file
// list tells it; an empty path, a file that cannot be read or one another
// program holds open without letting others read it shows the colour alone.
#include <windows.h>

#include <string>

#include "core/imagelib/pixels.h"
#include "win/sizing_bar.h"
#include "win/window.h"

namespace zv {

class CPreviewWnd : public win::Window {
 public:
  bool CreateWnd(HWND parent, int id);
  // Stores and renders `path` (empty: nothing), then paints at once.
  void SetPreview(const std::string& path);
  const std::string& path() const { return path_; }
  // Where the picture is drawn, in client coordinates; empty when nothing shows.
  RECT PictureRect() const;

 protected:
  void OnSize(int width, int height) override;
  bool OnPaint() override;

 private:
  // Decodes the stored path at its size for the client area; false leaves nothing to show.
  bool Render();

  bool shown_ = false;
  std::string path_;
  // Only the fitted pixels are kept: a paint copies them, a resize decodes again.
  PixelImage picture_;
};

class CPreviewBar : public win::SizingBar {
 public:
  void SetPreview(const std::string& path) { window_.SetPreview(path); }
  CPreviewWnd& window() { return window_; }

 protected:
  bool CreateContent() override;
  void LayoutContent(const RECT& content) override;

 private:
  CPreviewWnd window_;
};

}  // namespace zv
