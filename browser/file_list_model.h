#pragma once
// The file list's model: the folder it lists, its records (FileListItems),
// the mirror state of a copyboard folder, and the listing and refresh that
// fill it from the file system. It owns no window; the file list view tells
// its presenters what changed.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browser/folder_reader.h"
#include "browser/thumb_cache_store.h"
#include "core/app/envset.h"
#include "core/browser/file_list_items.h"
#include "core/copyboard/mirror_folders.h"

namespace zv {

class FileListModel {
 public:
  // The model remembers the last ordinary folder in `settings` (chaLstFld).
  explicit FileListModel(EnvSet& settings) : settings_(settings) {}

  // Opens `folder` (null or empty: none): a copyboard device folder is
  // copied into its mirror folder afresh and the mirror is listed. Then
  // every recognised image is read and the records are sorted.
  void OpenFolder(const char* folder, int sortKey, int sortDir);

  struct RefreshChanges {
    std::vector<size_t> removed;   // indices before the refresh, highest first
    std::vector<size_t> replaced;  // indices after the removals: records read afresh
    size_t firstAdded = 0;         // new records are at firstAdded..size-1
  };
  // Incremental rescan: drops records whose file is gone and appends new
  // files at the end, unsorted; a file rewritten in place keeps its record.
  // In mirror mode new board files are copied into the mirror first, and a
  // board file whose size or time differs from its copy (replaced on the
  // board under its old name) is copied again and its record read afresh.
  RefreshChanges Refresh();

  // Asked for each folder about to be listed: which of its files are known
  // unchanged since they were last listed (see KnownFile); none by default.
  using KnownFilesOf = std::function<KnownFile(const std::string& folder)>;
  void SetKnownFiles(KnownFilesOf provider) { knownFiles_ = std::move(provider); }

  // Where a folder's listing facts are kept between listings (ListingFacts):
  // `recall` gives what is kept for a folder, `keep` keeps (false: not kept,
  // try again later). None by default: every listing reads every file.
  struct ListingMemory {
    std::function<std::optional<ListingFacts>(const std::string& folder)> recall;
    std::function<bool(const std::string& folder, const ListingFacts& facts)> keep;
  };
  void SetListingMemory(ListingMemory memory) { memory_ = std::move(memory); }
  // Keeps what the listings and refreshes of the folder learned, when it is
  // not kept yet. Cheap when nothing changed.
  void KeepListing();

  FileListItems& items() { return items_; }
  const FileListItems& items() const { return items_; }
  // The folder listed (the mirror folder in mirror mode); empty when none.
  const std::string& folder() const { return folder_; }
  const MirrorState& mirror() const { return mirror_; }
  const ListingTimes& lastListingTimes() const { return times_; }

 private:
  void ReadFolder();
  void RecopyChangedBoardFiles(const ImageProbe& probe, std::vector<size_t>* replaced);
  void StoreLastFolder(const std::string& folder);
  void RememberFacts(const FileListItem& record);

  EnvSet& settings_;
  FileListItems items_;
  std::string folder_;
  MirrorState mirror_;
  ListingTimes times_;
  KnownFilesOf knownFiles_;
  ListingMemory memory_;
  ListingFacts facts_;        // of folder_'s files, as last learned
  bool factsKept_ = true;     // facts_ is what the memory holds
};

// The program's memory of listings: each folder's facts beside its
// thumbnail cache file in `store`, so only a folder the cache's index names
// (one shown as thumbnails) has them.
FileListModel::ListingMemory ListingMemoryIn(ThumbCacheStore& store);

}  // namespace zv
