#include "dialogs/app_setup_dlg.h"

#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "app/auto_start.h"
#include "app/ui_text_table.h"
#include "core/copyboard/naming_rule.h"
#include "core/text/ansi_text.h"
#include "dialogs/folder_select_dlg.h"
#include "res/resource.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {

namespace {

constexpr char kSection[] = "AppSetupDialog";

struct TextPlace {
  const char* key;
  const char* defaultUtf8;
  int id;  // 0: the dialog's title
};

constexpr TextPlace kTexts[] = {
    {"DialogTitle", "アプリケーションの設定", 0},
    {"TaskTray", "タスクトレイに常駐", IDC_SETUP_RESIDENT},
    {"SystemDate", "コピーボードのファイルをシステム日付に変更する", IDC_SETUP_SYSTEM_DATE},
    {"OK", "ＯＫ", IDOK},
    {"Cancel", "キャンセル", IDCANCEL},
    {"TWAINSetup", "ＴＷＡＩＮ設定", IDC_SETUP_TWAIN_GROUP},
    {"SaveFolder", "保存先", IDC_SETUP_SAVE_FOLDER},
    {"FileName", "ファイル名", IDC_SETUP_NAME_GROUP},
};

// Looked up as every text of the dialog is, though nothing shows them.
constexpr const char* kUnshownKeys[] = {"SetupDPrint", "DPrintInvallid", "DPrintDialog", "DPrintImmediate"};

void Report(HWND dialog, HWND field, const char* key, const char* defaultUtf8) {
  ReportErrorText(dialog, field, kSection, key, defaultUtf8);
}

// Selects the first entry that begins with `stored` (the list's own prefix
// search, ignoring case); a value edited by hand that begins no entry, or
// an empty one, selects the entry of `fallback` instead.
void SelectEntry(HWND list, std::string_view stored, const char* fallback) {
  if (!stored.empty() && ComboBox_SelectString(list, -1, std::string(stored).c_str()) != CB_ERR) return;
  ComboBox_SetCurSel(list, std::max(0, ComboBox_FindStringExact(list, -1, fallback)));
}

}  // namespace

void SwitchResidentCopy(bool on) { LaunchInstance(on ? 1 : -1); }

CAppSetupDlg::CAppSetupDlg(EnvSet& settings, ResidentCopySwitch residentCopy)
    : win::Dialog(IDD_APP_SETUP), settings_(settings), residentCopy_(std::move(residentCopy)) {}

bool CAppSetupDlg::OnInitDialog() {
  ShowTexts();
  ApplyProgramLook(GetAppFont(), IDR_MAINFRAME);
  FillLists();
  ShowSettings();
  ApplyNameMode();
  return true;
}

void CAppSetupDlg::ShowTexts() {
  CUiTextTable texts;
  for (const TextPlace& place : kTexts)
    SetWindowTextA(place.id == 0 ? hwnd() : Item(place.id), texts.GetText(kSection, place.key, place.defaultUtf8).c_str());
  for (const char* key : kUnshownKeys) texts.GetText(kSection, key, "");
}

void CAppSetupDlg::FillLists() {
  for (const DateFormatRow& row : kDateFormats) ComboBox_AddString(Item(IDC_SETUP_DATE_LIST), row.shown);
  for (const char* format : kNumberFormats) ComboBox_AddString(Item(IDC_SETUP_NUMBER), format);
  for (const char* extension : kExtensions) ComboBox_AddString(Item(IDC_SETUP_EXTENSION), extension);
}

// The date row whose pattern is the stored one exactly, else the first;
// number and extension by the list's own prefix search, ignoring case.
void CAppSetupDlg::ShowSettings() {
  CheckDlgButton(hwnd(), IDC_SETUP_RESIDENT, GetTrayStart() == 1 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd(), IDC_SETUP_SYSTEM_DATE, settings_.intSysDte == 1 ? BST_CHECKED : BST_UNCHECKED);
  const std::string_view pattern = FieldText(settings_.chaDteFmt);
  const auto row = std::find_if(std::begin(kDateFormats), std::end(kDateFormats),
                                [&](const DateFormatRow& r) { return pattern == r.pattern; });
  ComboBox_SetCurSel(Item(IDC_SETUP_DATE_LIST), row == std::end(kDateFormats) ? 0 : row - std::begin(kDateFormats));
  const EnvSet defaults;
  SelectEntry(Item(IDC_SETUP_NUMBER), FieldText(settings_.chaNumFmt), defaults.chaNumFmt);
  SelectEntry(Item(IDC_SETUP_EXTENSION), FieldText(settings_.chaExtNam), defaults.chaExtNam);
  SetWindowTextA(Item(IDC_SETUP_FOLDER_TEXT), std::string(FieldText(settings_.chaSavFol)).c_str());
  SetWindowTextA(Item(IDC_SETUP_NAME_EDIT), std::string(FieldText(settings_.chaFilNam)).c_str());
  Edit_LimitText(Item(IDC_SETUP_NAME_EDIT), sizeof settings_.chaFilNam - 1);
  CheckRadioButton(hwnd(), IDC_SETUP_DATE_NAME, IDC_SETUP_FIXED_NAME,
                   settings_.intNamMod == 0 ? IDC_SETUP_DATE_NAME : IDC_SETUP_FIXED_NAME);
}

