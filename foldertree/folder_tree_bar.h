#pragma once
// The docked bar of the folder tree: one FolderTreeWnd (id 100, folders can
// be renamed in place) below the bar's caption. A folder selected in the tree
// is reported to the bar's host.
#include <string>

#include "foldertree/folder_tree_pane.h"
#include "foldertree/folder_tree_wnd.h"

namespace zv {

class FolderTreeBar : public CFolderTreePane {
 public:

  HWND GetTreeCtrl() const override { return tree_.GetTreeCtrl(); }
  bool DragOver(POINT screen, std::string& folder) override { return tree_.DragOver(screen, folder); }
  void DragLeave() override { tree_.DragLeave(); }
  void SelectPath(const std::string& folder) override { tree_.SelectPath(folder.c_str()); }
  void Refresh() override { tree_.Refresh(); }
  bool NewFolder(const std::string& name) override { return tree_.NewFolder(name); }
  FolderTreeWnd& treeWindow() { return tree_; }

 protected:
  bool CreateContent() override;
  void LayoutContent(const RECT& content) override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;

 private:
  FolderTreeWnd tree_;
};

}  // namespace zv
