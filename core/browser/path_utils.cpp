#include "core/browser/path_utils.h"

namespace zv {

namespace {

bool IsTwoByteAt(std::string_view text, size_t at, LeadBytePredicate isLead) {
  return isLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size();
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name, LeadBytePredicate isLead) {
  std::string path(folder);
  const bool endsInBackslash = !folder.empty() && LastBackslash(folder, isLead) == folder.size() - 1;
  if (!endsInBackslash) path += '\\';
  path += name;
  return path;
}

std::string_view ExtensionOfPath(std::string_view path, LeadBytePredicate isLead) {
  const std::string_view name = NameOfPath(path, isLead);
  size_t dot = std::string_view::npos;
  for (size_t at = 0; at < name.size();) {
    if (IsTwoByteAt(name, at, isLead)) {
      at += 2;
      continue;
    }
    if (name[at] == '.') dot = at;
    ++at;
  }
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::optional<std::string_view> FolderPartOf(std::string_view path, LeadBytePredicate isLead) {
  if (LastBackslash(path, isLead) == std::string_view::npos) return std::nullopt;
  return FolderOfPath(path, isLead);
}

std::string FoldedName(std::string_view name, LeadBytePredicate isLead) {
  std::string folded(name);
  for (size_t at = 0; at < folded.size();) {
    if (IsTwoByteAt(folded, at, isLead)) {
      at += 2;  // the trail byte may look like a letter; it is not one
      continue;
    }
    if (folded[at] >= 'a' && folded[at] <= 'z') folded[at] = static_cast<char>(folded[at] - 'a' + 'A');
    ++at;
  }
  return folded;
}

bool IsListedEntry(std::string_view name, bool isFolder) { return !isFolder && !name.empty() && name[0] != '.'; }

}  // namespace zv
