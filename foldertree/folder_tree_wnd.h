#pragma once
// The shell namespace as a tree of folders rooted at the Desktop, with the
// shell's display names and small icons. The tree is built at the first size
// message and lazily: a folder is enumerated when it is first expanded, and
// until then it carries a "Dummy" child so that it shows an expand button.
// Selecting a folder tells the owner its file-system path (WM_NOTIFY, code
// ZVN_FOLDER_SELECTED).
//
// Editing (folder_tree_edit.cpp): a new folder below the selected one, renaming
// a folder in place through the shell, and the feedback while files are
// dragged over the tree (drop highlight, scrolling at the edges, expanding a
// folder the cursor rests on).
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "foldertree/folder_icon_cache.h"
#include "foldertree/shell_ids.h"
#include "win/window.h"

namespace zv {

// The folder-selected notification: header, then the selected folder's path,
// or null when the item has no file-system path (My Computer, Control Panel).
struct FolderSelectedNotify {
  NMHDR header;
  const char* path;
};


struct FolderTreeArgs {
  HWND owner = nullptr;  // parent window; receives the notifications
  int id = 0;
  const char* initialPath = nullptr;  // selected once the tree is built
  DWORD style = WS_CHILD | WS_VISIBLE;
  RECT rect = {0, 0, 0, 0};  // left, top, width, height
  // Frees the item data; null: the shell's allocator (SHGetMalloc).
  IMalloc* allocator = nullptr;
};

class FolderTreeWnd : public win::Window {
 public:
  FolderTreeWnd() = default;
  ~FolderTreeWnd() override;

  bool CreateTree(const FolderTreeArgs& args);
  // Selects the deepest folder of `path` the tree reaches, else the Documents
  // folder, else the Desktop. Null counts as empty.
  void SelectPath(const char* path);
  // Builds the tree anew and selects the previously selected folder again.
  void Refresh();
  bool GetItemPath(HTREEITEM item, std::string& path) const;
  bool GetSelectedPath(std::string& path) const;
  HWND GetTreeCtrl() const { return tree_; }
  void SetLabelEditing(bool on);

  // Creates `name` in the selected folder after checking it (length,
  // characters, existence; each refusal is told in a message box), adds it
  // as the last child, selects it and focuses the tree. True when created.
  bool NewFolder(const std::string& name);
  // Drag feedback at `screen`: the drop highlight, scrolling near the edges,
  // expanding after a rest. True with the folder of the item under the
  // point when it has a file-system path.
  bool DragOver(POINT screen, std::string& path);
  // Ends the drag feedback: no highlight, no timers.
  void DragLeave();
  HTREEITEM hoverItem() const { return hoverItem_; }

 protected:
  bool OnCreate() override;
  void OnDestroy() override;
  void OnSize(int width, int height) override;
  bool OnPaint() override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;
  void OnTimer(UINT_PTR id) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnTreeNotify(NMHDR* header);
  void NotifySelected(HTREEITEM item);
  std::optional<std::string> ItemPath(HTREEITEM item) const;

  // Building and expanding (folder_tree_build.cpp).
  void BuildTree();
  void DeleteAllItems();
  void EnsureEnumerated(HTREEITEM item);
  void InsertSubfolders(HTREEITEM item, IShellFolder* folder);
  void SortChildren(HTREEITEM item, IShellFolder* folder);
  ComPtr<IShellFolder> BindItemFolder(HTREEITEM item) const;
  void SetHasChildren(HTREEITEM item, bool hasChildren);
  void OnItemDeleted(HTREEITEM item, LPARAM data);

  // Selecting paths (folder_tree_select.cpp).
  void Expand(HTREEITEM item);
  void SelectAndFocus(HTREEITEM item);
  HTREEITEM WalkNames(HTREEITEM start, const std::vector<std::string>& names);
  void WalkIds(IShellFolder* desktop, const std::string& path);
  HTREEITEM ChildWithId(HTREEITEM item, IShellFolder* folder, LPCITEMIDLIST id) const;
  HTREEITEM DocumentsItem(IShellFolder* desktop) const;

  // Editing and drag feedback (folder_tree_edit.cpp).
  void LoadMessages();
  void ReportProblem(const std::string& text);
  LRESULT OnBeginLabelEdit();
  void OnEndLabelEdit(HTREEITEM item, const std::string& edited);
  void ReplaceItemId(HTREEITEM item, HTREEITEM parent, const std::string& name);
  HTREEITEM ItemAt(POINT client) const;
  HTREEITEM ItemAtCursor() const;
  void HighlightDropItem(HTREEITEM item);
  void ScrollStep(UINT_PTR timer);

  HWND tree_ = nullptr;
  HWND owner_ = nullptr;
  int ownerId_ = 0;
  std::string initialPath_;
  ComPtr<IMalloc> allocator_;
  std::unordered_set<HTREEITEM> expandedItems_;
  FolderIconCache icons_;
  bool built_ = false;
  bool deletingAll_ = false;  // selection changes while the tree empties are not reported
  // Drag feedback: the item under the cursor, and the last point (tree client coordinates).
  HTREEITEM hoverItem_ = nullptr;
  POINT lastDrag_ = {0, 0};
  HTREEITEM pendingEdit_ = nullptr;  // a refused rename: its editor opens again
  std::string msgBadChars_, msgNoName_, msgExists_, msgCannotCreate_;
};

}  // namespace zv
