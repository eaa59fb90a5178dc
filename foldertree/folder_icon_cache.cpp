#include "foldertree/folder_icon_cache.h"

#include <shellapi.h>

#include <optional>
#include <utility>

#include "foldertree/shell_ids.h"
#include "res/resource.h"
#include "win/text_convert.h"

namespace zv {

namespace {

std::string KeyOf(const std::string& file, int index) { return IconCacheKey(file, index, win::IsAnsiLeadByte); }

// Small icon `index` of the file, or null unless exactly one icon came out.
HICON ExtractSmallIcon(const std::string& file, int index) {
  HICON small = nullptr;
  if (ExtractIconExA(file.c_str(), index, nullptr, &small, 1) != 1) {
    if (small != nullptr) DestroyIcon(small);
    return nullptr;
  }
  return small;
}

std::string SystemDirectory() {
  char folder[MAX_PATH] = "";
  UINT length = GetSystemDirectoryA(folder, sizeof folder);
  return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

}  // namespace

bool FolderIconCache::Create() {
  images_.reset(ImageList_Create(16, 16, ILC_COLOR8, 0, 0));
  if (!images_) return false;
  ImageList_SetBkColor(images_.get(), RGB(255, 255, 255));
  return true;
}

void FolderIconCache::Clear() {
  ImageList_SetImageCount(images_.get(), 0);
  keys_.Clear();
}

int FolderIconCache::Add(const std::string& key, HICON icon) {
  const int index = keys_.Append(key);
  ImageList_SetImageCount(images_.get(), static_cast<UINT>(index + 1));
  if (icon != nullptr) ImageList_ReplaceIcon(images_.get(), index, icon);
  return index;
}

FolderImages FolderIconCache::DesktopImages(LPCITEMIDLIST desktop) {
  FolderImages result;
  for (const bool open : {false, true}) {
    SHFILEINFOA info{};
    UINT flags = SHGFI_PIDL | SHGFI_ICON | SHGFI_ICONLOCATION | SHGFI_SMALLICON | (open ? SHGFI_OPENICON : 0);
    HICON icon = nullptr;
    if (SHGetFileInfoA(reinterpret_cast<const char*>(desktop), 0, &info, sizeof info, flags) != 0) icon = info.hIcon;
    info.szDisplayName[MAX_PATH - 1] = '\0';
    const std::string key = KeyOf(info.szDisplayName, open ? -2 : -1);
    std::optional<int> cached = keys_.Find(key);
    int image = cached ? *cached : Add(key, icon);
    if (icon != nullptr) DestroyIcon(icon);
    (open ? result.open : result.closed) = image;
  }
  return result;
}

FolderImages FolderIconCache::ChildImages(IShellFolder* parent, LPCITEMIDLIST child) {
  int closed = -1;
  int open = -1;
  ComPtr<IExtractIconA> extractor;
  LPCITEMIDLIST items[] = {child};
  if (parent != nullptr &&
      SUCCEEDED(parent->GetUIObjectOf(nullptr, 1, items, IID_IExtractIconA, nullptr,
                                      reinterpret_cast<void**>(extractor.GetAddressOf()))) &&
      extractor) {
    closed = ImageFromExtractor(extractor.Get(), 0);
    open = ImageFromExtractor(extractor.Get(), GIL_OPENICON);
  }
  return {closed >= 0 ? closed : DefaultImage(false), open >= 0 ? open : DefaultImage(true)};
}

// The image of one icon location of the extractor; -1 when it has none, so
// that the caller falls back to the default folder icon.
int FolderIconCache::ImageFromExtractor(IExtractIconA* extractor, UINT flags) {
  char file[MAX_PATH] = "";
  int index = 0;
  UINT locationFlags = 0;
  if (FAILED(extractor->GetIconLocation(flags, file, sizeof file, &index, &locationFlags))) return -1;
  file[MAX_PATH - 1] = '\0';
  const std::string key = KeyOf(file, index);
  if (std::optional<int> cached = keys_.Find(key)) return *cached;  // no extraction for a known location

  HICON large = nullptr;
  HICON small = nullptr;
  const UINT sizes = MAKELONG(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CXSMICON));
  if (extractor->Extract(file, static_cast<UINT>(index), &large, &small, sizes) == S_OK) {
    if (small == nullptr) std::swap(small, large);
  } else if (!(locationFlags & GIL_NOTFILENAME)) {
    small = ExtractSmallIcon(file, index);  // S_FALSE: the caller is to extract it from the file
  }
  win::UniqueIcon largeOwner(large);
  win::UniqueIcon smallOwner(small);
  if (!smallOwner) return -1;
  return Add(key, smallOwner.get());
}

// Icons 3 (closed) and 4 (open) of shell32.dll, else the program's own icon 154.
int FolderIconCache::DefaultImage(bool open) {
  const std::string key = KeyOf(open ? "DefaultOpen" : "DefaultClose", 0);
  if (std::optional<int> cached = keys_.Find(key)) return *cached;
  const std::string system = SystemDirectory();
  win::UniqueIcon icon(system.empty() ? nullptr : ExtractSmallIcon(system + "\\shell32.dll", open ? 4 : 3));
  if (!icon)
    icon.reset(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_FOLDER_FALLBACK), IMAGE_ICON, 16, 16, 0)));
  return Add(key, icon.get());
}

}  // namespace zv
