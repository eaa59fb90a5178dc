#pragma once
// The small part of the shell namespace the folder tree needs: owners of item
// identifier lists, display names, special folders, and parsing a path. Text
// from the shell is UTF-16; it is converted with the ANSI code page, as all
// of the program's text is (the OEM page would garble "Café" under 1252).
#include <windows.h>

#include <shlobj.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/com.h"

namespace zv {

using win::ComPtr;

// Identifier lists handed out by the shell belong to its task allocator.
using UniquePidl = win::UniqueCoTaskMem<LPITEMIDLIST>;

// Display names are cut to this many bytes with the terminator (MAX_PATH).
constexpr size_t kNameCapacity = 260;

// True when both lists start with the same identifier (same length, same bytes).
bool SameFirstId(LPCITEMIDLIST a, LPCITEMIDLIST b);
// One absolute list of the first identifier of each of `lists`, in order; empty ones are skipped.
UniquePidl JoinFirstIds(const std::vector<LPCITEMIDLIST>& lists);
// The identifier after `id` in its list; null at the terminator or on a malformed length.
LPCITEMIDLIST NextId(LPCITEMIDLIST id);

// The text of a STRRET (frees its wide string), at most kNameCapacity - 1 bytes.
std::string StrRetToAnsi(STRRET& value, LPCITEMIDLIST item);
std::string DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags);

ComPtr<IShellFolder> DesktopFolder();
// `path` (ANSI) as parsed by `folder`, or null when the shell cannot parse it:
// the Desktop gives absolute lists of paths, a folder the identifier of a name in it.
UniquePidl ParsePath(IShellFolder* folder, const std::string& path);
UniquePidl SpecialFolderIds(int csidl);
std::optional<std::string> SpecialFolderPath(int csidl);
// The file-system path of an absolute list; none for a virtual folder or a
// path of MAX_PATH - 1 bytes or more.
std::optional<std::string> PathOfIds(LPCITEMIDLIST ids);

// Equal ignoring case, with the rules of the system's code page and locale.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace zv
