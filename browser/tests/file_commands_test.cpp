// The file commands through the real shell, clipboard and a second program
// (clipboard_peer.exe beside this test): copy, cut and paste, drops, and
// delete and copy out of the copyboard's mirror (unit 0 on C:, its device
// folder C:\ZVM, the mirror Q7IF beside this test program). Every flow has a
// name that is not ASCII in the code page the test runs under.
#include <windows.h>

#include <shellapi.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "browser/tests/list_fixture.h"
#include "core/imagelib/image_header.h"
#include "fileops/file_transfer.h"
#include "foldertree/folder_tree_wnd.h"
#include "res/resource.h"
#include "tests/wine/board_entries.h"
#include "tests/wine/wine_test_support.h"
#include "win/com.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using Names = std::vector<std::string>;

// A name with characters beyond ASCII: Shift-JIS "表" (0x95 0x5C) carries a
// backslash as its trail byte.
std::string NonAscii(const char* extension) {
  return win::Utf8ToAnsi(GetACP() == 932 ? "表紙テスト" : "café") + extension;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Runs clipboard_peer.exe and serves the clipboard meanwhile (our list is
// rendered only when the other program asks for it); its exit code.
DWORD RunPeer(const std::string& arguments) {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string exe = self;
  exe = exe.substr(0, exe.rfind('\\')) + "\\clipboard_peer.exe";
  std::string command = Quoted(exe) + " " + arguments;
  STARTUPINFOA startup{sizeof startup};
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 1000;
  const DWORD start = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0 &&
         GetTickCount() - start < 20000)
    test::Pump();
  DWORD code = 1001;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// The CF_HDROP block the program must write for `paths`, built here from
// the layout itself: pFiles 20, fWide 1, UTF-16 names (ANSI code page) each
// with its NUL, one more NUL, zeros up to 2 x sum(bytes + 1) + 52.
std::string ExpectedBlock(const Names& paths) {
  size_t bytes = 0;
  std::wstring names;
  for (const std::string& path : paths) {
    bytes += path.size() + 1;
    wchar_t wide[MAX_PATH] = L"";
    const int length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path.c_str(), -1, wide, MAX_PATH);
    names.append(wide, static_cast<size_t>(length));  // with its NUL
  }
  std::string block(2 * bytes + 52, '\0');
  block[0] = 20;
  block[16] = 1;
  for (size_t i = 0; i < names.size(); ++i) {
    block[20 + 2 * i] = static_cast<char>(names[i] & 0xFF);
    block[21 + 2 * i] = static_cast<char>(names[i] >> 8);
  }
  return block;
}

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    test::RemoveStringIni();
    settings_.dwdLstMod = 0;  // the grid shows, and the rows exist as well
  }
  void TearDown() override {
    view_.Close();
    test::RemoveStringIni();
  }
  CFileListView& Open() {
    EXPECT_TRUE(view_.Open());
    return view_.view();
  }
  bool Enabled(int id) { return win::QueryCommand(view_.view(), id).enabled(); }
  bool Run(int id) { return win::RunEnabledCommand(view_.view(), id); }
  Names Rows() { return test::RowNames(view_.list()); }
  size_t Cells() { return view_.view().gridPresenter().grid().size(); }

  win::OleSession ole_;
  EnvSet settings_;
  test::ViewUnderTest view_{settings_};
};

