// Editing the folder tree on the real file system and shell of Wine: new
// folders with their checks and messages, renaming in place, and the
// feedback while files are dragged over the tree.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/app_paths.h"
#include "core/fileops/input_rules.h"
#include "foldertree/tests/tree_fixture.h"
#include "res/resource.h"
#include "tests/wine/window_shot.h"
#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"

namespace zv::test {
namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A name of this code page with characters beyond ASCII.
std::string LocalName(const char* japanese, const char* western) { return Ansi(GetACP() == 932 ? japanese : western); }

UINT State(HWND tree, HTREEITEM item, UINT mask) { return TreeView_GetItemState(tree, item, mask) & mask; }

class FolderTreeEditTest : public FolderTreeTest {
 protected:
  // The messages come from String.ini: its defaults, whatever an earlier run left.
  void SetUp() override {
    DeleteFileA(Ini().c_str());
    FolderTreeTest::SetUp();
  }
  void TearDown() override {
    FolderTreeTest::TearDown();
    DeleteFileA(Ini().c_str());
  }
  static std::string Ini() { return ProgramFolder() + "\\String.ini"; }
  // NewFolder(name), answering the message box it may show; the box's text, or empty when none showed.
  std::string NewFolderMessage(const std::string& name, bool& made) {
    std::string text;
    AnswerModalDialog([&] { made = window_->NewFolder(name); },
                      [&](HWND box) {
                        text = win::GetWindowTextString(GetDlgItem(box, 0xFFFF));
                        SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                      });
    return text;
  }
  // The point in the middle of an item's label, on the screen.
  POINT ScreenPointOf(HTREEITEM item) const {
    RECT r{};
    TreeView_GetItemRect(tree(), item, &r, TRUE);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tree(), &p);
    return p;
  }
  // DragOver at a point, with the cursor there as during a real drag.
  bool DragTo(POINT screen, std::string& folder) {
    SetCursorPos(screen.x, screen.y);
    return window_->DragOver(screen, folder);
  }
  // Rows above the first visible one.
  int FirstVisibleRow() const {
    int row = 0;
    for (HTREEITEM item = TreeView_GetFirstVisible(tree()); item != nullptr;
         item = TreeView_GetPrevVisible(tree(), item))
      ++row;
    return row - 1;
  }
};

TEST_F(FolderTreeEditTest, NewFolderChecksLengthCharactersExistenceThenAddsTheFolderLastAndSelectsIt) {
  ScratchFolder scratch("C:\\");
  scratch.Make("b");
  scratch.Make("z");
  OpenTree();
  window_->SelectPath(scratch.path().c_str());
  HTREEITEM parent = Selected();
  bool made = true;
  EXPECT_EQ(NewFolderMessage(std::string(251, 'x'), made), Ansi("フォルダ名を入力して下さい。"));
  EXPECT_FALSE(made);
  EXPECT_EQ(NewFolderMessage(std::string(250, ';') + "x", made), Ansi("フォルダ名を入力して下さい。"))
      << "the length is checked before the characters";
  EXPECT_EQ(NewFolderMessage("a;b", made), Ansi("フォルダ名には次の文字は使用できません。") + "\n" + kForbiddenNameChars);
  EXPECT_FALSE(made);
  EXPECT_EQ(NewFolderMessage("B", made), Ansi("同じ名前のファイルかフォルダが存在します。"))
      << "an existing folder, whatever the case";
  EXPECT_FALSE(made);
  EXPECT_FALSE(Exists(scratch.path() + "\\a;b"));
  EXPECT_EQ(Children(parent).size(), 2u) << "nothing added for a refused name";

  // Sorted, "a..." would come first: a new folder is added last all the same.
  const std::string name = std::string("a").append(LocalName("新しいフォルダ", "Café"));
  owner_.Forget();
  EXPECT_EQ(NewFolderMessage(name, made), "");
  EXPECT_TRUE(made);
  EXPECT_TRUE(Exists(scratch.path() + "\\" + name));
  std::vector<HTREEITEM> children = Children(parent);
  ASSERT_EQ(children.size(), 3u);
  EXPECT_EQ(Text(children[2]), name);
  EXPECT_EQ(Selected(), children[2]);
  EXPECT_EQ(GetFocus(), tree());
  EXPECT_EQ(SelectedPath(), scratch.path() + "\\" + name) << "the new item's identifier names the new folder";
  ASSERT_FALSE(owner_.notices.empty());
  EXPECT_EQ(owner_.notices.back(), std::optional<std::string>(scratch.path() + "\\" + name));
  ExpandByUser(children[2]);
  EXPECT_TRUE(Children(children[2]).empty()) << "no placeholder, and nothing to list";

  // 250 bytes are allowed; the drive root keeps the whole path within MAX_PATH.
  window_->SelectPath("C:\\");
  const std::string longest = "zv" + std::to_string(GetCurrentProcessId()) + std::string(250, 'n');
  const std::string allowed = longest.substr(0, 250);
  EXPECT_EQ(NewFolderMessage(allowed, made), "");
  EXPECT_TRUE(made);
  EXPECT_TRUE(Exists("C:\\" + allowed));
  EXPECT_EQ(SelectedPath(), "C:\\" + allowed);
  RemoveTree("C:\\" + allowed);

  HTREEITEM computer = RootChildOf(CSIDL_DRIVES);
  TreeView_SelectItem(tree(), computer);
  EXPECT_EQ(NewFolderMessage("plain", made), "") << "a virtual folder refuses without a message";
  EXPECT_FALSE(made);
}

