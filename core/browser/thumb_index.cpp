#include "core/browser/thumb_index.h"

#include <cstdio>
#include <unordered_set>

#include "core/text/ansi_path.h"

namespace zv {
namespace {

// Adds one line of the file unless it is one of the ignored kinds.
void AddLine(ThumbIndex& index, std::string_view line, LeadBytePredicate isLead) {
  const size_t bar = FindAnyChar(line, "|", isLead);
  // A separator at 0 or 1 leaves a folder too short to be a path ("C|...").
  if (bar == std::string_view::npos || bar < 2) return;
  index.push_back({std::string(line.substr(0, bar)), std::string(line.substr(bar + 1))});
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string CacheNameOf(unsigned number) {
  char name[16];
  std::snprintf(name, sizeof name, "%08x.bin", number);
  return name;
}

}  // namespace

ThumbIndex ParseThumbIndex(std::string_view text, LeadBytePredicate isLead) {
  ThumbIndex index;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    AddLine(index, line, isLead);
  }
  return index;
}

std::string WriteThumbIndex(const ThumbIndex& index) {
  std::string text;
  for (const ThumbIndexLine& line : index) text += line.folder + '|' + line.name + "\r\n";
  return text;
}

bool IsCacheFileName(std::string_view name) {
  if (name.size() != 12) return false;
  for (size_t i = 0; i < 8; ++i)
    if (!IsHexDigit(name[i])) return false;
  return SamePath(name.substr(8), ".bin", NoLeadBytes);
}

std::string ListingFactsNameOf(std::string_view cacheName) {
  return IsCacheFileName(cacheName) ? std::string(cacheName.substr(0, 8)) + ".rec" : std::string();
}

std::string SmallestFreeCacheName(const ThumbIndex& index, LeadBytePredicate isLead) {
  std::unordered_set<std::string> used;
  for (const ThumbIndexLine& line : index) used.insert(FoldedName(line.name, isLead));
  // n lines use at most n names, so one of the first n + 1 numbers is free.
  for (unsigned number = 0;; ++number) {
    std::string name = CacheNameOf(number);
    if (!used.contains(FoldedName(name, isLead))) return name;
  }
}

std::string LookUpCacheName(ThumbIndex& index, std::string_view folder, LeadBytePredicate isLead) {
  std::string name;
  for (auto line = index.begin(); line != index.end(); ++line) {
    if (!SamePath(line->folder, folder, isLead)) continue;
    name = line->name;
    index.erase(line);
    break;
  }
  if (!IsCacheFileName(name)) name = SmallestFreeCacheName(index, isLead);
  index.insert(index.begin(), {std::string(folder), name});
  return name;
}

std::string FindCacheName(const ThumbIndex& index, std::string_view folder, LeadBytePredicate isLead) {
  for (const ThumbIndexLine& line : index)
    if (SamePath(line.folder, folder, isLead)) return IsCacheFileName(line.name) ? line.name : std::string();
  return {};
}

bool PruneThumbIndex(ThumbIndex& index, const std::function<bool(const std::string& folder)>& folderExists,
                     const std::function<void(const std::string& name)>& deleteCacheFile) {
  bool dropped = false;
  for (size_t i = index.size(); i-- > 0;) {
    if (folderExists(index[i].folder)) continue;
    if (IsCacheFileName(index[i].name)) deleteCacheFile(index[i].name);
    index.erase(index.begin() + static_cast<std::ptrdiff_t>(i));
    dropped = true;
  }
  return dropped;
}

}  // namespace zv