TEST_F(FileCommandsTest, ClipboardCarriesWideNamesAndPastesAnotherProgramsNarrowList) {
  test::TempFolder source, target, third;
  const std::string odd = NonAscii(".bmp");
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", source.File("a.png")));
  ASSERT_TRUE(test::CopyZooFile("jpeg_baseline.jpg", source.File("b.jpg")));
  ASSERT_TRUE(test::CopyZooFile("bmp_24.bmp", source.File(odd)));
  test::WriteFileBytes(source.File("notes.txt"), "not a picture");
  CFileListView& view = Open();
  view.SetFolder(source.path().c_str());
  ASSERT_EQ(Rows(), (Names{"a.png", "b.jpg", odd}));
  EXPECT_FALSE(Enabled(ID_EDIT_COPY)) << "nothing selected";
  EXPECT_FALSE(Enabled(ID_EDIT_DELETE));

  ASSERT_TRUE(Run(ID_EDIT_COPYALL));
  EXPECT_EQ(view.GetSelectedCount(), 3) << "copy all selects every file";
  EXPECT_FALSE(view.fileCommands().PasteMoves());
  const Names copied = {source.File("a.png"), source.File("b.jpg"), source.File(odd)};
  const std::string dump = target.File("block.bin");
  ASSERT_EQ(RunPeer("read " + Quoted(dump)), 0u) << "another program finds CF_HDROP on the clipboard";
  EXPECT_EQ(test::ReadFileBytes(dump), ExpectedBlock(copied));
  DeleteFileA(dump.c_str());

  // A single picture shown: no paste and none of the commands on all files.
  view.SetFolder(target.path().c_str());
  EXPECT_TRUE(Enabled(ID_EDIT_PASTE));
  EXPECT_FALSE(Enabled(ID_EDIT_COPYALL)) << "an empty list";
  ASSERT_TRUE(Run(ID_EDIT_PASTE));
  EXPECT_EQ(Rows(), (Names{"a.png", "b.jpg", odd})) << "the pasted files come at the end of the list";
  EXPECT_EQ(Cells(), 3u);
  for (const std::string& path : copied) EXPECT_TRUE(Exists(path)) << path << " was copied, not moved";
  view.SelectAll();
  view.OpenCurrent();
  ASSERT_TRUE(view.pictureMode().shown());
  EXPECT_FALSE(Enabled(ID_EDIT_PASTE));
  EXPECT_FALSE(Enabled(ID_EDIT_DELETEALL));
  EXPECT_FALSE(Enabled(ID_EDIT_SELECTALL));
  view.ReturnToList();

  // Another program's list of narrow names: only the pictures are pasted.
  ASSERT_EQ(RunPeer("write-narrow " + Quoted(source.File(odd)) + " " + Quoted(source.File("notes.txt"))), 0u);
  view.SetFolder(third.path().c_str());
  ASSERT_TRUE(Enabled(ID_EDIT_PASTE)) << "the clipboard changed: it is looked at again";
  ASSERT_TRUE(Run(ID_EDIT_PASTE));
  EXPECT_EQ(Rows(), Names{odd});
  EXPECT_FALSE(Exists(third.File("notes.txt")));

  // A list of nothing the list can show disables the paste.
  ASSERT_EQ(RunPeer("write-narrow " + Quoted(source.File("notes.txt"))), 0u);
  EXPECT_FALSE(Enabled(ID_EDIT_PASTE));

  // The enable rule reads headers only: a PNG damaged after them enables the
  // paste, and the paste itself, which checks the whole file, leaves it out.
  ASSERT_TRUE(test::CopyZooFile("png_badcrc.png", source.File("broken.png")));
  ASSERT_EQ(RunPeer("write-narrow " + Quoted(source.File("broken.png"))), 0u);
  EXPECT_TRUE(Enabled(ID_EDIT_PASTE)) << "judged by its headers";
  Run(ID_EDIT_PASTE);
  EXPECT_FALSE(Exists(third.File("broken.png")));
  EXPECT_EQ(Rows(), Names{odd});
}

TEST_F(FileCommandsTest, CutMovesOnlyWhileTheClipboardStillHoldsItsList) {
  test::TempFolder source, target, single, later;
  const std::string odd = NonAscii(".png");
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", source.File("a.png")));
  ASSERT_TRUE(test::CopyZooFile("png_grey8.png", source.File(odd)));
  CFileListView& view = Open();
  view.SetFolder(source.path().c_str());
  ASSERT_TRUE(Run(ID_EDIT_CUTALL));
  EXPECT_TRUE(view.fileCommands().PasteMoves());

  // Another program copies: the paste copies what that program listed.
  ASSERT_EQ(RunPeer("write-narrow " + Quoted(source.File(odd))), 0u);
  EXPECT_FALSE(view.fileCommands().PasteMoves());
  view.SetFolder(target.path().c_str());
  ASSERT_TRUE(Run(ID_EDIT_PASTE));
  EXPECT_EQ(Rows(), Names{odd});
  EXPECT_TRUE(Exists(source.File(odd))) << "copied, not moved";
  EXPECT_TRUE(Exists(source.File("a.png")));

  // Cut and paste with nobody in between moves. (One file: Wine 8's shell
  // refuses to move several files into one folder, which Windows does.)
  ASSERT_TRUE(MoveFileA(source.File(odd).c_str(), single.File(odd).c_str()));
  view.SetFolder(single.path().c_str());
  ASSERT_TRUE(Run(ID_EDIT_CUTALL));
  view.SetFolder(later.path().c_str());
  ASSERT_TRUE(Run(ID_EDIT_PASTE));
  EXPECT_EQ(Rows(), Names{odd});
  EXPECT_FALSE(Exists(single.File(odd))) << "moved";
}

