#include "browser/file_list_view.h"

#include <commctrl.h>

#include "app/app_services.h"
#include "app/ui_text_table.h"
#include "core/browser/sort_rules.h"
#include "res/resource.h"
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

CFileListView::CFileListView(EnvSet& settings)
    : settings_(settings), model_(settings), list_(model_.items(), *this), fileCommands_(*this) {}

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

bool CFileListView::CreateChildren() {
  presenters_.clear();  // a failed attempt may be repeated at the next size message
  viewMode_ = settings_.dwdLstMod;
  sortKey_ = NormalSortKey(settings_.intSotMod);
  sortDir_ = NormalSortDir(settings_.intSotDir);
  thumbSize_ = settings_.intThmSiz;
  captions_ = LoadCaptions();
  if (!list_.Create(hwnd(), viewMode_ == kListMode, captions_, ColumnLayoutOf(settings_))) return false;
  presenters_.push_back(&list_);
  // The grid's cell mode and box size are set here once the thumbnail grid exists.
  if (!grid_.CreatePane(hwnd(), IDW_THUMB_GRID, viewMode_ != kListMode)) return false;
  if (!pictureView_.CreatePane(hwnd(), IDW_PICTURE_VIEW, false)) return false;
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

void CFileListView::OnSize(int width, int height) {
  if (!created_) created_ = CreateChildren();
  for (FileListPresenter* presenter : presenters_)
    SetWindowPos(presenter->window(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND standIn : {grid_.hwnd(), pictureView_.hwnd()})
    if (standIn != nullptr) SetWindowPos(standIn, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CFileListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFOCUS) {
    if (viewMode_ == kListMode && list_.window() != nullptr) SetFocus(list_.window());
    return 0;
  }
  return Window::OnMessage(message, wParam, lParam);
}

bool CFileListView::OnNotify(NMHDR& header, LRESULT& result) {
  for (FileListPresenter* presenter : presenters_)
    if (presenter->OnNotify(header, result)) return true;
  return false;
}

FileListPresenter* CFileListView::Visible() { return viewMode_ == kListMode ? &list_ : nullptr; }

void CFileListView::OnCurrentChanged(int index) {
  model_.items().SetCurrent(index);
  StartTimer(IDT_STATUS_UPDATE, kStatusDelayMs);  // (re)started: arrow keys through the list update once
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

void CFileListView::RefreshFolders() {
  if (host_ != nullptr) host_->RefreshFolders();
}

void CFileListView::OnDestroy() {
  StopTimer(IDT_STATUS_UPDATE);
  if (created_) WriteBackSettings();
  presenters_.clear();
  // The listed folder's thumbnails go into the thumbnail cache here once the grid makes them.
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
  model_.OpenFolder(folder, sortKey_, sortDir_);
  times_ = model_.lastListingTimes();
  UpdateStatus();
  {
    PhaseTimer rows(times_.rows);
    RebuildPresenters();
  }
  // The rows' icons are timed apart from the rows themselves.
  times_.icons = list_.lastIconSeconds();
  times_.rows -= times_.icons;
  times_.total += times_.rows + times_.icons;
}

void CFileListView::RebuildPresenters() {
  for (FileListPresenter* presenter : presenters_) presenter->Rebuild();
}

void CFileListView::SortAndApply(int key, int dir) {
  const std::vector<size_t> permutation = model_.items().Sort(key, dir, win::IsAnsiLeadByte);
  if (permutation.empty()) return;
  for (FileListPresenter* presenter : presenters_) presenter->Reorder(permutation);
}

void CFileListView::RefreshList() {
  if (model_.folder().empty()) return;
  win::WaitCursor wait;
  const int previousCurrent = model_.items().current();
  const FileListModel::RefreshChanges changes = model_.Refresh();
  for (FileListPresenter* presenter : presenters_) {
    for (size_t index : changes.removed) presenter->Removed(index);
    presenter->Appended(changes.firstAdded);
  }
  if (model_.items().current() != previousCurrent) UpdateStatus();
}

void CFileListView::UpdateStatus() {
  const FileListItem* item = model_.items().At(model_.items().current());
  // The preview pane is told the record's path (or nothing) here once it exists.
  if (host_ == nullptr) return;
  host_->ShowStatusText(item != nullptr
                            ? CurrentItemStatusText(*item, captions_[kPictSizeColumn], captions_[kColorsColumn])
                            : IdleText());
}

}  // namespace zv
