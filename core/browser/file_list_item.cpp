#include "core/browser/file_list_item.h"

#include <cstring>

#include "core/text/ansi_path.h"

namespace zv {

bool SetItemPath(FileListItem& item, std::string_view folder, std::string_view name, LeadBytePredicate isLead) {
  const std::string path = JoinPath(folder, name, isLead);
  if (path.size() >= kItemPathSize || path.find('\0') != std::string::npos) return false;
  std::memcpy(item.path, path.c_str(), path.size() + 1);
  const std::string_view shortName = NameOfPath(path, isLead);
  std::memcpy(item.name, shortName.data(), shortName.size());
  item.name[shortName.size()] = '\0';
  return true;
}

int64_t FileTimeSeconds(const FileTime& time) {
  const uint64_t ticks = (static_cast<uint64_t>(time.high) << 32) | time.low;
  return static_cast<int64_t>(ticks / 10000000u);
}

}  // namespace zv
