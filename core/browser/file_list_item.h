#pragma once
// The per-file record of the file list view: one per listed image, plain
// data, owned by the view's item array. The full path comes first, so that a
// pointer to a record is also a pointer to its path (the thumbnail grid and
// the picture view take records that way).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/text/ansi_text.h"

namespace zv {

inline constexpr size_t kItemPathSize = 260;  // bytes with the terminator: paths of at most 259 bytes

// FILETIME's layout: 100 ns units since 1601-01-01, UTC, low word first.
struct FileTime {
  uint32_t low = 0;
  uint32_t high = 0;
};

struct FileListItem {
  char path[kItemPathSize];  // folder, a backslash and the name
  char name[kItemPathSize];  // the part of path after its last backslash
  FileTime lastWrite;        // UTC
  uint32_t fileSize;         // low 32 bits of the size in bytes
  int32_t width;
  int32_t height;
  int32_t colors;            // 2, 16, 256, 65536 or 16777216
};

static_assert(offsetof(FileListItem, path) == 0, "a record pointer must be its path");
static_assert(offsetof(FileListItem, name) == 260);
static_assert(offsetof(FileListItem, lastWrite) == 520);
static_assert(offsetof(FileListItem, fileSize) == 528);
static_assert(offsetof(FileListItem, width) == 532);
static_assert(offsetof(FileListItem, height) == 536);
static_assert(offsetof(FileListItem, colors) == 540);
static_assert(sizeof(FileListItem) == 544);

// Fills path (folder + "\" + name) and name. A path that does not fit the
// field is not cut: the file is skipped (false, record untouched), because a
// cut path would name another file or none.
bool SetItemPath(FileListItem& item, std::string_view folder, std::string_view name, LeadBytePredicate isLead);

// Seconds since 1601 of a file time (the resolution the date key sorts by).
int64_t FileTimeSeconds(const FileTime& time);

}  // namespace zv
