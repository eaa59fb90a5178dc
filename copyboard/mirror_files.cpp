#include "copyboard/mirror_files.h"

#include <windows.h>

#include <cstring>

namespace zv {

std::vector<FolderEntry> ListFolderEntries(const std::string& folder) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    size_t length = strnlen(found.cFileName, sizeof found.cFileName);
    entries.push_back({std::string(found.cFileName, length), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

void ClearMirror(const std::string& mirrorFolder) {
  // Collected first, deleted afterwards, so the listing never sees its own deletes.
  for (const std::string& path : PlanClearMirror(mirrorFolder, ListFolderEntries(mirrorFolder)))
    DeleteFileA(path.c_str());
}

void FillMirror(const std::string& deviceFolder, const std::string& mirrorFolder) {
  for (const FileCopy& copy : PlanFillMirror(deviceFolder, mirrorFolder, ListFolderEntries(deviceFolder)))
    CopyFileA(copy.from.c_str(), copy.to.c_str(), FALSE);
}

}  // namespace zv
