#include "browser/file_list_view.h"

#include <commctrl.h>

#include <unordered_set>

#include "app/app_paths.h"
#include "app/ui_text_table.h"
#include "app/viewer_app.h"
#include "copyboard/mirror_files.h"
#include "copyboard/win_copyboard_system.h"
#include "core/browser/path_utils.h"
#include "core/browser/sort_rules.h"
#include "core/copyboard/drive_finder.h"
#include "mainwnd/main_frame.h"
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

CFileListView::CFileListView(EnvSet& settings) : settings_(settings) {}

// Destroyed here, while OnDestroy can still write the settings back.
CFileListView::~CFileListView() { Destroy(); }

bool CFileListView::CreatePane(HWND parent, int childId) {
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
  viewMode_ = settings_.dwdLstMod;
  sortKey_ = NormalSortKey(settings_.intSotMod);
  sortDir_ = NormalSortDir(settings_.intSotDir);
  thumbSize_ = settings_.intThmSiz;
  LoadTexts();
  if (!icons_.Create() || !list_.Create(hwnd(), kListControlId, viewMode_ == kListMode, icons_.get())) return false;
  list_.InsertColumns(captions_, ColumnLayoutOf(settings_));
  // The grid's cell mode and box size are set here once the thumbnail grid exists.
  if (!grid_.CreatePane(hwnd(), kThumbnailGridId, viewMode_ != kListMode)) return false;
  if (!pictureView_.CreatePane(hwnd(), kPictureViewId, false)) return false;
  win::SetFontOnTree(hwnd(), GetAppFont());
  return true;
}

void CFileListView::LoadTexts() {
  CUiTextTable table;
  for (size_t k = 0; k < captions_.size(); ++k)
    captions_[k] = table.GetText(kMainWindowSection, ColumnCaptions()[k].key, ColumnCaptions()[k].defaultUtf8);
}

void CFileListView::LayoutChildren() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  for (HWND child : {list_.hwnd(), grid_.hwnd(), pictureView_.hwnd()})
    if (child != nullptr)
      SetWindowPos(child, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CFileListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (!created_) created_ = CreateChildren();
      LayoutChildren();
      return 0;
    case WM_SETFOCUS:
      if (viewMode_ == kListMode && !pictureShown_ && list_.hwnd() != nullptr) SetFocus(list_.hwnd());
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header != nullptr && header->hwndFrom == list_.hwnd() && header->hwndFrom != nullptr)
        return OnListNotify(header);
      break;
    }
    default:
      break;
  }
  return Window::OnMessage(message, wParam, lParam);
}

LRESULT CFileListView::OnListNotify(NMHDR* header) {
  switch (header->code) {
    case LVN_ITEMCHANGED: OnItemChanged(*reinterpret_cast<NMLISTVIEW*>(header)); return 0;
    case LVN_COLUMNCLICK: OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem); return 0;
    case LVN_BEGINDRAG:
      // Dragging the selected files out is the transfer formats' work (CF_HDROP data object).
      return 0;
    case NM_RCLICK: OnRightClick(reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction); return 0;
    case NM_DBLCLK: OpenCurrent(); return 0;
    default: return 0;
  }
}

void CFileListView::OnItemChanged(const NMLISTVIEW& change) {
  if (!userChange_ || change.iItem < 0 || (change.uChanged & LVIF_STATE) == 0 ||
      (change.uNewState & LVIS_SELECTED) == 0 || change.iItem == currentItem_)
    return;
  currentItem_ = change.iItem;
  StartTimer(kStatusTimer, kStatusDelayMs);  // (re)started: arrow keys through the list update once
}

void CFileListView::OnTimer(UINT_PTR id) {
  if (id != kStatusTimer) return;
  StopTimer(kStatusTimer);
  UpdateStatus();
}

void CFileListView::OnColumnClick(int column) {
  sortDir_ = FlippedSortDir(sortDir_);
  sortKey_ = NormalSortKey(column);
  SortAndApply(sortKey_, sortDir_);
}

