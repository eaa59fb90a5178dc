#pragma once
// The file list view: the middle pane of the main window. It owns the model
// (FileListModel: the folder, its records, the current record, selection and
// mirror state) and the presenters that show it in its client area: the list
// control (1001, view mode 2), the thumbnail grid (1002, view modes 0 and 1)
// and the picture view (1003, while a picture is open).
//
// Commands travel the chain: the visible presenter, then the picture mode,
// then the view's own map, then the file commands (fileops/), then the frame.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/file_list_model.h"
#include "browser/file_list_pane.h"
#include "browser/grid_presenter.h"
#include "browser/list_presenter.h"
#include "browser/picture_mode.h"
#include "core/app/envset.h"
#include "fileops/file_commands.h"

namespace zv {

// Deferred status (and preview) update after the user moved the selection.
inline constexpr UINT kStatusDelayMs = 500;
inline constexpr int kListMode = 2;

class CFileListView : public CFileListPane, private PresenterEvents, private FileCommandHost, private PictureModeHost {
 public:
  // The view reads its modes and columns from `settings` when its children
  // are made and writes them back when it is destroyed. Thumbnails in
  // memory are bounded by `thumbnailBudget` bytes.
  explicit CFileListView(EnvSet& settings, size_t thumbnailBudget = ThumbPixelStore::kDefaultBudget);
  ~CFileListView() override;

  // CFileListPane
  bool CreatePane(HWND parent, int childId, FileListHost& host) override;
  void SetFolder(const char* folder) override;
  HWND DropWindow() const override;
  std::string CurrentFolder() const override { return model_.folder(); }
  HRESULT DropFiles(IDataObject* data, DWORD effect, const std::string& folder) override;
  bool IsOwnDrag(IDataObject* data) const override { return fileCommands_.IsOwnDrag(data); }
  void StoreScannedImage(void* image) override;
  void SetDisplayScale(DisplayScale scale) override;
  bool ExecuteCommand(int id) override;
  bool UpdateCommand(win::CommandUpdate& update) override;

  // Incremental rescan (after the file commands changed files): drops
  // records whose file is gone and appends new files at the end, unsorted.
  void RefreshList();
  void SortAndApply(int key, int dir);
  void SelectAll();
  int GetSelectedCount() const { return model_.items().SelectedCount(); }
  std::vector<std::string> GetSelectedPaths() const;
  std::vector<int> GetSelectedIndices() const { return model_.items().SelectedIndices(); }

  size_t ItemCount() const { return model_.items().size(); }
  const FileListItem* Item(size_t index) const { return model_.items().At(index); }
  HWND listControl() const { return list_.window(); }
  HWND grid() const { return grid_.window(); }
  GridPresenter& gridPresenter() { return grid_; }
  int thumbSize() const { return thumbSize_; }
  PictureMode& pictureMode() { return pictureMode_; }
  int viewMode() const { return viewMode_; }
  int sortKey() const { return sortKey_; }
  int sortDir() const { return sortDir_; }
  int currentItem() const { return model_.items().current(); }
  const MirrorState& mirror() const { return model_.mirror(); }
  const ListingTimes& lastListingTimes() const { return times_; }
  CFileCommands& fileCommands() { return fileCommands_; }

  // Command handlers (the command map is in file_list_commands.cpp).
  void OnSelectAll(int id);
  void OnListMode(int id);
  void OnThumbnailMode(int id);
  void OnThumbnailSize(int id);
  void OnSortSettings(int id);
  void OpenCurrent() { pictureMode_.OpenCurrent(); }
  void ReturnToList() { pictureMode_.ReturnToList(); }
  void OnUpdateThumbnailModes(win::CommandUpdate& update);
  void OnUpdateThumbnailSizes(win::CommandUpdate& update);
  void OnUpdateListMode(win::CommandUpdate& update);
  void OnUpdateSelectAll(win::CommandUpdate& update);

 protected:
  bool OnCreate() override;
  void OnSize(int width, int height) override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override;

 private:
  // PresenterEvents
  void OnCurrentChanged(int index) override;
  void OnCurrentChangedNow(int index) override;
  void OnSelect(int index, bool selected) override;
  void OnOpenCurrent() override { OpenCurrent(); }
  void OnContextMenu(POINT screen) override;
  void OnSortColumn(int column) override;
  void OnBeginDrag() override;
  void OnThumbnailProgress(size_t made, size_t total) override;
  // FileCommandHost (file_list_transfer.cpp)
  void RefreshFolders() override;
  std::vector<std::string> SelectedFiles() const override { return GetSelectedPaths(); }
  size_t SelectedFileCount() const override { return static_cast<size_t>(model_.items().SelectedCount()); }
  size_t FileCount() const override { return model_.items().size(); }
  void SelectAllFiles() override { SelectAll(); }
  std::string ShownFolder() const override { return model_.folder(); }
  bool PictureShown() const override { return pictureMode_.shown(); }
  bool CanShowFile(const std::string& path) const override;
  bool HeadersShowable(const std::string& path) const override;
  FileOperationSite OperationSite() const override;
  FolderFilesLease ReleaseFolderFiles() override;
  void EndFolderLease();
  bool NewFolderInTree(const std::string& name) override { return host_ != nullptr && host_->NewFolderInTree(name); }
  HWND CommandWindow() const override { return hwnd(); }
  bool SelectedRecord(FileListItem& record) const override;
  int ShownOrientation(const std::string& path) const override;
  void ReplaceRecord(const std::string& oldPath, const std::string& newPath) override;
  // PictureModeHost
  void ShowListWindow(bool shown) override;
  void ShowModelSelection() override;
  void UpdateStatus() override;

  bool CreateChildren();
  ColumnCaptionTexts LoadCaptions() const;
  // The presenter that commands reach first.
  FileListPresenter* Visible();
  void RebuildPresenters();
  std::string StatusText() const;
  void WriteBackSettings();

  EnvSet& settings_;
  FileListHost* host_ = nullptr;
  FileListModel model_;
  ListPresenter list_;
  // The presenters made so far; each is told every change of the model.
  std::vector<FileListPresenter*> presenters_;
  ThumbCacheStore thumbCache_;
  GridPresenter grid_;
  PictureMode pictureMode_;
  CFileCommands fileCommands_;
  bool created_ = false;
  int leases_ = 0;  // file commands holding the folder's files
  int viewMode_ = 0;
  int sortKey_ = 0;
  int sortDir_ = -1;
  int thumbSize_ = 0;
  ColumnCaptionTexts captions_;
  ListingTimes times_;
  std::string progress_;  // "made / total" while thumbnails are being made
};

}  // namespace zv
