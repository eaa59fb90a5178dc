#include "dialogs/folder_select_dlg.h"

#include "app/app_services.h"
#include "app/ui_text_table.h"
#include "core/fileops/folder_name_rules.h"
#include "core/text/ansi_path.h"
#include "dialogs/folder_name_dlg.h"
#include "res/resource.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr char kSection[] = "FolderSelectDialog";
constexpr int kMargin = 10;      // left, top and right of the tree
constexpr int kAboveButtons = 6;  // between the tree and the buttons

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

CFolderSelectDlg::CFolderSelectDlg(std::string startFolder, FolderSelectMode mode)
    : win::Dialog(IDD_FOLDER_SELECT), startFolder_(std::move(startFolder)), mode_(mode) {}

bool CFolderSelectDlg::OnInitDialog() {
  choice_.reset();
  ShowTexts();
  ApplyProgramLook(GetAppFont(), IDR_MAINFRAME);
  selectedPath_.clear();
  PlaceTree();
  // The tree has the focus, so that its selection shows and the arrow keys move it.
  if (tree_.GetTreeCtrl() == nullptr) return true;
  SetFocus(tree_.GetTreeCtrl());
  return false;
}

void CFolderSelectDlg::ShowTexts() {
  CUiTextTable texts;
  SetWindowTextA(hwnd(), texts.GetText(kSection, "DialogTitle", "フォルダ選択").c_str());
  SetWindowTextA(Item(IDC_FOLDER_NEW), texts.GetText(kSection, "NewFolder", "新規フォルダ").c_str());
  SetWindowTextA(Item(IDC_FOLDER_MOVE), texts.GetText(kSection, "Move", "移動").c_str());
  const bool moveCopy = mode_ == FolderSelectMode::kMoveCopy;
  ShowWindow(Item(IDC_FOLDER_MOVE), moveCopy ? SW_SHOW : SW_HIDE);
  // Not the full-width OK of the other dialogs: Latin letters with a blank.
  const std::string chooseText =
      moveCopy ? texts.GetText(kSection, "Copy", "コピー") : texts.GetText(kSection, "OK", "O K");
  SetWindowTextA(Item(IDC_FOLDER_COPY), chooseText.c_str());
  SetWindowTextA(Item(IDCANCEL), texts.GetText(kSection, "Cancel", "キャンセル").c_str());
}

// The tree fills the client area above the buttons; it selects the start
// folder when it gets its size, which tells this dialog the selection.
void CFolderSelectDlg::PlaceTree() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  RECT button{};
  GetWindowRect(Item(IDC_FOLDER_NEW), &button);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&button), 2);
  const int bottom = button.top - kAboveButtons;
  tree_.CreateTree({.owner = hwnd(),
                    .id = IDW_FOLDER_TREE_IN_DIALOG,
                    .initialPath = startFolder_.c_str(),
                    .style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN,
                    .rect = {kMargin, kMargin, client.right - 2 * kMargin, bottom - kMargin}});
}

bool CFolderSelectDlg::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.idFrom != IDW_FOLDER_TREE_IN_DIALOG || header.code != ZVN_FOLDER_SELECTED) return false;
  std::string path;
  selectedPath_ = tree_.hwnd() != nullptr && tree_.GetSelectedPath(path) ? path : std::string();
  // My Computer, the Control Panel...: no folder to choose or to make a folder in.
  for (int id : {IDC_FOLDER_MOVE, IDC_FOLDER_COPY, IDC_FOLDER_NEW}) EnableWindow(Item(id), !selectedPath_.empty());
  result = 0;
  return true;
}

void CFolderSelectDlg::Choose(FolderChoice::Button button) {
  if (selectedPath_.empty()) return;
  choice_ = FolderChoice{button, selectedPath_};
  End(IDOK);
}

void CFolderSelectDlg::MakeNewFolder() {
  if (selectedPath_.empty()) return;
  const std::string name = FreeFolderName(selectedPath_, GetDefaultFolderName(), &PathExists, win::IsAnsiLeadByte);
  const std::optional<std::string> accepted =
      RunFolderNameDialog(hwnd(), JoinPath(selectedPath_, name, win::IsAnsiLeadByte));
  if (!accepted) return;
  // The tree makes it below its selection and selects it; the selection
  // change brings selectedPath_ and the buttons up to date.
  tree_.NewFolder(std::string(NameOfPath(*accepted, win::IsAnsiLeadByte)));
}

bool CFolderSelectDlg::OnCommand(int id, int code, HWND from) {
  switch (id) {
    case IDC_FOLDER_MOVE:
      Choose(FolderChoice::kMove);
      return true;
    case IDC_FOLDER_COPY:
      Choose(mode_ == FolderSelectMode::kMoveCopy ? FolderChoice::kCopy : FolderChoice::kOk);
      return true;
    case IDC_FOLDER_NEW:
      MakeNewFolder();
      return true;
    case IDOK:
      return true;  // Enter in the tree chooses nothing: only the buttons do
    default:
      return win::Dialog::OnCommand(id, code, from);
  }
}

std::optional<FolderChoice> RunFolderSelectDialog(HWND owner, const std::string& startFolder, FolderSelectMode mode) {
  CFolderSelectDlg dialog(startFolder, mode);
  if (dialog.RunModal(owner) != IDOK) return std::nullopt;
  return dialog.choice();
}

}  // namespace zv
