#include "foldertree/folder_tree_bar.h"

#include "res/resource.h"

namespace zv {

bool FolderTreeBar::CreateContent() {
  if (!tree_.CreateTree({.owner = hwnd(), .id = IDW_FOLDER_TREE_IN_BAR})) return false;
  tree_.SetLabelEditing(true);
  win::SetFontOnTree(tree_.hwnd(), font());
  LayoutContent(ContentRect());  // the bar has its size already
  return true;
}

void FolderTreeBar::LayoutContent(const RECT& content) {
  if (tree_.hwnd() == nullptr) return;
  SetWindowPos(tree_.hwnd(), nullptr, content.left, content.top, content.right - content.left,
               content.bottom - content.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool FolderTreeBar::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.idFrom != IDW_FOLDER_TREE_IN_BAR || header.code != ZVN_FOLDER_SELECTED ||
      header.hwndFrom != tree_.hwnd() || header.hwndFrom == nullptr)
    return false;
  if (host() != nullptr) host()->OnFolderSelected(reinterpret_cast<FolderSelectedNotify&>(header).path);
  result = 0;
  return true;
}

}  // namespace zv
