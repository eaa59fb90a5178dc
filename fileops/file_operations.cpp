#include "fileops/file_operations.h"

#include <shellapi.h>
#include <shlobj.h>

#include <new>

#include "app/app_services.h"
#include "copyboard/win_copyboard_system.h"
#include "core/copyboard/drive_finder.h"
#include "core/text/ansi_path.h"
#include "win/diagnostics.h"
#include "win/handles.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {

namespace {

// What a file at a destination was before the shell ran.
struct FileState {
  bool exists = false;
  FILETIME written{};
  DWORD sizeLow = 0;
  DWORD sizeHigh = 0;
};

FileState StateOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return {};
  return {true, data.ftLastWriteTime, data.nFileSizeLow, data.nFileSizeHigh};
}

// A file this operation wrote: new, or changed since. After a complete run
// every file it names was written, even one that equals what it replaced.
bool Written(const FileState& before, const FileState& after, bool complete) {
  if (!after.exists) return false;
  if (complete || !before.exists) return true;
  return CompareFileTime(&before.written, &after.written) != 0 || before.sizeLow != after.sizeLow ||
         before.sizeHigh != after.sizeHigh;
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void SetWriteTime(const std::string& path, const FILETIME& time) {
  win::UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) SetFileTime(file.get(), nullptr, nullptr, &time);
}

// The shell may cut a copy short and still report success: Wine 8 does on
// a full disk (the source of a move stays where it was, the copy holds what
// fitted). A file this operation wrote whose source is still there with
// another size is no whole copy: it is deleted, so that no cut picture is
// listed or pasted on. True when there was one.
bool DeleteCutCopies(const FileOperationPlan& plan, const std::vector<FileState>& before) {
  bool cut = false;
  for (size_t i = 0; i < plan.written.size() && i < plan.sources.size() && i < before.size(); ++i) {
    const FileState source = StateOf(plan.sources[i]);
    const FileState copy = StateOf(plan.written[i]);
    if (!source.exists || !Written(before[i], copy, false)) continue;
    if (copy.sizeLow == source.sizeLow && copy.sizeHigh == source.sizeHigh) continue;
    cut = true;
    if (DeleteFileA(plan.written[i].c_str()))
      win::LogFailure("copy cut short deleted, its source kept", plan.written[i]);
    else
      win::LogFailure("copy cut short not deleted", plan.written[i], win::Win32Error());
  }
  return cut;
}

UINT ShellFunction(FileOperationMode mode) {
  switch (mode) {
    case FileOperationMode::Copy:
      return FO_COPY;
    case FileOperationMode::Move:
      return FO_MOVE;
    case FileOperationMode::Delete:
      return FO_DELETE;
    case FileOperationMode::Rename:
      return FO_RENAME;
  }
  return FO_COPY;
}

