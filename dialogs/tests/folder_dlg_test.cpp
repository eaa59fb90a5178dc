// The folder name and folder select dialogs, run modally and answered with
// clicks: their texts and look, the name checks that keep the name dialog
// open, the buttons and what they give back, and a new folder made from
// inside the select dialog with the real folder tree.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include <functional>
#include <optional>
#include <string>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "core/app/text_keys.h"
#include "core/fileops/input_rules.h"
#include "dialogs/folder_name_dlg.h"
#include "dialogs/folder_select_dlg.h"
#include "foldertree/shell_ids.h"
#include "res/resource.h"
#include "tests/wine/nested_answer.h"
#include "tests/wine/window_shot.h"
#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {
namespace {

using win::Utf8ToAnsi;

std::string TextOf(HWND dialog, int id) { return win::GetWindowTextString(GetDlgItem(dialog, id)); }
void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool HasProgramLook(HWND dialog, std::initializer_list<int> ids) {
  bool right = test::HasProgramIcon(dialog);
  for (int id : ids)
    right = right && reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(dialog, id), WM_GETFONT, 0, 0)) == GetAppFont();
  return right;
}

// Clicks OK in `dialog` and answers the message box that refuses the name: its text.
std::string RefusalOf(HWND dialog) {
  std::string text;
  test::NestedAnswer box(dialog, [&](HWND shown) {
    text = TextOf(shown, 0xFFFF);
    Click(shown, IDOK);
  });
  Click(dialog, IDOK);
  return text;
}

class FolderDialogsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { OleInitialize(nullptr); }
  static void TearDownTestSuite() { OleUninitialize(); }
  void SetUp() override {
    DeleteFileA(Ini().c_str());
    services_.CreateAppFont();
    // Under 1252 the Japanese default name has no characters; a user's String.ini gives one.
    if (GetACP() != 932)
      WritePrivateProfileStringA("Main", StoredTextKey("DefaultFolderName").c_str(), Utf8ToAnsi("Café folder").c_str(),
                                 Ini().c_str());
  }
  void TearDown() override { DeleteFileA(Ini().c_str()); }
  static std::string Ini() { return ProgramFolder() + "\\String.ini"; }
  static std::string LocalName() { return Utf8ToAnsi(GetACP() == 932 ? "画像の保存先" : "Société"); }

  std::optional<FolderChoice> Select(const std::string& start, FolderSelectMode mode,
                                     const std::function<void(HWND, CFolderSelectDlg&)>& answer) {
    CFolderSelectDlg dialog(start, mode);
    EXPECT_TRUE(test::AnswerModalDialog([&] { dialog.RunModal(nullptr); }, [&](HWND dlg) { answer(dlg, dialog); }));
    return dialog.choice();
  }

  AppServices services_;
};

