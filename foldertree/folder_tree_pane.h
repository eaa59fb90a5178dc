#pragma once
// The folder tree bar as the main frame sees it (pane 1), and what the bar
// needs from the frame (its host, handed over at creation).
#include <windows.h>

#include <string>

#include "win/sizing_bar.h"

namespace zv {

class FolderTreeHost {
 public:
  // The user (or SelectPath) selected a folder; null for a folder without a
  // file-system path (My Computer, Control Panel).
  virtual void OnFolderSelected(const char* path) = 0;

 protected:
  ~FolderTreeHost() = default;
};

class CFolderTreePane : public win::SizingBar {
 public:
  bool CreatePane(HWND parent, int barId, const std::string& title, HFONT font, FolderTreeHost& host) {
    host_ = &host;
    return CreateBar(parent, barId, title, font);
  }
  virtual HWND GetTreeCtrl() const = 0;
  // Drag feedback over the tree: true and the folder under `screen`, or false (refused).
  virtual bool DragOver(POINT screen, std::string& folder) = 0;
  // Ends the tree's drag feedback.
  virtual void DragLeave() = 0;
  virtual void SelectPath(const std::string& folder) = 0;
  // Reads the folders again and selects the selected folder anew.
  virtual void Refresh() = 0;
  // Makes a folder `name` below the selected folder (the tree's checks and
  // messages) and selects it; true when it was made.
  virtual bool NewFolder(const std::string& name) = 0;

 protected:
  FolderTreeHost* host() const { return host_; }

 private:
  FolderTreeHost* host_ = nullptr;
};

}  // namespace zv
