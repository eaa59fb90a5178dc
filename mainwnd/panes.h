#pragma once
// The three panes of the main frame, as the frame sees them. Pane 0 is the
// file list view in the client area; panes 1 and 2 are the sizing bars docked
// at the left: the folder tree bar and the preview bar. The subsystems that
// own them derive from these classes.
#include <windows.h>

#include <ole2.h>

#include <string>

#include "win/command.h"
#include "win/window.h"

namespace zv {

// Pane 0. Commands reach it before the frame (see CMainFrame).
class CFileListPane : public win::Window, public win::CommandTarget {
 public:
  virtual bool CreatePane(HWND parent, int childId) = 0;
  // Lists `folder`; null clears the view (the folder tree selected a folder
  // without a file-system path).
  virtual void SetFolder(const char* folder) = 0;
  // The window that files are dropped on: the list control in list mode,
  // otherwise the thumbnail grid.
  virtual HWND DropWindow() const = 0;
  // The folder the view shows; empty when it shows none.
  virtual std::string CurrentFolder() const = 0;
  // Copies (DROPEFFECT_COPY) or moves (DROPEFFECT_MOVE) the dropped files into `folder`.
  virtual HRESULT DropFiles(IDataObject* data, DWORD effect, const std::string& folder) = 0;
  // A scanned image delivered by the scanner connection, to be stored as a new file.
  virtual void StoreScannedImage(void* image) = 0;
};

// A bar docked at the left of the frame: a caption strip with gripper and
// title over its content. Our stand-in for a toolkit sizing control bar.
class CSizingBar : public win::Window {
 public:
  bool CreateBar(HWND parent, int barId, const std::string& title, HFONT font);
  const std::string& title() const { return title_; }
  static int CaptionHeight();
  // The area below the caption, in the bar's client coordinates.
  RECT ContentRect() const;

 protected:
  // Creates the bar's content as a child of the bar (called once by CreateBar).
  virtual bool CreateContent() { return true; }
  // Gives the content the area below the caption.
  virtual void LayoutContent(const RECT& /*content*/) {}
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();
  std::string title_;
  HFONT font_ = nullptr;
};

// Pane 1.
class CFolderTreePane : public CSizingBar {
 public:
  virtual HWND GetTreeCtrl() const = 0;
  // Drag feedback over the tree: true and the folder under `screen`, or false (refused).
  virtual bool DragOver(POINT screen, std::string& folder) = 0;
  // Ends the tree's drag feedback.
  virtual void DragLeave() = 0;
  virtual void SelectPath(const std::string& folder) = 0;
  virtual void Refresh() = 0;
};

}  // namespace zv
