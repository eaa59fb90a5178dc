#pragma once
// The file list view: the middle pane of the main window. It lists the image
// files of one folder, keeps one FileListItem per file, and shows them in one
// of three children that fill its client area: the list control (1001, view
// mode 2), the thumbnail grid (1002, view modes 0 and 1) and the picture view
// (1003, while a picture is open). A copyboard device folder is not listed
// in place: the view lists its mirror folder (mirror mode).
//
// The children are made at the first size message. The grid and the picture
// view are blank panes for now (browser/blank_pane.h): filling the grid with
// thumbnails and drawing the picture belong to their own windows.
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "browser/blank_pane.h"
#include "browser/folder_reader.h"
#include "browser/list_control.h"
#include "core/app/envset.h"
#include "core/browser/file_list_item.h"
#include "core/copyboard/mirror_folders.h"
#include "mainwnd/panes.h"

namespace zv {

class CMainFrame;

inline constexpr int kListControlId = 1001;
inline constexpr int kThumbnailGridId = 1002;
inline constexpr int kPictureViewId = 1003;
// Deferred status (and preview) update after the user moved the selection.
inline constexpr UINT_PTR kStatusTimer = 3;
inline constexpr UINT kStatusDelayMs = 500;
inline constexpr int kListMode = 2;

class CFileListView : public CFileListPane {
 public:
  // The view reads its modes and columns from `settings` when its children
  // are made and writes them back when it is destroyed.
  explicit CFileListView(EnvSet& settings);
  ~CFileListView() override;

  // CFileListPane
  bool CreatePane(HWND parent, int childId) override;
  void SetFolder(const char* folder) override;
  HWND DropWindow() const override;
  std::string CurrentFolder() const override { return listFolder_; }
  HRESULT DropFiles(IDataObject* data, DWORD effect, const std::string& folder) override;
  void StoreScannedImage(void* image) override;
  bool ExecuteCommand(int id) override;
  bool UpdateCommand(win::CommandUpdate& update) override;

  // Incremental rescan: drops records whose file is gone and appends new
  // files at the end, unsorted; a file rewritten in place keeps its row.
  void RefreshList();
  // Rows (and, in the thumbnail modes, grid cells) again from the item array.
  void Rebuild();
  void SortAndApply(int key, int dir);
  // Reorders the item array; with `permutation`, the old index of every new position.
  void SortItems(int key, int dir, std::vector<size_t>* permutation);
  void SelectAll();
  int GetSelectedCount() const;
  std::vector<std::string> GetSelectedPaths() const;
  std::vector<int> GetSelectedIndices() const;
  void OpenCurrent();
  void ReturnToList();

  // Path utilities of the file commands (multibyte-aware).
  static std::string PathName(const std::string& path);
  // The folder of `path` into `folder`; `folder` is left as it was when the path has no backslash.
  static void PathFolder(const std::string& path, std::string& folder);
  static std::string PathExtension(const std::string& path);

  size_t ItemCount() const { return entries_.size(); }
  const FileListItem* Item(size_t index) const;
  HWND listControl() const { return list_.hwnd(); }
  HWND grid() const { return grid_.hwnd(); }
  HWND pictureView() const { return pictureView_.hwnd(); }
  int viewMode() const { return viewMode_; }
  int sortKey() const { return sortKey_; }
  int sortDir() const { return sortDir_; }
  int currentItem() const { return currentItem_; }
  bool pictureShown() const { return pictureShown_; }
  const MirrorState& mirror() const { return mirror_; }
  const ListingTimes& lastListingTimes() const { return times_; }

  // Command handlers (the command map is in file_list_commands.cpp).
  void OnNothing(int id);
  void OnHelp(int id);
  void OnInformation(int id);
  void OnRefresh(int id);
  void OnSelectAll(int id);
  void OnListMode(int id);
  void OnShowPicture(int id);
  void OnReturnList(int id);
  void OnUpdateNotYet(win::CommandUpdate& update);
  void OnUpdateThumbnailModes(win::CommandUpdate& update);
  void OnUpdateThumbnailSizes(win::CommandUpdate& update);
  void OnUpdateListMode(win::CommandUpdate& update);
  void OnUpdateShowPicture(win::CommandUpdate& update);
  void OnUpdatePictureShown(win::CommandUpdate& update);
  void OnUpdateSelectAll(win::CommandUpdate& update);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override;

 private:
  struct Entry {
    std::unique_ptr<FileListItem> record;
    int icon = -1;  // index in the small-icon list
  };

  bool CreateChildren();
  void LoadTexts();
  void LayoutChildren();
  LRESULT OnListNotify(NMHDR* header);
  void OnItemChanged(const NMLISTVIEW& change);
  void OnColumnClick(int column);
  void OnRightClick(POINT clientPoint);
  void ListFolder();
  void Clear();
  bool AppendFile(const ImageProbe& probe, const std::string& name);
  void RebuildRows();
  void UpdateStatus();
  void WriteBackSettings();
  void StoreLastFolder(const std::string& folder);
  CMainFrame* Frame() const;

  EnvSet& settings_;
  bool created_ = false;
  ListControl list_;
  SmallIconList icons_;
  CBlankPane grid_;
  CBlankPane pictureView_;
  std::vector<Entry> entries_;
  std::string listFolder_;
  MirrorState mirror_;
  int viewMode_ = 0;
  bool pictureShown_ = false;
  int currentItem_ = -1;
  int sortKey_ = 0;
  int sortDir_ = -1;
  int thumbSize_ = 0;
  bool userChange_ = true;
  ColumnCaptionTexts captions_;
  ListingTimes times_;
};

}  // namespace zv
