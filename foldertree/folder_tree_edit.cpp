// Changing the file system from the tree (a new folder, renaming in place)
// and the feedback while files are dragged over it.
#include "foldertree/folder_tree_wnd.h"

#include <shellapi.h>

#include "app/ui_text_table.h"
#include "core/fileops/folder_name_rules.h"
#include "core/fileops/input_rules.h"
#include "core/foldertree/drag_feedback_rules.h"
#include "foldertree/tree_items.h"
#include "res/app_identity.h"
#include "res/resource.h"
#include "win/error_report.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr char kSection[] = "FolderTreeClass";
constexpr UINT kScrollMs = 200;
constexpr UINT kExpandMs = 2000;
constexpr int kLabelLimit = 260;

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void NotifyShellFolderChanged(const std::string& folder) {
  SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, folder.c_str(), nullptr);
}

int ItemHeight(HWND tree) { return static_cast<short>(LOWORD(SendMessageA(tree, TVM_GETITEMHEIGHT, 0, 0))); }

int ClientHeight(HWND tree) {
  RECT client{};
  GetClientRect(tree, &client);
  return client.bottom;
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

}  // namespace

void FolderTreeWnd::LoadMessages() {
  CUiTextTable texts;
  msgBadChars_ = texts.GetText(kSection, "ErrorMsg0001", "フォルダ名には次の文字は使用できません。");
  msgNoName_ = texts.GetText(kSection, "ErrorMsg0002", "フォルダ名を入力して下さい。");
  msgExists_ = texts.GetText(kSection, "ErrorMsg0003", "同じ名前のファイルかフォルダが存在します。");
  msgCannotCreate_ = texts.GetText(kSection, "ErrorMsg0004", "フォルダを作成できません。");
}

void FolderTreeWnd::ReportProblem(const std::string& text) { win::ReportError(hwnd(), nullptr, text, ZV_APP_TITLE); }

bool FolderTreeWnd::NewFolder(const std::string& name) {
  HTREEITEM parent = tree::Selected(tree_);
  if (parent == nullptr) return false;
  Expand(parent);  // listed now, so the new folder is not listed a second time later
  std::string parentPath;
  if (!GetItemPath(parent, parentPath)) return false;  // a virtual folder takes no folders

  switch (CheckNewFolderName(parentPath, name, &PathExists, win::IsAnsiLeadByte)) {
    case NewFolderProblem::TooLong: ReportProblem(msgNoName_); return false;
    case NewFolderProblem::ForbiddenChar: ReportProblem(msgBadChars_ + "\n" + kForbiddenNameChars); return false;
    case NewFolderProblem::Exists: ReportProblem(msgExists_); return false;
    case NewFolderProblem::None: break;
  }
  if (!CreateDirectoryA((parentPath + "\\" + name).c_str(), nullptr)) {
    ReportProblem(msgCannotCreate_);
    return false;
  }
  NotifyShellFolderChanged(parentPath);

  // The folder exists from here on; without its identifier it shows at the next Refresh.
  ComPtr<IShellFolder> folder = BindItemFolder(parent);
  UniquePidl id = folder ? ParsePath(folder.Get(), name) : UniquePidl();
  if (!id) return true;
  const FolderImages images = icons_.ChildImages(folder.Get(), id.get());
  // Last, not sorted in: the next Refresh puts it in its place.
  HTREEITEM child = tree::InsertLast(tree_, parent, {name, images.closed, images.open, reinterpret_cast<LPARAM>(id.get())});
  if (child == nullptr) return true;
  id.release();  // the item owns it now
  expandedItems_.insert(child);  // it is new and empty: nothing to list, no placeholder
  SetHasChildren(parent, true);
  SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
  SelectAndFocus(child);
  return true;
}

LRESULT FolderTreeWnd::OnBeginLabelEdit() {
  if (HWND edit = reinterpret_cast<HWND>(SendMessageA(tree_, TVM_GETEDITCONTROL, 0, 0)))
    SendMessageA(edit, EM_LIMITTEXT, kLabelLimit, 0);
  return FALSE;  // editing allowed
}

void FolderTreeWnd::OnEndLabelEdit(HTREEITEM item, const std::string& edited) {
  // Enter on an unchanged name renames nothing (the shell would refuse it and reopen the editor).
  if (item == nullptr || edited == tree::Text(tree_, item)) return;
  HTREEITEM parent = tree::Parent(tree_, item);
  std::string parentPath;
  if (parent != nullptr) GetItemPath(parent, parentPath);
  const std::string oldPath = parentPath + "\\" + tree::Text(tree_, item);
  const std::string newPath = parentPath + "\\" + edited;
  // Lists of one path each, ending in two NULs.
  const std::string from = oldPath + '\0';
  const std::string to = newPath + '\0';
  SHFILEOPSTRUCTA rename{};
  rename.hwnd = hwnd();
  rename.wFunc = FO_RENAME;
  rename.pFrom = from.c_str();
  rename.pTo = to.c_str();
  rename.fFlags = FOF_ALLOWUNDO;  // the shell's own confirmations and error messages
  if (SHFileOperationA(&rename) != 0 || rename.fAnyOperationsAborted) {
    // The user gets the editor back with the text the item still has, and leaves it with Escape.
    // Posted: the control is still closing its editor.
    pendingEdit_ = item;
    PostMessageA(hwnd(), WM_ZV_EDIT_LABEL_AGAIN, 0, 0);
    return;
  }
  NotifyShellFolderChanged(parentPath);
  TVITEMA text{};
  text.mask = TVIF_TEXT | TVIF_HANDLE;
  text.hItem = item;
  text.pszText = const_cast<char*>(edited.c_str());
  SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&text));
  ReplaceItemId(item, parent, edited);
}

