#include "browser/file_list_view.h"

#include <commctrl.h>

#include "app/app_services.h"
#include "app/ui_text_table.h"
#include "core/browser/sort_rules.h"
#include "res/resource.h"
#include "win/step_trace.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr char kViewClass[] = "ZVFileListView";

std::string IdleText() {
  char text[256] = "";
  LoadStringA(GetModuleHandleA(nullptr), IDS_IDLE_TITLE, text, sizeof text);
  return text;
}

}  // namespace

CFileListView::CFileListView(EnvSet& settings, size_t thumbnailBudget)
    : settings_(settings),
      model_(settings),
      list_(model_.items(), *this),
      grid_(model_, *this, thumbCache_, thumbnailBudget),
      pictureMode_(model_.items(), *this),
      fileCommands_(*this) {
  model_.SetKnownFiles([this](const std::string& folder) { return grid_.PreloadCache(folder); });
  model_.SetListingMemory(ListingMemoryIn(thumbCache_));
}

// Destroyed here, while OnDestroy can still write the settings back.
CFileListView::~CFileListView() { Destroy(); }

bool CFileListView::CreatePane(HWND parent, int childId, FileListHost& host) {
  host_ = &host;
  if (!RegisterClass(kViewClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
                     CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW))
    return false;
  // A sunken client edge and no border, whatever style the frame asks for.
  return Create({.className = kViewClass,
                 .style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                 .exStyle = WS_EX_CLIENTEDGE,
                 .rect = {0, 0, 0, 0},
                 .parent = parent,
                 .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId))});
}

// The children are made once, with the view: a view without them is no view.
bool CFileListView::OnCreate() {
  created_ = CreateChildren();
  return created_;
}

bool CFileListView::CreateChildren() {
  viewMode_ = settings_.dwdLstMod;
  sortKey_ = NormalSortKey(settings_.intSotMod);
  sortDir_ = NormalSortDir(settings_.intSotDir);
  thumbSize_ = settings_.intThmSiz;
  captions_ = LoadCaptions();
  if (!list_.Create(hwnd(), viewMode_ == kListMode, captions_, ColumnLayoutOf(settings_))) return false;
  presenters_.push_back(&list_);
  const bool thumbnails = viewMode_ != kListMode;
  if (!grid_.Create(hwnd(), thumbnails, thumbnails ? viewMode_ : kLightCells, thumbSize_)) return false;
  grid_.SetFilling(thumbnails);
  presenters_.push_back(&grid_);
  if (!pictureMode_.Create(hwnd())) return false;
  win::SetFontOnTree(hwnd(), GetAppFont());
  return true;
}

ColumnCaptionTexts CFileListView::LoadCaptions() const {
  CUiTextTable table;
  ColumnCaptionTexts captions;
  for (size_t k = 0; k < captions.size(); ++k)
    captions[k] = table.GetText(kMainWindowSection, ColumnCaptions()[k].key, ColumnCaptions()[k].defaultUtf8);
  return captions;
}

void CFileListView::SetDisplayScale(DisplayScale scale) {
  grid_.SetScale(scale);
  list_.SetScale(scale);
  pictureMode_.view().SetScale(scale);
}

