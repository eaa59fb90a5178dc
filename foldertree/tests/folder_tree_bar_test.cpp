// The folder tree bar in a window of its own: it holds the tree (id 100,
// label editing on) and reports the selected folder to its host.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include "foldertree/folder_tree_bar.h"
#include "foldertree/tests/tree_fixture.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"

namespace zv::test {
namespace {

// A host that records what the bar reports; nullopt for a null folder.
class RecordingHost : public FolderTreeHost {
 public:
  void OnFolderSelected(const char* path) override {
    folders.push_back(path != nullptr ? std::optional<std::string>(path) : std::nullopt);
  }
  std::vector<std::optional<std::string>> folders;
};

class HostWindow : public win::Window {
 public:
  bool Open() {
    RegisterClass("ZVTreeBarHost", nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return Create({.className = "ZVTreeBarHost", .style = WS_POPUP | WS_VISIBLE, .rect = {0, 0, 400, 600}});
  }
};

class FolderTreeBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    DeleteProgramSettings();
    ASSERT_TRUE(window_.Open());
    bar_ = std::make_unique<FolderTreeBar>();
    ASSERT_TRUE(bar_->CreatePane(window_.hwnd(), ID_VIEW_FOLDERTREE, "tree", nullptr, host_));
    MoveWindow(bar_->hwnd(), 0, 0, 300, 500, TRUE);
    PumpMessages();
  }
  void TearDown() override {
    bar_.reset();
    window_.Destroy();
    PumpMessages();
    DeleteProgramSettings();
    OleUninitialize();
  }
  std::string SelectedPath() const {
    std::string path;
    return bar_->treeWindow().GetSelectedPath(path) ? path : "<none>";
  }

  HostWindow window_;
  RecordingHost host_;
  std::vector<std::optional<std::string>>& listed_ = host_.folders;
  std::unique_ptr<FolderTreeBar> bar_;
};

TEST_F(FolderTreeBarTest, HoldsTheTreeWithLabelEditingBelowItsCaption) {
  HWND tree = bar_->GetTreeCtrl();
  ASSERT_NE(tree, nullptr);
  HWND treeWindow = GetParent(tree);
  EXPECT_EQ(GetParent(treeWindow), bar_->hwnd());
  EXPECT_EQ(GetDlgCtrlID(treeWindow), IDW_FOLDER_TREE_IN_BAR);
  EXPECT_TRUE(GetWindowLongPtrA(tree, GWL_STYLE) & TVS_EDITLABELS) << "folders are renamed in place in the bar";
  EXPECT_NE(TreeView_GetRoot(tree), nullptr) << "built when the bar gave it its size";

  RECT content = bar_->ContentRect();
  RECT placed{};
  GetWindowRect(treeWindow, &placed);
  MapWindowPoints(nullptr, bar_->hwnd(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.top, content.top) << "below the caption";
  EXPECT_EQ(placed.bottom - placed.top, content.bottom - content.top);
  EXPECT_GT(placed.bottom - placed.top, 0);

  // Drag feedback goes to the tree: its root is the Desktop directory. (The
  // bar's tree always has a folder selected; Wine keeps a drop highlight that
  // is cleared while nothing is selected.)
  bar_->SelectPath("C:\\");
  RECT root{};
  TreeView_GetItemRect(tree, TreeView_GetRoot(tree), &root, TRUE);
  POINT over{(root.left + root.right) / 2, (root.top + root.bottom) / 2};
  ClientToScreen(tree, &over);
  std::string folder;
  EXPECT_TRUE(bar_->DragOver(over, folder));
  EXPECT_EQ(folder, SpecialPath(CSIDL_DESKTOPDIRECTORY));
  EXPECT_EQ(TreeView_GetDropHilight(tree), TreeView_GetRoot(tree));
  bar_->DragLeave();
  EXPECT_EQ(TreeView_GetDropHilight(tree), nullptr);
}

TEST_F(FolderTreeBarTest, TheHostIsToldTheSelectedFolder) {
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
  EXPECT_EQ(listed_.back(), std::nullopt) << "My Computer has no path: the list is cleared";

  bar_->SelectPath(deep);
  listed_.clear();
  bar_->Refresh();
  EXPECT_EQ(SelectedPath(), deep);
  ASSERT_FALSE(listed_.empty());
  EXPECT_EQ(listed_.back(), std::optional<std::string>(deep)) << "listed again after the rebuild";
}

}  // namespace
}  // namespace zv::test