TEST_F(FileCommandsTest, DropsCopyOrMoveImagesAndIgnoreTheirOwnFolder) {
  test::TempFolder source, target;
  const std::string odd = NonAscii(".bmp");
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", source.File("a.png")));
  ASSERT_TRUE(test::CopyZooFile("bmp_24.bmp", source.File(odd)));
  test::WriteFileBytes(source.File("notes.txt"), "not a picture");
  CFileListView& view = Open();
  view.SetFolder(target.path().c_str());
  auto data = [](const Names& paths) { return MakeFileListData(paths); };

  EXPECT_EQ(view.DropFiles(data({source.File("notes.txt")}).Get(), DROPEFFECT_COPY, target.path()), S_FALSE)
      << "nothing the list can show";
  EXPECT_EQ(view.DropFiles(data({source.File("a.png"), source.File("notes.txt")}).Get(), DROPEFFECT_COPY,
                           target.path()),
            S_OK);
  EXPECT_EQ(Rows(), Names{"a.png"});
  EXPECT_FALSE(Exists(target.File("notes.txt")));
  EXPECT_TRUE(Exists(source.File("a.png")));
  EXPECT_EQ(view.DropFiles(data({target.File("a.png")}).Get(), DROPEFFECT_MOVE, target.path()), S_FALSE)
      << "onto the folder the files come from";
  EXPECT_EQ(view.DropFiles(data({source.File(odd)}).Get(), DROPEFFECT_MOVE, target.path()), S_OK);
  EXPECT_EQ(Rows(), (Names{"a.png", odd}));
  EXPECT_FALSE(Exists(source.File(odd)));
}

// Cut and pasted onto a disk with less room than the picture: the shell
// cuts the copy short (Wine 8 even reports success and keeps the source).
// The source stays whole, no cut file is left under the picture's name, the
// user is told, and the next paste works.
TEST_F(FileCommandsTest, AMoveOntoAFullDiskKeepsTheSourceAndLeavesNoCutPicture) {
  test::SmallDisk disk("1m");
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
  test::TempFolder source, later;
  const std::string onDisk = disk.File("pasted");
  ASSERT_TRUE(CreateDirectoryA(onDisk.c_str(), nullptr));
  const std::string big = NonAscii(".bmp");
  test::WriteGreyBmp(source.File(big), 700, 600);  // 1.2 MB
  const std::string bigBytes = test::ReadFileBytes(source.File(big));
  ASSERT_GT(bigBytes.size(), 1024u * 1024u);
  CFileListView& view = Open();
  view.SetFolder(source.path().c_str());
  ASSERT_TRUE(Run(ID_EDIT_CUTALL));
  view.SetFolder(onDisk.c_str());
  {
    test::MessageBoxWatcher boxes;
    ASSERT_TRUE(Run(ID_EDIT_PASTE));
    EXPECT_EQ(boxes.Texts().size(), 1u) << "the user is told";
  }
  EXPECT_EQ(test::ReadFileBytes(source.File(big)), bigBytes) << "the source is whole";
  EXPECT_FALSE(Exists(onDisk + "\\" + big)) << "no cut copy under the picture's name";
  EXPECT_TRUE(Rows().empty());

  test::WriteGreyBmp(later.File("small.bmp"), 40, 30);
  const std::string smallBytes = test::ReadFileBytes(later.File("small.bmp"));
  view.SetFolder(later.path().c_str());
  ASSERT_TRUE(Run(ID_EDIT_CUTALL));
  view.SetFolder(onDisk.c_str());
  ASSERT_TRUE(Run(ID_EDIT_PASTE));
  EXPECT_EQ(Rows(), Names{"small.bmp"}) << "a paste that fits works";
  EXPECT_EQ(test::ReadFileBytes(onDisk + "\\small.bmp"), smallBytes);
  EXPECT_FALSE(Exists(later.File("small.bmp"))) << "moved";
}