void CFileListView::OnRightClick(POINT point) {
  ClientToScreen(list_.hwnd(), &point);
  if (CMainFrame* frame = Frame()) frame->ShowContextMenu(point.x, point.y);
}

void CFileListView::OnDestroy() {
  StopTimer(kStatusTimer);
  if (created_) WriteBackSettings();
  // The listed folder's thumbnails go into the thumbnail cache here once the grid makes them.
  Clear();
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
  // The thumbnails of the folder being left go into the thumbnail cache here once the grid makes them.
  win::WaitCursor wait;
  const std::string path = folder != nullptr ? folder : "";
  Unit0Readiness readiness;
  if (!path.empty()) {
    Win32CopyboardSystem system;
    readiness = DriveFinder(system).Unit0Ready();
  }
  const FolderOpening opening = OpenFolder(mirror_, path, readiness, ProgramFolder(), win::IsAnsiLeadByte);
  if (opening.refillMirror) {
    // Start-up makes the mirror folders; one removed since is made again.
    CreateDirectoryA(mirror_.mirrorFolder.c_str(), nullptr);
    ClearMirror(mirror_.mirrorFolder);
    FillMirror(mirror_.deviceFolder, mirror_.mirrorFolder);
  }
  if (opening.rememberAsLastFolder) StoreLastFolder(opening.shownFolder);
  listFolder_ = opening.shownFolder;
  ListFolder();
}

void CFileListView::StoreLastFolder(const std::string& folder) {
  // A folder too long for the record is not stored cut (it would name another folder).
  if (folder.size() < sizeof settings_.chaLstFld)
    CopyToField(settings_.chaLstFld, folder, win::IsAnsiLeadByte);
}

void CFileListView::ListFolder() {
  win::WaitCursor wait;
  times_ = {};
  PhaseTimer total(times_.total);
  Clear();
  UpdateStatus();
  if (pictureShown_) ReturnToList();
  if (!listFolder_.empty()) {
    std::vector<std::string> names;
    {
      PhaseTimer timer(times_.enumerate);
      names = ListedNames(listFolder_);
    }
    times_.namesSeen = static_cast<int>(names.size());
    const std::vector<FileListItem> records = ReadImageRecords(listFolder_, names, times_);
    PhaseTimer timer(times_.icons);
    for (const FileListItem& record : records)
      entries_.push_back({std::make_unique<FileListItem>(record), icons_.AddIconOf(record.path)});
    times_.listed = static_cast<int>(entries_.size());
  }
  {
    PhaseTimer timer(times_.sort);
    SortItems(sortKey_, sortDir_, nullptr);
  }
  PhaseTimer timer(times_.rows);
  Rebuild();
}

bool CFileListView::AppendFile(const ImageProbe& probe, const std::string& name) {
  Entry entry{std::make_unique<FileListItem>(), -1};
  if (!ReadImageRecord(listFolder_, name, probe, *entry.record, times_)) return false;
  {
    PhaseTimer timer(times_.icons);
    entry.icon = icons_.AddIconOf(entry.record->path);
  }
  entries_.push_back(std::move(entry));
  return true;
}

void CFileListView::Clear() {
  if (list_.hwnd() != nullptr) {
    OwnSelectionWrite own(userChange_);
    list_.DeleteAllRows();
  }
  currentItem_ = -1;
  icons_.RemoveAll();
  entries_.clear();
  // The grid's cells are cleared here once the thumbnail grid exists.
}

void CFileListView::Rebuild() {
  RebuildRows();
  // In view modes 0 and 1 the grid is filled from the records through the
  // thumbnail cache here once the thumbnail grid exists; until then it holds no cells.
}

void CFileListView::RebuildRows() {
  if (list_.hwnd() == nullptr) return;
  OwnSelectionWrite own(userChange_);
  list_.SetRedraw(false);
  list_.DeleteAllRows();
  SendMessageA(list_.hwnd(), LVM_SETITEMCOUNT, entries_.size(), 0);
  for (size_t i = 0; i < entries_.size(); ++i) list_.InsertRow(static_cast<int>(i), *entries_[i].record, entries_[i].icon);
  list_.SetRedraw(true);
}

