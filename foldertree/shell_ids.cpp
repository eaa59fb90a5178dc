#include "foldertree/shell_ids.h"

#include <cstring>

#include "core/text/ansi_text.h"
#include "win/text_convert.h"

namespace zv {

namespace {

std::string Fitting(std::string_view text) {
  return std::string(text.substr(0, FittingPrefixLength(text, kNameCapacity, win::IsAnsiLeadByte)));
}

// The bytes of `item` from `offset` up to its terminator, never past its first identifier.
std::string TextInsideId(LPCITEMIDLIST item, UINT offset) {
  if (item == nullptr || offset >= item->mkid.cb) return {};
  const char* start = reinterpret_cast<const char*>(item) + offset;
  const size_t room = item->mkid.cb - offset;
  return std::string(start, strnlen(start, room));
}

}  // namespace

bool SameFirstId(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  if (a == nullptr || b == nullptr || a->mkid.cb == 0 || a->mkid.cb != b->mkid.cb) return false;
  return std::memcmp(a, b, a->mkid.cb) == 0;
}

LPCITEMIDLIST NextId(LPCITEMIDLIST id) {
  if (id == nullptr || id->mkid.cb < sizeof id->mkid.cb) return nullptr;
  auto next = reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(id) + id->mkid.cb);
  return next->mkid.cb == 0 ? nullptr : next;
}

UniquePidl JoinFirstIds(const std::vector<LPCITEMIDLIST>& lists) {
  size_t size = sizeof(USHORT);
  for (LPCITEMIDLIST list : lists)
    if (list != nullptr) size += list->mkid.cb;
  auto joined = static_cast<BYTE*>(CoTaskMemAlloc(size));
  if (joined == nullptr) return UniquePidl();
  BYTE* at = joined;
  for (LPCITEMIDLIST list : lists) {
    if (list == nullptr || list->mkid.cb == 0) continue;
    std::memcpy(at, list, list->mkid.cb);
    at += list->mkid.cb;
  }
  std::memset(at, 0, sizeof(USHORT));
  return UniquePidl(reinterpret_cast<LPITEMIDLIST>(joined));
}

std::string StrRetToAnsi(STRRET& value, LPCITEMIDLIST item) {
  switch (value.uType) {
    case STRRET_WSTR: {
      std::string text = value.pOleStr != nullptr ? win::FromWide(value.pOleStr, CP_ACP) : std::string();
      CoTaskMemFree(value.pOleStr);
      value.pOleStr = nullptr;
      return Fitting(text);
    }
    case STRRET_OFFSET:
      return Fitting(TextInsideId(item, value.uOffset));
    case STRRET_CSTR:
      return Fitting(std::string_view(value.cStr, strnlen(value.cStr, sizeof value.cStr)));
    default:
      return {};
  }
}

std::string DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags) {
  STRRET name{};
  if (folder == nullptr || FAILED(folder->GetDisplayNameOf(item, flags, &name))) return {};
  return StrRetToAnsi(name, item);
}

ComPtr<IShellFolder> DesktopFolder() {
  ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
  return desktop;
}

UniquePidl ParsePath(IShellFolder* folder, const std::string& path) {
  if (folder == nullptr || path.empty()) return UniquePidl();
  std::wstring wide = win::ToWide(path, CP_ACP);
  LPITEMIDLIST ids = nullptr;
  if (FAILED(folder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &ids, nullptr))) {
    CoTaskMemFree(ids);
    return UniquePidl();
  }
  return UniquePidl(ids);
}

UniquePidl SpecialFolderIds(int csidl) {
  LPITEMIDLIST ids = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &ids))) return UniquePidl();
  return UniquePidl(ids);
}

std::optional<std::string> SpecialFolderPath(int csidl) {
  char path[MAX_PATH] = "";
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::nullopt;
  path[MAX_PATH - 1] = '\0';
  return std::string(path);
}

// Wine 8 cuts a path longer than the buffer to MAX_PATH - 1 characters and
// reports success (a folder loop opened deep enough gets there), so a path
// that fills the buffer may name another folder: it counts as none. No
// file inside a folder that long can be reached by an ANSI call anyway.
std::optional<std::string> PathOfIds(LPCITEMIDLIST ids) {
  wchar_t wide[MAX_PATH] = L"";
  if (ids == nullptr || !SHGetPathFromIDListW(ids, wide)) return std::nullopt;
  wide[MAX_PATH - 1] = L'\0';
  if (wcslen(wide) >= MAX_PATH - 1) return std::nullopt;
  std::string path = win::FromWide(wide, CP_ACP);
  if (path.size() >= MAX_PATH - 1) return std::nullopt;
  return path;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a.data(),
                        static_cast<int>(a.size()), b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace zv