using test::FolderAt;

using test::EmptyTrashOf;
using test::TrashFile;

class MirrorCommandsTest : public FileCommandsTest {
 protected:
  void SetUp() override {
    FileCommandsTest::SetUp();
    ASSERT_TRUE(mounted_.ok());
    mounted_.MountUnit('C', 0);
  }
  test::MountedDevicesSnapshot mounted_;
  FolderAt device_{"C:\\ZVM"};
  FolderAt mirror_{ProgramFolder() + "\\Q7IF"};
};

TEST_F(MirrorCommandsTest, DeleteAsksTheShellOnceForTheBoardsFilesAndACancelKeepsEverything) {
  // In the order the list sorts them in either code page.
  const Names names = {"a1.png", "a3.bmp", NonAscii(".jpg")};
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", device_.File(names[0])));
  ASSERT_TRUE(test::CopyZooFile("bmp_24.bmp", device_.File(names[1])));
  ASSERT_TRUE(test::CopyZooFile("jpeg_baseline.jpg", device_.File(names[2])));
  test::WriteFileBytes(device_.File("notes.txt"), "not a picture");
  for (const std::string& name : names) EmptyTrashOf(name);
  CFileListView& view = Open();
  view.SetFolder("C:\\ZVM");
  ASSERT_EQ(view.CurrentFolder(), mirror_.path());
  ASSERT_EQ(Rows(), names);
  ASSERT_EQ(Cells(), 3u);

  // Wine's shell paints its question itself; that it asks once is what counts.
  int asked = 0;
  auto answer = [&](int button) {
    return [&, button](HWND dialog) {
      ++asked;
      PostMessageA(dialog, WM_COMMAND, button, 0);
    };
  };
  // The user says no: the board's files, their mirror copies, the rows and the cells all stay.
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_EDIT_DELETEALL)); }, answer(IDNO)));
  EXPECT_EQ(asked, 1) << "one question for the three files";
  for (const std::string& name : names) {
    EXPECT_TRUE(Exists(device_.File(name))) << name;
    EXPECT_TRUE(Exists(mirror_.File(name))) << name;
  }
  EXPECT_EQ(Rows(), names);
  EXPECT_EQ(Cells(), 3u);

  asked = 0;
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_EDIT_DELETE)); }, answer(IDYES)));
  EXPECT_EQ(asked, 1);
  for (const std::string& name : names) {
    EXPECT_FALSE(Exists(device_.File(name))) << name << " left the board";
    EXPECT_TRUE(Exists(TrashFile(name))) << name << " is in the recycle bin";
    EXPECT_FALSE(Exists(mirror_.File(name))) << name;
    EmptyTrashOf(name);
  }
  EXPECT_TRUE(Exists(device_.File("notes.txt")));
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(Cells(), 0u);
}

bool Near(const FILETIME& time, const FILETIME& from, const FILETIME& to) {
  auto value = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  const uint64_t slack = 20000000;  // 2 s: file systems keep coarser times
  return value(time) + slack >= value(from) && value(time) <= value(to) + slack;
}

FILETIME WriteTimeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

FILETIME Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return now;
}

