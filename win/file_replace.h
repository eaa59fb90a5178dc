#pragma once
// Saving a file whole or not at all: the bytes go under a temporary name
// beside the target ("~zvtmp.<name>", which keeps the extension that names
// a picture's format), are flushed and closed, and only
// then take the target's name. A process killed in between leaves the old
// file whole plus a temporary, which the next start (for the thumbnail
// cache and the scan folder) or the next listing of its folder deletes.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/ansi_path.h"

namespace zv::win {

inline constexpr char kTemporaryPrefix[] = "~zvtmp.";

std::string TemporaryPathFor(const std::string& target);

// True only for names this module gives its temporaries.
bool IsTemporaryName(std::string_view name);

// Deletes the temporaries that saves in `folder` left behind; returns how many.
size_t DeleteLeftoverTemporaries(const std::string& folder);
// The same for a listing of `folder` already made (win::ListedFiles): the
// temporaries among its entries are deleted and taken out of them, so that
// the listing needs no second pass over a large folder.
size_t DeleteLeftoverTemporaries(const std::string& folder, std::vector<FolderEntry>& entries);

using FileWriter = std::function<bool(HANDLE file)>;

// Writes the temporary with `write`, then renames it over `target` (with
// `replace`) or to `target` only while that name is free (without). On any
// failure the temporary is deleted, `target` is as it was, the failure is
// logged, and the result is false. `beforeRename` runs once the temporary
// is complete and closed.
bool SaveReplacing(const std::string& target, const FileWriter& write, bool replace = true,
                   const std::function<void()>& beforeRename = {});

// Moves a complete temporary to `target` (replacing it or not). On failure
// the temporary stays for the caller (another name, or delete it);
// GetLastError tells why.
bool CommitTemporary(const std::string& temporary, const std::string& target, bool replace);

// For tests only: called with the temporary and the target after a
// temporary is complete and before it is renamed. The program never sets it.
using BeforeCommitHook = void (*)(const std::string& temporary, const std::string& target);
void SetBeforeCommitHook(BeforeCommitHook hook);

}  // namespace zv::win
