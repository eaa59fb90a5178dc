#pragma once
// The small icons of the tree's folders, one image per distinct icon location
// ("<file>,<index>" in upper case): a hundred plain folders share the image
// of shell32's folder icon instead of filling the image list with copies.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "core/foldertree/folder_path_rules.h"
#include "win/handles.h"

namespace zv {

struct ImageListTraits {
  using Type = HIMAGELIST;
  static Type Invalid() { return nullptr; }
  static void Close(Type images) { ImageList_Destroy(images); }
};
using UniqueImageList = win::UniqueHandle<ImageListTraits>;

struct FolderImages {
  int closed = 0;
  int open = 0;
};

class FolderIconCache {
 public:
  // 16 x 16 pixels, 8-bit colour without mask, on white.
  bool Create();
  HIMAGELIST images() const { return images_.get(); }
  // Forgets every image (when the tree is rebuilt).
  void Clear();

  // The Desktop's icons, under the keys (icon file, -1) and (icon file, -2).
  FolderImages DesktopImages(LPCITEMIDLIST desktop);
  // The icons the parent folder gives its child (IExtractIconA), else the default folder icons.
  FolderImages ChildImages(IShellFolder* parent, LPCITEMIDLIST child);

 private:
  int ImageFromExtractor(IExtractIconA* extractor, UINT flags);
  int DefaultImage(bool open);
  int Add(const std::string& key, HICON icon);

  UniqueImageList images_;
  IconKeyList keys_;
};

}  // namespace zv
