// The folder tree on the real shell namespace of Wine: building, lazy
// expansion, selecting paths by their three walks, refreshing, notifications,
// hidden folders, shared icons, freeing of item data, names under 932 and 1252.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <set>

#include "foldertree/tests/tree_fixture.h"
#include "foldertree/tree_items.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"

namespace zv::test {
namespace {

int ImageCount(HWND tree) { return ImageList_GetImageCount(TreeView_GetImageList(tree, TVSIL_NORMAL)); }

TVITEMA ItemInfo(HWND tree, HTREEITEM item) {
  TVITEMA info{};
  info.mask = TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_HANDLE;
  info.stateMask = TVIS_EXPANDED;
  info.hItem = item;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  return info;
}

TEST_F(FolderTreeTest, BuildsTheDesktopWithOnePlaceholderBelowEachFolder) {
  OpenTree();
  EXPECT_EQ(GetDlgCtrlID(tree()), IDW_FOLDER_TREE);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(tree(), GWL_STYLE)) & 0x50000027u, 0x50000027u);
  EXPECT_TRUE(GetWindowLongPtrA(tree(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  ASSERT_NE(TreeView_GetImageList(tree(), TVSIL_NORMAL), nullptr);

  UniquePidl desktop = SpecialFolderIds(CSIDL_DESKTOP);
  SHFILEINFOA info{};
  SHGetFileInfoA(reinterpret_cast<const char*>(desktop.get()), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
  EXPECT_EQ(Text(Root()), info.szDisplayName) << "the root is the Desktop";
  ASSERT_NE(Data(Root()), nullptr);
  EXPECT_EQ(Data(Root())->mkid.cb, 0) << "the root's data is the Desktop's (empty) list";
  EXPECT_TRUE(ItemInfo(tree(), Root()).state & TVIS_EXPANDED);
  EXPECT_EQ(TreeView_GetNextSibling(tree(), Root()), nullptr) << "one root";

  ASSERT_NE(RootChildOf(CSIDL_DRIVES), nullptr) << "My Computer below the Desktop";
  std::vector<HTREEITEM> children = Children(Root());
  ASSERT_GE(children.size(), 2u);
  for (HTREEITEM child : children) {
    std::vector<HTREEITEM> below = Children(child);
    ASSERT_EQ(below.size(), 1u) << Text(child) << ": not enumerated before it is opened";
    EXPECT_TRUE(IsPlaceholder(below[0])) << Text(child);
  }
  ComPtr<IShellFolder> folder = DesktopFolder();
  for (size_t i = 1; i < children.size(); ++i) {
    HRESULT order = folder->CompareIDs(0, Data(children[i - 1]), Data(children[i]));
    EXPECT_LE(static_cast<short>(HRESULT_CODE(order)), 0)
        << Text(children[i - 1]) << " before " << Text(children[i]) << ": sorted by the shell";
  }
}

TEST_F(FolderTreeTest, ExpandingListsOnlyFoldersInTheShellsOrderOnce) {
  ScratchFolder scratch("C:\\");
  scratch.Make("b");
  scratch.Make("a\\inner");
  scratch.Make("c");
  scratch.Make("leaf");
  CloseHandle(CreateFileA((scratch.path() + "\\file.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  OpenTree();
  window_->SelectPath(scratch.path().c_str());
  ASSERT_EQ(SelectedPath(), scratch.path());
  HTREEITEM folder = Selected();
  ExpandByUser(folder);
  std::vector<std::string> names;
  for (HTREEITEM c : Children(folder)) names.push_back(Text(c));
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c", "leaf"})) << "folders only, sorted";

  HTREEITEM leaf = ChildNamed(folder, "leaf");
  ASSERT_NE(leaf, nullptr);
  ASSERT_EQ(Children(leaf).size(), 1u);
  ExpandByUser(leaf);
  EXPECT_TRUE(Children(leaf).empty()) << "the placeholder is gone and nothing came";
  EXPECT_EQ(ItemInfo(tree(), leaf).cChildren, 0) << "so the expand button goes";

  HTREEITEM a = ChildNamed(folder, "a");
  ExpandByUser(a);
  ASSERT_EQ(Children(a).size(), 1u);
  EXPECT_EQ(Text(Children(a)[0]), "inner");
  scratch.Make("a\\later");
  TreeView_Expand(tree(), a, TVE_COLLAPSE);
  ExpandByUser(a);
  EXPECT_EQ(Children(a).size(), 1u) << "a folder is enumerated once; new folders wait for Refresh";
}

TEST_F(FolderTreeTest, ADriveWithOrWithoutBackslashIsTheSameItem) {
  OpenTree();
  window_->SelectPath("C:");
  HTREEITEM bare = Selected();
  EXPECT_EQ(SelectedPath(), "C:") << "a drive root is reported without its backslash";
  window_->SelectPath("C:\\");
  EXPECT_EQ(Selected(), bare);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(TreeView_GetParent(tree(), bare), RootChildOf(CSIDL_DRIVES)) << "found below My Computer";
}

TEST_F(FolderTreeTest, FindsFoldersBelowTheDesktopByTheirNames) {
  const std::string desktop = SpecialPath(CSIDL_DESKTOP);
  ScratchFolder scratch(desktop);
  const std::string deep = scratch.Make("x\\y");
  OpenTree();
  window_->SelectPath(desktop.c_str());
  EXPECT_EQ(Selected(), Root()) << "the Desktop directory is the root";
  EXPECT_EQ(SelectedPath(), desktop);

  window_->SelectPath(deep.c_str());
  EXPECT_EQ(SelectedPath(), deep);
  std::vector<HTREEITEM> chain = tree::ChainFromRoot(tree(), Selected());
  ASSERT_EQ(chain.size(), 4u);
  EXPECT_EQ(Text(chain[1]), scratch.name()) << "a folder of the Desktop directory is a child of the root";

  window_->SelectPath((scratch.path() + "\\x\\missing").c_str());
  EXPECT_EQ(SelectedPath(), scratch.path() + "\\x") << "the deepest existing folder";
  window_->SelectPath((scratch.path() + "\\X\\Y\\").c_str());
  EXPECT_EQ(SelectedPath(), deep) << "names compared ignoring case; a trailing backslash is harmless";
}

TEST_F(FolderTreeTest, FindsFoldersBelowDocumentsFromTheDocumentsItem) {
  const std::string documents = SpecialPath(CSIDL_PERSONAL);
  ScratchFolder scratch(documents);
  const std::string deep = scratch.Make("p\\q");
  OpenTree();
  window_->SelectPath(deep.c_str());
  EXPECT_EQ(SelectedPath(), deep);
  std::vector<HTREEITEM> chain = tree::ChainFromRoot(tree(), Selected());
  ASSERT_GE(chain.size(), 2u);
  ComPtr<IShellFolder> desktop = DesktopFolder();
  UniquePidl documentsIds = SpecialFolderIds(CSIDL_PERSONAL);
  const std::string documentsName = DisplayNameOf(desktop.Get(), documentsIds.get(), SHGDN_INFOLDER);
  HTREEITEM documentsItem = ChildNamed(Root(), documentsName);
  ASSERT_NE(documentsItem, nullptr) << "the Desktop shows Documents as \"" << documentsName << "\"";
  EXPECT_EQ(chain[1], documentsItem) << "walked from the Documents item";

  window_->SelectPath((scratch.path() + "\\p\\missing\\more").c_str());
  EXPECT_EQ(SelectedPath(), scratch.path() + "\\p") << "the deepest existing folder";
}

TEST_F(FolderTreeTest, FindsFoldersElsewhereByTheirIdentifiers) {
  ScratchFolder scratch("C:\\");
  const std::string deep = scratch.Make("m\\n");
  OpenTree();
  window_->SelectPath(deep.c_str());
  EXPECT_EQ(SelectedPath(), deep);
  std::vector<HTREEITEM> chain = tree::ChainFromRoot(tree(), Selected());
  ASSERT_GE(chain.size(), 2u);
  EXPECT_EQ(chain[1], RootChildOf(CSIDL_DRIVES)) << "walked from My Computer";

  window_->SelectPath("Z:\\tmp");
  EXPECT_EQ(SelectedPath(), "Z:\\tmp") << "another drive";
}

// Gives a folder other times, as writing into it or reading it would.
void TouchFolder(const std::string& path, WORD year) {
  HANDLE folder = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(folder, INVALID_HANDLE_VALUE) << path;
  SYSTEMTIME when{};
  when.wYear = year;
  when.wMonth = 3;
  when.wDay = 4;
  when.wHour = 5;
  FILETIME time{};
  SystemTimeToFileTime(&when, &time);
  EXPECT_TRUE(SetFileTime(folder, &time, &time, &time));
  CloseHandle(folder);
}

TEST_F(FolderTreeTest, AFolderWhoseTimesChangedSinceItWasListedIsStillFound) {
  ScratchFolder scratch("C:\\");
  const std::string deep = scratch.Make("old\\older");
  OpenTree();
  window_->SelectPath((scratch.path() + "\\old").c_str());
  ASSERT_EQ(SelectedPath(), scratch.path() + "\\old");
  TouchFolder(scratch.path(), 2001);  // the tree's identifier of the scratch folder now differs in its bytes
  TouchFolder(scratch.path() + "\\old", 2002);
  window_->SelectPath(deep.c_str());
  EXPECT_EQ(SelectedPath(), deep);
}

TEST_F(FolderTreeTest, PathsThatCannotBeParsedSelectDocuments) {
  ScratchFolder scratch("C:\\");
  OpenTree();
  const std::string documents = SpecialPath(CSIDL_PERSONAL);
  window_->SelectPath((scratch.path() + "\\missing\\more").c_str());
  EXPECT_EQ(SelectedPath(), documents) << "a missing folder on another drive";
  window_->SelectPath(scratch.path().c_str());
  window_->SelectPath(nullptr);
  EXPECT_EQ(SelectedPath(), documents) << "a null path counts as empty";
  window_->SelectPath(scratch.path().c_str());
  window_->SelectPath("");
  EXPECT_EQ(SelectedPath(), documents);
}

TEST_F(FolderTreeTest, AFolderBesideTheDesktopWhoseNameStartsTheSameIsNotBelowIt) {
  // "...\Desktop-zv-N\<name>" begins with the Desktop directory's text but is not in it.
  const std::string desktop = SpecialPath(CSIDL_DESKTOP);
  ScratchFolder inDesktop(desktop);
  const std::string beside = desktop + "-zv-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(beside.c_str(), nullptr));
  const std::string target = beside + "\\" + inDesktop.name();
  ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
  OpenTree();
  window_->SelectPath(target.c_str());
  EXPECT_EQ(SelectedPath(), target);
  RemoveTree(beside);
}

TEST_F(FolderTreeTest, NamesOfTheCodePageShowAndWalk) {
  // Shift-JIS "表" ends in the byte 0x5C; under 1252 the shell's UTF-16 names
  // must be converted with the ANSI page, not the OEM page (437 there).
  const bool japanese = GetACP() == 932;
  const std::string first = Ansi(japanese ? "表示フォルダ" : "Café");
  const std::string second = Ansi(japanese ? "画像の保存先" : "Ünïcode");
  for (const std::string& base : {SpecialPath(CSIDL_DESKTOP), std::string("C:\\")}) {
    ScratchFolder scratch(base);
    const std::string deep = scratch.Make(first + "\\" + second);
    OpenTree();
    window_->SelectPath(deep.c_str());
    EXPECT_EQ(SelectedPath(), deep) << "below " << base;
    EXPECT_EQ(Text(Selected()), second);
    EXPECT_EQ(Text(TreeView_GetParent(tree(), Selected())), first);
    window_->SelectPath((scratch.path() + "\\" + first + "\\missing").c_str());
    if (base != "C:\\") {
      EXPECT_EQ(Text(Selected()), first) << "the walk by names stops at the name";
    }
    window_.reset();
  }
}

TEST_F(FolderTreeTest, TheOwnerIsToldThePathOrNullForVirtualFolders) {
  OpenTree();
  owner_.Forget();
  HTREEITEM computer = RootChildOf(CSIDL_DRIVES);
  ASSERT_NE(computer, nullptr);
  TreeView_SelectItem(tree(), computer);
  ASSERT_EQ(owner_.notices.size(), 1u);
  EXPECT_EQ(owner_.notices[0], std::nullopt) << "My Computer has no file-system path";
  EXPECT_EQ(owner_.headers[0].hwndFrom, window_->hwnd());
  EXPECT_EQ(owner_.headers[0].idFrom, 1000u);
  EXPECT_EQ(owner_.wParams[0], 1000u);

  window_->SelectPath("C:\\");
  ASSERT_EQ(owner_.notices.size(), 2u);
  EXPECT_EQ(owner_.notices[1], std::optional<std::string>("C:"));
  TreeView_SelectItem(tree(), Root());
  ASSERT_EQ(owner_.notices.size(), 3u);
  EXPECT_EQ(owner_.notices[2], std::optional<std::string>(SpecialPath(CSIDL_DESKTOPDIRECTORY)));
  if (HTREEITEM bin = RootChildOf(CSIDL_BITBUCKET)) {
    TreeView_SelectItem(tree(), bin);
    EXPECT_EQ(owner_.notices.back(), std::nullopt) << "the recycle bin has none either";
  }
}

TEST_F(FolderTreeTest, InitialPathIsSelectedOnceBuilt) {
  ScratchFolder scratch("C:\\");
  const std::string deep = scratch.Make("start");
  OpenTree(nullptr, deep.c_str());
  EXPECT_EQ(SelectedPath(), deep);
  ASSERT_FALSE(owner_.notices.empty());
  EXPECT_EQ(owner_.notices.back(), std::optional<std::string>(deep));
}

TEST_F(FolderTreeTest, RefreshReselectsTheFolderOrDocumentsWhenItIsGone) {
  ScratchFolder scratch("C:\\");
  const std::string deep = scratch.Make("r\\s");
  OpenTree();
  window_->SelectPath(deep.c_str());
  scratch.Make("r\\t");
  window_->Refresh();
  EXPECT_EQ(SelectedPath(), deep) << "reselected by the texts of the items";
  EXPECT_NE(ChildNamed(TreeView_GetParent(tree(), Selected()), "t"), nullptr) << "a rebuilt tree sees new folders";
  EXPECT_EQ(owner_.notices.back(), std::optional<std::string>(deep));

  RemoveTree(scratch.path() + "\\r");
  window_->Refresh();
  EXPECT_EQ(SelectedPath(), SpecialPath(CSIDL_PERSONAL)) << "the selected folder was deleted outside";
  EXPECT_EQ(owner_.notices.back(), std::optional<std::string>(SpecialPath(CSIDL_PERSONAL)));
}

// A Linux symbolic link to the folder that holds it: Wine 8 shows it as a
// folder (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT), so the
// loop top\back\back\... opens as deep as the user goes. It must end, and
// no folder may be reported under a path that is not its own: past the
// ANSI limit the items have no path (as a virtual folder), are no drop
// target, and the deepest has no children.
TEST_F(FolderTreeTest, ALoopOfFoldersEndsAtThePathLimitAndNeverReportsACutPath) {
  ScratchFolder scratch("Z:\\tmp");
  const std::string top = scratch.Make("top");
  const std::string back = "back_to_the_folder_that_holds_it";
  const std::string linuxTop = "/tmp/" + scratch.name() + "/top";
  ASSERT_TRUE(RunLinuxCommand("ln -s . '" + linuxTop + "/" + back + "'"));
  struct Unlink {  // first: the shell's delete of the scratch folder would walk into the loop
    std::string link;
    ~Unlink() { RunLinuxCommand("rm -f '" + link + "'"); }
  } unlink{linuxTop + "/" + back};
  const DWORD attributes = GetFileAttributesA((top + "\\" + back).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));

  OpenTree();
  window_->SelectPath(top.c_str());
  ASSERT_EQ(SelectedPath(), top);
  HTREEITEM item = Selected();
  std::string path = top;  // the path of `item`, whether or not it fits
  int depth = 0;
  for (; depth < 100; ++depth) {
    ExpandByUser(item);
    HTREEITEM next = ChildNamed(item, back);
    if (next == nullptr) break;
    item = next;
    path += "\\" + back;
    const size_t notices = owner_.notices.size();
    TreeView_SelectItem(tree(), item);
    PumpMessages();
    ASSERT_EQ(owner_.notices.size(), notices + 1);
    std::string reported;
    if (path.size() < MAX_PATH - 1) {
      EXPECT_EQ(owner_.notices.back(), std::optional<std::string>(path)) << "depth " << depth;
      EXPECT_TRUE(window_->GetItemPath(item, reported));
      EXPECT_EQ(reported, path);
    } else {
      EXPECT_EQ(owner_.notices.back(), std::nullopt) << "depth " << depth << ": " << *owner_.notices.back();
      EXPECT_FALSE(window_->GetItemPath(item, reported)) << reported;
      RECT row{};
      ASSERT_TRUE(TreeView_GetItemRect(tree(), item, &row, TRUE));
      POINT screen{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
      ClientToScreen(tree(), &screen);
      std::string target;
      EXPECT_FALSE(window_->DragOver(screen, target)) << "no drop into it: " << target;
      window_->DragLeave();
    }
  }
  EXPECT_LT(depth, 100) << "the loop ends";
  EXPECT_GE(path.size(), static_cast<size_t>(MAX_PATH - 1)) << "it opens down to the limit";
  EXPECT_TRUE(Children(item).empty()) << "the deepest folder lists nothing";
}

TEST_F(FolderTreeTest, HiddenFoldersAreListed) {
  ScratchFolder scratch("C:\\");
  const std::string hidden = scratch.Make("secret");
  scratch.Make("plain");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN) << "the file system keeps the attribute";
  OpenTree();
  window_->SelectPath(hidden.c_str());
  EXPECT_EQ(SelectedPath(), hidden);
  EXPECT_NE(ChildNamed(TreeView_GetParent(tree(), Selected()), "plain"), nullptr);
}

TEST_F(FolderTreeTest, FoldersShareTheImagesOfTheirIconLocation) {
  ScratchFolder scratch("C:\\");
  for (int i = 0; i < 24; ++i) scratch.Make("folder" + std::to_string(i));
  OpenTree();
  window_->SelectPath(scratch.path().c_str());
  const int imagesBefore = ImageCount(tree());
  ExpandByUser(Selected());
  std::vector<HTREEITEM> children = Children(Selected());
  ASSERT_EQ(children.size(), 24u);
  std::set<int> images;
  for (HTREEITEM c : children) {
    TVITEMA info = ItemInfo(tree(), c);
    images.insert(info.iImage);
    images.insert(info.iSelectedImage);
  }
  EXPECT_LE(images.size(), 2u) << "one closed and one open image for plain folders";
  EXPECT_LE(ImageCount(tree()) - imagesBefore, 2) << "24 folders add at most their two icons";
  size_t folders = 0;
  for (HTREEITEM item : AllItems()) folders += IsPlaceholder(item) ? 0 : 1;
  EXPECT_LT(static_cast<size_t>(ImageCount(tree())) * 3, folders) << "far fewer images than folders";
  for (int image : images) EXPECT_LT(image, ImageCount(tree()));
}

TEST_F(FolderTreeTest, ItemDataIsFreedThroughTheAllocator) {
  ScratchFolder scratch("C:\\");
  scratch.Make("one\\two");
  scratch.Make("three");
  CountingMalloc allocator;
  OpenTree(&allocator);
  window_->SelectPath((scratch.path() + "\\one\\two").c_str());
  ExpandByUser(Selected());
  auto withData = [this](const std::vector<HTREEITEM>& items) {
    int n = 0;
    for (HTREEITEM item : items) n += Data(item) != nullptr ? 1 : 0;
    return n;
  };
  const int total = withData(AllItems());
  ASSERT_GT(total, 5);
  EXPECT_EQ(allocator.frees, 0);

  HTREEITEM one = TreeView_GetParent(tree(), Selected());
  HTREEITEM folder = TreeView_GetParent(tree(), one);
  ExpandByUser(folder);
  int inSubtree = 0;
  for (HTREEITEM item : AllItems()) {
    for (HTREEITEM up = item; up != nullptr; up = TreeView_GetParent(tree(), up))
      if (up == folder) {
        inSubtree += Data(item) != nullptr ? 1 : 0;
        break;
      }
  }
  EXPECT_EQ(inSubtree, 4) << "the scratch folder, one, two and three";
  TreeView_DeleteItem(tree(), folder);
  EXPECT_EQ(allocator.frees, inSubtree) << "a deleted item frees its identifier; placeholders have none";

  const int remaining = withData(AllItems());
  window_.reset();
  EXPECT_EQ(allocator.frees, inSubtree + remaining) << "destroying the window frees every item's identifier";
}

TEST_F(FolderTreeTest, LabelEditingSwitchesTheStyleBit) {
  OpenTree();
  EXPECT_FALSE(GetWindowLongPtrA(tree(), GWL_STYLE) & TVS_EDITLABELS);
  window_->SetLabelEditing(true);
  EXPECT_TRUE(GetWindowLongPtrA(tree(), GWL_STYLE) & TVS_EDITLABELS);
  window_->SetLabelEditing(false);
  EXPECT_FALSE(GetWindowLongPtrA(tree(), GWL_STYLE) & TVS_EDITLABELS);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(tree(), GWL_STYLE)) & 0x50000027u, 0x50000027u);
}

}  // namespace
}  // namespace zv::test
