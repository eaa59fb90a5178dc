#pragma once
// The picture view (1003): one picture, large, in the file list view's area.
// It fits the picture into the window, shows it at real size or zooms it by
// powers of two, centres a smaller picture and scrolls a larger one with its
// bars or by dragging. The picture is shown by a disabled static child (2000)
// holding the display bitmap; scrolling only moves that child.
//
// The decoded 32-bit pixels of the current picture are kept: turning,
// mirroring, zooming and refitting work on them and never read the file
// again. The rules (sizes, zoom steps, placement) are core/browser/picture_layout.h.
#include <windows.h>

#include <string>

#include "core/browser/picture_layout.h"
#include "core/imagelib/pixels.h"
#include "win/handles.h"
#include "win/window.h"

namespace zv {

class CPictureView : public win::Window {
 public:
  bool CreateView(HWND parent, int id, bool visible);
  void Show(bool shown) {
    if (hwnd() != nullptr) ShowWindow(hwnd(), shown ? SW_SHOW : SW_HIDE);
  }

  // Decodes `path` and shows it in `orientation` (0-7), fitted into the
  // window. False, with the view left empty, when the picture cannot be
  // decoded; a null path empties the view.
  bool ShowPicture(const char* path, int orientation);
  // Shows the kept picture in another orientation, in the current zoom mode.
  bool Reorient(int orientation);
  // 0 fit in window, 1 real size, 2 zoom in, 3 zoom out; any other code does nothing.
  void ZoomCommand(int code);
  int GetOrientation() const { return orientation_; }

  bool shown() const { return shown_; }
  const std::string& path() const { return path_; }
  ZoomMode zoomMode() const { return zoom_.mode; }
  double zoomFactor() const { return zoom_.factor; }
  GridSize displayedSize() const { return displayed_; }
  GridPoint imagePosition() const { return position_; }
  HWND imageChild() const { return image_; }
  // How many times a file was decoded (each ShowPicture once).
  int decodeCount() const { return decodes_; }

 protected:
  void OnSize(int width, int height) override;
  bool OnPaint() override;
  bool OnMouse(UINT message, POINT client, UINT keys) override;
  bool OnScroll(int bar, int code, int position) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDestroy() override;

 private:
  // Makes the display bitmap at the current zoom and lays it out centred.
  bool Render();
  void Clear();
  void LayOut(bool keep);
  void MoveImage();
  void SetBarPositions();
  void DragTo(POINT client);
  void EndDrag();
  GridSize FullClient() const;
  GridSize Client() const;

  HWND image_ = nullptr;
  bool created_ = false;
  PixelImage pixels_;  // the decoded picture, unturned
  // A copy of a picture above kMaxZoomInPixels at about that many pixels:
  // fitting and zooming out resample it instead of the whole picture.
  PixelImage reduced_;
  std::string path_;
  int orientation_ = 0;
  ZoomState zoom_;
  GridSize source_;     // after orientation
  GridSize displayed_;
  GridPoint position_;  // the picture's top left in client coordinates
  PictureBars bars_;
  win::UniqueBitmap bitmap_;
  bool shown_ = false;
  bool dragging_ = false;
  POINT last_{};
  int decodes_ = 0;
};

}  // namespace zv
