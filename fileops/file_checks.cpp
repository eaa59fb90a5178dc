#include "fileops/file_checks.h"

#include "win/handles.h"

namespace zv {

namespace {

win::UniqueFile OpenForReading(const std::string& path) {
  return win::UniqueFile(
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool FileExists(const std::string& path) { return static_cast<bool>(OpenForReading(path)); }

static bool SizeAndTimeOf(const win::UniqueFile& file, FileSizeAndTime& out) {
  if (!file) return false;
  DWORD high = 0;
  DWORD low = GetFileSize(file.get(), &high);
  FILETIME written{};
  if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || !GetFileTime(file.get(), nullptr, nullptr, &written))
    return false;
  out = {low, high, written};
  return true;
}

bool GetFileSizeAndTime(const std::string& path, FileSizeAndTime& out) {
  return SizeAndTimeOf(OpenForReading(path), out);
}

bool GetSharedFileSizeAndTime(const std::string& path, FileSizeAndTime& out) {
  return SizeAndTimeOf(win::UniqueFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
                       out);
}

bool IsFolderWritable(const std::string& folder) {
  const std::string probe = folder + "\\___zv_temp___";
  win::UniqueFile file(
      CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  file.reset();
  DeleteFileA(probe.c_str());
  return true;
}

}  // namespace zv