TEST_F(MirrorCommandsTest, CopiesOffTheBoardAreStampedButARefusedOverwriteKeepsItsTime) {
  const std::string odd = NonAscii(".png");
  const FILETIME boardTime = test::FileTimeOf(2020, 1, 2, 3, 4, 5);
  const FILETIME oldTime = test::FileTimeOf(2019, 6, 7, 8, 9, 10);
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", device_.File("a1.png")));
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", device_.File(odd)));
  ASSERT_TRUE(test::SetWriteTime(device_.File("a1.png"), boardTime));
  ASSERT_TRUE(test::SetWriteTime(device_.File(odd), boardTime));
  test::TempFolder target;
  ASSERT_TRUE(test::CopyZooFile("png_grey8.png", target.File(odd)));  // another picture of the same name
  ASSERT_TRUE(test::SetWriteTime(target.File(odd), oldTime));
  const std::string kept = test::ReadFileBytes(target.File(odd));

  settings_.intSysDte = 1;
  CFileListView& view = Open();
  view.SetFolder("C:\\ZVM");
  ASSERT_EQ(Rows(), (Names{"a1.png", odd}));
  ASSERT_TRUE(Run(ID_EDIT_COPYALL));
  view.SetFolder(target.path().c_str());
  const FILETIME before = Now();
  // The shell asks about the file of the same name; the user keeps the old one.
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_EDIT_PASTE)); },
                                      [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDNO, 0); }));
  const FILETIME after = Now();
  ASSERT_TRUE(Exists(target.File("a1.png")));
  EXPECT_TRUE(Near(WriteTimeOf(target.File("a1.png")), before, after)) << "the new copy carries the copy's time";
  const FILETIME refused = WriteTimeOf(target.File(odd));
  EXPECT_EQ(CompareFileTime(&refused, &oldTime), 0) << "the refused overwrite keeps its time";
  EXPECT_EQ(test::ReadFileBytes(target.File(odd)), kept);
  const FILETIME onBoard = WriteTimeOf(device_.File("a1.png"));
  EXPECT_EQ(CompareFileTime(&onBoard, &boardTime), 0) << "the board is untouched";
}

TEST_F(MirrorCommandsTest, OneFileRenameRenamesTheBoardsFileAndFollowsOnlyWhenItWasDone) {
  const std::string odd = NonAscii(".png");
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", device_.File("r.png")));
  ASSERT_TRUE(test::CopyZooFile("png_grey8.png", device_.File("taken.png")));
  CFileListView& view = Open();
  view.SetFolder("C:\\ZVM");
  ASSERT_EQ(Rows(), (Names{"r.png", "taken.png"}));
  view.gridPresenter().LeaveFolder();
  const FileOperationSite site{view.hwnd(), view.mirror(), 0};

  EXPECT_TRUE(RunOneFileOperation(site, mirror_.File("r.png"), mirror_.File(odd), FileOperationMode::Rename).complete);
  EXPECT_TRUE(Exists(device_.File(odd)));
  EXPECT_FALSE(Exists(device_.File("r.png")));
  EXPECT_TRUE(Exists(mirror_.File(odd))) << "the mirror copy follows the board's file";
  EXPECT_FALSE(Exists(mirror_.File("r.png")));

  // The shell refuses a name that is taken: nothing changes, on the board or in the mirror.
  const FileOperationOutcome refused =
      RunOneFileOperation(site, mirror_.File(odd), mirror_.File("taken.png"), FileOperationMode::Rename);
  EXPECT_TRUE(refused.started);
  EXPECT_FALSE(refused.complete);
  EXPECT_TRUE(Exists(device_.File(odd)));
  EXPECT_TRUE(Exists(mirror_.File(odd)));
  EXPECT_EQ(test::ReadFileBytes(mirror_.File("taken.png")), test::ReadFileBytes(device_.File("taken.png")));
}

BOOL CALLBACK FindTree(HWND child, LPARAM found) {
  char name[32] = "";
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, WC_TREEVIEWA) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

// Selects the first subfolder of the folder the select dialog's tree shows.
void SelectFirstSubfolder(HWND dialog) {
  HWND tree = nullptr;
  EnumChildWindows(dialog, FindTree, reinterpret_cast<LPARAM>(&tree));
  ASSERT_NE(tree, nullptr);
  const HTREEITEM shown = TreeView_GetSelection(tree);
  TreeView_Expand(tree, shown, TVE_EXPAND);
  const HTREEITEM child = TreeView_GetChild(tree, shown);
  ASSERT_NE(child, nullptr);
  TreeView_SelectItem(tree, child);
}

