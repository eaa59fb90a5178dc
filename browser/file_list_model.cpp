#include "browser/file_list_model.h"

#include <windows.h>

#include "app/app_paths.h"
#include "copyboard/mirror_files.h"
#include "copyboard/win_copyboard_system.h"
#include "core/copyboard/drive_finder.h"
#include "core/text/ansi_path.h"
#include "win/file_replace.h"
#include "win/folder_listing.h"
#include "win/text_convert.h"

namespace zv {

void FileListModel::OpenFolder(const char* folder, int sortKey, int sortDir) {
  const std::string path = folder != nullptr ? folder : "";
  Unit0Readiness readiness;
  if (!path.empty()) {
    Win32CopyboardSystem system;
    readiness = DriveFinder(system).Unit0Ready();
  }
  const FolderOpening opening = zv::OpenFolder(mirror_, path, readiness, ProgramFolder(), win::IsAnsiLeadByte);
  if (opening.refillMirror) {
    // Start-up makes the mirror folders; one removed since is made again.
    CreateDirectoryA(mirror_.mirrorFolder.c_str(), nullptr);
    ClearMirror(mirror_.mirrorFolder);
    FillMirror(mirror_.deviceFolder, mirror_.mirrorFolder);
  }
  if (opening.rememberAsLastFolder) StoreLastFolder(opening.shownFolder);
  folder_ = opening.shownFolder;
  times_ = {};
  PhaseTimer total(times_.total);
  ReadFolder();
  PhaseTimer timer(times_.sort);
  items_.Sort(sortKey, sortDir, win::IsAnsiLeadByte);
}

void FileListModel::ReadFolder() {
  items_.Clear();
  facts_ = ListingFacts();
  factsKept_ = true;
  if (folder_.empty()) return;
  std::vector<FolderEntry> files;
  {
    PhaseTimer timer(times_.enumerate);
    files = win::ListedFiles(folder_);
    // A save into this folder (a converted picture, a scan) that was cut off
    // left its temporary here; nothing of ours is writing one now.
    win::DeleteLeftoverTemporaries(folder_, files);
  }
  times_.namesSeen = static_cast<int>(files.size());
  KnownFile known;
  std::optional<ListingFacts> recalled;
  {
    PhaseTimer timer(times_.lookups);
    if (knownFiles_) known = knownFiles_(folder_);
    PhaseTimer recall(times_.recall);
    if (memory_.recall) recalled = memory_.recall(folder_);
  }
  LearnedFacts learned;
  for (const FileListItem& record :
       ReadImageRecords(folder_, files, times_, {recalled ? &*recalled : nullptr, known}, &learned))
    items_.Append(record);
  times_.listed = static_cast<int>(items_.size());
  factsKept_ = !learned.changed;
  facts_ = learned.changed ? std::move(learned.facts) : std::move(*recalled);
}

FileListModel::ListingMemory ListingMemoryIn(ThumbCacheStore& store) {
  return {[&store](const std::string& folder) { return store.LoadListingFacts(folder); },
          [&store](const std::string& folder, const ListingFacts& facts) {
            return store.SaveListingFacts(folder, facts);
          }};
}

void FileListModel::KeepListing() {
  if (factsKept_ || folder_.empty() || !memory_.keep) return;
  factsKept_ = memory_.keep(folder_, facts_);
}

void FileListModel::StoreLastFolder(const std::string& folder) {
  // A folder too long for the record is not stored cut (it would name another folder).
  if (folder.size() < sizeof settings_.chaLstFld) CopyToField(settings_.chaLstFld, folder, win::IsAnsiLeadByte);
}

namespace {

bool SameSizeAndTime(const std::string& a, const std::string& b) {
  WIN32_FILE_ATTRIBUTE_DATA x{}, y{};
  if (!GetFileAttributesExA(a.c_str(), GetFileExInfoStandard, &x) ||
      !GetFileAttributesExA(b.c_str(), GetFileExInfoStandard, &y))
    return true;  // nothing to compare: left as it is
  return x.nFileSizeLow == y.nFileSizeLow && x.nFileSizeHigh == y.nFileSizeHigh &&
         CompareFileTime(&x.ftLastWriteTime, &y.ftLastWriteTime) == 0;
}

}  // namespace

// A record read by a refresh: the next listing need not read its file.
// (Removed files may keep their facts: a file of that name, size and time
// that comes back is the same picture.)
void FileListModel::RememberFacts(const FileListItem& record) {
  factsKept_ = !facts_.Put(record.name, FactsOf(record)) && factsKept_;
}

void FileListModel::RecopyChangedBoardFiles(const ImageProbe& probe, std::vector<size_t>* replaced) {
  FileListItem record{};
  for (size_t i = 0; i < items_.size(); ++i) {
    const FileListItem& listed = *items_.At(i);
    const std::string board = JoinPath(mirror_.deviceFolder, listed.name, win::IsAnsiLeadByte);
    if (SameSizeAndTime(board, listed.path)) continue;
    const std::string name = listed.name;
    if (!CopyToMirror(board, listed.path) || !ReadImageRecord(folder_, name, probe, record, times_)) continue;
    items_.Replace(i, record);
    RememberFacts(record);
    replaced->push_back(i);
  }
}

FileListModel::RefreshChanges FileListModel::Refresh() {
  RefreshChanges changes;
  if (folder_.empty()) return changes;
  changes.removed = items_.VanishedIndices([](const char* path) { return StillExists(path); });
  for (size_t index : changes.removed) items_.Remove(index);
  changes.firstAdded = items_.size();

  // In mirror mode the board's device folder is what may have new files.
  const std::string& source = mirror_.active ? mirror_.deviceFolder : folder_;
  const ImageProbe probe;
  if (mirror_.active) RecopyChangedBoardFiles(probe, &changes.replaced);
  FileListItem record{};
  for (const std::string& name : items_.NewNames(win::ListedFileNames(source), win::IsAnsiLeadByte)) {
    if (mirror_.active)
      CopyToMirror(JoinPath(source, name, win::IsAnsiLeadByte), JoinPath(folder_, name, win::IsAnsiLeadByte));
    if (!ReadImageRecord(folder_, name, probe, record, times_)) continue;
    items_.Append(record);
    RememberFacts(record);
  }
  return changes;
}

}  // namespace zv
