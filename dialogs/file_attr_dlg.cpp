#include "dialogs/file_attr_dlg.h"


#include "app/app_services.h"
#include "app/ui_text_table.h"
#include "core/imagelib/probe_rules.h"
#include "core/text/ansi_path.h"
#include "dialogs/input_checker.h"
#include "res/app_identity.h"
#include "res/resource.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr char kSection[] = "FileAttrDialog";
constexpr int kNameLimit = 260;
constexpr std::array<int, kDateFieldCount> kDateEdits = {IDC_ATTR_YEAR, IDC_ATTR_MONTH, IDC_ATTR_DAY,
                                                        IDC_ATTR_HOUR, IDC_ATTR_MINUTE, IDC_ATTR_SECOND};
constexpr std::array<int, kDateFieldCount> kDateLimits = {4, 2, 2, 2, 2, 2};

FILETIME ToFileTime(const FileTime& time) { return {time.low, time.high}; }

// The local time the dialog shows for a UTC file time; nothing when it has none.
std::optional<LocalDateTime> LocalTimeOf(const FileTime& utc) {
  const FILETIME file = ToFileTime(utc);
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&file, &local) || !FileTimeToSystemTime(&local, &time)) return std::nullopt;
  return LocalDateTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

// The UTC file time of an entered local time. Nothing when it falls before
// 1601 in UTC (1 January 1601 in a zone east of Greenwich), which no file
// time can hold.
std::optional<FileTime> UtcOf(const LocalDateTime& entered) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(entered.year);
  time.wMonth = static_cast<WORD>(entered.month);
  time.wDay = static_cast<WORD>(entered.day);
  time.wHour = static_cast<WORD>(entered.hour);
  time.wMinute = static_cast<WORD>(entered.minute);
  time.wSecond = static_cast<WORD>(entered.second);
  FILETIME local{}, utc{};
  if (!SystemTimeToFileTime(&time, &local) || !LocalFileTimeToFileTime(&local, &utc)) return std::nullopt;
  // Before the start the subtraction wraps into the sign bit.
  if ((utc.dwHighDateTime & 0x80000000u) != 0) return std::nullopt;
  return FileTime{utc.dwLowDateTime, utc.dwHighDateTime};
}

// The number with leading zeros up to `width` digits.
std::string Padded(int value, size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

}  // namespace

CFileAttrDlg::CFileAttrDlg(const FileListItem& item) : win::Dialog(IDD_FILE_ATTR), item_(item) {}

bool CFileAttrDlg::OnInitDialog() {
  ShowTexts();
  ApplyProgramLook(GetAppFont(), IDR_MAINFRAME);
  SendMessageA(Item(IDC_ATTR_NAME), EM_LIMITTEXT, kNameLimit, 0);
  for (size_t i = 0; i < kDateEdits.size(); ++i) SendMessageA(Item(kDateEdits[i]), EM_LIMITTEXT, kDateLimits[i], 0);
  folder_ = std::string(FolderOfPath(item_.path, win::IsAnsiLeadByte));
  ShowValues();
  changes_ = 0;
  return true;
}

void CFileAttrDlg::ShowTexts() {
  CUiTextTable texts;
  SetWindowTextA(hwnd(), texts.GetText(kSection, "DialogTitle", "プロパティ").c_str());
  nameText_ = texts.GetText(kSection, "FileName", "ファイル名");
  SetWindowTextA(Item(IDC_ATTR_NAME_LABEL), nameText_.c_str());
  SetWindowTextA(Item(IDC_ATTR_DATE_LABEL), texts.GetText(kSection, "Date", "日時").c_str());
  SetWindowTextA(Item(IDC_ATTR_TIME_LABEL), texts.GetText(kSection, "Time", "時刻").c_str());
  const char* fieldKeys[kDateFieldCount] = {"Year", "Month", "Day", "Hour", "Minute", "Second"};
  const char* fieldDefaults[kDateFieldCount] = {"年", "月", "日", "時", "分", "秒"};
  for (size_t i = 0; i < dateTexts_.size(); ++i) dateTexts_[i] = texts.GetText(kSection, fieldKeys[i], fieldDefaults[i]);
  SetWindowTextA(Item(IDC_ATTR_PICSIZE_LABEL), texts.GetText(kSection, "PicSize", "画像サイズ").c_str());
  SetWindowTextA(Item(IDC_ATTR_COLORS_LABEL), texts.GetText(kSection, "ColorNum", "色数").c_str());
  SetWindowTextA(Item(IDC_ATTR_FILESIZE_LABEL), texts.GetText(kSection, "FileSize", "ファイルサイズ").c_str());
  SetWindowTextA(Item(IDOK), texts.GetText(kSection, "OK", "ＯＫ").c_str());
  SetWindowTextA(Item(IDCANCEL), texts.GetText(kSection, "Cancel", "キャンセル").c_str());
  question_ = texts.GetText(kSection, "Msg001", "拡張子を変更すると読み込めなくなります。") + "\n" +
              texts.GetText(kSection, "Msg002", "よろしいですか？");
  tooLong_ = texts.GetText(kSection, "Msg003", "ファイル名が長すぎます。");
}

