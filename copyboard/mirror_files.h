#pragma once
// Clear mirror and Fill mirror on the file system: the folder listings and
// the deletes and copies that the mirror plans call for. Every failure is
// ignored: a file that cannot be read is simply missing from the mirror.
#include <string>
#include <vector>

#include "core/copyboard/mirror_folders.h"

namespace zv {

// The entries of `folder` as "*.*" lists them (with "." and "..").
std::vector<FolderEntry> ListFolderEntries(const std::string& folder);

// Deletes every plain file of the mirror folder (not those beginning with '.').
void ClearMirror(const std::string& mirrorFolder);
// Copies every plain file of the device folder into the mirror, overwriting.
void FillMirror(const std::string& deviceFolder, const std::string& mirrorFolder);

}  // namespace zv