TEST_F(FolderTreeEditTest, RenamingOntoAnExistingFolderReopensTheEditorAndARenameKeepsTheItemsPath) {
  ScratchFolder scratch("C:\\");
  const std::string old = scratch.Make("old");
  scratch.Make("old\\inner");
  scratch.Make("taken");
  OpenTree();
  window_->SetLabelEditing(true);
  window_->SelectPath(old.c_str());
  HTREEITEM item = Selected();

  HWND edit = TreeView_EditLabel(tree(), item);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 260);
  SetWindowTextA(edit, "taken");
  TreeView_EndEditLabelNow(tree(), FALSE);
  PumpMessages();
  EXPECT_TRUE(Exists(old)) << "the shell refused";
  EXPECT_EQ(Text(item), "old");
  HWND again = TreeView_GetEditControl(tree());
  ASSERT_NE(again, nullptr) << "the editor is open again";
  EXPECT_EQ(win::GetWindowTextString(again), "old");

  const std::string renamed = LocalName("表示の名前", "Ünïcode");
  SetWindowTextA(again, renamed.c_str());
  TreeView_EndEditLabelNow(tree(), FALSE);
  PumpMessages();
  EXPECT_EQ(TreeView_GetEditControl(tree()), nullptr);
  EXPECT_FALSE(Exists(old));
  EXPECT_TRUE(Exists(scratch.path() + "\\" + renamed + "\\inner"));
  EXPECT_EQ(Text(item), renamed);
  std::string path;
  EXPECT_TRUE(window_->GetItemPath(item, path));
  EXPECT_EQ(path, scratch.path() + "\\" + renamed) << "the item carries the new folder's identifier";
  ExpandByUser(item);
  ASSERT_EQ(Children(item).size(), 1u);
  EXPECT_TRUE(window_->GetItemPath(Children(item)[0], path));
  EXPECT_EQ(path, scratch.path() + "\\" + renamed + "\\inner");

  ASSERT_NE(TreeView_EditLabel(tree(), item), nullptr);
  TreeView_EndEditLabelNow(tree(), TRUE);
  PumpMessages();
  EXPECT_EQ(TreeView_GetEditControl(tree()), nullptr) << "a cancelled edit renames nothing";
  EXPECT_EQ(Text(item), renamed);
}

