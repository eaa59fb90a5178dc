#pragma once
// The grid presenter: shows the model's records as the thumbnail grid
// (view modes 0 and 1). It fills the grid through the folder's thumbnail
// cache, has the missing thumbnails made by worker threads (the cells in
// view first), keeps the pixels in a memory-bounded store, writes the
// folder's cache file when the folder is left, and turns the grid's
// notifications into the view's events.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "browser/file_list_model.h"
#include "browser/file_list_presenter.h"
#include "browser/thumb_cache_store.h"
#include "browser/thumb_grid.h"
#include "browser/thumb_pixel_store.h"
#include "browser/thumb_workers.h"

namespace zv {

// The thumbnail box of a thumbnail size 0, 1, 2 (any other value: 0).
ThumbBox ThumbBoxOfSize(int thumbSize);

class GridPresenter : public FileListPresenter, private ThumbGridHost {
 public:
  GridPresenter(const FileListModel& model, PresenterEvents& events, ThumbCacheStore& cache);
  ~GridPresenter() override;

  bool Create(HWND parent, bool visible, int cellMode, int thumbSize);
  CThumbnailGrid& grid() { return grid_; }

  // While off (list mode), Rebuild leaves the grid empty and unfilled; the
  // grid is filled once when it is switched on again.
  void SetFilling(bool on);
  bool filled() const { return filled_; }
  void SetCellMode(int mode) { grid_.SetCellMode(mode); }
  // A new box: every thumbnail is made again (the cache holds another size).
  void SetThumbSize(int thumbSize);
  // Before the folder is left (or its files replaced): writes its
  // thumbnails into its cache file (nothing when nothing changed) and stops
  // the workers, so that no picture of it is held open.
  void LeaveFolder();
  // After LeaveFolder while the folder stays shown (a file operation ran):
  // the thumbnails that were still to be made are asked for again.
  void ResumeThumbnails();
  // Makes the thumbnail of record `index` again from its file.
  void ReloadCell(size_t index);
  // The thumbnail of record `index` could not be made: its cell shows an empty panel.
  bool ThumbnailFailed(size_t index) const;
  // Before `folder` is listed: opens its cache file for the grid to come,
  // and tells the listing which files the cache knows unchanged (their
  // thumbnails were made from them as they are). Nothing while not filling.
  KnownFile PreloadCache(const std::string& folder);

  // Thumbnails still being made, of how many that had to be made.
  size_t outstanding() const { return workers_ ? workers_->Outstanding() : 0; }
  size_t requested() const { return requested_; }

  void Rebuild() override;
  void Reorder(const std::vector<size_t>& permutation) override;
  void Removed(size_t index) override;
  void Replaced(size_t index) override;
  void Appended(size_t first) override;
  void ShowSelection() override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;

 private:
  // ThumbGridHost
  std::shared_ptr<const PixelImage> CellPixels(uint64_t cellId) override;
  void OnCellsInView(size_t first, size_t last) override;
  void OnThumbnailsReady() override;
  void OnSelectionChanged(const std::vector<size_t>& cells) override;

  void Fill();
  void Forget();
  void SaveCache();
  void OpenCache(const std::string& folder);
  ThumbRequest RequestFor(uint64_t cellId, const FileListItem& record) const;
  void Request(ThumbRequest request);

  const FileListModel& model_;
  ThumbCacheStore& cache_;
  CThumbnailGrid grid_;
  std::unique_ptr<ThumbWorkers> workers_;
  ThumbPixelStore store_;
  ThumbCacheFile cacheFile_;
  std::string cacheFolder_;  // the folder cacheFile_ was opened for, at box cacheBox_; empty: none
  ThumbBox cacheBox_;
  std::string folder_;      // the folder the cells belong to
  ThumbBox box_{120, 80};
  uint64_t nextId_ = 1;
  bool filling_ = true;
  bool filled_ = false;     // the grid holds a cell per record
  bool cacheClean_ = false; // the cache file on disk already holds exactly these thumbnails
  size_t requested_ = 0;
};

}  // namespace zv
