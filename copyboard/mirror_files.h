#pragma once
// Clear mirror and Fill mirror on the file system: the folder listings,
// deletes and copies that the mirror rules call for. (The copies out of the
// board are stamped by the file operations, which know what they wrote.)
// Every failure is ignored: a file that cannot be read is simply missing
// from the mirror. The mirror only ever holds whole copies: each is made
// under a temporary name beside its place and takes the name when complete.
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
// False when the board file could not be copied whole (a pulled board, a
// file gone); the old copy, if any, is then left as it was.
bool CopyToMirror(const std::string& boardFile, const std::string& mirrorCopy);

// For tests only: called with the board file after each piece of it is
// copied; false stops that copy there, as a read error on a board pulled out
// would. The program never sets it.
using MirrorCopyHook = bool (*)(const std::string& boardFile);
void SetMirrorCopyHook(MirrorCopyHook hook);

}  // namespace zv
