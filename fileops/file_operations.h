#pragma once
// The multi-file and the one-file operation: copy, move, delete (and rename
// for one file) through the shell (SHFileOperationA with FOF_ALLOWUNDO), so
// that the user gets the shell's confirmations, progress and recycle bin.
// Files shown from the copyboard's mirror folder are moved, deleted and
// renamed on the board itself; their mirror copies go only when the board's
// file is really gone, and copies out of the board are stamped with the
// current time only where this operation wrote them.
#include <windows.h>

#include <string>
#include <vector>

#include "core/copyboard/mirror_folders.h"
#include "core/fileops/file_operation_plan.h"

namespace zv {

// Where an operation runs.
struct FileOperationSite {
  HWND owner = nullptr;  // owns the shell's dialogs: the file list view's window
  MirrorState mirror;    // the file list's mirror state
  int intSysDte = 0;     // 1: copies out of the board get the current time
  // The user already agreed to replace an existing target (the save dialog
  // asked): the shell does not ask again.
  bool overwriteAsked = false;
};

struct FileOperationOutcome {
  bool started = false;   // the shell was asked: files may have changed
  bool complete = false;  // the shell reported success and the user aborted nothing
  // Started: the views should be refreshed.
  explicit operator bool() const { return started; }
};

// `sources` (one folder's files) copied or moved into `destination`, or
// deleted (`destination` unused). The mirror folder as destination stands
// for the board's folder, so nothing is ever put where the next opening of
// the board clears it. Nothing is started for an empty list, a missing
// destination, files already in the destination, or when memory runs out
// (silently, and never half an operation).
FileOperationOutcome RunMultiFileOperation(const FileOperationSite& site, const std::vector<std::string>& sources,
                                           const std::string& destination, FileOperationMode mode);

// `source` copied, moved or renamed to the full path `target`, or deleted.
FileOperationOutcome RunOneFileOperation(const FileOperationSite& site, const std::string& source,
                                         const std::string& target, FileOperationMode mode);

// Tells the shell that the folder's contents changed.
void NotifyFolderChanged(const std::string& folder);

}  // namespace zv
