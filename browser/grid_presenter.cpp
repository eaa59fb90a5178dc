#include "browser/grid_presenter.h"

#include <utility>

#include "core/imagelib/probe_rules.h"
#include "res/resource.h"

namespace zv {

ThumbBox ThumbBoxOfSize(int thumbSize) {
  switch (thumbSize) {
    case 1: return {180, 120};
    case 2: return {240, 160};
    default: return {120, 80};
  }
}

namespace {

GridSize GridBox(ThumbBox box) { return {static_cast<int32_t>(box.width), static_cast<int32_t>(box.height)}; }

ThumbKey KeyOf(const FileListItem& record) { return {record.name, record.fileSize, record.lastWrite}; }

}  // namespace

GridPresenter::GridPresenter(const FileListModel& model, PresenterEvents& events, ThumbCacheStore& cache)
    : FileListPresenter(model.items(), events), model_(model), cache_(cache), store_(ThumbPixelStore::kDefaultBudget, cache.folder()) {}

// The workers stop before the store and the cache file they never touch,
// and before the window their messages go to.
GridPresenter::~GridPresenter() { workers_.reset(); }

bool GridPresenter::Create(HWND parent, bool visible, int cellMode, int thumbSize) {
  if (!grid_.CreateGrid(parent, IDW_THUMB_GRID, visible, *this)) return false;
  window_ = grid_.hwnd();
  workers_ = std::make_unique<ThumbWorkers>(grid_.hwnd(), WM_ZV_THUMBS_READY);
  grid_.SetCellMode(cellMode);
  box_ = ThumbBoxOfSize(thumbSize);
  grid_.SetBoxSize(GridBox(box_));
  return true;
}

void GridPresenter::SetFilling(bool on) {
  filling_ = on;
  if (on && !filled_) Fill();
}

void GridPresenter::SetThumbSize(int thumbSize) {
  const ThumbBox box = ThumbBoxOfSize(thumbSize);
  if (box == box_) return;
  // The thumbnails of the old size are not saved: the cache file keeps the box it had.
  Forget();
  grid_.Clear();
  box_ = box;
  grid_.SetBoxSize(GridBox(box_));
  if (filled_) Fill();
}

void GridPresenter::Rebuild() {
  filled_ = false;
  if (filling_) {
    Fill();  // which forgets the old cells' thumbnails first
  } else {
    Forget();
    grid_.Clear();
  }
}

// The cells' thumbnails go; the folder's open cache file stays for the next fill.
void GridPresenter::Forget() {
  if (workers_) workers_->Cancel();
  store_.Clear();
  cacheClean_ = false;
  requested_ = 0;
}

// Looking the folder up also moves its index line to the top.
void GridPresenter::OpenCache(const std::string& folder) {
  if (cacheFolder_ == folder && cacheBox_ == box_ && !folder.empty()) return;
  store_.Clear();  // nothing may point into the file it had
  // Closed first: the file is held without sharing, and it may be the one to open.
  cacheFile_ = ThumbCacheFile();
  cacheFile_ = cache_.Load(folder, box_);
  cacheFolder_ = folder;
  cacheBox_ = box_;
}

KnownFile GridPresenter::PreloadCache(const std::string& folder) {
  if (!filling_ || folder.empty()) return {};
  Forget();
  OpenCache(folder);
  if (!cacheFile_.IsUsable()) return {};
  const ThumbCacheFile* file = &cacheFile_;
  return [file](const std::string& name, uint32_t fileSize, const FileTime& lastWrite) {
    return file->Find(ThumbKey{name, fileSize, lastWrite}) != nullptr;
  };
}

// Cached thumbnails show at once; the others are made by the workers, the
// cells in view first (the grid tells which when it lays the cells out).
void GridPresenter::Fill() {
  Forget();
  folder_ = model_.folder();
  filled_ = true;
  if (items_.empty() || folder_.empty()) {
    grid_.Clear();
    return;
  }
  OpenCache(folder_);
  store_.SetCacheFile(&cacheFile_);
  const std::vector<ThumbCacheEntry>& stored = cacheFile_.contents().entries;
  bool clean = cacheFile_.IsUsable() && stored.size() == items_.size();
  std::vector<GridCell> cells;
  std::vector<ThumbRequest> requests;
  cells.reserve(items_.size());
  for (size_t i = 0; i < items_.size(); ++i) {
    const FileListItem& record = *items_.At(i);
    GridCell cell = CellOfRecord(nextId_++, record);
    if (const ThumbCacheEntry* entry = cacheFile_.Find(KeyOf(record))) {
      store_.PutCached(cell.id, *entry);
      cell.state = ThumbState::kReady;
      clean = clean && entry == &stored[i];
    } else {
      requests.push_back(RequestFor(cell.id, record));
      clean = false;
    }
    cells.push_back(std::move(cell));
  }
  cacheClean_ = clean;
  requested_ = requests.size();
  workers_->Start(box_, std::move(requests));
  grid_.SetCells(std::move(cells));
  ShowSelection();
  events_.OnThumbnailProgress(0, requested_);
}

ThumbRequest GridPresenter::RequestFor(uint64_t cellId, const FileListItem& record) const {
  return {cellId, record.path, ImageTypeFromPath(record.path)};
}

void GridPresenter::Request(ThumbRequest request) {
  workers_->Add(std::move(request));
  ++requested_;
}

void GridPresenter::LeaveFolder() {
  SaveCache();
  if (workers_) workers_->CancelAndWait();
}

void GridPresenter::ResumeThumbnails() {
  if (!filled_ || !workers_) return;
  requested_ = 0;
  for (size_t i = 0; i < grid_.size() && i < items_.size(); ++i)
    if (const GridCell* cell = grid_.Cell(i); cell != nullptr && cell->state == ThumbState::kWaiting)
      Request(RequestFor(cell->id, *items_.At(i)));
}

void GridPresenter::SaveCache() {
  if (!filled_ || folder_.empty() || grid_.size() == 0 || cacheClean_) return;
  const bool saved = cache_.Save(
      folder_, box_, grid_.size(),
      [&](size_t index, ThumbKey* key, PixelImage* pixels) {
        const GridCell* cell = grid_.Cell(index);
        if (cell == nullptr || cell->state != ThumbState::kReady) return false;
        const std::shared_ptr<const PixelImage> thumb = store_.Get(cell->id);
        if (thumb == nullptr) return false;
        *key = ThumbKey{cell->name, cell->fileSize, cell->lastWrite};
        *pixels = *thumb;
        return true;
      },
      &cacheFile_);
  cacheClean_ = saved;
  cacheFolder_.clear();  // the save closed the file it read from
}

bool GridPresenter::ThumbnailFailed(size_t index) const {
  const GridCell* cell = filled_ ? grid_.Cell(index) : nullptr;
  return cell != nullptr && cell->state == ThumbState::kFailed;
}

void GridPresenter::ReloadCell(size_t index) {
  const FileListItem* record = items_.At(index);
  const GridCell* cell = grid_.Cell(index);
  if (!filled_ || record == nullptr || cell == nullptr) return;
  store_.Forget(cell->id);
  grid_.SetCellState(index, ThumbState::kWaiting);
  Request(RequestFor(cell->id, *record));
  cacheClean_ = false;
}

void GridPresenter::Reorder(const std::vector<size_t>& permutation) {
  if (!filled_) return;
  grid_.Reorder(permutation);
  cacheClean_ = false;
}

void GridPresenter::Removed(size_t index) {
  if (!filled_) return;
  if (const GridCell* cell = grid_.Cell(index)) store_.Forget(cell->id);
  grid_.RemoveCell(index);
  cacheClean_ = false;
}

// A new cell (a new id: a thumbnail of the old file still on its way is
// dropped) with a new thumbnail made from the file.
void GridPresenter::Replaced(size_t index) {
  const FileListItem* record = items_.At(index);
  const GridCell* old = grid_.Cell(index);
  if (!filled_ || record == nullptr || old == nullptr) return;
  store_.Forget(old->id);
  GridCell cell = CellOfRecord(nextId_++, *record);
  Request(RequestFor(cell.id, *record));
  grid_.ReplaceCell(index, std::move(cell));
  cacheClean_ = false;
}

void GridPresenter::Appended(size_t first) {
  if (!filled_ || first >= items_.size()) return;
  for (size_t i = first; i < items_.size(); ++i) {
    GridCell cell = CellOfRecord(nextId_++, *items_.At(i));
    Request(RequestFor(cell.id, *items_.At(i)));
    grid_.AddCell(std::move(cell));
  }
  cacheClean_ = false;
  grid_.ScrollToBottom();
}

void GridPresenter::ShowSelection() {
  if (!filled_) return;
  std::vector<char> flags(items_.size());
  for (size_t i = 0; i < flags.size(); ++i) flags[i] = items_.IsSelected(i) ? 1 : 0;
  grid_.SetSelection(flags);
}

std::shared_ptr<const PixelImage> GridPresenter::CellPixels(uint64_t cellId) { return store_.Get(cellId); }

void GridPresenter::OnCellsInView(size_t first, size_t last) {
  std::vector<uint64_t> waiting;
  for (size_t i = first; i < last; ++i)
    if (const GridCell* cell = grid_.Cell(i); cell != nullptr && cell->state == ThumbState::kWaiting)
      waiting.push_back(cell->id);
  if (!waiting.empty() && workers_) workers_->Prefer(waiting);
}

// Results of cells that went meanwhile (removed, or another folder) are dropped.
void GridPresenter::OnThumbnailsReady() {
  if (!workers_) return;
  for (ThumbResult& result : workers_->TakeResults()) {
    const int index = grid_.IndexOf(result.cellId);
    if (index < 0) continue;
    if (result.ok) {
      store_.Put(result.cellId, std::move(result.thumbnail.pixels));
      cacheClean_ = false;
    }
    grid_.SetCellState(static_cast<size_t>(index), result.ok ? ThumbState::kReady : ThumbState::kFailed);
  }
  events_.OnThumbnailProgress(requested_ - std::min(requested_, workers_->Outstanding()), requested_);
}

void GridPresenter::OnSelectionChanged(const std::vector<size_t>& cells) {
  for (size_t index : cells) events_.OnSelect(static_cast<int>(index), grid_.IsSelected(index));
}

bool GridPresenter::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != grid_.hwnd() || grid_.hwnd() == nullptr) return false;
  result = 0;
  const int32_t value = reinterpret_cast<GridNotify&>(header).value;
  switch (header.code) {
    case GN_SELCHANGE: events_.OnCurrentChangedNow(value); return true;
    case GN_OPEN: events_.OnOpenCurrent(); return true;
    case GN_CONTEXTMENU: {
      const GridPoint at = UnpackScreenPoint(value);
      events_.OnContextMenu(POINT{at.x, at.y});
      return true;
    }
    case GN_BEGINDRAG: events_.OnBeginDrag(); return true;
    default: return false;
  }
}

}  // namespace zv