// Move or copy to a folder: the dialog starts at the shown folder, and
// Move takes the file out of the list while Copy leaves it.
// While the board is shown through its mirror, the mirror stays true to
// the board: a picture dropped over a board file of the same name replaces
// its copy, row and cell too; and copying the shown files into the board's
// own folder copies nothing onto itself (nor stamps the board's files).
TEST_F(MirrorCommandsTest, TheMirrorFollowsTheBoardAndNothingIsCopiedOntoItself) {
  const FILETIME boardTime = test::FileTimeOf(2020, 1, 2, 3, 4, 5);
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", device_.File("a1.png")));
  ASSERT_TRUE(test::SetWriteTime(device_.File("a1.png"), boardTime));
  test::TempFolder other;
  ASSERT_TRUE(test::CopyZooFile("stroke_1600x1200.png", other.File("a1.png")));
  const std::string replacement = test::ReadFileBytes(other.File("a1.png"));
  settings_.intSysDte = 1;  // copies off the board are stamped
  CFileListView& view = Open();
  view.SetFolder("C:\\ZVM");
  ASSERT_EQ(Rows(), Names{"a1.png"});

  view.SelectAll();
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_EDIT_MOVE)); },
                                      [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDC_FOLDER_COPY, 0); }))
      << "the dialog starts at the board's folder, and Copy takes it";
  const FILETIME onBoard = WriteTimeOf(device_.File("a1.png"));
  EXPECT_EQ(CompareFileTime(&onBoard, &boardTime), 0) << "the board's file is neither copied over nor stamped";
  EXPECT_EQ(Rows(), Names{"a1.png"});

  ASSERT_TRUE(test::AnswerModalDialog(
      [&] {
        EXPECT_EQ(view.DropFiles(MakeFileListData({other.File("a1.png")}).Get(), DROPEFFECT_COPY, mirror_.path()), S_OK);
      },
      [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDYES, 0); }))
      << "the shell asks before it replaces the board's file";
  EXPECT_EQ(test::ReadFileBytes(device_.File("a1.png")), replacement) << "the board's file is replaced";
  EXPECT_EQ(test::ReadFileBytes(mirror_.File("a1.png")), replacement) << "and so is its copy";
  ASSERT_EQ(Rows(), Names{"a1.png"});
  EXPECT_EQ(view.Item(0)->fileSize, replacement.size());
  view_.WaitForThumbnails();
  const std::shared_ptr<const PixelImage> thumb = view.gridPresenter().grid().GetCellBitmap(0);
  ASSERT_NE(thumb, nullptr);
  EXPECT_EQ(thumb->width, 106) << "the cell shows the new 1600 x 1200 picture";
}

TEST_F(FileCommandsTest, MoveOrCopyToAChosenFolder) {
  test::TempFolder source;
  const std::string odd = NonAscii(".png");
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", source.File("a.png")));
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", source.File(odd)));
  const std::string target = source.File(win::Utf8ToAnsi(GetACP() == 932 ? "移動先" : "déplacé"));
  ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
  CFileListView& view = Open();
  view.SetFolder(source.path().c_str());
  ASSERT_EQ(Rows(), (Names{"a.png", odd}));
  EXPECT_FALSE(Enabled(ID_EDIT_MOVE)) << "nothing selected";
  view.gridPresenter().grid().SetSelection({0, 1});
  test::Pump();
  ASSERT_TRUE(Enabled(ID_EDIT_MOVE));

  // Wine's shell moves one file at a time into a folder (several are refused).
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_EDIT_MOVE)); },
                                      [](HWND dialog) {
                                        SelectFirstSubfolder(dialog);
                                        PostMessageA(dialog, WM_COMMAND, IDC_FOLDER_MOVE, 0);
                                      }));
  EXPECT_FALSE(Exists(source.File(odd)));
  EXPECT_TRUE(Exists(target + "\\" + odd));
  EXPECT_EQ(Rows(), Names{"a.png"});
  EXPECT_EQ(Cells(), 1u);

  view.SelectAll();
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_EDIT_MOVE)); },
                                      [](HWND dialog) {
                                        SelectFirstSubfolder(dialog);
                                        PostMessageA(dialog, WM_COMMAND, IDC_FOLDER_COPY, 0);
                                      }));
  EXPECT_TRUE(Exists(source.File("a.png")));
  EXPECT_TRUE(Exists(target + "\\a.png"));
  EXPECT_EQ(Rows(), Names{"a.png"});

  // Cancel does nothing.
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_EDIT_MOVE)); },
                                      [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }));
  EXPECT_TRUE(Exists(source.File("a.png")));
}

