#include "win/file_replace.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "win/diagnostics.h"
#include "win/handles.h"

namespace zv::win {

namespace {

std::atomic<BeforeCommitHook> beforeCommit{nullptr};

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && _strnicmp(text.data(), start.data(), start.size()) == 0;
}

// Where a path's name starts: after its last separator, whole characters scanned.
size_t NameStart(const std::string& path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
    else if (IsDBCSLeadByte(c) && i + 1 < path.size()) ++i;
  }
  return start;
}

}  // namespace

std::string TemporaryPathFor(const std::string& target) {
  const size_t name = NameStart(target);
  return target.substr(0, name) + kTemporaryPrefix + target.substr(name);
}

bool IsTemporaryName(std::string_view name) {
  return name.size() > sizeof kTemporaryPrefix - 1 && StartsWithIgnoringCase(name, kTemporaryPrefix);
}

namespace {

bool DeleteLeftover(const std::string& path) {
  if (DeleteFileA(path.c_str())) {
    LogFailure("leftover temporary of an interrupted save deleted", path);
    return true;
  }
  LogFailure("leftover temporary of an interrupted save not deleted", path, Win32Error());
  return false;
}

}  // namespace

size_t DeleteLeftoverTemporaries(const std::string& folder, std::vector<FolderEntry>& entries) {
  const auto temporary = [](const FolderEntry& entry) { return !entry.isFolder && IsTemporaryName(entry.name); };
  size_t deleted = 0;
  for (const FolderEntry& entry : entries)
    if (temporary(entry) && DeleteLeftover(folder + "\\" + entry.name)) ++deleted;
  entries.erase(std::remove_if(entries.begin(), entries.end(), temporary), entries.end());
  return deleted;
}

size_t DeleteLeftoverTemporaries(const std::string& folder) {
  size_t deleted = 0;
  WIN32_FIND_DATAA found{};
  const std::string pattern = folder + "\\" + kTemporaryPrefix + "*";
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    // The pattern also matches short 8.3 names: the long name decides.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !IsTemporaryName(found.cFileName)) continue;
    if (DeleteLeftover(folder + "\\" + found.cFileName)) ++deleted;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return deleted;
}

bool CommitTemporary(const std::string& temporary, const std::string& target, bool replace) {
  if (BeforeCommitHook hook = beforeCommit.load()) hook(temporary, target);
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  return MoveFileExA(temporary.c_str(), target.c_str(), flags) != FALSE;
}

bool SaveReplacing(const std::string& target, const FileWriter& write, bool replace,
                   const std::function<void()>& beforeRename) {
  const std::string temporary = TemporaryPathFor(target);
  {
    UniqueFile file(
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {  // the folder refuses new files: nothing was touched
      LogFailure("save failed, no temporary file", temporary, Win32Error());
      return false;
    }
    if (!write(file.get()) || !FlushFileBuffers(file.get())) {
      const FailureCode code = Win32Error();
      file.reset();
      DeleteFileA(temporary.c_str());
      LogFailure("save failed while writing", temporary, code);
      return false;
    }
  }
  if (beforeRename) beforeRename();
  if (CommitTemporary(temporary, target, replace)) return true;
  LogFailure("save failed, the file could not take its name", target, Win32Error());
  DeleteFileA(temporary.c_str());
  return false;
}

void SetBeforeCommitHook(BeforeCommitHook hook) { beforeCommit = hook; }

}  // namespace zv::win
