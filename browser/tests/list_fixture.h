#pragma once
// The file list view in a real window on real folders, for the Wine tests:
// a host window of ours, the view with its own settings record, the rows read
// back from the list control, and image files copied from the image zoo.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/file_list_view.h"
#include "core/app/envset.h"
#include "tests/wine/wine_test_support.h"
#include "win/window.h"

namespace zv::test {

// A plain top-level window that hosts the view (not a main frame: the view
// then has no status bar or context menu to use). It is shown without being
// activated: under Wine without a window manager, hiding or destroying the
// active window waits 2 s for the X server.
class HostWindow : public win::Window {
 public:
  bool Open();
};

// The view's host in these tests: it records what the view tells it.
class RecordingListHost : public FileListHost {
 public:
  void ShowStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void ShowContextMenu(POINT screen) override { menus.push_back(screen); }
  void RefreshFolders() override { ++folderRefreshes; }
  bool NewFolderInTree(const std::string& name) override {
    newFolders.push_back(name);
    return true;
  }
  std::vector<std::string> newFolders;
  void ShowPreview(const std::string& path) override { previews.push_back(path); }
  std::vector<std::string> statusTexts;
  std::vector<std::string> previews;
  std::vector<POINT> menus;
  int folderRefreshes = 0;
};

class ViewUnderTest {
 public:
  explicit ViewUnderTest(EnvSet& settings, size_t thumbnailBudget = ThumbPixelStore::kDefaultBudget)
      : settings_(settings), thumbnailBudget_(thumbnailBudget) {}
  ~ViewUnderTest() { Close(); }
  // Creates the view in a host window and gives it a size (which makes its children).
  bool Open();
  // Destroys the view (it writes its settings back) and the host.
  void Close();
  CFileListView& view() { return *view_; }
  // Pumps messages until the grid's workers have made every thumbnail
  // (they hold the pictures open while they decode them).
  void WaitForThumbnails();
  RecordingListHost& host() { return listHost_; }
  HWND list() const { return view_->listControl(); }

 private:
  EnvSet& settings_;
  size_t thumbnailBudget_;
  HostWindow host_;
  RecordingListHost listHost_;
  std::unique_ptr<CFileListView> view_;
};


std::string CellText(HWND list, int row, int column);
std::vector<std::string> ColumnTexts(HWND list, int column);
inline std::vector<std::string> RowNames(HWND list) { return ColumnTexts(list, 0); }
std::string ColumnCaption(HWND list, int column);
std::vector<int> ColumnOrder(HWND list);

// Copies zoo file `zooName` to `path`; false when the copy failed.
bool CopyZooFile(const std::string& zooName, const std::string& path);
bool SetWriteTime(const std::string& path, const FILETIME& time);
FILETIME FileTimeOf(int year, int month, int day, int hour, int minute, int second);  // UTC
// The date column's text for a UTC time, converted with the time zone API.
std::string LocalDateText(const FILETIME& utc);
uint64_t FileSizeOf(const std::string& path);

// A folder at a fixed place (the board's device folder, a mirror folder),
// made empty for the test and removed with all it holds afterwards.
class FolderAt {
 public:
  explicit FolderAt(std::string path);
  ~FolderAt();
  FolderAt(const FolderAt&) = delete;
  FolderAt& operator=(const FolderAt&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// The UI text table beside the test program starts and ends absent, so the
// built-in captions are shown.
void RemoveStringIni();

}  // namespace zv::test
