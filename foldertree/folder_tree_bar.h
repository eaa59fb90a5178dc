#pragma once
// The docked bar of the folder tree: one FolderTreeWnd (id 100, folders can
// be renamed in place) below the bar's caption. A folder selected in the tree
// is listed by the file list view of the main frame.
#include <string>

#include "foldertree/folder_tree_wnd.h"
#include "mainwnd/panes.h"

namespace zv {

class FolderTreeBar : public CFolderTreePane {
 public:
  static constexpr int kTreeWindowId = 100;

  HWND GetTreeCtrl() const override { return tree_.GetTreeCtrl(); }
  // Drag feedback over the tree is not offered yet: every drop on it is refused.
  bool DragOver(POINT, std::string&) override { return false; }
  void DragLeave() override {}
  void SelectPath(const std::string& folder) override { tree_.SelectPath(folder.c_str()); }
  void Refresh() override { tree_.Refresh(); }
  FolderTreeWnd& treeWindow() { return tree_; }

 protected:
  bool CreateContent() override;
  void LayoutContent(const RECT& content) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnFolderSelected(const char* path);
  FolderTreeWnd tree_;
};

}  // namespace zv
