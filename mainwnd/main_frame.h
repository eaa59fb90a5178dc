#pragma once
// The main frame of a browser copy: menu bar and context menu, toolbar 128,
// status bar, the file list view in the client area and the folder tree bar
// over the preview bar at the left, splitters between them, the drop target
// and the scanner commands. Every command goes to the file list view first,
// then to the frame.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "core/mainwnd/dock_layout.h"
#include "mainwnd/drop_target.h"
#include "mainwnd/frame_texts.h"
#include "mainwnd/panes.h"
#include "mainwnd/scanner_connection.h"
#include "win/command.h"
#include "win/window.h"

namespace zv {

// Makers of the panes and the scanner connection; the defaults give the
// program's own.
struct FrameParts {
  std::function<std::unique_ptr<CFileListPane>()> fileList;
  std::function<std::unique_ptr<CFolderTreePane>()> folderTree;
  std::function<std::unique_ptr<CSizingBar>()> preview;
  std::function<std::unique_ptr<ScannerConnection>()> scanner;  // may give null: no TWAIN
};
FrameParts DefaultFrameParts();

class CMainFrame : public win::Window, public win::CommandTarget, private DropHost {
 public:
  CMainFrame();
  explicit CMainFrame(FrameParts parts);
  ~CMainFrame() override;

  // Creates the frame window (WS_OVERLAPPEDWINDOW, titled with the program title).
  bool CreateFrame();
  // Sees every message of the loop first; true consumes it.
  bool PreTranslateMessage(MSG& msg);
  // Runs when the message queue has run empty: toolbar buttons follow their update handlers.
  void OnIdle();

  // 0 the file list view, 1 the folder tree bar, 2 the preview bar.
  win::Window* GetPane(int index) const;
  CFileListPane* FileList() const { return fileList_.get(); }
  CFolderTreePane* FolderTreeBar() const { return folderTree_.get(); }
  void SetStatusText(const std::string& text);
  void ShowContextMenu(int screenX, int screenY);

  HWND toolbar() const { return toolbar_; }
  HWND statusBar() const { return statusBar_; }
  HMENU contextMenu() const { return contextMenu_; }
  const FrameTextSet& texts() const { return texts_; }
  IDropTarget* dropTarget() { return &dropTarget_; }
  bool scanning() const { return scanning_; }

  // Routing: pane 0 first, then the frame's own command map.
  bool ExecuteCommand(int id) override;
  bool UpdateCommand(win::CommandUpdate& update) override;

  // The frame's own commands (command map in main_frame.cpp).
  void OnToggleBar(int id);
  void OnUpdateToggleBar(win::CommandUpdate& update);
  void OnAppExit(int id);
  void OnTwainSelect(int id);
  void OnTwainInput(int id);
  void OnUpdateTwain(win::CommandUpdate& update);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnCreate() override;
  void OnDestroy() override;

 private:
  bool CreateBars();
  void RecalcLayout();
  LRESULT OnNotify(NMHDR* header);
  bool OnSetCursor();
  void LoadLayout();
  void SaveLayout() const;
  bool& Shown(int barId);

  // DropHost
  bool DropFolderAt(POINT screen, std::string& folder) override;
  HRESULT PerformDrop(IDataObject* data, DWORD effect, const std::string& folder) override;
  void EndDragFeedback() override;

  FrameParts parts_;
  HWND statusBar_ = nullptr;
  HWND toolbar_ = nullptr;
  std::unique_ptr<CFileListPane> fileList_;
  std::unique_ptr<CFolderTreePane> folderTree_;
  std::unique_ptr<CSizingBar> preview_;
  HMENU contextMenu_ = nullptr;
  CFrameDropTarget dropTarget_{*this};
  bool dropRegistered_ = false;
  std::unique_ptr<ScannerConnection> scanner_;
  bool scanning_ = false;
  FrameTextSet texts_;
  HACCEL accelerators_ = nullptr;
  DockState dock_;
  DockRects rects_;
  Splitter dragging_ = Splitter::None;
};

}  // namespace zv