TEST_F(FolderDialogsTest, TheNameDialogProposesTheNameAndKeepsRefusedNamesOpen) {
  test::TempFolder folder;
  ASSERT_TRUE(CreateDirectoryA(folder.File("taken").c_str(), nullptr));
  const std::string proposed = Utf8ToAnsi(GetACP() == 932 ? "新しいフォルダ(2)" : "Café(2)");
  std::string title, label, okText, cancelText, shown;
  bool looksRight = false;
  LRESULT limit = 0;
  std::vector<std::string> refusals;
  std::optional<std::string> result;
  ASSERT_TRUE(test::AnswerModalDialog(
      [&] { result = RunFolderNameDialog(nullptr, folder.File(proposed)); },
      [&](HWND dlg) {
        title = win::GetWindowTextString(dlg);
        label = TextOf(dlg, IDC_FOLDER_NAME_LABEL);
        okText = TextOf(dlg, IDOK);
        cancelText = TextOf(dlg, IDCANCEL);
        shown = TextOf(dlg, IDC_FOLDER_NAME_EDIT);
        limit = SendDlgItemMessageA(dlg, IDC_FOLDER_NAME_EDIT, EM_GETLIMITTEXT, 0, 0);
        looksRight = HasProgramLook(dlg, {IDC_FOLDER_NAME_EDIT, IDC_FOLDER_NAME_LABEL, IDOK, IDCANCEL});
        test::SaveWindowShot(dlg, "folder_name_dialog");
        for (const char* typed : {"a;b", "TAKEN", ""}) {
          SetDlgItemTextA(dlg, IDC_FOLDER_NAME_EDIT, typed);
          refusals.push_back(RefusalOf(dlg));
        }
        SetDlgItemTextA(dlg, IDC_FOLDER_NAME_EDIT, LocalName().c_str());
        Click(dlg, IDOK);
      }));
  EXPECT_EQ(title, Utf8ToAnsi("新規フォルダ名"));
  EXPECT_EQ(label, Utf8ToAnsi("作成するフォルダ名"));
  EXPECT_EQ(okText, Utf8ToAnsi("ＯＫ"));
  EXPECT_EQ(cancelText, Utf8ToAnsi("キャンセル"));
  EXPECT_EQ(shown, proposed) << "the name part of the proposed path";
  EXPECT_EQ(limit, 260);
  EXPECT_TRUE(looksRight) << "program icon and application font";
  EXPECT_EQ(refusals, (std::vector<std::string>{
                          Utf8ToAnsi("フォルダには次の文字は使用できません。") + "\n" + kForbiddenNameChars,
                          Utf8ToAnsi("同じ名前のファイルかフォルダが存在します。"),
                          Utf8ToAnsi("フォルダを入力して下さい。")}))
      << "each refusal names the field and leaves the dialog open";
  EXPECT_EQ(result, std::optional<std::string>(folder.File(LocalName())));
  EXPECT_FALSE(Exists(folder.File(LocalName()))) << "the dialog makes nothing";

  ASSERT_TRUE(test::AnswerModalDialog([&] { result = RunFolderNameDialog(nullptr, folder.File("x")); },
                                      [](HWND dlg) { Click(dlg, IDCANCEL); }));
  EXPECT_EQ(result, std::nullopt);
}

