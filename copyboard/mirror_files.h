#pragma once
// Clear mirror and Fill mirror on the file system: the folder listings,
// deletes and copies that the mirror rules call for. (The copies out of the
// board are stamped by the file operations, which know what they wrote.)
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

}  // namespace zv
