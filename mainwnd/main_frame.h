#pragma once
// The main frame of a browser copy: menu bar and context menu, toolbar 128,
// status bar, the file list view in the client area and the folder tree bar
// over the preview bar at the left, splitters between them, the drop target
// and the scanner commands. The frame owns the panes and connects them: it
// hosts both, so a folder selected in the tree goes straight to the list.
// Every command goes to the file list first (which passes it along its own
// chain), then to the frame, and runs only when its update handler enables it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "browser/file_list_pane.h"
#include "core/mainwnd/dock_layout.h"
#include "foldertree/folder_tree_pane.h"
#include "mainwnd/drop_target.h"
#include "mainwnd/frame_texts.h"
#include "mainwnd/preview_pane.h"
#include "fileops/scanner_connection.h"
#include "win/command.h"
#include "win/sizing_bar.h"
#include "win/window.h"

namespace zv {

// Makers of the panes and the scanner connection (the program's own are
// chosen by its start-up; tests give stand-ins).
struct FrameParts {
  std::function<std::unique_ptr<CFileListPane>()> fileList;
  std::function<std::unique_ptr<CFolderTreePane>()> folderTree;
  std::function<std::unique_ptr<CPreviewBar>()> preview;
  std::function<std::unique_ptr<ScannerConnection>()> scanner;  // may give null: no TWAIN
};

class CMainFrame : public win::Window,
                   public win::CommandTarget,
                   private DropHost,
                   private FileListHost,
                   private FolderTreeHost {
 public:
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
  CPreviewBar* PreviewBar() const { return preview_.get(); }
  // The folder tree selects `folder` (or the nearest it can); the list follows.
  void SelectFolder(const std::string& folder);
  // At start, before the frame shows: an existing `folder` is listed at once
  // and the tree follows later (CatchUpTreeWithList), because finding a deep
  // folder in the tree expands every level on the way. Otherwise (a folder
  // that is gone, none) as SelectFolder.
  void ListStartFolder(const std::string& folder);
  // After the first paint: the tree selects the folder ListStartFolder
  // listed, and takes the focus, without listing it again.
  void CatchUpTreeWithList();
  void SetStatusText(const std::string& text);

  HWND toolbar() const { return toolbar_; }
  HWND statusBar() const { return statusBar_; }
  HMENU contextMenu() const { return contextMenu_; }
  const FrameTextSet& texts() const { return texts_; }
  IDropTarget* dropTarget() { return &dropTarget_; }
  bool scanning() const { return scanning_; }
  // The scale of the screen the frame is on (its DPI at creation, then the
  // one WM_DPICHANGED brings).
  DisplayScale scale() const { return scale_; }

  // Routing: pane 0 first, then the frame's own command map.
  bool ExecuteCommand(int id) override;
  bool UpdateCommand(win::CommandUpdate& update) override;

  // The frame's own commands (command map in main_frame.cpp).
  void OnToggleBar(int id);
  void OnUpdateToggleBar(win::CommandUpdate& update);
  void OnAppExit(int id);
  void OnHelpIndex(int id);
  void OnInformation(int id);
  void OnAppSetting(int id);
  void OnTwainSelect(int id);
  void OnTwainInput(int id);
  void OnUpdateTwain(win::CommandUpdate& update);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnCreate() override;
  void OnDestroy() override;
  void OnSize(int width, int height) override;
  bool OnCommand(int id, int code, HWND from) override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;
  bool OnMouse(UINT message, POINT client, UINT keys) override;

 private:
  bool CreateBars();
  void RecalcLayout();
  // WM_DPICHANGED (frame_dpi.cpp): the suggested rectangle, fonts, toolbar
  // images and every pane made again for the new scale.
  void OnDpiChanged(DisplayScale scale, const RECT* suggested);
  bool OnToolTipText(NMHDR& header);
  bool OnSetCursor();
  void OnSessionEnd();
  void LoadLayout();
  void SaveLayout() const;
  bool& Shown(int barId);

  // DropHost
  bool DropFolderAt(POINT screen, std::string& folder) override;
  HRESULT PerformDrop(IDataObject* data, DWORD effect, const std::string& folder) override;
  bool IsOwnDrag(IDataObject* data) override { return fileList_ && fileList_->IsOwnDrag(data); }
  void EndDragFeedback() override;
  // FileListHost
  void ShowStatusText(const std::string& text) override { SetStatusText(text); }
  void ShowContextMenu(POINT screen) override;
  void ShowPreview(const std::string& path) override;
  void RefreshFolders() override;
  bool NewFolderInTree(const std::string& name) override;
  // FolderTreeHost
  void OnFolderSelected(const char* path) override;

  FrameParts parts_;
  HWND statusBar_ = nullptr;
  HWND toolbar_ = nullptr;
  std::unique_ptr<CFileListPane> fileList_;
  std::unique_ptr<CFolderTreePane> folderTree_;
  std::unique_ptr<CPreviewBar> preview_;
  HMENU contextMenu_ = nullptr;
  CFrameDropTarget dropTarget_{*this};
  bool dropRegistered_ = false;
  std::unique_ptr<ScannerConnection> scanner_;
  bool scanning_ = false;
  std::string treeBehind_;       // listed by ListStartFolder, not yet selected in the tree
  bool treeCatchingUp_ = false;  // inside CatchUpTreeWithList
  FrameTextSet texts_;
  HACCEL accelerators_ = nullptr;
  DockState dock_;
  DockRects rects_;
  Splitter dragging_ = Splitter::None;
  DisplayScale scale_;
};

}  // namespace zv
