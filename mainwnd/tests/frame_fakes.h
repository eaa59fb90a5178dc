#pragma once
// Stand-ins for the panes and the scanner connection, so that the frame's
// tests can see what reaches them.
#include <memory>
#include <string>
#include <vector>

#include "browser/file_list_view.h"
#include "mainwnd/main_frame.h"
#include "tests/wine/wine_test_support.h"

namespace zv::test {

struct FrameRecord {
  std::vector<int> offered;  // commands offered to the list pane, in order
  std::vector<int> ran;      // commands the list pane ran
  std::vector<std::pair<DWORD, std::string>> drops;
  HRESULT dropResult = S_OK;  // what the list answers a drop
  IDataObject* ownDrag = nullptr;  // the data of the list's own drag
  int treeDragLeaves = 0;
  std::string selectedPath;
  std::string currentFolder = "C:\\pictures";
  std::string treeFolder = "C:\\tree-folder";
  int treeRefreshes = 0;
  std::vector<std::string> newFolders;  // names the tree was asked to make
  bool twainLoaded = true;
  int sourceSelections = 0;
  int acquisitions = 0;
  bool acquireOpens = true;  // false: the source does not open or enable
};

class FakeFileList : public CFileListPane {
 public:
  explicit FakeFileList(FrameRecord& record) : r_(record) {}
  bool CreatePane(HWND parent, int childId, FileListHost& host) override;
  FileListHost* host = nullptr;
  void SetFolder(const char* folder) override { r_.currentFolder = folder ? folder : ""; }
  HWND DropWindow() const override { return list_; }
  std::string CurrentFolder() const override { return r_.currentFolder; }
  HRESULT DropFiles(IDataObject*, DWORD effect, const std::string& folder) override {
    r_.drops.emplace_back(effect, folder);
    return r_.dropResult;
  }
  bool IsOwnDrag(IDataObject* data) const override { return data != nullptr && data == r_.ownDrag; }
  void StoreScannedImage(void*) override {}
  // Handles only the edit commands 32886 to 32889; offers are recorded.
  bool ExecuteCommand(int id) override;
  bool UpdateCommand(win::CommandUpdate& update) override;

 private:
  FrameRecord& r_;
  HWND list_ = nullptr;
};

class FakeFolderTree : public CFolderTreePane {
 public:
  explicit FakeFolderTree(FrameRecord& record) : r_(record) {}
  HWND GetTreeCtrl() const override { return tree_; }
  bool DragOver(POINT, std::string& folder) override {
    folder = r_.treeFolder;
    return !folder.empty();
  }
  void DragLeave() override { ++r_.treeDragLeaves; }
  void SelectPath(const std::string& folder) override { r_.selectedPath = folder; }
  void Refresh() override { ++r_.treeRefreshes; }
  bool NewFolder(const std::string& name) override {
    r_.newFolders.push_back(name);
    return true;
  }
  // What the real tree reports when the user selects a folder.
  void Select(const char* path) { host()->OnFolderSelected(path); }

 protected:
  bool CreateContent() override;
  void LayoutContent(const RECT& content) override;

 private:
  FrameRecord& r_;
  HWND tree_ = nullptr;
};

class FakeScanner : public ScannerConnection {
 public:
  explicit FakeScanner(FrameRecord& record) : r_(record) {}
  void Start(HWND, int) override {}
  void Shutdown() override {}
  bool PreTranslate(MSG&) override { return false; }
  bool TwainLoaded() const override { return r_.twainLoaded; }
  void SelectSource() override { ++r_.sourceSelections; }
  bool Acquire(HWND) override {
    ++r_.acquisitions;
    return r_.acquireOpens;
  }

 private:
  FrameRecord& r_;
};

FrameParts FakeParts(FrameRecord& record);

// A folder tree bar without a tree, for tests of the other panes.
class NoFolderTree : public CFolderTreePane {
 public:
  HWND GetTreeCtrl() const override { return nullptr; }
  bool DragOver(POINT, std::string&) override { return false; }
  void DragLeave() override {}
  void SelectPath(const std::string&) override {}
  void Refresh() override {}
  bool NewFolder(const std::string&) override { return false; }
};

// The real file list view on `settings` (`view` points to it once it is
// made) and the real preview bar; no folder tree, no scanner.
inline FrameParts FileListFrameParts(EnvSet& settings, CFileListView*& view) {
  return {[&settings, &view] {
            auto made = std::make_unique<CFileListView>(settings);
            view = made.get();
            return made;
          },
          [] { return std::make_unique<NoFolderTree>(); }, [] { return std::make_unique<CPreviewBar>(); },
          [] { return std::unique_ptr<ScannerConnection>(); }};
}

// The text of a menu item by position.
std::string MenuItemText(HMENU menu, int position);
// Sends what a tool tip sends to learn its text, and returns the answer.
std::string ToolTipOf(HWND frame, int commandId);

}  // namespace zv::test
