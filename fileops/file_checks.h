#pragma once
// File probes shared by several subsystems.
#include <windows.h>

#include <cstdint>
#include <string>

namespace zv {

struct FileSizeAndTime {
  uint32_t sizeLow = 0;
  uint32_t sizeHigh = 0;
  FILETIME lastWrite{};
};

// True when the file opens for reading without sharing. A file that another
// program holds open without sharing counts as absent; so does a folder.
bool FileExists(const std::string& path);
// Size and last-write time of a file that opens the same way.
bool GetFileSizeAndTime(const std::string& path, FileSizeAndTime& out);
// The same for a file that opens while others read it too: one that others
// (or this program's own threads) are reading is counted; one held open
// without sharing or being written gives false.
bool GetSharedFileSizeAndTime(const std::string& path, FileSizeAndTime& out);
// True when a probe file "___zv_temp___" can be made in the folder; the
// probe is deleted again.
bool IsFolderWritable(const std::string& folder);

}  // namespace zv
