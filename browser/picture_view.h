#pragma once
// The picture view (1003): one picture, large, in the file list view's area.
// It fits the picture into the window, shows it at real size or zooms it by
// powers of two, centres a smaller picture and scrolls a larger one with its
// bars or by dragging. The picture is shown by a disabled static child (2000)
// holding the display bitmap; scrolling only moves that child.
//
// The decoded 32-bit pixels of the current picture are kept (whole, or a
// reduced copy of a very large picture, see picture_source.h): turning,
// mirroring, zooming and refitting work on them and never read the file
// again, except for a zoom past the reduced copy. The rules (sizes, zoom
// steps, placement) are core/browser/picture_layout.h.
#include <windows.h>

#include <string>

#include "browser/picture_source.h"
#include "core/browser/picture_layout.h"
#include "core/imagelib/pixels.h"
#include "win/accessible.h"
#include "win/handles.h"
#include "win/window.h"

namespace zv {

// The status bar's words for a problem (String.ini, "PictureView").
std::string PictureProblemText(PictureProblem problem);

// A screen reader hears the shown file's name and the zoom as the view's
// value (picture_view_access.cpp).
class CPictureView : public win::Window, private win::AccessibleSource {
 public:
  // Destroyed here, while OnDestroy can still let go of the display bitmap.
  ~CPictureView() override { Destroy(); }
  bool CreateView(HWND parent, int id, bool visible);
  void Show(bool shown) {
    if (hwnd() != nullptr) ShowWindow(hwnd(), shown ? SW_SHOW : SW_HIDE);
  }

  // Decodes `path` and shows it in `orientation` (0-7), fitted into the
  // window. False, with the view left empty, when the picture cannot be
  // decoded; a null path empties the view.
  bool ShowPicture(const char* path, int orientation);
  // The same with pixels decoded before (read ahead): the file is not read.
  bool ShowKept(KeptPicture picture, int orientation);
  // Hands over the kept pixels and empties the view.
  KeptPicture TakePicture();
  // Shows the kept picture in another orientation, fitted into the window
  // (as ShowPicture does). False, with the picture left as it was, when that
  // cannot be made.
  bool Reorient(int orientation);
  // 0 fit in window, 1 real size, 2 zoom in, 3 zoom out; any other code does
  // nothing. A zoom that cannot be made (too large for memory) leaves the
  // picture as it was and sets problem().
  void ZoomCommand(int code);
  int GetOrientation() const { return orientation_; }
  // The screen's scale: the scroll steps and bars follow it. The picture
  // itself is not scaled: real size is one picture pixel per screen pixel.
  void SetScale(DisplayScale scale);
  DisplayScale scale() const { return scale_; }
  // Why the last picture or zoom could not be shown; kNone when it was.
  PictureProblem problem() const { return problem_; }

  bool shown() const { return shown_; }
  const std::string& path() const { return picture_.path; }
  ZoomMode zoomMode() const { return zoom_.mode; }
  double zoomFactor() const { return zoom_.factor; }
  GridSize displayedSize() const { return displayed_; }
  GridPoint imagePosition() const { return position_; }
  HWND imageChild() const { return image_; }
  // How many times a file was decoded (each ShowPicture once, and each zoom
  // past a reduced copy).
  int decodeCount() const { return decodes_; }
  const KeptPicture& kept() const { return picture_; }

 protected:
  void OnSize(int width, int height) override;
  bool OnPaint() override;
  bool OnMouse(UINT message, POINT client, UINT keys) override;
  bool OnScroll(int bar, int code, int position) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDestroy() override;

 private:
  // Makes the display bitmap at the current zoom and, only when that
  // worked, replaces the shown one and lays it out centred.
  bool Render();
  // The unturned pixels to resample for a display of `unturned` size.
  const PixelImage* SourceFor(GridSize unturned);
  void Clear();
  void LayOut(bool keep);
  void MoveImage();
  void SetBarPositions();
  void DragTo(POINT client);
  void OnWheel(int delta);
  void ScrollTo(bool horizontal, int32_t target);
  void EndDrag();
  GridSize FullClient() const;
  GridSize BarSize() const;
  GridSize Client() const;
  // picture_view_access.cpp: Escape and Backspace go back to the list.
  bool OnKey(WPARAM key);
  void AnnouncePicture();
  long AccessibleRole() override;
  std::wstring AccessibleName() override;
  std::wstring AccessibleValue() override;

  HWND image_ = nullptr;
  bool created_ = false;
  KeptPicture picture_;
  // A picture kept reduced, decoded again at the size of a zoom past that
  // copy; held while that zoom is shown.
  PixelImage detail_;
  PictureProblem problem_ = PictureProblem::kNone;
  int orientation_ = 0;
  ZoomState zoom_;
  GridSize source_;     // after orientation
  GridSize displayed_;
  GridPoint position_;  // the picture's top left in client coordinates
  PictureBars bars_;
  DisplayScale scale_;
  win::UniqueBitmap bitmap_;
  bool shown_ = false;
  bool dragging_ = false;
  POINT last_{};
  int decodes_ = 0;
  win::AccessibleLink accessible_;
};

}  // namespace zv
