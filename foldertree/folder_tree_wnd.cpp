#include "foldertree/folder_tree_wnd.h"

#include "core/foldertree/folder_path_rules.h"
#include "foldertree/tree_items.h"
#include "res/resource.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr char kFolderTreeClass[] = "ZVFolderTree";
// Child, visible, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS.
constexpr DWORD kTreeStyle = 0x50000027;

}  // namespace

FolderTreeWnd::~FolderTreeWnd() {
  // Destroyed here, while this object still receives the deletions of the
  // items and can free their identifier lists.
  Destroy();
}

bool FolderTreeWnd::CreateTree(const FolderTreeArgs& args) {
  owner_ = args.owner;
  ownerId_ = args.id;
  initialPath_ = args.initialPath != nullptr ? args.initialPath : "";
  allocator_ = args.allocator;
  if (!RegisterClass(kFolderTreeClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) return false;
  return Create({.className = kFolderTreeClass,
                 .title = initialPath_.c_str(),
                 // The tree control covers the window: never paint over it.
                 .style = args.style | WS_CLIPCHILDREN,
                 .rect = args.rect,
                 .parent = args.owner,
                 .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id))});
}

bool FolderTreeWnd::OnCreate() {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  tree_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "", kTreeStyle, 0, 0, 0, 0, hwnd(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDW_FOLDER_TREE)),
                          GetModuleHandleA(nullptr), nullptr);
  if (tree_ == nullptr) return false;
  LoadMessages();
  expandedItems_.clear();
  if (!icons_.Create()) return false;
  SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons_.images()));
  return allocator_ || SUCCEEDED(SHGetMalloc(&allocator_));
}

void FolderTreeWnd::OnDestroy() {
  if (tree_ != nullptr) DeleteAllItems();
  tree_ = nullptr;
}

bool FolderTreeWnd::OnPaint() {
  ValidateRect(hwnd(), nullptr);  // the tree control paints itself
  return true;
}

bool FolderTreeWnd::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != tree_ || tree_ == nullptr) return false;
  result = OnTreeNotify(&header);
  return true;
}

void FolderTreeWnd::OnSize(int width, int height) {
  if (tree_ == nullptr) return;
  SetWindowPos(tree_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (built_) return;
  built_ = true;  // set first: selecting below sends messages that may size us again
  BuildTree();
  if (!initialPath_.empty()) SelectPath(initialPath_.c_str());
}

LRESULT FolderTreeWnd::OnTreeNotify(NMHDR* header) {
  auto* change = reinterpret_cast<NMTREEVIEWA*>(header);  // the W form has the same layout here
  switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
      if (change->action & TVE_EXPAND) EnsureEnumerated(change->itemNew.hItem);
      return FALSE;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      if (!deletingAll_) NotifySelected(change->itemNew.hItem);
      return 0;
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW:
      OnItemDeleted(change->itemOld.hItem, change->itemOld.lParam);
      return 0;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
      return OnBeginLabelEdit();
    case TVN_ENDLABELEDITA: {
      const TVITEMA& item = reinterpret_cast<NMTVDISPINFOA*>(header)->item;
      if (item.pszText != nullptr) OnEndLabelEdit(item.hItem, item.pszText);
      return 0;  // the control never takes the text itself: only a done rename changes it
    }
    case TVN_ENDLABELEDITW: {
      const TVITEMW& item = reinterpret_cast<NMTVDISPINFOW*>(header)->item;
      if (item.pszText != nullptr) OnEndLabelEdit(item.hItem, win::FromWide(item.pszText, CP_ACP));
      return 0;
    }
    default:
      return 0;
  }
}

void FolderTreeWnd::NotifySelected(HTREEITEM item) {
  std::optional<std::string> path = ItemPath(item);
  FolderSelectedNotify notify{};
  notify.header.hwndFrom = hwnd();
  notify.header.idFrom = static_cast<UINT_PTR>(ownerId_);
  notify.header.code = ZVN_FOLDER_SELECTED;
  notify.path = path ? path->c_str() : nullptr;
  SendMessageA(owner_, WM_NOTIFY, static_cast<WPARAM>(ownerId_), reinterpret_cast<LPARAM>(&notify));
}

std::optional<std::string> FolderTreeWnd::ItemPath(HTREEITEM item) const {
  if (item == nullptr) return std::nullopt;
  std::optional<std::string> shellPath;
  if (item == tree::Root(tree_)) {
    shellPath = SpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
  } else {
    std::vector<LPCITEMIDLIST> ids;
    for (HTREEITEM step : tree::ChainFromRoot(tree_, item))
      ids.push_back(reinterpret_cast<LPCITEMIDLIST>(tree::Data(tree_, step)));
    UniquePidl absolute = JoinFirstIds(ids);
    shellPath = PathOfIds(absolute.get());
  }
  if (!shellPath) return std::nullopt;
  return ReportedFolderPath(*shellPath, win::IsAnsiLeadByte);
}

bool FolderTreeWnd::GetItemPath(HTREEITEM item, std::string& path) const {
  std::optional<std::string> found = ItemPath(item);
  if (found) path = *found;
  return found.has_value();
}

bool FolderTreeWnd::GetSelectedPath(std::string& path) const {
  HTREEITEM selected = tree::Selected(tree_);
  return selected != nullptr && GetItemPath(selected, path);
}

void FolderTreeWnd::SetLabelEditing(bool on) {
  LONG_PTR style = GetWindowLongPtrA(tree_, GWL_STYLE);
  style = on ? (style | TVS_EDITLABELS) : (style & ~static_cast<LONG_PTR>(TVS_EDITLABELS));
  SetWindowLongPtrA(tree_, GWL_STYLE, style);
}

}  // namespace zv