void CFileAttrDlg::ShowValues() {
  SetWindowTextA(Item(IDC_ATTR_NAME), item_.name);
  // A time that cannot be shown leaves the fields empty; OK then asks for a date.
  if (const std::optional<LocalDateTime> local = LocalTimeOf(item_.lastWrite)) {
    const int values[kDateFieldCount] = {local->year, local->month, local->day, local->hour, local->minute, local->second};
    for (size_t i = 0; i < kDateEdits.size(); ++i)
      SetWindowTextA(Item(kDateEdits[i]), Padded(values[i], i == kYearField ? 4 : 2).c_str());
  }
  SetWindowTextA(Item(IDC_ATTR_PICSIZE),
                 (std::to_string(item_.width) + " * " + std::to_string(item_.height) + " dot").c_str());
  SetWindowTextA(Item(IDC_ATTR_COLORS), std::to_string(item_.colors).c_str());
  SetWindowTextA(Item(IDC_ATTR_FILESIZE), (std::to_string(item_.fileSize) + " bytes").c_str());
}

bool CFileAttrDlg::OnCommand(int id, int code, HWND from) {
  if (id == IDOK && !Accept()) return true;
  return win::Dialog::OnCommand(id, code, from);
}

bool CFileAttrDlg::AskUnknownExtension() {
  return MessageBoxA(hwnd(), question_.c_str(), ZV_APP_TITLE, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2) == IDYES;
}

bool CFileAttrDlg::Accept() {
  HWND nameEdit = Item(IDC_ATTR_NAME);
  const std::string name = NormalizeNewName(win::GetWindowTextString(nameEdit), item_.name, win::IsAnsiLeadByte);
  const bool nameChanged = IsNameChange(name, item_.name, win::IsAnsiLeadByte);
  CInputChecker checker;
  if (nameChanged) {
    // The text as typed first, as the user sees it; then the name it makes
    // (trimmed, with the old extension), so that no rename or conversion
    // ever lands on a file that is already there.
    if (!checker.CheckName(nameEdit, nameText_, folder_) || !checker.CheckNameText(nameEdit, nameText_, folder_, name))
      return false;
    FileListItem renamed = item_;
    if (!SetItemPath(renamed, folder_, name, win::IsAnsiLeadByte)) {
      MessageBoxA(hwnd(), tooLong_.c_str(), ZV_APP_TITLE, MB_OK | MB_ICONEXCLAMATION);
      SetFocus(nameEdit);
      return false;
    }
    if (ImageTypeFromPath(name) < 0 && !AskUnknownExtension()) {
      SetFocus(nameEdit);
      return false;
    }
  }

  DateTexts texts;
  for (size_t i = 0; i < kDateEdits.size(); ++i) texts[i] = win::GetWindowTextString(Item(kDateEdits[i]));
  if (const std::optional<DateFieldFailure> failure = FirstBadDateField(texts)) {
    const size_t field = static_cast<size_t>(failure->field);
    checker.RefuseNumber(Item(kDateEdits[field]), dateTexts_[field], failure->verdict, failure->range.minimum,
                         failure->range.maximum);
    return false;
  }
  const LocalDateTime entered = DateTimeOfTexts(texts);
  const std::optional<LocalDateTime> shown = LocalTimeOf(item_.lastWrite);
  // A time that could not be shown is replaced by the one entered.
  const int changes =
      shown ? PropertyChanges(nameChanged, *shown, entered) : (nameChanged ? kNameChanged : 0) | kTimeChanged;
  std::optional<FileTime> utc;
  if ((changes & kTimeChanged) != 0) {
    utc = UtcOf(entered);
    if (!utc) {
      const FieldRange years = DateFieldRange(kYearField, 0, 0);
      checker.RefuseNumber(Item(IDC_ATTR_YEAR), dateTexts_[kYearField], NumberVerdict::OutOfRange, years.minimum,
                           years.maximum);
      return false;
    }
  }

  if ((changes & kNameChanged) != 0) SetItemPath(item_, folder_, name, win::IsAnsiLeadByte);
  if (utc) item_.lastWrite = *utc;
  changes_ = changes;
  return true;
}

std::optional<FileAttrResult> RunFileAttrDialog(HWND owner, const FileListItem& item) {
  CFileAttrDlg dialog(item);
  if (dialog.RunModal(owner) != IDOK) return std::nullopt;
  return FileAttrResult{dialog.changes(), dialog.item()};
}

}  // namespace zv
