#include "core/text/ansi_path.h"

namespace zv {

namespace {

bool IsTwoByteAt(std::string_view text, size_t at, LeadBytePredicate isLead) {
  return isLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size();
}

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The index of the last single-byte `wanted` in `text`, or npos.
size_t LastOwnChar(std::string_view text, char wanted, LeadBytePredicate isLead) {
  size_t last = std::string_view::npos;
  for (size_t at = 0; at < text.size();) {
    if (IsTwoByteAt(text, at, isLead)) {
      at += 2;
      continue;
    }
    if (text[at] == wanted) last = at;
    ++at;
  }
  return last;
}

}  // namespace

size_t LastBackslash(std::string_view path, LeadBytePredicate isLead) { return LastOwnChar(path, '\\', isLead); }

std::string JoinPath(std::string_view folder, std::string_view name, LeadBytePredicate isLead) {
  std::string path(folder);
  const bool endsInBackslash = !folder.empty() && LastBackslash(folder, isLead) == folder.size() - 1;
  if (!endsInBackslash) path += '\\';
  path += name;
  return path;
}

std::string_view FolderOfPath(std::string_view path, LeadBytePredicate isLead) {
  const size_t slash = LastBackslash(path, isLead);
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::optional<std::string_view> FolderPartOf(std::string_view path, LeadBytePredicate isLead) {
  if (LastBackslash(path, isLead) == std::string_view::npos) return std::nullopt;
  return FolderOfPath(path, isLead);
}

std::string_view NameOfPath(std::string_view path, LeadBytePredicate isLead) {
  const size_t slash = LastBackslash(path, isLead);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view ExtensionOfPath(std::string_view path, LeadBytePredicate isLead) {
  const std::string_view name = NameOfPath(path, isLead);
  const size_t dot = LastOwnChar(name, '.', isLead);
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

bool SamePath(std::string_view a, std::string_view b, LeadBytePredicate isLead) {
  if (a.size() != b.size()) return false;
  for (size_t at = 0; at < a.size();) {
    if (IsTwoByteAt(a, at, isLead)) {
      // The trail byte may look like an ASCII letter but must not be folded.
      if (a.substr(at, 2) != b.substr(at, 2)) return false;
      at += 2;
      continue;
    }
    if (FoldAscii(a[at]) != FoldAscii(b[at])) return false;
    ++at;
  }
  return true;
}

std::string FoldedName(std::string_view name, LeadBytePredicate isLead) {
  std::string folded(name);
  for (size_t at = 0; at < folded.size();) {
    if (IsTwoByteAt(folded, at, isLead)) {
      at += 2;
      continue;
    }
    folded[at] = FoldAscii(folded[at]);
    ++at;
  }
  return folded;
}

bool IsListedEntry(std::string_view name, bool isFolder) { return !isFolder && !name.empty() && name[0] != '.'; }

}  // namespace zv
