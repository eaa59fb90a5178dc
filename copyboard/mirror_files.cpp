#include "copyboard/mirror_files.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "win/file_replace.h"
#include "win/folder_listing.h"
#include "win/handles.h"
#include "win/text_convert.h"

namespace zv {

namespace {

std::atomic<MirrorCopyHook> copyHook{nullptr};

// Copies the board file into `copy` piece by piece and gives it the board
// file's last-write time (the refresh compares the two).
bool CopyBoardFile(const std::string& boardFile, HANDLE copy) {
  win::UniqueFile board(CreateFileA(boardFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!board) return false;
  std::vector<char> piece(64 * 1024);
  for (;;) {
    DWORD read = 0, written = 0;
    if (!ReadFile(board.get(), piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr)) return false;
    if (read == 0) break;
    if (!WriteFile(copy, piece.data(), read, &written, nullptr) || written != read) return false;
    const MirrorCopyHook hook = copyHook.load();
    if (hook != nullptr && !hook(boardFile)) {
      SetLastError(ERROR_DEV_NOT_EXIST);
      return false;
    }
  }
  FILETIME written{};
  return GetFileTime(board.get(), nullptr, nullptr, &written) && SetFileTime(copy, nullptr, nullptr, &written);
}

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
  // The copy is written beside the old one and replaces it only when whole:
  // a board pulled out in the middle leaves the old copy, never a cut picture.
  // A read-only old copy (an older program kept the board's attribute)
  // would refuse the rename; the new copy is made writable.
  ClearReadOnly(mirrorCopy);
  return win::SaveReplacing(mirrorCopy, [&](HANDLE copy) { return CopyBoardFile(boardFile, copy); });
}

void SetMirrorCopyHook(MirrorCopyHook hook) { copyHook = hook; }

}  // namespace zv