TEST_F(FolderTreeEditTest, RestingOnACollapsedFolderExpandsItAfterTwoSecondsAndDragLeaveEndsIt) {
  ScratchFolder scratch("C:\\");
  scratch.Make("first\\inner");
  scratch.Make("second\\inner");
  scratch.Make("third\\inner");
  OpenTree();
  window_->SelectPath(scratch.path().c_str());
  ExpandByUser(Selected());
  HTREEITEM first = ChildNamed(Selected(), "first");
  HTREEITEM second = ChildNamed(Selected(), "second");
  HTREEITEM third = ChildNamed(Selected(), "third");
  ASSERT_TRUE(first && second && third);

  std::string folder;
  EXPECT_TRUE(DragTo(ScreenPointOf(first), folder));
  EXPECT_EQ(folder, scratch.path() + "\\first");
  EXPECT_EQ(TreeView_GetDropHilight(tree()), first);
  EXPECT_TRUE(State(tree(), first, TVIS_DROPHILITED));
  EXPECT_EQ(Selected(), TreeView_GetParent(tree(), first)) << "a drag moves the highlight, not the selection";
  SaveWindowShot(owner_.hwnd(), "tree_drop_highlight");
  PumpFor(600);
  EXPECT_FALSE(State(tree(), first, TVIS_EXPANDED));

  EXPECT_TRUE(DragTo(ScreenPointOf(second), folder));
  EXPECT_EQ(folder, scratch.path() + "\\second");
  PumpFor(2500);
  EXPECT_FALSE(State(tree(), first, TVIS_EXPANDED)) << "moving onto another item restarts the wait";
  EXPECT_TRUE(State(tree(), second, TVIS_EXPANDED));
  ASSERT_EQ(Children(second).size(), 1u);
  EXPECT_EQ(Text(Children(second)[0]), "inner") << "listed on the way";

  EXPECT_TRUE(DragTo(ScreenPointOf(third), folder));
  window_->DragLeave();
  EXPECT_EQ(TreeView_GetDropHilight(tree()), nullptr);
  EXPECT_EQ(window_->hoverItem(), nullptr);
  PumpFor(2500);
  EXPECT_FALSE(State(tree(), third, TVIS_EXPANDED)) << "DragLeave stops the wait";

  HTREEITEM computer = RootChildOf(CSIDL_DRIVES);
  TreeView_EnsureVisible(tree(), computer);
  EXPECT_FALSE(DragTo(ScreenPointOf(computer), folder)) << "a virtual folder takes no drop";
  EXPECT_EQ(TreeView_GetDropHilight(tree()), computer) << "but shows where the cursor is";
  window_->DragLeave();
}

TEST_F(FolderTreeEditTest, TheEdgeBandsScrollOneRowAtATimeUntilTheTreeCannotScroll) {
  ScratchFolder scratch("C:\\");
  for (int i = 0; i < 60; ++i) scratch.Make(std::string("f").append(std::to_string(100 + i)));
  OpenTree();
  window_->SelectPath(scratch.path().c_str());
  ExpandByUser(Selected());
  std::vector<HTREEITEM> children = Children(Selected());
  ASSERT_EQ(children.size(), 60u);
  TreeView_Select(tree(), children[30], TVGN_FIRSTVISIBLE);
  const int startRow = FirstVisibleRow();
  ASSERT_GT(startRow, 10);

  RECT client{};
  GetClientRect(tree(), &client);
  POINT top{40, 2};
  ClientToScreen(tree(), &top);
  std::string folder;
  DragTo(top, folder);
  PumpFor(1100);
  const int afterUp = FirstVisibleRow();
  EXPECT_LE(afterUp, startRow - 3) << "about five rows a second";
  EXPECT_GE(afterUp, startRow - 7);
  EXPECT_EQ(TreeView_GetDropHilight(tree()), TreeView_GetFirstVisible(tree())) << "the highlight follows the cursor";
  window_->DragLeave();
  PumpFor(500);
  EXPECT_EQ(FirstVisibleRow(), afterUp) << "DragLeave stops scrolling";

  POINT bottom{40, client.bottom - 2};
  ClientToScreen(tree(), &bottom);
  DragTo(bottom, folder);
  PumpFor(1100);
  EXPECT_GE(FirstVisibleRow(), afterUp + 3) << "the bottom band scrolls down";
  window_->DragLeave();

  TreeView_Select(tree(), TreeView_GetNextVisible(tree(), TreeView_GetNextVisible(tree(), Root())), TVGN_FIRSTVISIBLE);
  ASSERT_EQ(FirstVisibleRow(), 2);
  DragTo(top, folder);
  PumpFor(1500);
  EXPECT_EQ(FirstVisibleRow(), 0);
  EXPECT_FALSE(KillTimer(window_->hwnd(), IDT_TREE_SCROLL_UP)) << "at the top the timer stopped by itself";
  window_->DragLeave();
}

}  // namespace
}  // namespace zv::test
