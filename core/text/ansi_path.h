#pragma once
// The program's path rules, in one place. Paths are ANSI texts of the
// system code page: a backslash or '.' is only one when it is a character
// of its own, never the trail byte of a two-byte character (Shift-JIS "表"
// is 0x95 0x5C). Paths compare ignoring the case of single-byte letters;
// two-byte characters compare byte for byte.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/text/ansi_text.h"

namespace zv {

// Index of the last backslash that is a character of its own; npos when there is none.
size_t LastBackslash(std::string_view path, LeadBytePredicate isLead);

// folder + "\" + name; a folder that already ends in a backslash ("C:\") gets no second one.
std::string JoinPath(std::string_view folder, std::string_view name, LeadBytePredicate isLead);

// Everything before the last backslash; empty when there is none.
std::string_view FolderOfPath(std::string_view path, LeadBytePredicate isLead);
// The folder of a path, or nothing when the path has no backslash (the
// callers then keep what they had).
std::optional<std::string_view> FolderPartOf(std::string_view path, LeadBytePredicate isLead);
// Everything after the last backslash; the whole path when there is none.
std::string_view NameOfPath(std::string_view path, LeadBytePredicate isLead);
// The text after the last '.' of the path's name; empty when the name has
// none. A '.' in a folder name ("C:\a.b\c") is not the file's extension.
std::string_view ExtensionOfPath(std::string_view path, LeadBytePredicate isLead);

// Equal ignoring the case of single-byte letters.
bool SamePath(std::string_view a, std::string_view b, LeadBytePredicate isLead);
// The text with its single-byte letters folded to upper case and two-byte
// characters kept: SamePath(a, b) exactly when the folded forms are equal,
// so the folded form can key a set.
std::string FoldedName(std::string_view name, LeadBytePredicate isLead);

// One entry of a folder listing.
struct FolderEntry {
  std::string name;
  bool isFolder = false;
  // As the listing found them: the size and the last-write time (FILETIME, UTC).
  uint32_t sizeLow = 0;
  uint32_t sizeHigh = 0;
  uint32_t writeTimeLow = 0;
  uint32_t writeTimeHigh = 0;
};

// Entries of a folder listing that the program considers: plain files whose
// name does not begin with '.' (this also leaves out "." and "..").
bool IsListedEntry(std::string_view name, bool isFolder);

}  // namespace zv
