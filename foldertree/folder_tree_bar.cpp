#include "foldertree/folder_tree_bar.h"

#include "app/viewer_app.h"
#include "mainwnd/main_frame.h"

namespace zv {

bool FolderTreeBar::CreateContent() {
  if (!tree_.CreateTree({.owner = hwnd(), .id = kTreeWindowId})) return false;
  tree_.SetLabelEditing(true);
  win::SetFontOnTree(tree_.hwnd(), GetAppFont());
  LayoutContent(ContentRect());  // the bar has its size already
  return true;
}

void FolderTreeBar::LayoutContent(const RECT& content) {
  if (tree_.hwnd() == nullptr) return;
  SetWindowPos(tree_.hwnd(), nullptr, content.left, content.top, content.right - content.left,
               content.bottom - content.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT FolderTreeBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header != nullptr && header->idFrom == kTreeWindowId && header->code == kFolderSelected &&
        header->hwndFrom == tree_.hwnd())
      OnFolderSelected(reinterpret_cast<FolderSelectedNotify*>(header)->path);
  }
  return CSizingBar::OnMessage(message, wParam, lParam);
}

// The file list view of the frame the bar is docked in lists the folder (null clears it).
void FolderTreeBar::OnFolderSelected(const char* path) {
  auto* frame = dynamic_cast<CMainFrame*>(win::Window::FromHandle(GetParent(hwnd())));
  if (frame != nullptr && frame->FileList() != nullptr) frame->FileList()->SetFolder(path);
}

}  // namespace zv
