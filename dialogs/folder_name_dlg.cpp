#include "dialogs/folder_name_dlg.h"

#include "app/app_services.h"
#include "app/ui_text_table.h"
#include "core/text/ansi_path.h"
#include "dialogs/input_checker.h"
#include "res/resource.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {

namespace {

constexpr char kSection[] = "FolderNameDialog";
constexpr int kNameLimit = 260;

}  // namespace

CFolderNameDlg::CFolderNameDlg(std::string proposedPath)
    : win::Dialog(IDD_FOLDER_NAME), proposedPath_(std::move(proposedPath)) {}

bool CFolderNameDlg::OnInitDialog() {
  accepted_.reset();
  ShowTexts();
  ApplyProgramLook(GetAppFont(), IDR_MAINFRAME);
  HWND edit = Item(IDC_FOLDER_NAME_EDIT);
  SendMessageA(edit, EM_LIMITTEXT, kNameLimit, 0);
  folder_ = std::string(FolderOfPath(proposedPath_, win::IsAnsiLeadByte));
  SetWindowTextA(edit, std::string(NameOfPath(proposedPath_, win::IsAnsiLeadByte)).c_str());
  return true;
}

void CFolderNameDlg::ShowTexts() {
  CUiTextTable texts;
  SetWindowTextA(hwnd(), texts.GetText(kSection, "DialogTitle", "新規フォルダ名").c_str());
  SetWindowTextA(Item(IDC_FOLDER_NAME_LABEL), texts.GetText(kSection, "NewFolderName", "作成するフォルダ名").c_str());
  fieldName_ = texts.GetText(kSection, "Folder", "フォルダ");
  SetWindowTextA(Item(IDOK), texts.GetText(kSection, "OK", "ＯＫ").c_str());
  SetWindowTextA(Item(IDCANCEL), texts.GetText(kSection, "Cancel", "キャンセル").c_str());
}

bool CFolderNameDlg::OnCommand(int id, int code, HWND from) {
  if (id == IDOK) {
    HWND edit = Item(IDC_FOLDER_NAME_EDIT);
    // A refused name leaves the dialog open with the focus in the field.
    if (!CInputChecker().CheckName(edit, fieldName_, folder_)) return true;
    accepted_ = folder_ + "\\" + win::GetWindowTextString(edit);
  }
  return win::Dialog::OnCommand(id, code, from);
}

std::optional<std::string> RunFolderNameDialog(HWND owner, const std::string& proposedPath) {
  CFolderNameDlg dialog(proposedPath);
  if (dialog.RunModal(owner) != IDOK) return std::nullopt;
  return dialog.accepted();
}

}  // namespace zv
