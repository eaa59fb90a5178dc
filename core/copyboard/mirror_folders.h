#pragma once
// Mirror folders: the board's images are never browsed in place. Opening a
// unit's device folder ("E:\ZVM") copies its plain files into the unit's
// mirror folder beside the program (Q7IF for unit 0, Q7CF for unit 1) and
// shows the mirror; file operations on shown files are carried out on the
// board's own files through Map to device.
//
// Paths are ANSI texts compared ignoring case the way the system's multibyte
// compare does: single-byte letters fold, two-byte characters compare exactly.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/copyboard/drive_finder.h"
#include "core/text/ansi_path.h"
#include "core/text/ansi_text.h"

namespace zv {

inline constexpr char kDeviceFolderName[] = "ZVM";
inline constexpr char kUnit0MirrorName[] = "Q7IF";
inline constexpr char kUnit1MirrorName[] = "Q7CF";

// "E" -> "E:\ZVM"; empty for an empty letter (the unit was not found).
std::string DeviceFolderOf(std::string_view letter);
// The unit (0 or 1) whose device folder `folder` is, or -1. Units whose
// letter is unknown never match.
int DeviceUnitOf(std::string_view folder, const DriveLetters& letters, LeadBytePredicate isLead);
// programFolder + "\Q7IF" for unit 0, + "\Q7CF" for unit 1.
std::string MirrorFolderOf(std::string_view programFolder, int unit, LeadBytePredicate isLead);

// The mirror state of the file list view. The two paths keep their last
// values when an ordinary folder is opened.
struct MirrorState {
  bool active = false;
  std::string deviceFolder;  // the device folder the mirror copies, e.g. E:\ZVM
  std::string mirrorFolder;  // the mirror folder that is shown
};

// What the file list view does when it opens a folder.
struct FolderOpening {
  std::string shownFolder;            // the folder to list; empty: list nothing
  bool refillMirror = false;          // Clear mirror, then Fill mirror, before listing
  bool rememberAsLastFolder = false;  // store shownFolder in chaLstFld
};

// Opening `path`: a device folder is mirrored only while unit 0's drive is
// ready; anything else is shown as it is and remembered as the last folder.
FolderOpening OpenFolder(MirrorState& state, std::string_view path, const Unit0Readiness& readiness,
                         std::string_view programFolder, LeadBytePredicate isLead);

// A path in the mirror folder becomes the same name in the device folder;
// any other path is returned unchanged. Compares whether or not the mirror is
// active, as the file commands expect.
std::string MapToDevice(const MirrorState& state, std::string_view path, LeadBytePredicate isLead);

// Whether copies of `sources` get the current time as their modification
// time: only with intSysDte 1 and when the first source lies in a device
// folder of a known unit or in the mirror folder.
bool StampApplies(const MirrorState& state, const std::vector<std::string>& sources, const DriveLetters& letters,
                  int intSysDte, LeadBytePredicate isLead);

// After a delete or move through the mirror: the listed mirror files whose
// device file is gone. A mirror file whose device file is still there (the
// user cancelled the shell's confirmation) stays, so the list keeps showing
// what the board holds.
std::vector<std::string> MirrorFilesToDrop(const MirrorState& state, const std::vector<std::string>& mirrorFiles,
                                           const std::function<bool(const std::string&)>& deviceFileExists,
                                           LeadBytePredicate isLead);

// One entry of a folder listing ("*.*").

// Only plain files whose name does not begin with '.' are mirrored; this
// also leaves out "." and "..".
bool IsMirroredEntry(const FolderEntry& entry);

// Clear mirror: the files of the mirror folder to delete. Subfolders stay.
std::vector<std::string> PlanClearMirror(std::string_view mirrorFolder, const std::vector<FolderEntry>& mirrorEntries,
                                         LeadBytePredicate isLead);

struct FileCopy {
  std::string from;
  std::string to;
};
// Fill mirror: one copy (overwriting) per mirrored file of the device folder.
std::vector<FileCopy> PlanFillMirror(std::string_view deviceFolder, std::string_view mirrorFolder,
                                     const std::vector<FolderEntry>& deviceEntries, LeadBytePredicate isLead);

}  // namespace zv
