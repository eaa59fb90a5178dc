#include "foldertree/tree_items.h"

#include <algorithm>

namespace zv::tree {

namespace {
HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}
}  // namespace

HTREEITEM Root(HWND tree) { return Next(tree, nullptr, TVGN_ROOT); }
HTREEITEM Selected(HWND tree) { return Next(tree, nullptr, TVGN_CARET); }
HTREEITEM FirstChild(HWND tree, HTREEITEM item) { return item ? Next(tree, item, TVGN_CHILD) : nullptr; }
HTREEITEM NextSibling(HWND tree, HTREEITEM item) { return item ? Next(tree, item, TVGN_NEXT) : nullptr; }
HTREEITEM Parent(HWND tree, HTREEITEM item) { return item ? Next(tree, item, TVGN_PARENT) : nullptr; }

LPARAM Data(HWND tree, HTREEITEM item) {
  if (item == nullptr) return 0;
  TVITEMA info{};
  info.mask = TVIF_PARAM | TVIF_HANDLE;
  info.hItem = item;
  return SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info)) ? info.lParam : 0;
}

std::string Text(HWND tree, HTREEITEM item) {
  if (item == nullptr) return {};
  char text[2 * MAX_PATH] = "";
  TVITEMA info{};
  info.mask = TVIF_TEXT | TVIF_HANDLE;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = sizeof text;
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info))) return {};
  text[sizeof text - 1] = '\0';
  return info.pszText != nullptr ? std::string(info.pszText) : std::string();
}

HTREEITEM InsertLast(HWND tree, HTREEITEM parent, const NewItem& item) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(item.text.c_str());
  insert.item.iImage = item.image;
  insert.item.iSelectedImage = item.selectedImage;
  insert.item.lParam = item.data;
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM FindChild(HWND tree, HTREEITEM parent, const std::function<bool(HTREEITEM)>& matches) {
  for (HTREEITEM child = FirstChild(tree, parent); child != nullptr; child = NextSibling(tree, child))
    if (matches(child)) return child;
  return nullptr;
}

std::vector<HTREEITEM> ChainFromRoot(HWND tree, HTREEITEM item) {
  std::vector<HTREEITEM> chain;
  for (; item != nullptr; item = Parent(tree, item)) chain.push_back(item);
  std::reverse(chain.begin(), chain.end());
  return chain;
}

}  // namespace zv::tree
