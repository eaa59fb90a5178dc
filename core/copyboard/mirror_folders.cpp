#include "core/copyboard/mirror_folders.h"

namespace zv {

namespace {

unsigned char FoldAscii(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c; }

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  path += '\\';
  path += name;
  return path;
}

}  // namespace

bool SamePath(std::string_view a, std::string_view b, LeadBytePredicate isLead) {
  if (a.size() != b.size()) return false;
  for (size_t at = 0; at < a.size();) {
    auto ca = static_cast<unsigned char>(a[at]);
    auto cb = static_cast<unsigned char>(b[at]);
    if (isLead(ca) && at + 1 < a.size()) {
      // A two-byte character: its trail byte may look like an ASCII letter
      // but must not be folded.
      if (ca != cb || a[at + 1] != b[at + 1]) return false;
      at += 2;
      continue;
    }
    if (FoldAscii(ca) != FoldAscii(cb)) return false;
    ++at;
  }
  return true;
}

size_t LastBackslash(std::string_view path, LeadBytePredicate isLead) {
  size_t last = std::string_view::npos;
  for (size_t at = 0; at < path.size();) {
    if (isLead(static_cast<unsigned char>(path[at])) && at + 1 < path.size()) {
      at += 2;
      continue;
    }
    if (path[at] == '\\') last = at;
    ++at;
  }
  return last;
}

std::string_view FolderOfPath(std::string_view path, LeadBytePredicate isLead) {
  size_t slash = LastBackslash(path, isLead);
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string_view NameOfPath(std::string_view path, LeadBytePredicate isLead) {
  size_t slash = LastBackslash(path, isLead);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string DeviceFolderOf(std::string_view letter) {
  if (letter.empty()) return {};
  return std::string(letter) + ":\\" + kDeviceFolderName;
}

int DeviceUnitOf(std::string_view folder, const DriveLetters& letters, LeadBytePredicate isLead) {
  if (!letters.unit0.empty() && SamePath(folder, DeviceFolderOf(letters.unit0), isLead)) return 0;
  if (!letters.unit1.empty() && SamePath(folder, DeviceFolderOf(letters.unit1), isLead)) return 1;
  return -1;
}

std::string MirrorFolderOf(std::string_view programFolder, int unit) {
  return JoinPath(programFolder, unit == 0 ? kUnit0MirrorName : kUnit1MirrorName);
}

FolderOpening OpenFolder(MirrorState& state, std::string_view path, const Unit0Readiness& readiness,
                         std::string_view programFolder, LeadBytePredicate isLead) {
  state.active = false;
  FolderOpening opening;
  if (path.empty()) return opening;
  // Without unit 0's drive the board is not usable: its folders are listed
  // like any other folder, with no mirror.
  int unit = readiness.ready ? DeviceUnitOf(path, readiness.letters, isLead) : -1;
  if (unit < 0) {
    opening.shownFolder = std::string(path);
    opening.rememberAsLastFolder = true;
    return opening;
  }
  state.active = true;
  state.deviceFolder = std::string(path);
  state.mirrorFolder = MirrorFolderOf(programFolder, unit);
  opening.shownFolder = state.mirrorFolder;
  opening.refillMirror = true;
  return opening;
}

std::string MapToDevice(const MirrorState& state, std::string_view path, LeadBytePredicate isLead) {
  size_t slash = LastBackslash(path, isLead);
  if (slash == std::string_view::npos || state.mirrorFolder.empty() ||
      !SamePath(path.substr(0, slash), state.mirrorFolder, isLead))
    return std::string(path);
  return JoinPath(state.deviceFolder, path.substr(slash + 1));
}

bool StampApplies(const MirrorState& state, const std::vector<std::string>& sources, const DriveLetters& letters,
                  int intSysDte, LeadBytePredicate isLead) {
  if (intSysDte != 1 || sources.empty()) return false;
  std::string_view folder = FolderOfPath(sources.front(), isLead);
  if (DeviceUnitOf(folder, letters, isLead) >= 0) return true;
  return !state.mirrorFolder.empty() && SamePath(folder, state.mirrorFolder, isLead);
}

std::vector<std::string> MirrorFilesToDrop(const MirrorState& state, const std::vector<std::string>& mirrorFiles,
                                           const std::function<bool(const std::string&)>& deviceFileExists,
                                           LeadBytePredicate isLead) {
  std::vector<std::string> drop;
  for (const std::string& file : mirrorFiles) {
    std::string device = MapToDevice(state, file, isLead);
    if (device == file) continue;  // not a mirror file: nothing of ours to drop
    if (!deviceFileExists(device)) drop.push_back(file);
  }
  return drop;
}

bool IsMirroredEntry(const FolderEntry& entry) { return !entry.isFolder && !entry.name.empty() && entry.name[0] != '.'; }

std::vector<std::string> PlanClearMirror(std::string_view mirrorFolder, const std::vector<FolderEntry>& mirrorEntries) {
  std::vector<std::string> doomed;
  for (const FolderEntry& entry : mirrorEntries)
    if (IsMirroredEntry(entry)) doomed.push_back(JoinPath(mirrorFolder, entry.name));
  return doomed;
}

std::vector<FileCopy> PlanFillMirror(std::string_view deviceFolder, std::string_view mirrorFolder,
                                     const std::vector<FolderEntry>& deviceEntries) {
  std::vector<FileCopy> copies;
  for (const FolderEntry& entry : deviceEntries)
    if (IsMirroredEntry(entry)) copies.push_back({JoinPath(deviceFolder, entry.name), JoinPath(mirrorFolder, entry.name)});
  return copies;
}

}  // namespace zv
