// Finding the item of a path, and reselecting after a rebuild.
#include "core/foldertree/folder_path_rules.h"
#include "foldertree/folder_tree_wnd.h"
#include "foldertree/tree_items.h"
#include "win/text_convert.h"

namespace zv {

namespace {

// The names below `folder` on the way to `path`, when `folder` is known and holds `path`.
std::optional<std::vector<std::string>> NamesBelow(const std::string& path, const std::optional<std::string>& folder) {
  if (!folder) return std::nullopt;
  return NamesBelowFolder(path, *folder, SameTextIgnoringCase, win::IsAnsiLeadByte);
}

// Replaces `folder` by its child folder `childId` (a single identifier).
bool BindChild(ComPtr<IShellFolder>& folder, LPARAM childId) {
  ComPtr<IShellFolder> child;
  if (!folder || childId == 0 ||
      FAILED(folder->BindToObject(reinterpret_cast<LPCITEMIDLIST>(childId), nullptr, IID_IShellFolder,
                                  reinterpret_cast<void**>(child.GetAddressOf()))))
    return false;
  folder = child;
  return true;
}

}  // namespace

void FolderTreeWnd::Expand(HTREEITEM item) {
  EnsureEnumerated(item);  // enumerates even where the control would not ask
  SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

void FolderTreeWnd::SelectAndFocus(HTREEITEM item) {
  SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  SetFocus(tree_);
}

void FolderTreeWnd::SelectPath(const char* requested) {
  HTREEITEM root = tree::Root(tree_);
  if (root == nullptr) return;
  const std::string path = WithDriveRootBackslash(requested != nullptr ? requested : "");
  ComPtr<IShellFolder> desktop = DesktopFolder();
  if (!desktop) {
    Expand(root);
    SelectAndFocus(root);
    return;
  }
  // Below the Desktop directory the tree's names are the folders' names.
  if (auto names = NamesBelow(path, SpecialFolderPath(CSIDL_DESKTOP))) {
    SelectAndFocus(WalkNames(root, *names));
    return;
  }
  // Below Documents, from the Documents item among the Desktop's children, if it has one.
  if (auto names = NamesBelow(path, SpecialFolderPath(CSIDL_PERSONAL))) {
    if (HTREEITEM documents = DocumentsItem(desktop.Get())) {
      SelectAndFocus(WalkNames(documents, *names));
      return;
    }
  }
  WalkIds(desktop.Get(), path);
}

// Walks down by display names as far as they go; the deepest folder reached is the result.
HTREEITEM FolderTreeWnd::WalkNames(HTREEITEM start, const std::vector<std::string>& names) {
  HTREEITEM current = start;
  for (const std::string& name : names) {
    Expand(current);
    HTREEITEM child = tree::FindChild(
        tree_, current, [&](HTREEITEM c) { return SameTextIgnoringCase(tree::Text(tree_, c), name); });
    if (child == nullptr) break;
    current = child;
  }
  return current;
}

HTREEITEM FolderTreeWnd::DocumentsItem(IShellFolder* desktop) const {
  UniquePidl documents = SpecialFolderIds(CSIDL_PERSONAL);
  if (!documents) return nullptr;
  const std::string name = DisplayNameOf(desktop, documents.get(), SHGDN_INFOLDER);
  if (name.empty()) return nullptr;
  return tree::FindChild(tree_, tree::Root(tree_),
                         [&](HTREEITEM c) { return SameTextIgnoringCase(tree::Text(tree_, c), name); });
}

// Walks the identifiers of the parsed path (or of Documents, when the path
// cannot be parsed) from the root; a step that is not in the tree selects nothing.
void FolderTreeWnd::WalkIds(IShellFolder* desktop, const std::string& path) {
  HTREEITEM root = tree::Root(tree_);
  UniquePidl ids = ParsePath(desktop, path);
  if (!ids) ids = SpecialFolderIds(CSIDL_PERSONAL);
  if (!ids) {
    Expand(root);
    SelectAndFocus(root);
    return;
  }
  if (ids.get()->mkid.cb == 0) return;  // the Desktop's own empty list selects nothing
  HTREEITEM current = root;
  ComPtr<IShellFolder> folder(desktop);
  for (LPCITEMIDLIST id = ids.get(); id != nullptr; id = NextId(id)) {
    Expand(current);
    HTREEITEM child = ChildWithId(current, folder.Get(), id);
    if (child == nullptr) return;
    current = child;
    if (NextId(id) != nullptr && !BindChild(folder, tree::Data(tree_, child))) return;
  }
  SelectAndFocus(current);
}

// The child whose identifier is `id`: the same bytes, or else the same item
// to its folder. The bytes alone are not enough: the shell's identifiers of
// file-system folders carry the folder's times, which change when it is
// written or read after the tree listed it.
HTREEITEM FolderTreeWnd::ChildWithId(HTREEITEM item, IShellFolder* folder, LPCITEMIDLIST id) const {
  auto idOf = [this](HTREEITEM c) { return reinterpret_cast<LPCITEMIDLIST>(tree::Data(tree_, c)); };
  HTREEITEM same = tree::FindChild(tree_, item, [&](HTREEITEM c) { return SameFirstId(idOf(c), id); });
  if (same != nullptr || folder == nullptr) return same;
  UniquePidl single = JoinFirstIds({id});
  if (!single) return nullptr;
  return tree::FindChild(tree_, item, [&](HTREEITEM c) {
    LPCITEMIDLIST childId = idOf(c);
    if (childId == nullptr) return false;
    HRESULT order = folder->CompareIDs(0, childId, single.get());
    return SUCCEEDED(order) && static_cast<short>(HRESULT_CODE(order)) == 0;
  });
}

void FolderTreeWnd::Refresh() {
  std::vector<std::string> texts;
  for (HTREEITEM item : tree::ChainFromRoot(tree_, tree::Selected(tree_))) texts.push_back(tree::Text(tree_, item));
  BuildTree();
  HTREEITEM current = tree::Root(tree_);
  if (current == nullptr) return;
  if (!texts.empty() && texts.front() == tree::Text(tree_, current)) {
    for (size_t i = 1; i < texts.size(); ++i) {
      // Enumerated, but left closed: only the way to the selection opens.
      Expand(current);
      SendMessageA(tree_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(current));
      HTREEITEM child =
          tree::FindChild(tree_, current, [&](HTREEITEM c) { return tree::Text(tree_, c) == texts[i]; });
      if (child == nullptr) {
        SelectPath("");  // the folder is gone: Documents
        return;
      }
      current = child;
    }
  }
  SelectAndFocus(current);
}

}  // namespace zv
