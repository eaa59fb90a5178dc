#pragma once
// A presenter of the file list: a child window of the file list view that
// shows the model's records (the list control now; the thumbnail grid and
// the picture view next). The view tells it what changed in the model; it
// tells the view what the user did through PresenterEvents. While it is the
// visible presenter, commands reach it before the view (win::CommandTarget).
#include <windows.h>

#include <vector>

#include "core/browser/file_list_items.h"
#include "win/command.h"

namespace zv {

class PresenterEvents {
 public:
  // The user moved the current record (and the selection with it); the
  // status text follows after a pause (arrow keys through the list).
  virtual void OnCurrentChanged(int index) = 0;
  // The same, with the status text updated at once (a click in the grid).
  virtual void OnCurrentChangedNow(int index) = 0;
  // Record `index` (-1: every record) was selected or deselected in the window.
  virtual void OnSelect(int index, bool selected) = 0;
  virtual void OnOpenCurrent() = 0;
  virtual void OnContextMenu(POINT screen) = 0;
  // A click on the header of column `column`.
  virtual void OnSortColumn(int column) = 0;
  // The user started dragging the selected records out of the window.
  virtual void OnBeginDrag() = 0;
  // Thumbnails being made: `made` of `total` are done.
  virtual void OnThumbnailProgress(size_t made, size_t total) = 0;

 protected:
  ~PresenterEvents() = default;
};

class FileListPresenter : public win::CommandTarget {
 public:
  HWND window() const { return window_; }
  void Show(bool shown) {
    if (window_ != nullptr) ShowWindow(window_, shown ? SW_SHOW : SW_HIDE);
  }

  // Everything again from the model.
  virtual void Rebuild() = 0;
  // The model was sorted: `permutation` gives the old index of every new position.
  virtual void Reorder(const std::vector<size_t>& permutation) = 0;
  virtual void Removed(size_t index) = 0;
  // Record `index` now describes another file (renamed or rewritten).
  virtual void Replaced(size_t index) = 0;
  // Records first..size-1 were appended.
  virtual void Appended(size_t first) = 0;
  // The model's selection and current record changed; show them.
  virtual void ShowSelection() = 0;
  // A notification of the presenter's window (it is a child of the view).
  virtual bool OnNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }

  // No commands of its own unless it says so.
  bool ExecuteCommand(int) override { return false; }
  bool UpdateCommand(win::CommandUpdate&) override { return false; }

 protected:
  FileListPresenter(const FileListItems& items, PresenterEvents& events) : items_(items), events_(events) {}
  ~FileListPresenter() override = default;

  const FileListItems& items_;
  PresenterEvents& events_;
  HWND window_ = nullptr;
};

}  // namespace zv
