#include "core/fileops/folder_name_rules.h"

#include "core/fileops/input_rules.h"
#include "core/text/ansi_path.h"

namespace zv {

NewFolderProblem CheckNewFolderName(std::string_view parent, std::string_view name, const ExistenceTest& exists,
                                    LeadBytePredicate isLead) {
  if (name.size() > kMaxNewFolderNameBytes) return NewFolderProblem::TooLong;
  if (FindAnyChar(name, kForbiddenNameChars, isLead) != std::string_view::npos) return NewFolderProblem::ForbiddenChar;
  if (exists && exists(std::string(parent) + "\\" + std::string(name))) return NewFolderProblem::Exists;
  return NewFolderProblem::None;
}

std::string FreeFolderName(std::string_view folder, std::string_view name, const ExistenceTest& exists,
                           LeadBytePredicate isLead) {
  std::string candidate(name);
  for (int number = 1; exists && exists(JoinPath(folder, candidate, isLead)) && number <= kFreeNameTries; ++number)
    candidate = std::string(name) + "(" + std::to_string(number) + ")";
  return candidate;
}

}  // namespace zv
