// The folder tree bar in a real main frame: it holds the tree (id 100, label
// editing on) and has the frame's file list view list the selected folder.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include "app/viewer_app.h"
#include "foldertree/folder_tree_bar.h"
#include "foldertree/tests/tree_fixture.h"
#include "mainwnd/main_frame.h"
#include "tests/wine/wine_test_support.h"

namespace zv::test {
namespace {

// A file list pane that records what it is asked to list; nullopt for a null folder.
class RecordingFileList : public CFileListPane {
 public:
  explicit RecordingFileList(std::vector<std::optional<std::string>>& folders) : folders_(folders) {}
  bool CreatePane(HWND parent, int childId) override {
    RegisterClass("ZVRecordingList", nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return Create({.className = "ZVRecordingList",
                   .style = WS_CHILD | WS_VISIBLE,
                   .parent = parent,
                   .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId))});
  }
  void SetFolder(const char* folder) override {
    folders_.push_back(folder != nullptr ? std::optional<std::string>(folder) : std::nullopt);
  }
  HWND DropWindow() const override { return hwnd(); }
  std::string CurrentFolder() const override { return {}; }
  HRESULT DropFiles(IDataObject*, DWORD, const std::string&) override { return S_OK; }
  void StoreScannedImage(void*) override {}
  bool ExecuteCommand(int) override { return false; }
  bool UpdateCommand(win::CommandUpdate&) override { return false; }

 private:
  std::vector<std::optional<std::string>>& folders_;
};

class FolderTreeBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    DeleteProgramSettings();
    FrameParts parts = DefaultFrameParts();
    parts.fileList = [this] { return std::make_unique<RecordingFileList>(listed_); };
    frame_ = std::make_unique<CMainFrame>(std::move(parts));
    ASSERT_TRUE(frame_->CreateFrame());
    ShowWindow(frame_->hwnd(), SW_SHOW);
    PumpMessages();
    bar_ = dynamic_cast<FolderTreeBar*>(frame_->FolderTreeBar());
    ASSERT_NE(bar_, nullptr) << "the program's frame docks the folder tree bar";
  }
  void TearDown() override {
    frame_.reset();
    PumpMessages();
    DeleteProgramSettings();
    OleUninitialize();
  }
  std::string SelectedPath() const {
    std::string path;
    return bar_->treeWindow().GetSelectedPath(path) ? path : "<none>";
  }

  CViewerApp app_;
  std::vector<std::optional<std::string>> listed_;
  std::unique_ptr<CMainFrame> frame_;
  FolderTreeBar* bar_ = nullptr;
};

TEST_F(FolderTreeBarTest, HoldsTheTreeWithLabelEditingBelowItsCaption) {
  HWND tree = bar_->GetTreeCtrl();
  ASSERT_NE(tree, nullptr);
  HWND treeWindow = GetParent(tree);
  EXPECT_EQ(GetParent(treeWindow), bar_->hwnd());
  EXPECT_EQ(GetDlgCtrlID(treeWindow), FolderTreeBar::kTreeWindowId);
  EXPECT_TRUE(GetWindowLongPtrA(tree, GWL_STYLE) & TVS_EDITLABELS) << "folders are renamed in place in the bar";
  EXPECT_NE(TreeView_GetRoot(tree), nullptr) << "built when the bar gave it its size";

  RECT content = bar_->ContentRect();
  RECT placed{};
  GetWindowRect(treeWindow, &placed);
  MapWindowPoints(nullptr, bar_->hwnd(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.top, content.top) << "below the caption";
  EXPECT_EQ(placed.bottom - placed.top, content.bottom - content.top);
  EXPECT_GT(placed.bottom - placed.top, 0);

  std::string folder;
  POINT anywhere{10, 10};
  EXPECT_FALSE(bar_->DragOver(anywhere, folder)) << "drops on the tree are refused for now";
}

TEST_F(FolderTreeBarTest, TheFileListListsTheSelectedFolder) {
  ScratchFolder scratch("C:\\");
  const std::string deep = scratch.Make("pictures");
  listed_.clear();
  bar_->SelectPath(deep);
  ASSERT_FALSE(listed_.empty());
  EXPECT_EQ(listed_.back(), std::optional<std::string>(deep));
  EXPECT_EQ(SelectedPath(), deep);

  HWND tree = bar_->GetTreeCtrl();
  UniquePidl computer = SpecialFolderIds(CSIDL_DRIVES);
  HTREEITEM item = TreeView_GetChild(tree, TreeView_GetRoot(tree));
  for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    TVITEMA info{};
    info.mask = TVIF_PARAM | TVIF_HANDLE;
    info.hItem = item;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
    if (SameFirstId(reinterpret_cast<LPCITEMIDLIST>(info.lParam), computer.get())) break;
  }
  ASSERT_NE(item, nullptr);
  TreeView_SelectItem(tree, item);
  EXPECT_EQ(listed_.back(), std::nullopt) << "My Computer clears the list";

  bar_->SelectPath(deep);
  listed_.clear();
  bar_->Refresh();
  EXPECT_EQ(SelectedPath(), deep);
  ASSERT_FALSE(listed_.empty());
  EXPECT_EQ(listed_.back(), std::optional<std::string>(deep)) << "listed again after the rebuild";
}

}  // namespace
}  // namespace zv::test
