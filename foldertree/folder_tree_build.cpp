// Building the tree from the Desktop and enumerating folders on expansion.
#include "foldertree/folder_tree_wnd.h"

#include <shellapi.h>

#include "foldertree/tree_items.h"

namespace zv {

namespace {

constexpr char kPlaceholderText[] = "Dummy";

// The order of two children: the sign of the low 16 bits of CompareIDs.
int CALLBACK CompareByShell(LPARAM first, LPARAM second, LPARAM folder) {
  if (first == 0 || second == 0) return 0;
  HRESULT result = reinterpret_cast<IShellFolder*>(folder)->CompareIDs(
      0, reinterpret_cast<LPCITEMIDLIST>(first), reinterpret_cast<LPCITEMIDLIST>(second));
  if (FAILED(result)) return 0;
  return static_cast<short>(HRESULT_CODE(result));
}

}  // namespace

void FolderTreeWnd::DeleteAllItems() {
  deletingAll_ = true;
  SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  deletingAll_ = false;
  expandedItems_.clear();
}

void FolderTreeWnd::BuildTree() {
  DeleteAllItems();
  icons_.Clear();
  UniquePidl desktopIds = SpecialFolderIds(CSIDL_DESKTOP);
  if (!desktopIds) return;
  SHFILEINFOA info{};
  SHGetFileInfoA(reinterpret_cast<const char*>(desktopIds.get()), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME);
  info.szDisplayName[MAX_PATH - 1] = '\0';
  const FolderImages images = icons_.DesktopImages(desktopIds.get());
  HTREEITEM root = tree::InsertLast(tree_, TVI_ROOT,
                                    {info.szDisplayName, images.closed, images.open,
                                     reinterpret_cast<LPARAM>(desktopIds.get())});
  if (root == nullptr) return;
  desktopIds.release();  // the root item owns it now

  if (ComPtr<IShellFolder> desktop = DesktopFolder()) {
    InsertSubfolders(root, desktop.Get());
    expandedItems_.insert(root);
    SortChildren(root, desktop.Get());
  }
  SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

// The first expansion of an item replaces its placeholder by its subfolders.
void FolderTreeWnd::EnsureEnumerated(HTREEITEM item) {
  if (item == nullptr || expandedItems_.count(item) != 0) return;
  while (HTREEITEM child = tree::FirstChild(tree_, item))
    SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
  ComPtr<IShellFolder> folder = BindItemFolder(item);
  if (folder) {
    InsertSubfolders(item, folder.Get());
    expandedItems_.insert(item);
    SortChildren(item, folder.Get());
  }
  // Without children the expand button goes (the control may otherwise keep it).
  if (tree::FirstChild(tree_, item) == nullptr) SetHasChildren(item, false);
}

ComPtr<IShellFolder> FolderTreeWnd::BindItemFolder(HTREEITEM item) const {
  ComPtr<IShellFolder> folder = DesktopFolder();
  for (HTREEITEM step : tree::ChainFromRoot(tree_, item)) {
    auto id = reinterpret_cast<LPCITEMIDLIST>(tree::Data(tree_, step));
    if (!folder || id == nullptr || id->mkid.cb == 0) continue;  // the Desktop's own list is empty
    ComPtr<IShellFolder> next;
    if (FAILED(folder->BindToObject(id, nullptr, IID_IShellFolder, reinterpret_cast<void**>(next.GetAddressOf()))))
      return nullptr;
    folder = next;
  }
  return folder;
}

void FolderTreeWnd::InsertSubfolders(HTREEITEM item, IShellFolder* folder) {
  ComPtr<IEnumIDList> list;
  if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &list) != S_OK || !list) return;
  LPITEMIDLIST id = nullptr;
  ULONG fetched = 0;
  while (list->Next(1, &id, &fetched) == S_OK && fetched == 1 && id != nullptr) {
    UniquePidl owned(id);
    const FolderImages images = icons_.ChildImages(folder, id);
    HTREEITEM child = tree::InsertLast(
        tree_, item,
        {DisplayNameOf(folder, id, SHGDN_INFOLDER), images.closed, images.open, reinterpret_cast<LPARAM>(id)});
    if (child == nullptr) continue;  // the owner frees the identifier
    owned.release();                 // the item owns it now
    // Every folder gets a placeholder, whether or not it has subfolders: the
    // shell is asked only when the user opens it.
    tree::InsertLast(tree_, child, {kPlaceholderText, 0, 0, 0});
    id = nullptr;
  }
}

void FolderTreeWnd::SortChildren(HTREEITEM item, IShellFolder* folder) {
  TVSORTCB sort{};
  sort.hParent = item;
  sort.lpfnCompare = &CompareByShell;
  sort.lParam = reinterpret_cast<LPARAM>(folder);
  SendMessageA(tree_, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void FolderTreeWnd::SetHasChildren(HTREEITEM item, bool hasChildren) {
  TVITEMA info{};
  info.mask = TVIF_CHILDREN | TVIF_HANDLE;
  info.hItem = item;
  info.cChildren = hasChildren ? 1 : 0;
  SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&info));
}

void FolderTreeWnd::OnItemDeleted(HTREEITEM item, LPARAM data) {
  // The handle may be given to a new item later: it must not count as expanded.
  expandedItems_.erase(item);
  // Pending work must not reach a freed handle.
  if (item == hoverItem_) hoverItem_ = nullptr;
  if (item == pendingEdit_) pendingEdit_ = nullptr;
  if (data != 0) allocator_->Free(reinterpret_cast<void*>(data));
}

}  // namespace zv