// The old identifier names the old folder: paths of the item and of the
// folders below it are made from the new one.
void FolderTreeWnd::ReplaceItemId(HTREEITEM item, HTREEITEM parent, const std::string& name) {
  ComPtr<IShellFolder> folder = BindItemFolder(parent);
  UniquePidl id = folder ? ParsePath(folder.Get(), name) : UniquePidl();
  if (!id) return;
  const LPARAM old = tree::Data(tree_, item);
  TVITEMA data{};
  data.mask = TVIF_PARAM | TVIF_HANDLE;
  data.hItem = item;
  data.lParam = reinterpret_cast<LPARAM>(id.get());
  if (!SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return;
  id.release();
  if (old != 0) allocator_->Free(reinterpret_cast<void*>(old));
}

LRESULT FolderTreeWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ZV_EDIT_LABEL_AGAIN) {
    // Null when the item went meanwhile (a Refresh deletes every item).
    HTREEITEM item = pendingEdit_;
    pendingEdit_ = nullptr;
    if (item != nullptr && tree_ != nullptr) {
      SetFocus(tree_);
      SendMessageA(tree_, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item));
    }
    return 0;
  }
  return Window::OnMessage(message, wParam, lParam);
}

HTREEITEM FolderTreeWnd::ItemAt(POINT client) const {
  TVHITTESTINFO hit{};
  hit.pt = client;
  // Anywhere on the row counts, the indent and the space right of the label too.
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

HTREEITEM FolderTreeWnd::ItemAtCursor() const {
  POINT cursor{};
  GetCursorPos(&cursor);
  ScreenToClient(tree_, &cursor);
  return ItemAt(cursor);
}

void FolderTreeWnd::HighlightDropItem(HTREEITEM item) {
  SendMessageA(tree_, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
}

bool FolderTreeWnd::DragOver(POINT screen, std::string& path) {
  if (tree_ == nullptr) return false;
  POINT point = screen;
  ScreenToClient(tree_, &point);
  if (point.x != lastDrag_.x || point.y != lastDrag_.y) {
    lastDrag_ = point;
    StopTimer(IDT_TREE_SCROLL_UP);
    StopTimer(IDT_TREE_SCROLL_DOWN);
    const ScrollBands bands = ScrollBandsAt(point.y, ItemHeight(tree_), ClientHeight(tree_));
    if (bands.up) StartTimer(IDT_TREE_SCROLL_UP, kScrollMs);
    if (bands.down) StartTimer(IDT_TREE_SCROLL_DOWN, kScrollMs);
    if (HTREEITEM item = ItemAt(point)) {
      HighlightDropItem(item);
      if (item != hoverItem_) {
        StartTimer(IDT_TREE_EXPAND, kExpandMs);  // a new item: the wait starts again
        hoverItem_ = item;
      }
    }
  }
  HTREEITEM target = ItemAt(point);
  return target != nullptr && GetItemPath(target, path);
}

void FolderTreeWnd::DragLeave() {
  if (tree_ != nullptr) HighlightDropItem(nullptr);
  StopTimer(IDT_TREE_SCROLL_UP);
  StopTimer(IDT_TREE_SCROLL_DOWN);
  StopTimer(IDT_TREE_EXPAND);
  hoverItem_ = nullptr;
  lastDrag_ = {0, 0};
}

// One row up or down while the cursor stays in a band; a tree that cannot
// scroll further stops the timer.
void FolderTreeWnd::ScrollStep(UINT_PTR timer) {
  HTREEITEM highlight = NextItem(tree_, nullptr, TVGN_DROPHILITE);
  HTREEITEM target = nullptr;
  if (timer == IDT_TREE_SCROLL_UP) {
    target = NextItem(tree_, highlight, TVGN_PREVIOUSVISIBLE);
  } else {
    target = highlight;
    if (ScrollDownPastHighlight(ClientHeight(tree_), ItemHeight(tree_))) target = NextItem(tree_, highlight, TVGN_NEXTVISIBLE);
  }
  if (target != nullptr && SendMessageA(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(target)) != 0) {
    if (HTREEITEM under = ItemAtCursor()) HighlightDropItem(under);
    return;
  }
  StopTimer(timer);
}

void FolderTreeWnd::OnTimer(UINT_PTR id) {
  if (tree_ == nullptr) return;
  switch (id) {
    case IDT_TREE_SCROLL_UP:
    case IDT_TREE_SCROLL_DOWN:
      ScrollStep(id);
      return;
    case IDT_TREE_EXPAND:
      StopTimer(IDT_TREE_EXPAND);  // once
      if (hoverItem_ != nullptr) Expand(hoverItem_);
      if (HTREEITEM under = ItemAtCursor()) HighlightDropItem(under);
      return;
    default:
      return;
  }
}

}  // namespace zv