// The year of a file's last-write time in local time, as the property dialog shows it.
int LocalYearOf(const std::string& path) {
  const FILETIME written = WriteTimeOf(path);
  FILETIME local{};
  SYSTEMTIME shown{};
  FileTimeToLocalFileTime(&written, &local);
  FileTimeToSystemTime(&local, &shown);
  return shown.wYear;
}

ImageHeader HeaderOf(const std::string& path) {
  ImageHeader header;
  ProbeImageFile(path.c_str(), &header);
  return header;
}

// Save as on the selected file, typed into the save dialog.
void SaveAsThroughDialog(CFileListView& view, const std::string& target) {
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(view, ID_FILE_SAVEAS)); },
                                      [&](HWND dialog) {
                                        const int field = GetDlgItem(dialog, 0x47c) != nullptr ? 0x47c : 0x480;
                                        SetDlgItemTextA(dialog, field, target.c_str());
                                        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                                      }));
}

// The property dialog on the selected file, its edit `id` changed to `text`.
void EditProperty(CFileListView& view, int id, const std::string& text) {
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(view, ID_EDIT_PROPERTY)); },
                                      [&](HWND dialog) {
                                        SetDlgItemTextA(dialog, id, text.c_str());
                                        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                                      }));
}

// Move or copy to `folder`, chosen in the folder select dialog's tree.
void MoveOrCopyTo(CFileListView& view, const std::string& folder, int button) {
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(view, ID_EDIT_MOVE)); },
                                      [&](HWND dialog) {
                                        auto* tree = static_cast<FolderTreeWnd*>(
                                            win::Window::FromHandle(GetDlgItem(dialog, IDW_FOLDER_TREE_IN_DIALOG)));
                                        ASSERT_NE(tree, nullptr);
                                        tree->SelectPath(folder.c_str());
                                        PostMessageA(dialog, WM_COMMAND, button, 0);
                                      }));
}

