#include "core/fileops/file_operation_plan.h"

#include <new>

#include "core/text/ansi_path.h"

namespace zv {

namespace {

bool Usable(std::string_view path) { return !path.empty() && path.find('\0') == std::string_view::npos; }

bool ActsOnTheBoard(FileOperationMode mode) { return mode != FileOperationMode::Copy; }

void AppendListEntry(std::string& list, std::string_view path) {
  list.append(path);
  list.push_back('\0');
}

}  // namespace

std::optional<FileOperationPlan> PlanMultiFileOperation(const MirrorState& mirror,
                                                        const std::vector<std::string>& sources,
                                                        std::string_view destination, FileOperationMode mode,
                                                        LeadBytePredicate isLead) noexcept {
  if (mode == FileOperationMode::Rename || sources.empty()) return std::nullopt;
  const bool toFolder = mode != FileOperationMode::Delete;
  if (toFolder && !Usable(destination)) return std::nullopt;
  for (const std::string& source : sources)
    if (!Usable(source)) return std::nullopt;
  try {
    FileOperationPlan plan;
    plan.mode = mode;
    // The first source decides: its folder is the mirror or it is not.
    const bool mirrored = !mirror.mirrorFolder.empty() &&
                          SamePath(FolderOfPath(sources.front(), isLead), mirror.mirrorFolder, isLead);
    plan.sources.reserve(sources.size());
    for (const std::string& source : sources) {
      if (mirrored && ActsOnTheBoard(mode)) {
        std::string device = MapToDevice(mirror, source, isLead);
        if (device != source) plan.mirrorFiles.push_back(source);
        plan.sources.push_back(std::move(device));
      } else {
        plan.sources.push_back(source);
      }
    }
    // Nothing is copied or moved onto itself.
    if (toFolder && SamePath(FolderOfPath(plan.sources.front(), isLead), destination, isLead)) return std::nullopt;
    for (const std::string& source : plan.sources) {
      AppendListEntry(plan.from, source);
      if (toFolder) plan.written.push_back(JoinPath(destination, NameOfPath(source, isLead), isLead));
    }
    plan.from.push_back('\0');
    if (toFolder) {
      AppendListEntry(plan.to, destination);
      plan.to.push_back('\0');
    }
    return plan;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::optional<FileOperationPlan> PlanOneFileOperation(const MirrorState& mirror, std::string_view source,
                                                      std::string_view target, FileOperationMode mode,
                                                      LeadBytePredicate isLead) noexcept {
  const bool hasTarget = mode != FileOperationMode::Delete;
  if (!Usable(source) || (hasTarget && !Usable(target))) return std::nullopt;
  try {
    FileOperationPlan plan;
    plan.mode = mode;
    std::string device = MapToDevice(mirror, source, isLead);
    const bool mirrored = device != source;
    if (mirrored && ActsOnTheBoard(mode)) plan.mirrorFiles.emplace_back(source);
    if (hasTarget) {
      std::string deviceTarget = MapToDevice(mirror, target, isLead);
      // A rename may change only the case of the name; a copy or move onto itself does nothing.
      if (mode == FileOperationMode::Rename ? device == deviceTarget : SamePath(device, deviceTarget, isLead))
        return std::nullopt;
      if (mode == FileOperationMode::Rename && mirrored)
        plan.mirrorRenamed = JoinPath(mirror.mirrorFolder, NameOfPath(target, isLead), isLead);
      if (mode == FileOperationMode::Copy || mode == FileOperationMode::Move) plan.written.push_back(deviceTarget);
      AppendListEntry(plan.to, deviceTarget);
      plan.to.push_back('\0');
    }
    AppendListEntry(plan.from, device);
    plan.from.push_back('\0');
    plan.sources.push_back(std::move(device));
    return plan;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace zv
