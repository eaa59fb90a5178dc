#pragma once
// The grid presenter: shows the model's records as the thumbnail grid
// (view modes 0 and 1). It maps the grid's cells to the model's records and
// asks the folder's thumbnails (FolderThumbnails: cache file, pixel store,
// workers) for theirs by cell id: cached ones when the grid is filled, the
// missing ones made, the cells in view first. It turns the grid's
// notifications into the view's events.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "browser/file_list_model.h"
#include "browser/file_list_presenter.h"
#include "browser/folder_thumbnails.h"
#include "browser/thumb_grid.h"

namespace zv {

// The thumbnail box of a thumbnail size 0, 1, 2 (any other value: 0) on a
// screen of `scale`. The cache keeps the box it was made for, so thumbnails
// made on another screen are a miss there, never a picture of the wrong size.
ThumbBox ThumbBoxOfSize(int thumbSize, DisplayScale scale = {});

class GridPresenter : public FileListPresenter, private ThumbGridHost {
 public:
  GridPresenter(const FileListModel& model, PresenterEvents& events, ThumbCacheStore& cache,
                size_t thumbnailBudget = ThumbPixelStore::kDefaultBudget);

  bool Create(HWND parent, bool visible, int cellMode, int thumbSize);
  CThumbnailGrid& grid() { return grid_; }

  // While off (list mode), Rebuild leaves the grid empty and unfilled; the
  // grid is filled once when it is switched on again.
  void SetFilling(bool on);
  bool filled() const { return filled_; }
  void SetCellMode(int mode) { grid_.SetCellMode(mode); }
  // A new box: every thumbnail is made again (the cache holds another size).
  void SetThumbSize(int thumbSize);
  // The grid moved to a screen of another DPI: it lays out again and makes
  // every thumbnail again at the box of the new scale.
  void SetScale(DisplayScale scale);
  // Before the folder is left: writes its thumbnails into its cache file
  // (nothing when nothing changed) and lets go of everything of it, so that
  // no picture of it is held open.
  void LeaveFolder();
  // Around a change of the shown folder's files (FolderThumbnails::Pause).
  void PauseThumbnails() { thumbs_.Pause(); }
  void ResumeThumbnails() { thumbs_.Resume(); }
  // Makes the thumbnail of record `index` again from its file.
  void ReloadCell(size_t index);
  // The thumbnail of record `index` could not be made: its cell shows an empty panel.
  bool ThumbnailFailed(size_t index) const;
  // Before `folder` is listed: opens its cache file for the grid to come,
  // and tells the listing which files the cache knows unchanged (their
  // thumbnails were made from them as they are). Nothing while not filling.
  KnownFile PreloadCache(const std::string& folder);

  // Thumbnails not in the grid yet, of how many that had to be made; of
  // them, those made and waiting to be taken.
  size_t outstanding() const { return thumbs_.outstanding(); }
  size_t requested() const { return thumbs_.requested(); }
  size_t waiting() const { return thumbs_.waiting(); }
  // How long one message may spend taking made thumbnails into the grid
  // (at least one is taken each time); the rest waits for the next message,
  // so that input and paint are answered in between.
  static constexpr std::chrono::microseconds kIntakeSlice{4000};
  void SetIntakeSlice(std::chrono::microseconds slice) { intakeSlice_ = slice; }

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
  bool OnThumbnailsReady() override;
  void OnSelectionChanged(const std::vector<size_t>& cells) override;

  void Fill();
  void Forget();
  void UseBox(ThumbBox box);
  ThumbRequest RequestFor(uint64_t cellId, const FileListItem& record) const;

  const FileListModel& model_;
  CThumbnailGrid grid_;
  FolderThumbnails thumbs_;
  uint64_t nextId_ = 1;
  bool filling_ = true;
  bool filled_ = false;  // the grid holds a cell per record
  int thumbSize_ = 0;
  std::chrono::microseconds intakeSlice_ = kIntakeSlice;
};

}  // namespace zv
