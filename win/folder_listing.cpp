#include "win/folder_listing.h"

#include <windows.h>

#include <cstring>

#include "win/text_convert.h"

namespace zv::win {

std::vector<FolderEntry> ListFolderEntries(const std::string& folder) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(JoinPath(folder, "*.*", IsAnsiLeadByte).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    // cFileName is not trusted to be terminated.
    const size_t length = strnlen(found.cFileName, sizeof found.cFileName);
    entries.push_back({std::string(found.cFileName, length), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                       found.nFileSizeLow, found.nFileSizeHigh, found.ftLastWriteTime.dwLowDateTime,
                       found.ftLastWriteTime.dwHighDateTime});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

std::vector<FolderEntry> ListedFiles(const std::string& folder) {
  std::vector<FolderEntry> files = ListFolderEntries(folder);
  std::erase_if(files, [](const FolderEntry& entry) { return !IsListedEntry(entry.name, entry.isFolder); });
  return files;
}

std::vector<std::string> ListedFileNames(const std::string& folder) {
  std::vector<std::string> names;
  for (FolderEntry& entry : ListedFiles(folder)) names.push_back(std::move(entry.name));
  return names;
}

}  // namespace zv::win
