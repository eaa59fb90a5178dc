#pragma once
// Rules for naming a new folder that need no window: the checks the folder
// tree makes before it creates a folder, in their order, and the search for
// a free name ("name", "name(1)", "name(2)", ...) that the new-folder
// commands propose. Existence is asked of the caller, so the rules run on any
// file system (and on none in the tests).
#include <functional>
#include <string>
#include <string_view>

#include "core/text/ansi_text.h"

namespace zv {

// A new folder name may hold at most this many bytes of the code page.
inline constexpr size_t kMaxNewFolderNameBytes = 250;

enum class NewFolderProblem {
  None,
  TooLong,        // more than kMaxNewFolderNameBytes
  ForbiddenChar,  // one of kForbiddenNameChars
  Exists,         // a file or folder of that name is in the parent folder
};

// True when `path` names an existing file or folder.
using ExistenceTest = std::function<bool(const std::string& path)>;

// The first problem of `name` for a new folder in `parent`, checked in the
// order length, characters, existence; existence is asked only for a name
// that passed the other two.
NewFolderProblem CheckNewFolderName(std::string_view parent, std::string_view name, const ExistenceTest& exists,
                                    LeadBytePredicate isLead);

// The first of name, name(1), name(2), ... that does not exist in `folder`.
// Gives up after kFreeNameTries numbers and proposes the last one tried; the
// folder name dialog then refuses it as existing, so nothing is overwritten.
inline constexpr int kFreeNameTries = 9999;
std::string FreeFolderName(std::string_view folder, std::string_view name, const ExistenceTest& exists,
                           LeadBytePredicate isLead);

}  // namespace zv
