#pragma once
// Path utilities of the file list view and the file commands. Paths are ANSI
// texts: a backslash or '.' is only one when it is a character of its own,
// never the trail byte of a two-byte character (Shift-JIS "表" is 0x95 0x5C).
// Name and folder of a path are NameOfPath and FolderOfPath of
// core/copyboard/mirror_folders.h.
#include <optional>
#include <string>
#include <string_view>

#include "core/copyboard/mirror_folders.h"
#include "core/text/ansi_text.h"

namespace zv {

// folder + "\" + name; a folder that already ends in a backslash ("C:\") gets no second one.
std::string JoinPath(std::string_view folder, std::string_view name, LeadBytePredicate isLead);

// The text after the last '.' of the path's name; empty when the name has
// none. A '.' in a folder name ("C:\a.b\c") is not the file's extension.
std::string_view ExtensionOfPath(std::string_view path, LeadBytePredicate isLead);

// The folder of a path, or nothing when the path has no backslash (the
// callers then keep what they had).
std::optional<std::string_view> FolderPartOf(std::string_view path, LeadBytePredicate isLead);

// The name with its single-byte letters folded to upper case and two-byte
// characters kept: two names are equal ignoring case (SamePath) exactly when
// their folded forms are equal, so the folded form can key a set.
std::string FoldedName(std::string_view name, LeadBytePredicate isLead);

// Entries of a folder listing that the view considers: plain files whose
// name does not begin with '.' (this also leaves out "." and "..").
bool IsListedEntry(std::string_view name, bool isFolder);

}  // namespace zv
