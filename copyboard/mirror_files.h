#pragma once
// Clear mirror, Fill mirror and Stamp copies on the file system: the folder
// listings, deletes, copies and time stamps that the mirror rules call for.
// Every failure is ignored: a file that cannot be read is simply missing
// from the mirror.
#include <string>
#include <vector>

#include "core/copyboard/mirror_folders.h"

namespace zv {

// Deletes every plain file of the mirror folder (not those beginning with '.').
void ClearMirror(const std::string& mirrorFolder);
// Copies every plain file of the device folder into the mirror, overwriting.
void FillMirror(const std::string& deviceFolder, const std::string& mirrorFolder);
// Copies one board file to `mirrorCopy`, replacing what is there even when it
// is read-only, and leaves the copy writable (the board file is untouched).
// False when the board file could not be copied; no old copy is left then.
bool CopyToMirror(const std::string& boardFile, const std::string& mirrorCopy);

// Stamp copies: after a copy or move out of the board, the copies of
// `sources` in `destinationFolder` get the current time as their last-write
// time (creation and access times stay), when StampApplies says so. A copy
// that cannot be opened for writing is skipped.
void StampCopies(const MirrorState& state, const std::vector<std::string>& sources,
                 const std::string& destinationFolder, int intSysDte);

}  // namespace zv