// Runs a whole plan. Everything that needs memory is done before the shell
// is asked; what follows it only looks at files and may be skipped harmlessly.
FileOperationOutcome Run(const FileOperationSite& site, const FileOperationPlan& plan) {
  FileOperationOutcome outcome;
  std::vector<FileState> before;
  bool stamp = false;
  try {
    before.reserve(plan.written.size());
    for (const std::string& path : plan.written) before.push_back(StateOf(path));
    if (!plan.written.empty() && site.intSysDte == 1) {
      Win32CopyboardSystem system;
      stamp = StampApplies(site.mirror, plan.sources, DriveFinder(system).FindLetters(), site.intSysDte,
                           win::IsAnsiLeadByte);
    }
  } catch (const std::bad_alloc&) {
    win::LogFailure("file operation not started, out of memory", plan.from.c_str());
    return outcome;
  }

  win::WaitCursor wait;
  SHFILEOPSTRUCTA operation{};
  operation.hwnd = site.owner;
  operation.wFunc = ShellFunction(plan.mode);
  operation.pFrom = plan.from.c_str();
  operation.pTo = plan.to.empty() ? nullptr : plan.to.c_str();
  operation.fFlags = FOF_ALLOWUNDO;
  if (site.overwriteAsked && plan.mode == FileOperationMode::Copy) operation.fFlags |= FOF_NOCONFIRMATION;
  const int result = SHFileOperationA(&operation);
  outcome.started = true;
  outcome.complete = result == 0 && !operation.fAnyOperationsAborted;
  // The shell's own code (mostly a Win32 error); the shell showed its message.
  if (result != 0) win::LogFailure("shell file operation failed", plan.from.c_str(), win::Win32Error(result));
  if (DeleteCutCopies(plan, before)) {
    outcome.complete = false;
    ReportErrorText(site.owner, nullptr, "FileCommand", "ErrorMsg0001",
                    "ファイルを最後までコピーできませんでした。コピー先の空き容量を確かめて下さい。");
  }

  if (stamp) {
    // One time for every copy, so copies made together carry the same stamp.
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    FILETIME now;
    SystemTimeToFileTime(&utc, &now);
    for (size_t i = 0; i < plan.written.size(); ++i)
      if (Written(before[i], StateOf(plan.written[i]), outcome.complete)) SetWriteTime(plan.written[i], now);
  }
  if (plan.mirrorFiles.empty()) return outcome;
  try {
    const std::vector<std::string> gone = MirrorFilesToDrop(site.mirror, plan.mirrorFiles, PathExists,
                                                            win::IsAnsiLeadByte);
    for (const std::string& mirrorFile : gone) {
      // The board's file has its new name: the mirror copy follows it, so the list stays as the board is.
      if (!plan.mirrorRenamed.empty() &&
          MoveFileExA(mirrorFile.c_str(), plan.mirrorRenamed.c_str(), MOVEFILE_REPLACE_EXISTING))
        continue;
      if (!DeleteFileA(mirrorFile.c_str())) win::LogFailure("mirror copy not removed", mirrorFile, win::Win32Error());
    }
  } catch (const std::bad_alloc&) {
    // The mirror copies stay; the next opening of the board's folder renews them.
  }
  return outcome;
}

}  // namespace

FileOperationOutcome RunMultiFileOperation(const FileOperationSite& site, const std::vector<std::string>& sources,
                                           const std::string& destination, FileOperationMode mode) {
  std::optional<FileOperationPlan> plan;
  if (mode == FileOperationMode::Copy || mode == FileOperationMode::Move) {
    if (!site.mirror.mirrorFolder.empty() && SamePath(destination, site.mirror.mirrorFolder, win::IsAnsiLeadByte)) {
      // Pasting or dropping into the shown mirror goes onto the board; the
      // list's refresh copies the new board files into the mirror. Files
      // coming from the mirror itself are already there.
      if (!sources.empty() && SamePath(FolderOfPath(sources.front(), win::IsAnsiLeadByte), destination,
                                       win::IsAnsiLeadByte))
        return {};
      plan = PlanMultiFileOperation(site.mirror, sources, site.mirror.deviceFolder, mode, win::IsAnsiLeadByte);
    } else {
      plan = PlanMultiFileOperation(site.mirror, sources, destination, mode, win::IsAnsiLeadByte);
    }
  } else {
    plan = PlanMultiFileOperation(site.mirror, sources, destination, mode, win::IsAnsiLeadByte);
  }
  if (!plan) return {};
  return Run(site, *plan);
}

FileOperationOutcome RunOneFileOperation(const FileOperationSite& site, const std::string& source,
                                         const std::string& target, FileOperationMode mode) {
  const std::optional<FileOperationPlan> plan =
      PlanOneFileOperation(site.mirror, source, target, mode, win::IsAnsiLeadByte);
  if (!plan) return {};
  return Run(site, *plan);
}

void NotifyFolderChanged(const std::string& folder) {
  if (!folder.empty()) SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, folder.c_str(), nullptr);
}

}  // namespace zv
