#include "core/copyboard/mirror_folders.h"

namespace zv {

namespace {

}  // namespace

std::string DeviceFolderOf(std::string_view letter) {
  if (letter.empty()) return {};
  return std::string(letter) + ":\\" + kDeviceFolderName;
}

int DeviceUnitOf(std::string_view folder, const DriveLetters& letters, LeadBytePredicate isLead) {
  if (!letters.unit0.empty() && SamePath(folder, DeviceFolderOf(letters.unit0), isLead)) return 0;
  if (!letters.unit1.empty() && SamePath(folder, DeviceFolderOf(letters.unit1), isLead)) return 1;
  return -1;
}

std::string MirrorFolderOf(std::string_view programFolder, int unit, LeadBytePredicate isLead) {
  return JoinPath(programFolder, unit == 0 ? kUnit0MirrorName : kUnit1MirrorName, isLead);
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
  state.mirrorFolder = MirrorFolderOf(programFolder, unit, isLead);
  opening.shownFolder = state.mirrorFolder;
  opening.refillMirror = true;
  return opening;
}

std::string MapToDevice(const MirrorState& state, std::string_view path, LeadBytePredicate isLead) {
  size_t slash = LastBackslash(path, isLead);
  if (slash == std::string_view::npos || state.mirrorFolder.empty() ||
      !SamePath(path.substr(0, slash), state.mirrorFolder, isLead))
    return std::string(path);
  return JoinPath(state.deviceFolder, path.substr(slash + 1), isLead);
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

bool IsMirroredEntry(const FolderEntry& entry) { return IsListedEntry(entry.name, entry.isFolder); }

std::vector<std::string> PlanClearMirror(std::string_view mirrorFolder, const std::vector<FolderEntry>& mirrorEntries,
                                         LeadBytePredicate isLead) {
  std::vector<std::string> doomed;
  for (const FolderEntry& entry : mirrorEntries)
    if (IsMirroredEntry(entry)) doomed.push_back(JoinPath(mirrorFolder, entry.name, isLead));
  return doomed;
}

std::vector<FileCopy> PlanFillMirror(std::string_view deviceFolder, std::string_view mirrorFolder,
                                     const std::vector<FolderEntry>& deviceEntries, LeadBytePredicate isLead) {
  std::vector<FileCopy> copies;
  for (const FolderEntry& entry : deviceEntries)
    if (IsMirroredEntry(entry))
      copies.push_back({JoinPath(deviceFolder, entry.name, isLead), JoinPath(mirrorFolder, entry.name, isLead)});
  return copies;
}

}  // namespace zv