void CAppSetupDlg::ApplyNameMode() {
  const bool fixed = IsDlgButtonChecked(hwnd(), IDC_SETUP_FIXED_NAME) == BST_CHECKED;
  EnableWindow(Item(IDC_SETUP_DATE_LIST), !fixed);
  EnableWindow(Item(IDC_SETUP_NAME_EDIT), fixed);
}

void CAppSetupDlg::ChooseSaveFolder() {
  const std::optional<FolderChoice> choice =
      RunFolderSelectDialog(hwnd(), ItemText(IDC_SETUP_FOLDER_TEXT), FolderSelectMode::kOk);
  if (choice && !choice->folder.empty()) SetWindowTextA(Item(IDC_SETUP_FOLDER_TEXT), choice->folder.c_str());
}

std::string CAppSetupDlg::ItemText(int id) const { return win::GetWindowTextString(Item(id)); }

std::string CAppSetupDlg::ListText(int id) const {
  const HWND list = Item(id);
  const int selected = ComboBox_GetCurSel(list);
  if (selected < 0) return {};
  char text[64] = "";
  if (ComboBox_GetLBTextLen(list, selected) >= static_cast<int>(sizeof text)) return {};
  ComboBox_GetLBText(list, selected, text);
  return text;
}

bool CAppSetupDlg::Store() {
  const std::string folder = ItemText(IDC_SETUP_FOLDER_TEXT);
  const bool fixed = IsDlgButtonChecked(hwnd(), IDC_SETUP_FIXED_NAME) == BST_CHECKED;
  const std::string name = ItemText(IDC_SETUP_NAME_EDIT);
  if (folder.empty()) {
    Report(hwnd(), Item(IDC_SETUP_SAVE_FOLDER), "ErrorMsg0001", "フォルダを選択してください。");
    return false;
  }
  if (fixed && name.empty()) {
    Report(hwnd(), Item(IDC_SETUP_NAME_EDIT), "ErrorMsg0002", "ファイル名を入力してください。");
    return false;
  }
  settings_.intSysDte = IsDlgButtonChecked(hwnd(), IDC_SETUP_SYSTEM_DATE) == BST_CHECKED ? 1 : 0;
  // Resident mode is written and applied at once; the rest waits for the exit.
  const bool resident = IsDlgButtonChecked(hwnd(), IDC_SETUP_RESIDENT) == BST_CHECKED;
  SetTrayStart(resident ? 1 : 0);
  SetAutoStart(resident ? 1 : 0, ProgramPath());
  if (residentCopy_) residentCopy_(resident);
  CopyToField(settings_.chaSavFol, folder, win::IsAnsiLeadByte);
  settings_.intNamMod = fixed ? 1 : 0;
  const int row = std::max(0, ComboBox_GetCurSel(Item(IDC_SETUP_DATE_LIST)));
  CopyToField(settings_.chaDteFmt, kDateFormats[std::min<size_t>(row, std::size(kDateFormats) - 1)].pattern,
              win::IsAnsiLeadByte);
  CopyToField(settings_.chaFilNam, name, win::IsAnsiLeadByte);
  CopyToField(settings_.chaNumFmt, ListText(IDC_SETUP_NUMBER), win::IsAnsiLeadByte);
  CopyToField(settings_.chaExtNam, ListText(IDC_SETUP_EXTENSION), win::IsAnsiLeadByte);
  return true;
}

bool CAppSetupDlg::OnCommand(int id, int code, HWND from) {
  switch (id) {
    case IDC_SETUP_DATE_NAME:
    case IDC_SETUP_FIXED_NAME:
      if (code == BN_CLICKED) ApplyNameMode();
      return true;
    case IDC_SETUP_SAVE_FOLDER:
      if (code == BN_CLICKED) ChooseSaveFolder();
      return true;
    case IDC_SETUP_RESIDENT:
      if (code == BN_CLICKED && IsDlgButtonChecked(hwnd(), IDC_SETUP_RESIDENT) == BST_CHECKED)
        Report(hwnd(), nullptr, "ErrorMsg0003",
               "Windows互換モードが適用されている場合、正常に動作しない可能性があります。");
      return true;
    case IDOK:
      if (!Store()) return true;
      break;
    default: break;
  }
  return win::Dialog::OnCommand(id, code, from);
}

bool RunAppSetupDialog(HWND owner, EnvSet& settings, ResidentCopySwitch residentCopy) {
  CAppSetupDlg dialog(settings, std::move(residentCopy));
  return dialog.RunModal(owner) == IDOK;
}

}  // namespace zv
