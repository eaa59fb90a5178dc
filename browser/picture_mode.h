#pragma once
// The file list's picture mode: one record shown in the picture view
// instead of the list or the grid, its neighbours read ahead, and the
// commands that move through the folder, zoom, turn and mirror there. While
// a picture is shown, commands reach this target after the visible
// presenter and before the file list view's own.
#include <windows.h>

#include <string>

#include "browser/picture_read_ahead.h"
#include "browser/picture_view.h"
#include "core/browser/file_list_items.h"
#include "win/command.h"

namespace zv {

// What the picture mode needs from the file list view.
class PictureModeHost {
 public:
  // The list or the grid (whichever the view mode shows) appears or goes.
  virtual void ShowListWindow(bool shown) = 0;
  // The model's selection changed: the list or the grid shows it.
  virtual void ShowModelSelection() = 0;
  virtual void UpdateStatus() = 0;

 protected:
  ~PictureModeHost() = default;
};

class PictureMode : public win::CommandTarget {
 public:
  PictureMode(FileListItems& items, PictureModeHost& host) : items_(items), host_(host) {}

  bool Create(HWND parent);
  HWND window() const { return view_.hwnd(); }
  bool shown() const { return shown_; }
  const CPictureView& view() const { return view_; }
  CPictureView& view() { return view_; }
  PictureReadAhead& readAhead() { return readAhead_; }

  // The current record becomes the only selected one and fills the view.
  void OpenCurrent();
  // Back to the list or the grid; also before a folder is listed. What was
  // read ahead is dropped and no decode holds a file open any more.
  void ReturnToList();
  // Record `index` is shown (again: its file changed).
  void Show(int index);
  // Before a file command changes the folder's files: no read-ahead decode
  // holds one open.
  void StopReadingAhead() { readAhead_.CancelAndWait(); }
  // The orientation (0-7) the view shows `path` in; 0 when it does not show it.
  int OrientationOf(const std::string& path) const;
  // Why the shown picture could not be shown; kNone when it is, or none is.
  PictureProblem problem() const { return shown_ ? view_.problem() : PictureProblem::kNone; }

  bool ExecuteCommand(int id) override;
  bool UpdateCommand(win::CommandUpdate& update) override;

  // Handlers (the command map is in picture_mode.cpp).
  void OnShowPicture(int id);
  void OnReturnToList(int id);
  void OnPrevNextPicture(int id);
  void OnZoom(int id);
  void OnTurnOrMirror(int id);
  void OnUpdateShowPicture(win::CommandUpdate& update);
  void OnUpdatePictureCommands(win::CommandUpdate& update);

 private:
  FileListItems& items_;
  PictureModeHost& host_;
  CPictureView view_;
  PictureReadAhead readAhead_;
  bool shown_ = false;
};

}  // namespace zv
