#pragma once
// What one shell file operation (copy, move, delete, rename) acts on,
// planned whole before the shell is asked: the shell's path lists, the
// mirror mapping (a file shown from the copyboard's mirror folder is moved,
// deleted or renamed on the board itself), the mirror copies to drop
// afterwards, and the files the operation may write (the copies to stamp).
//
// Planning allocates everything the operation needs; it never throws, so
// that out of memory means no operation at all rather than half of one.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/copyboard/mirror_folders.h"
#include "core/text/ansi_text.h"

namespace zv {

enum class FileOperationMode { Copy = 0, Move = 1, Delete = 2, Rename = 3 };

struct FileOperationPlan {
  FileOperationMode mode = FileOperationMode::Copy;
  // The sources as the shell gets them (device files for a move, delete or
  // rename through the mirror; for a copy the mirror files themselves).
  std::vector<std::string> sources;
  // pFrom: every source followed by a NUL, and one more NUL.
  std::string from;
  // pTo: the destination followed by two NULs; empty for a delete.
  std::string to;
  // Mirror copies of the files the shell moves, deletes or renames on the
  // board; each goes only when its device file is gone afterwards.
  std::vector<std::string> mirrorFiles;
  // The files a copy or move writes, one per source: the candidates for
  // stamping. Empty for a delete or rename.
  std::vector<std::string> written;
  // A rename through the mirror: the new name of the mirror copy.
  std::string mirrorRenamed;
};

// The multi-file operation: `sources` (at least one; all from one folder, the
// first decides the mirror mapping) copied or moved into `destination`, or
// deleted (`destination` unused). Nothing (nullopt) for a rename, an empty
// or NUL-holding path, a missing destination, sources whose folder is the
// destination, or when memory runs out.
std::optional<FileOperationPlan> PlanMultiFileOperation(const MirrorState& mirror,
                                                        const std::vector<std::string>& sources,
                                                        std::string_view destination, FileOperationMode mode,
                                                        LeadBytePredicate isLead) noexcept;

// The one-file operation: `source` copied or moved to the full path
// `target`, renamed to it, or deleted (`target` unused). Source and target
// in the mirror folder both stand for their device files. Nothing for a
// missing or NUL-holding path, a copy or move onto the file itself, or when
// memory runs out.
std::optional<FileOperationPlan> PlanOneFileOperation(const MirrorState& mirror, std::string_view source,
                                                      std::string_view target, FileOperationMode mode,
                                                      LeadBytePredicate isLead) noexcept;

}  // namespace zv