void CFileListView::OnSize(int width, int height) {
  for (FileListPresenter* presenter : presenters_)
    SetWindowPos(presenter->window(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (pictureMode_.window() != nullptr)
    SetWindowPos(pictureMode_.window(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CFileListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFOCUS) {
    if (pictureMode_.shown()) {
      SetFocus(pictureMode_.window());
      return 0;
    }
    if (FileListPresenter* shown = Visible(); shown != nullptr && shown->window() != nullptr)
      SetFocus(shown->window());
    return 0;
  }
  return Window::OnMessage(message, wParam, lParam);
}

bool CFileListView::OnNotify(NMHDR& header, LRESULT& result) {
  for (FileListPresenter* presenter : presenters_)
    if (presenter->OnNotify(header, result)) return true;
  return false;
}

FileListPresenter* CFileListView::Visible() {
  if (viewMode_ == kListMode) return &list_;
  return &grid_;
}

void CFileListView::OnCurrentChanged(int index) {
  model_.items().SetCurrent(index);
  StartTimer(IDT_STATUS_UPDATE, kStatusDelayMs);  // (re)started: arrow keys through the list update once
}

// A click in the grid shows the new current record at once.
void CFileListView::OnCurrentChangedNow(int index) {
  if (index == model_.items().current()) return;
  model_.items().SetCurrent(index);
  StopTimer(IDT_STATUS_UPDATE);
  UpdateStatus();
}

void CFileListView::OnSelect(int index, bool selected) {
  if (index < 0)
    model_.items().SelectAll(selected);
  else
    model_.items().Select(static_cast<size_t>(index), selected);
}

void CFileListView::OnTimer(UINT_PTR id) {
  if (id != IDT_STATUS_UPDATE) return;
  StopTimer(IDT_STATUS_UPDATE);
  UpdateStatus();
}

void CFileListView::OnSortColumn(int column) {
  sortDir_ = FlippedSortDir(sortDir_);
  sortKey_ = NormalSortKey(column);
  SortAndApply(sortKey_, sortDir_);
}

void CFileListView::OnContextMenu(POINT screen) {
  if (host_ != nullptr) host_->ShowContextMenu(screen);
}


void CFileListView::OnThumbnailProgress(size_t made, size_t total) {
  std::string progress;
  if (made < total) progress = std::to_string(made) + " / " + std::to_string(total);
  if (progress == progress_) return;
  progress_ = std::move(progress);
  if (host_ != nullptr) host_->ShowStatusText(StatusText());
}

void CFileListView::OnDestroy() {
  StopTimer(IDT_STATUS_UPDATE);
  fileCommands_.KeepClipboard();
  if (created_) {
    WriteBackSettings();
    grid_.LeaveFolder();
    model_.KeepListing();
  }
  presenters_.clear();
  created_ = false;
}

void CFileListView::WriteBackSettings() {
  const ColumnLayout columns = list_.ReadColumns();
  for (size_t k = 0; k < kColumnCount; ++k) {
    settings_.intClmOdr[k] = columns.order[k];
    settings_.intClmWid[k] = columns.widths[k];
  }
  settings_.dwdLstMod = viewMode_;
  settings_.dwdDspMod = 0;
  settings_.intThmSiz = thumbSize_;
  settings_.intSotMod = sortKey_;
  settings_.intSotDir = sortDir_;
}

void CFileListView::SetFolder(const char* folder) {
  win::WaitCursor wait;
  ReturnToList();
  grid_.LeaveFolder();  // its thumbnails saved, and none of its pictures held open
  model_.KeepListing();  // what refreshes learned of its files
  win::TraceStep("folder: the last one left");
  try {
    model_.OpenFolder(folder, sortKey_, sortDir_);
  } catch (...) {
    // The listing ran short of memory: the rows and cells show the model as the listing left it (empty).
    RebuildPresenters();
    UpdateStatus();
    throw;
  }
  times_ = model_.lastListingTimes();
  UpdateStatus();
  win::TraceStep("folder: listed");
  {
    PhaseTimer rows(times_.rows);
    RebuildPresenters();
  }
  // After the grid's fill, which gives a folder shown as thumbnails its line
  // in the cache's index and so a place for its facts.
  model_.KeepListing();
  win::TraceStep("folder: rows and cells made");
  // The rows' icons are timed apart from the rows themselves.
  times_.icons = list_.lastIconSeconds();
  times_.rows -= times_.icons;
  times_.total += times_.rows + times_.icons;
}

void CFileListView::ShowListWindow(bool shown) {
  if (viewMode_ == kListMode)
    list_.Show(shown);
  else
    grid_.Show(shown);
}

void CFileListView::ShowModelSelection() {
  if (FileListPresenter* shown = Visible()) shown->ShowSelection();
}

void CFileListView::RebuildPresenters() {
  for (FileListPresenter* presenter : presenters_) presenter->Rebuild();
}

// The current record goes with its record. The list's rows are made anew
// and come without a selection; the grid's cells, when the grid shows, keep
// theirs.
void CFileListView::SortAndApply(int key, int dir) {
  const std::vector<size_t> permutation = model_.items().Sort(key, dir, win::IsAnsiLeadByte);
  if (permutation.empty()) return;
  if (viewMode_ == kListMode) model_.items().SelectAll(false);
  for (FileListPresenter* presenter : presenters_) presenter->Reorder(permutation);
}

void CFileListView::RefreshList() {
  if (model_.folder().empty()) return;
  win::WaitCursor wait;
  const int previousCurrent = model_.items().current();
  const FileListModel::RefreshChanges changes = model_.Refresh();
  for (FileListPresenter* presenter : presenters_) {
    for (size_t index : changes.removed) presenter->Removed(index);
    for (size_t index : changes.replaced) presenter->Replaced(index);
    presenter->Appended(changes.firstAdded);
  }
  if (model_.items().current() != previousCurrent) UpdateStatus();
}

void CFileListView::UpdateStatus() {
  if (host_ == nullptr) return;
  const FileListItem* item = model_.items().At(model_.items().current());
  host_->ShowPreview(item != nullptr ? item->path : std::string());
  host_->ShowStatusText(StatusText());
}

// The current record's text (or the idle text), why its picture or
// thumbnail could not be shown, and the thumbnails' progress after it.
std::string CFileListView::StatusText() const {
  const int current = model_.items().current();
  const FileListItem* item = model_.items().At(current);
  std::string text = item != nullptr
                         ? CurrentItemStatusText(*item, captions_[kPictSizeColumn], captions_[kColorsColumn])
                         : IdleText();
  if (pictureMode_.shown()) {
    if (pictureMode_.problem() != PictureProblem::kNone) text += "    " + PictureProblemText(pictureMode_.problem());
  } else if (item != nullptr && viewMode_ != kListMode && grid_.ThumbnailFailed(static_cast<size_t>(current))) {
    text += "    " + PictureProblemText(ThumbnailProblem(item->path));
  }
  if (!progress_.empty()) text += "    " + progress_;
  return text;
}

}  // namespace zv
