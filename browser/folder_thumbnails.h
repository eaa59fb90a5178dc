#pragma once
// The thumbnails of the folder the grid shows, with everything they need:
// the folder's open cache file, the memory-bounded pixel store that reads
// dropped thumbnails back from it, and the workers that make the missing
// ones. This object alone holds them, so that the three always agree about
// which folder and which box they serve; the grid presenter asks it by cell
// id and never keeps a pointer into them.
//
// Two operations say what happens to a folder:
// - Leave: the folder is done with. Its thumbnails are saved (when a grid
//   was filled and something changed), then everything is let go, so that
//   the next folder starts clean and no file of this one is held open.
// - Pause / Resume: a file command changes the folder while it stays shown.
//   The workers stop reading its pictures (a running decode stops at its
//   next strip), every thumbnail made so far and the open cache file stay,
//   and Resume carries on at the box in use. Nothing is written.
//
// User-interface thread only (the workers are its own threads).
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/folder_reader.h"
#include "browser/thumb_cache_store.h"
#include "browser/thumb_pixel_store.h"
#include "browser/thumb_workers.h"

namespace zv {

class FolderThumbnails {
 public:
  // Thumbnails in memory are bounded by `budgetBytes`; the cache files are
  // those of `cache`, which outlives this object.
  explicit FolderThumbnails(ThumbCacheStore& cache, size_t budgetBytes = ThumbPixelStore::kDefaultBudget);
  // The workers stop before the store and the cache file go.
  ~FolderThumbnails();
  FolderThumbnails(const FolderThumbnails&) = delete;
  FolderThumbnails& operator=(const FolderThumbnails&) = delete;

  // The workers post `message` to `target` when thumbnails are ready.
  void StartWorkers(HWND target, UINT message);

  ThumbBox box() const { return box_; }
  // Another box: the thumbnails made so far are forgotten, not saved (a
  // cache file keeps the box it was written for).
  void SetBox(ThumbBox box);

  // Before `folder` is listed: which of its files the cache knows unchanged.
  // Only a folder the index already names is looked at, and the index is
  // not changed: a folder that turns out to hold no pictures gets no line.
  KnownFile Preload(const std::string& folder);

  // A grid of `folder` is being filled (it holds pictures): its cache file
  // is looked up, which puts its index line first, and opened; the
  // thumbnails of an earlier fill are forgotten.
  void Open(const std::string& folder);
  // The usable cached thumbnail of a file, or null.
  const ThumbCacheEntry* FindCached(const ThumbKey& key) const;
  // True when entry `index` of the cache file is `entry` and the file holds
  // `count` entries: the file lists the cells in their order.
  bool CachedAt(size_t index, const ThumbCacheEntry* entry, size_t count) const;
  void PutCached(uint64_t cellId, const ThumbCacheEntry& entry);

  // A new set of thumbnails to make (earlier requests and results dropped).
  void Make(std::vector<ThumbRequest> requests);
  void MakeOne(ThumbRequest request);
  void Prefer(const std::vector<uint64_t>& cellIds);

  // The oldest thumbnail the workers made and nobody took yet, stored; its
  // cell's id with whether it got a thumbnail. None: nothing waits, and the
  // workers announce their next result again.
  struct Made {
    uint64_t cellId;
    bool ok;
  };
  std::optional<Made> TakeMade();
  std::shared_ptr<const PixelImage> Pixels(uint64_t cellId);
  void Forget(uint64_t cellId);
  // Every thumbnail goes (another set of cells comes); the open cache file stays.
  void ForgetAll();
  // The cells were reordered: the cache file no longer lists them in order.
  void MarkChanged() { clean_ = false; }
  // The cache file on disk holds exactly the thumbnails of the cells, in order.
  void MarkClean(bool clean) { clean_ = clean; }

  // The cell at grid position `index`: its id and the key of its file;
  // false for a cell without a thumbnail to save.
  using CellAt = std::function<bool(size_t index, uint64_t* cellId, ThumbKey* key)>;
  // The folder is left: its `cellCount` cells are saved in order when they
  // changed (none: nothing is written), then every thumbnail, the request
  // queue and the cache file go, and no decode runs any more.
  void Leave(size_t cellCount, const CellAt& cellAt);
  // Around a change of the folder's files; see above. Pauses nest.
  void Pause();
  void Resume();

  // Thumbnails not taken yet (queued, being made, or made and waiting), and
  // how many were asked for since the last Make.
  size_t outstanding() const { return workers_ ? workers_->NotTaken() : 0; }
  size_t waiting() const { return workers_ ? workers_->Waiting() : 0; }
  size_t requested() const { return requested_; }

 private:
  void OpenFile(const std::string& folder, ThumbCacheFile file);
  void CloseFile();
  void Save(size_t cellCount, const CellAt& cellAt);

  ThumbCacheStore& cache_;
  ThumbPixelStore store_;
  ThumbCacheFile file_;
  std::string fileFolder_;  // the folder file_ belongs to, at fileBox_; empty: none
  ThumbBox fileBox_;
  bool indexed_ = false;    // the folder's index line was put first (Open)
  std::string folder_;      // the folder whose cells the store holds
  ThumbBox box_{120, 80};
  bool clean_ = false;
  size_t requested_ = 0;
  int pauses_ = 0;
  std::unique_ptr<ThumbWorkers> workers_;
};

}  // namespace zv
