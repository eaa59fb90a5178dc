#include "core/foldertree/folder_path_rules.h"

#include <cstdio>

namespace zv {

namespace {

size_t CharLength(std::string_view text, size_t at, LeadBytePredicate isLead) {
  return isLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

bool IsCharBoundary(std::string_view text, size_t offset, LeadBytePredicate isLead) {
  size_t at = 0;
  while (at < offset) at += CharLength(text, at, isLead);
  return at == offset;
}

// True when the last byte is a backslash of its own (not a trail byte).
bool EndsWithOwnBackslash(std::string_view text, LeadBytePredicate isLead) {
  return !text.empty() && text.back() == '\\' && IsCharBoundary(text, text.size() - 1, isLead);
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string WithDriveRootBackslash(std::string_view path) {
  std::string result(path);
  if (result.size() == 2 && result[1] == ':') result += '\\';
  return result;
}

std::optional<std::string> ReportedFolderPath(std::string_view shellPath, LeadBytePredicate isLead) {
  if (shellPath.size() < 3) return std::nullopt;
  if (EndsWithOwnBackslash(shellPath, isLead)) shellPath.remove_suffix(1);
  return std::string(shellPath);
}

std::optional<std::vector<std::string>> NamesBelowFolder(std::string_view path, std::string_view folder,
                                                         SameTextPredicate same, LeadBytePredicate isLead) {
  if (folder.empty() || path.size() < folder.size()) return std::nullopt;
  if (!IsCharBoundary(path, folder.size(), isLead) || !same(path.substr(0, folder.size()), folder))
    return std::nullopt;
  std::string_view rest = path.substr(folder.size());
  if (!rest.empty() && !EndsWithOwnBackslash(folder, isLead)) {
    if (rest.front() != '\\') return std::nullopt;  // a longer name that merely starts the same
    rest.remove_prefix(1);
  }
  return SplitFolderNames(rest, isLead);
}

std::vector<std::string> SplitFolderNames(std::string_view rest, LeadBytePredicate isLead) {
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t at = 0; at <= rest.size();) {
    if (at == rest.size() || rest[at] == '\\') {
      if (at > start) names.emplace_back(rest.substr(start, at - start));
      start = ++at;
      continue;
    }
    at += CharLength(rest, at, isLead);
  }
  return names;
}

std::string IconCacheKey(std::string_view iconFile, int index, LeadBytePredicate isLead) {
  std::string key;
  key.reserve(iconFile.size() + 12);
  for (size_t at = 0; at < iconFile.size();) {
    size_t len = CharLength(iconFile, at, isLead);
    if (len == 2)
      key.append(iconFile.substr(at, 2));
    else
      key += AsciiUpper(iconFile[at]);
    at += len;
  }
  char number[16];
  std::snprintf(number, sizeof number, ",%d", index);
  return key + number;
}

std::optional<int> IconKeyList::Find(const std::string& key) const {
  auto found = indexOf_.find(key);
  if (found == indexOf_.end()) return std::nullopt;
  return found->second;
}

int IconKeyList::Append(const std::string& key) {
  const int index = static_cast<int>(keys_.size());
  keys_.push_back(key);
  indexOf_.emplace(key, index);
  return index;
}

void IconKeyList::Clear() {
  keys_.clear();
  indexOf_.clear();
}

}  // namespace zv
