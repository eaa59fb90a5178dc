#include "copyboard/mirror_files.h"

#include <windows.h>

#include "copyboard/win_copyboard_system.h"
#include "core/copyboard/drive_finder.h"
#include "win/folder_listing.h"
#include "win/handles.h"
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

void StampCopies(const MirrorState& state, const std::vector<std::string>& sources,
                 const std::string& destinationFolder, int intSysDte) {
  Win32CopyboardSystem system;
  const DriveLetters letters = DriveFinder(system).FindLetters();
  if (!StampApplies(state, sources, letters, intSysDte, win::IsAnsiLeadByte)) return;
  // One time for every copy, so copies made together carry the same stamp.
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  FILETIME now;
  SystemTimeToFileTime(&utc, &now);
  for (const std::string& source : sources) {
    const std::string copy = destinationFolder + "\\" + std::string(NameOfPath(source, win::IsAnsiLeadByte));
    win::UniqueFile file(
        CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) SetFileTime(file.get(), nullptr, nullptr, &now);
  }
}

}  // namespace zv
