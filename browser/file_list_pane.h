#pragma once
// The file list as the main frame sees it (pane 0), and what the file list
// needs from the frame (its host, handed over at creation).
#include <windows.h>

#include <ole2.h>

#include <string>

#include "core/display/display_scale.h"
#include "win/command.h"
#include "win/window.h"

namespace zv {

class FileListHost {
 public:
  virtual void ShowStatusText(const std::string& text) = 0;
  virtual void ShowContextMenu(POINT screen) = 0;
  // The picture the preview pane shows: the current record's full path, or
  // empty for none.
  virtual void ShowPreview(const std::string& path) = 0;
  // The folder tree reads its folders again and selects the folder it had;
  // the file list then lists that folder afresh.
  virtual void RefreshFolders() = 0;
  // The folder tree makes the folder `name` below its selected folder (with
  // its own checks and messages) and selects it; true when it was made.
  virtual bool NewFolderInTree(const std::string& name) = 0;

 protected:
  ~FileListHost() = default;
};

// Commands reach the file list before the frame (see CMainFrame).
class CFileListPane : public win::Window, public win::CommandTarget {
 public:
  virtual bool CreatePane(HWND parent, int childId, FileListHost& host) = 0;
  // Lists `folder`; null clears the view (the folder tree selected a folder
  // without a file-system path).
  virtual void SetFolder(const char* folder) = 0;
  // The window that files are dropped on: the list control in list mode,
  // otherwise the thumbnail grid.
  virtual HWND DropWindow() const = 0;
  // The folder the view shows; empty when it shows none.
  virtual std::string CurrentFolder() const = 0;
  // Copies (DROPEFFECT_COPY) or moves (DROPEFFECT_MOVE) the dropped files
  // into `folder`: S_OK when done, S_FALSE when nothing (or not all of a
  // move) was done.
  virtual HRESULT DropFiles(IDataObject* data, DWORD effect, const std::string& folder) = 0;
  // Whether `data` is the file list of a drag out of this view that is running.
  virtual bool IsOwnDrag(IDataObject* data) const = 0;
  // A scanned image delivered by the scanner connection, to be stored as a new file.
  virtual void StoreScannedImage(void* image) = 0;
  // The frame moved to a screen of another DPI (its children have the new
  // application font already): the views lay out again for it.
  virtual void SetDisplayScale(DisplayScale /*scale*/) {}
};

}  // namespace zv