// While the board is shown through its mirror, every command works on the
// board's own files and the mirror follows: paste and drop into the shown
// board, a new time and a new type from the property dialog, save as from
// and into the mirror, move or copy to another folder. A mirror folder
// opened as an ordinary folder is just that folder.
TEST_F(MirrorCommandsTest, CommandsThroughTheMirrorWorkOnTheBoardsFiles) {
  test::TempFolder elsewhere, outside;
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", device_.File("a.png")));
  test::WriteGreyBmp(device_.File("s.bmp"), 60, 40);
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", elsewhere.File("pasted.png")));
  ASSERT_TRUE(test::CopyZooFile("bmp_24.bmp", elsewhere.File("dropped.bmp")));
  CFileListView& view = Open();
  view.SetFolder("C:\\ZVM");
  ASSERT_TRUE(view.mirror().active);
  ASSERT_EQ(Rows(), (Names{"a.png", "s.bmp"}));
  auto selectOnly = [&](const std::string& name) {
    const Names rows = Rows();
    std::vector<char> flags(rows.size(), 0);
    const auto at = std::find(rows.begin(), rows.end(), name);
    ASSERT_NE(at, rows.end()) << name;
    flags[static_cast<size_t>(at - rows.begin())] = 1;
    view.gridPresenter().grid().SetSelection(flags);
    test::Pump();
  };

  // Pasted and dropped into the shown board: onto the board, and into the mirror by the refresh.
  win::ComPtr<IDataObject> pasted = MakeFileListData({elsewhere.File("pasted.png")});
  ASSERT_TRUE(SUCCEEDED(OleSetClipboard(pasted.Get())));
  ASSERT_TRUE(Run(ID_EDIT_PASTE));
  EXPECT_EQ(view.DropFiles(MakeFileListData({elsewhere.File("dropped.bmp")}).Get(), DROPEFFECT_COPY, mirror_.path()),
            S_OK);
  OleSetClipboard(nullptr);
  for (const char* name : {"pasted.png", "dropped.bmp"}) {
    EXPECT_TRUE(Exists(device_.File(name))) << name << " is on the board";
    EXPECT_TRUE(Exists(mirror_.File(name))) << name << " is mirrored";
    EXPECT_TRUE(Exists(elsewhere.File(name))) << name << " was copied";
  }
  EXPECT_EQ(Rows(), (Names{"a.png", "s.bmp", "pasted.png", "dropped.bmp"}));

  // A new time from the property dialog: the board's file and its mirror copy.
  selectOnly("a.png");
  EditProperty(view, IDC_ATTR_YEAR, "2001");
  EXPECT_EQ(LocalYearOf(device_.File("a.png")), 2001);
  const FILETIME board = WriteTimeOf(device_.File("a.png")), copy = WriteTimeOf(mirror_.File("a.png"));
  EXPECT_EQ(CompareFileTime(&board, &copy), 0) << "the mirror copy carries the same time";

  // A new type from the property dialog: written on the board, the old file gone there and here.
  selectOnly("dropped.bmp");
  EditProperty(view, IDC_ATTR_NAME, "dropped.png");
  EXPECT_EQ(HeaderOf(device_.File("dropped.png")).format, ImageFormat::kPng);
  EXPECT_FALSE(Exists(device_.File("dropped.bmp")));
  EXPECT_TRUE(Exists(mirror_.File("dropped.png")));
  EXPECT_FALSE(Exists(mirror_.File("dropped.bmp")));
  EXPECT_EQ(Rows(), (Names{"a.png", "s.bmp", "pasted.png", "dropped.png"}));

  // Save as reads the board's file (changed on the board since it was mirrored) and writes into the mirror on the board.
  test::WriteGreyBmp(device_.File("s.bmp"), 90, 60);
  selectOnly("s.bmp");
  SaveAsThroughDialog(view, outside.File("from_board.png"));
  EXPECT_EQ(HeaderOf(outside.File("from_board.png")).width, 90) << "the board's own picture";
  SaveAsThroughDialog(view, mirror_.File("saved.png"));
  EXPECT_EQ(HeaderOf(device_.File("saved.png")).format, ImageFormat::kPng) << "a target in the mirror is the board's";

  // Move or copy to another folder: the copy is stamped (intSysDte 1), the move takes the board's file.
  selectOnly("pasted.png");
  const FILETIME before = Now();
  MoveOrCopyTo(view, outside.path(), IDC_FOLDER_COPY);
  const FILETIME after = Now();
  EXPECT_TRUE(Exists(outside.File("pasted.png")));
  EXPECT_TRUE(Near(WriteTimeOf(outside.File("pasted.png")), before, after)) << "a copy off the board is stamped";
  EXPECT_TRUE(Exists(device_.File("pasted.png")));
  selectOnly("a.png");
  MoveOrCopyTo(view, outside.path(), IDC_FOLDER_MOVE);
  EXPECT_TRUE(Exists(outside.File("a.png")));
  EXPECT_FALSE(Exists(device_.File("a.png"))) << "moved off the board";
  EXPECT_FALSE(Exists(mirror_.File("a.png")));
  const Names left = Rows();
  EXPECT_EQ(std::count(left.begin(), left.end(), "a.png"), 0);

  // The mirror folder opened as an ordinary folder: save as reads its own file.
  view.SetFolder(mirror_.path().c_str());
  ASSERT_FALSE(view.mirror().active);
  view_.WaitForThumbnails();  // none of them holds the file open any more
  test::WriteGreyBmp(mirror_.File("s.bmp"), 30, 20);
  selectOnly("s.bmp");
  SaveAsThroughDialog(view, outside.File("from_mirror.png"));
  EXPECT_EQ(HeaderOf(outside.File("from_mirror.png")).width, 30) << "not the board's file";
}

}  // namespace
}  // namespace zv
