#include "copyboard/mirror_files.h"

#include <windows.h>

#include "win/folder_listing.h"
#include "win/text_convert.h"

namespace zv {

namespace {

void ClearReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

// A mirror copy may be read-only (the board's attribute, kept by an older
// copy), which DeleteFileA refuses.
void DeleteMirrorCopy(const std::string& path) {
  ClearReadOnly(path);
  DeleteFileA(path.c_str());
}

}  // namespace

void ClearMirror(const std::string& mirrorFolder) {
  // Collected first, deleted afterwards, so the listing never sees its own deletes.
  const auto entries = win::ListFolderEntries(mirrorFolder);
  for (const std::string& path : PlanClearMirror(mirrorFolder, entries, win::IsAnsiLeadByte)) DeleteMirrorCopy(path);
}

void FillMirror(const std::string& deviceFolder, const std::string& mirrorFolder) {
  const auto entries = win::ListFolderEntries(deviceFolder);
  for (const FileCopy& copy : PlanFillMirror(deviceFolder, mirrorFolder, entries, win::IsAnsiLeadByte))
    CopyToMirror(copy.from, copy.to);
}

bool CopyToMirror(const std::string& boardFile, const std::string& mirrorCopy) {
  // The old copy goes first: CopyFileA refuses to overwrite a read-only
  // file, and a copy that fails must not leave the old picture.
  DeleteMirrorCopy(mirrorCopy);
  if (!CopyFileA(boardFile.c_str(), mirrorCopy.c_str(), FALSE)) return false;
  // CopyFileA keeps the board file's attributes; the copy must stay replaceable.
  ClearReadOnly(mirrorCopy);
  return true;
}

}  // namespace zv