void CFileListView::SortItems(int key, int dir, std::vector<size_t>* permutation) {
  std::vector<const FileListItem*> records;
  records.reserve(entries_.size());
  for (const Entry& entry : entries_) records.push_back(entry.record.get());
  std::vector<size_t> order = SortPermutation(records, key, dir, win::IsAnsiLeadByte);
  ApplyPermutation(entries_, order);
  if (permutation != nullptr) *permutation = std::move(order);
}

void CFileListView::SortAndApply(int key, int dir) {
  std::vector<size_t> permutation;
  SortItems(key, dir, &permutation);
  // The current item stays the same record (its status text and what opens stay right).
  for (size_t i = 0; i < permutation.size(); ++i)
    if (static_cast<int>(permutation[i]) == currentItem_) {
      currentItem_ = static_cast<int>(i);
      break;
    }
  RebuildRows();
  // The grid's cells are reordered with `permutation` here (keeping their
  // thumbnails) once the thumbnail grid exists.
}

void CFileListView::RefreshList() {
  if (listFolder_.empty()) return;
  win::WaitCursor wait;
  const int previousCurrent = currentItem_;
  for (size_t i = entries_.size(); i-- > 0;) {
    if (StillExists(entries_[i].record->path)) continue;
    const int row = static_cast<int>(i);
    if (list_.hwnd() != nullptr) {
      OwnSelectionWrite own(userChange_);
      list_.DeleteRow(row);
    }
    // The record's grid cell is deleted here once the thumbnail grid exists.
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    // The current item follows its record; a removed one leaves none.
    if (currentItem_ == row) currentItem_ = -1;
    else if (currentItem_ > row) --currentItem_;
  }
  std::unordered_set<std::string> known;
  for (const Entry& entry : entries_) known.insert(FoldedName(entry.record->name, win::IsAnsiLeadByte));

  // In mirror mode the board's device folder is what may have new files.
  const std::string& source = mirror_.active ? mirror_.deviceFolder : listFolder_;
  bool added = false;
  const ImageProbe probe;
  for (const std::string& name : ListedNames(source)) {
    if (!known.insert(FoldedName(name, win::IsAnsiLeadByte)).second) continue;
    if (mirror_.active)
      CopyFileA(JoinPath(source, name, win::IsAnsiLeadByte).c_str(),
                JoinPath(listFolder_, name, win::IsAnsiLeadByte).c_str(), FALSE);
    if (!AppendFile(probe, name)) continue;
    if (list_.hwnd() != nullptr) {
      OwnSelectionWrite own(userChange_);
      list_.InsertRow(static_cast<int>(entries_.size() - 1), *entries_.back().record, entries_.back().icon);
    }
    // A grid cell without cached data is appended here once the thumbnail grid exists.
    added = true;
  }
  if (added && list_.hwnd() != nullptr) list_.EnsureVisible(static_cast<int>(entries_.size() - 1));
  if (currentItem_ != previousCurrent) UpdateStatus();
}

const FileListItem* CFileListView::Item(size_t index) const {
  return index < entries_.size() ? entries_[index].record.get() : nullptr;
}

CMainFrame* CFileListView::Frame() const {
  // The view's parent is always a window of ours (the main frame, or a test's host).
  return dynamic_cast<CMainFrame*>(win::Window::FromHandle(GetParent(hwnd())));
}

void CFileListView::UpdateStatus() {
  const FileListItem* item = currentItem_ >= 0 ? Item(static_cast<size_t>(currentItem_)) : nullptr;
  // The preview pane is told the record's path (or nothing) here once it exists.
  CMainFrame* frame = Frame();
  if (frame == nullptr) return;
  frame->SetStatusText(item != nullptr
                           ? CurrentItemStatusText(*item, captions_[kPictSizeColumn], captions_[kColorsColumn])
                           : IdleText());
}

}  // namespace zv
