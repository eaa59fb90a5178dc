#pragma once
// The one folder enumeration of the program: what "*.*" lists in a folder,
// in the order the file system gives it.
#include <string>
#include <vector>

#include "core/text/ansi_path.h"

namespace zv::win {

// Every entry, "." and ".." included; none when the folder cannot be listed.
std::vector<FolderEntry> ListFolderEntries(const std::string& folder);

// The entries IsListedEntry accepts (plain files not beginning with '.').
std::vector<FolderEntry> ListedFiles(const std::string& folder);
// Their names.
std::vector<std::string> ListedFileNames(const std::string& folder);

}  // namespace zv::win