TEST_F(FolderDialogsTest, MoveCopyAndOkGiveTheSelectedFolderAndVirtualFoldersDisableThem) {
  test::TempFolder start;
  const std::string inner = start.File(LocalName());
  ASSERT_TRUE(CreateDirectoryA(inner.c_str(), nullptr));

  std::string title, newText, moveText, copyText, cancelText, selected;
  bool moveShown = false, looksRight = false, treeEdits = true;
  RECT treeRect{}, buttonRect{};
  std::optional<FolderChoice> choice = Select(inner, FolderSelectMode::kMoveCopy, [&](HWND dlg, CFolderSelectDlg& d) {
    title = win::GetWindowTextString(dlg);
    newText = TextOf(dlg, IDC_FOLDER_NEW);
    moveText = TextOf(dlg, IDC_FOLDER_MOVE);
    copyText = TextOf(dlg, IDC_FOLDER_COPY);
    cancelText = TextOf(dlg, IDCANCEL);
    moveShown = IsWindowVisible(GetDlgItem(dlg, IDC_FOLDER_MOVE));
    looksRight = HasProgramLook(dlg, {IDC_FOLDER_NEW, IDC_FOLDER_MOVE, IDC_FOLDER_COPY, IDCANCEL});
    d.tree().GetSelectedPath(selected);
    treeEdits = GetWindowLongPtrA(d.tree().GetTreeCtrl(), GWL_STYLE) & TVS_EDITLABELS;
    HWND treeWindow = GetDlgItem(dlg, IDW_FOLDER_TREE_IN_DIALOG);
    GetWindowRect(treeWindow, &treeRect);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&treeRect), 2);
    GetWindowRect(GetDlgItem(dlg, IDC_FOLDER_NEW), &buttonRect);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&buttonRect), 2);
    test::SaveWindowShot(dlg, "folder_select_dialog");
    Click(dlg, IDC_FOLDER_COPY);
  });
  EXPECT_EQ(title, Utf8ToAnsi("フォルダ選択"));
  EXPECT_EQ(newText, Utf8ToAnsi("新規フォルダ"));
  EXPECT_EQ(moveText, Utf8ToAnsi("移動"));
  EXPECT_EQ(copyText, Utf8ToAnsi("コピー"));
  EXPECT_EQ(cancelText, Utf8ToAnsi("キャンセル"));
  EXPECT_TRUE(moveShown);
  EXPECT_TRUE(looksRight) << "program icon and application font";
  EXPECT_EQ(selected, inner) << "the start folder is selected";
  EXPECT_FALSE(treeEdits) << "no renaming in the dialog";
  EXPECT_EQ(treeRect.left, 10);
  EXPECT_EQ(treeRect.top, 10);
  EXPECT_EQ(treeRect.bottom, buttonRect.top - 6);
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->button, FolderChoice::kCopy);
  EXPECT_EQ(choice->folder, inner);

  choice = Select(inner, FolderSelectMode::kMoveCopy, [](HWND dlg, CFolderSelectDlg&) { Click(dlg, IDC_FOLDER_MOVE); });
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->button, FolderChoice::kMove);

  bool enabledOnComputer = true, enabledAgain = false;
  choice = Select(start.path(), FolderSelectMode::kOk, [&](HWND dlg, CFolderSelectDlg& d) {
    moveShown = IsWindowVisible(GetDlgItem(dlg, IDC_FOLDER_MOVE));
    copyText = TextOf(dlg, IDC_FOLDER_COPY);
    HWND tree = d.tree().GetTreeCtrl();
    UniquePidl computer = SpecialFolderIds(CSIDL_DRIVES);
    for (HTREEITEM item = TreeView_GetChild(tree, TreeView_GetRoot(tree)); item != nullptr;
         item = TreeView_GetNextSibling(tree, item)) {
      TVITEMA info{};
      info.mask = TVIF_PARAM | TVIF_HANDLE;
      info.hItem = item;
      TreeView_GetItem(tree, &info);
      if (SameFirstId(reinterpret_cast<LPCITEMIDLIST>(info.lParam), computer.get())) TreeView_SelectItem(tree, item);
    }
    enabledOnComputer = IsWindowEnabled(GetDlgItem(dlg, IDC_FOLDER_COPY)) || IsWindowEnabled(GetDlgItem(dlg, IDC_FOLDER_NEW));
    SendMessageA(dlg, WM_COMMAND, IDC_FOLDER_COPY, 0);  // even a command that gets through chooses nothing
    d.tree().SelectPath(inner.c_str());
    enabledAgain = IsWindowEnabled(GetDlgItem(dlg, IDC_FOLDER_COPY)) && IsWindowEnabled(GetDlgItem(dlg, IDC_FOLDER_NEW));
    Click(dlg, IDC_FOLDER_COPY);
  });
  EXPECT_FALSE(moveShown);
  EXPECT_EQ(copyText, "O K");
  EXPECT_FALSE(enabledOnComputer) << "My Computer is no folder to choose";
  EXPECT_TRUE(enabledAgain);
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->button, FolderChoice::kOk);
  EXPECT_EQ(choice->folder, inner);

  choice = Select(inner, FolderSelectMode::kOk, [](HWND dlg, CFolderSelectDlg&) { Click(dlg, IDCANCEL); });
  EXPECT_FALSE(choice.has_value());
}

TEST_F(FolderDialogsTest, NewFolderInsideTheSelectDialogProposesAFreeNameAndSelectsTheNewFolder) {
  test::TempFolder start;
  const std::string base = GetDefaultFolderName();
  ASSERT_TRUE(CreateDirectoryA(start.File(base).c_str(), nullptr));
  std::string proposed, selectedAfter;
  bool nested = false;
  std::optional<FolderChoice> choice = Select(start.path(), FolderSelectMode::kMoveCopy, [&](HWND dlg, CFolderSelectDlg& d) {
    test::NestedAnswer name(dlg, [&](HWND nameDialog) {
      proposed = TextOf(nameDialog, IDC_FOLDER_NAME_EDIT);
      Click(nameDialog, IDOK);
    });
    Click(dlg, IDC_FOLDER_NEW);
    nested = name.answered();
    d.tree().GetSelectedPath(selectedAfter);
    Click(dlg, IDC_FOLDER_COPY);
  });
  EXPECT_TRUE(nested) << "the folder name dialog showed";
  EXPECT_EQ(proposed, base + "(1)") << "the default name is taken";
  EXPECT_TRUE(Exists(start.File(base + "(1)"))) << "the tree made it";
  EXPECT_EQ(selectedAfter, start.File(base + "(1)"));
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->folder, start.File(base + "(1)")) << "the new folder is the one chosen";
}

}  // namespace
}  // namespace zv
