#include "browser/grid_presenter.h"

#include <optional>
#include <utility>

#include "core/imagelib/probe_rules.h"
#include "core/text/ansi_path.h"
#include "win/text_convert.h"
#include "win/step_trace.h"
#include "res/resource.h"

namespace zv {

ThumbBox ThumbBoxOfSize(int thumbSize, DisplayScale scale) {
  const GridSize box = ThumbBoxFor(thumbSize, scale);
  return {static_cast<uint32_t>(box.width), static_cast<uint32_t>(box.height)};
}

namespace {

GridSize GridBox(ThumbBox box) { return {static_cast<int32_t>(box.width), static_cast<int32_t>(box.height)}; }

ThumbKey KeyOf(const FileListItem& record) { return {record.name, record.fileSize, record.lastWrite}; }

}  // namespace

GridPresenter::GridPresenter(const FileListModel& model, PresenterEvents& events, ThumbCacheStore& cache,
                             size_t thumbnailBudget)
    : FileListPresenter(model.items(), events), model_(model), thumbs_(cache, thumbnailBudget) {}

bool GridPresenter::Create(HWND parent, bool visible, int cellMode, int thumbSize) {
  if (!grid_.CreateGrid(parent, IDW_THUMB_GRID, visible, *this)) return false;
  window_ = grid_.hwnd();
  thumbSize_ = thumbSize;
  thumbs_.SetBox(ThumbBoxOfSize(thumbSize, grid_.scale()));
  thumbs_.StartWorkers(grid_.hwnd(), WM_ZV_THUMBS_READY);
  grid_.SetCellMode(cellMode);
  grid_.SetBoxSize(GridBox(thumbs_.box()));
  return true;
}

void GridPresenter::SetFilling(bool on) {
  filling_ = on;
  if (on && !filled_) Fill();
}

// The thumbnails of the old size are not saved: the cache file keeps the box it had.
void GridPresenter::SetThumbSize(int thumbSize) {
  thumbSize_ = thumbSize;
  UseBox(ThumbBoxOfSize(thumbSize, grid_.scale()));
}

void GridPresenter::SetScale(DisplayScale scale) {
  grid_.SetScale(scale);
  UseBox(ThumbBoxOfSize(thumbSize_, scale));
}

void GridPresenter::UseBox(ThumbBox box) {
  if (box == thumbs_.box()) return;
  thumbs_.SetBox(box);
  grid_.Clear();
  grid_.SetBoxSize(GridBox(box));
  if (filled_) Fill();
}

void GridPresenter::Rebuild() {
  filled_ = false;
  // The grid's name for a screen reader: the folder it shows.
  SetWindowTextA(grid_.hwnd(), std::string(NameOfPath(model_.folder(), win::IsAnsiLeadByte)).c_str());
  if (filling_) {
    Fill();  // which forgets the old cells' thumbnails first
  } else {
    Forget();
    grid_.Clear();
  }
}

// The cells' thumbnails go; the folder's open cache file stays for the next fill.
void GridPresenter::Forget() { thumbs_.ForgetAll(); }

KnownFile GridPresenter::PreloadCache(const std::string& folder) {
  if (!filling_) return {};
  return thumbs_.Preload(folder);
}

// Cached thumbnails show at once; the others are made by the workers, the
// cells in view first (the grid tells which when it lays the cells out).
// A folder without pictures leaves the cache alone.
void GridPresenter::Fill() {
  Forget();
  filled_ = true;
  const std::string& folder = model_.folder();
  if (items_.empty() || folder.empty()) {
    grid_.Clear();
    return;
  }
  thumbs_.Open(folder);
  bool clean = true;
  std::vector<GridCell> cells;
  std::vector<ThumbRequest> requests;
  cells.reserve(items_.size());
  for (size_t i = 0; i < items_.size(); ++i) {
    const FileListItem& record = *items_.At(i);
    GridCell cell = CellOfRecord(nextId_++, record);
    if (const ThumbCacheEntry* entry = thumbs_.FindCached(KeyOf(record))) {
      thumbs_.PutCached(cell.id, *entry);
      cell.state = ThumbState::kReady;
      clean = clean && thumbs_.CachedAt(i, entry, items_.size());
    } else {
      requests.push_back(RequestFor(cell.id, record));
      clean = false;
    }
    cells.push_back(std::move(cell));
  }
  thumbs_.Make(std::move(requests));
  thumbs_.MarkClean(clean);
  grid_.SetCells(std::move(cells));
  ShowSelection();
  events_.OnThumbnailProgress(0, thumbs_.requested());
}

ThumbRequest GridPresenter::RequestFor(uint64_t cellId, const FileListItem& record) const {
  return {cellId, record.path, ImageTypeFromPath(record.path)};
}

// Only a grid that was filled for the folder is saved, and only the cells
// that hold a thumbnail, in grid order.
void GridPresenter::LeaveFolder() {
  const size_t count = filled_ && !items_.empty() ? grid_.size() : 0;
  thumbs_.Leave(count, [this](size_t index, uint64_t* cellId, ThumbKey* key) {
    const GridCell* cell = grid_.Cell(index);
    if (cell == nullptr || cell->state != ThumbState::kReady) return false;
    *cellId = cell->id;
    *key = ThumbKey{cell->name, cell->fileSize, cell->lastWrite};
    return true;
  });
}

bool GridPresenter::ThumbnailFailed(size_t index) const {
  const GridCell* cell = filled_ ? grid_.Cell(index) : nullptr;
  return cell != nullptr && cell->state == ThumbState::kFailed;
}

void GridPresenter::ReloadCell(size_t index) {
  const FileListItem* record = items_.At(index);
  const GridCell* cell = grid_.Cell(index);
  if (!filled_ || record == nullptr || cell == nullptr) return;
  thumbs_.Forget(cell->id);
  grid_.SetCellState(index, ThumbState::kWaiting);
  thumbs_.MakeOne(RequestFor(cell->id, *record));
}

void GridPresenter::Reorder(const std::vector<size_t>& permutation) {
  if (!filled_) return;
  grid_.Reorder(permutation);
  thumbs_.MarkChanged();
}

void GridPresenter::Removed(size_t index) {
  if (!filled_) return;
  if (const GridCell* cell = grid_.Cell(index)) thumbs_.Forget(cell->id);
  grid_.RemoveCell(index);
}

// A new cell (a new id: a thumbnail of the old file still on its way is
// dropped) with a new thumbnail made from the file.
void GridPresenter::Replaced(size_t index) {
  const FileListItem* record = items_.At(index);
  const GridCell* old = grid_.Cell(index);
  if (!filled_ || record == nullptr || old == nullptr) return;
  thumbs_.Forget(old->id);
  GridCell cell = CellOfRecord(nextId_++, *record);
  thumbs_.MakeOne(RequestFor(cell.id, *record));
  grid_.ReplaceCell(index, std::move(cell));
}

void GridPresenter::Appended(size_t first) {
  if (!filled_ || first >= items_.size()) return;
  for (size_t i = first; i < items_.size(); ++i) {
    GridCell cell = CellOfRecord(nextId_++, *items_.At(i));
    thumbs_.MakeOne(RequestFor(cell.id, *items_.At(i)));
    grid_.AddCell(std::move(cell));
  }
  grid_.ScrollToBottom();
}

void GridPresenter::ShowSelection() {
  if (!filled_) return;
  std::vector<char> flags(items_.size());
  for (size_t i = 0; i < flags.size(); ++i) flags[i] = items_.IsSelected(i) ? 1 : 0;
  grid_.SetSelection(flags);
}

std::shared_ptr<const PixelImage> GridPresenter::CellPixels(uint64_t cellId) { return thumbs_.Pixels(cellId); }

void GridPresenter::OnCellsInView(size_t first, size_t last) {
  std::vector<uint64_t> waiting;
  for (size_t i = first; i < last; ++i)
    if (const GridCell* cell = grid_.Cell(i); cell != nullptr && cell->state == ThumbState::kWaiting)
      waiting.push_back(cell->id);
  if (!waiting.empty()) thumbs_.Prefer(waiting);
}

// Taken for one slice of time: a fill's results arrive in bursts (the cells
// in view first), and a burst taken whole would hold up input and paint.
// Results of cells that went meanwhile (removed, or another folder) are dropped.
bool GridPresenter::OnThumbnailsReady() {
  const auto until = std::chrono::steady_clock::now() + intakeSlice_;
  bool sliceOver = false;
  while (!sliceOver) {
    const std::optional<FolderThumbnails::Made> made = thumbs_.TakeMade();
    if (!made) break;
    const int index = grid_.IndexOf(made->cellId);
    if (index < 0)
      thumbs_.Forget(made->cellId);
    else
      grid_.SetCellState(static_cast<size_t>(index), made->ok ? ThumbState::kReady : ThumbState::kFailed);
    sliceOver = std::chrono::steady_clock::now() >= until;
  }
  const size_t requested = thumbs_.requested();
  events_.OnThumbnailProgress(requested - std::min(requested, thumbs_.outstanding()), requested);
  if (requested > 0 && thumbs_.outstanding() == 0) win::TraceStep("grid: every thumbnail made");
  return sliceOver && thumbs_.waiting() > 0;
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
