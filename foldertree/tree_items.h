#pragma once
// Plain helpers over an ANSI tree-view control: walking items, reading their
// text and data, inserting items.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace zv::tree {

HTREEITEM Root(HWND tree);
HTREEITEM Selected(HWND tree);
HTREEITEM FirstChild(HWND tree, HTREEITEM item);
HTREEITEM NextSibling(HWND tree, HTREEITEM item);
HTREEITEM Parent(HWND tree, HTREEITEM item);
// The item's data (lParam); 0 for null.
LPARAM Data(HWND tree, HTREEITEM item);
std::string Text(HWND tree, HTREEITEM item);

struct NewItem {
  std::string text;
  int image = 0;
  int selectedImage = 0;
  LPARAM data = 0;
};
// Inserted last below `parent` (TVI_ROOT for a top-level item).
HTREEITEM InsertLast(HWND tree, HTREEITEM parent, const NewItem& item);

// The first child of `parent` for which `matches` holds, or null.
HTREEITEM FindChild(HWND tree, HTREEITEM parent, const std::function<bool(HTREEITEM)>& matches);
// `item` and its ancestors, the root first; empty for null.
std::vector<HTREEITEM> ChainFromRoot(HWND tree, HTREEITEM item);

}  // namespace zv::tree
