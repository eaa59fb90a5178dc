#include "dialogs/input_checker.h"

#include "app/ui_text_table.h"
#include "core/fileops/input_rules.h"
#include "core/text/message_text.h"
#include "res/app_identity.h"
#include "win/error_report.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {

CInputChecker::CInputChecker() {
  CUiTextTable texts;
  const char* s = "InputChecek";
  fileEmpty_ = texts.GetText(s, "FileCheck0001", "%sを入力して下さい。");
  fileForbidden_ = texts.GetText(s, "FileCheck0002", "%sには次の文字は使用できません。");
  fileExists_ = texts.GetText(s, "FileCheck0003", "同じ名前のファイルかフォルダが存在します。");
  numberEmpty_ = texts.GetText(s, "NumericCheck0001", "%sを入力して下さい。");
  numberNotDigits_ = texts.GetText(s, "NumericCheck0002", "%sを正しく入力して下さい。");
  numberBelow_ = texts.GetText(s, "NumericCheck0004", "%sは、%d以上を入力して下さい。");
  numberAbove_ = texts.GetText(s, "NumericCheck0005", "%sは、%d以下を入力して下さい。");
  numberRange_ = texts.GetText(s, "NumericCheck0006", "%sは、%d以上、%d以下を入力して下さい。");
  number16Bit_ = texts.GetText(s, "WORDCheck0003", "%sは、0以上65535以下を入力して下さい。");
}

void CInputChecker::Refuse(HWND edit, const std::string& message) {
  HWND owner = edit != nullptr ? GetAncestor(edit, GA_ROOT) : GetActiveWindow();
  win::ReportError(owner, edit, message, ZV_APP_TITLE);
}

bool CInputChecker::CheckName(HWND edit, const std::string& label, const std::string& folder) {
  return CheckNameText(edit, label, folder, win::GetWindowTextString(edit));
}

bool CInputChecker::CheckNameText(HWND edit, const std::string& label, const std::string& folder,
                                  const std::string& name) {
  switch (zv::CheckNameText(name, win::IsAnsiLeadByte)) {
    case NameVerdict::Empty:
      Refuse(edit, FillMessageText(fileEmpty_, {label}));
      return false;
    case NameVerdict::ForbiddenChar:
      Refuse(edit, FillMessageText(fileForbidden_, {label}) + "\n" + kForbiddenNameChars);
      return false;
    case NameVerdict::Valid:
      break;
  }
  if (GetFileAttributesA((folder + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES) {
    Refuse(edit, FillMessageText(fileExists_, {label}));
    return false;
  }
  return true;
}

bool CInputChecker::CheckNumber(HWND edit, const std::string& label, int bounds, uint16_t minimum,
                                uint16_t maximum) {
  const NumberCheck check = CheckNumberText(win::GetWindowTextString(edit), bounds, minimum, maximum);
  if (check.verdict == NumberVerdict::Valid) return true;
  RefuseNumber(edit, label, check.verdict, minimum, maximum);
  return false;
}

void CInputChecker::RefuseNumber(HWND edit, const std::string& label, NumberVerdict verdict, uint16_t minimum,
                                 uint16_t maximum) {
  std::string message;
  switch (verdict) {
    case NumberVerdict::Valid: return;
    case NumberVerdict::Empty: message = FillMessageText(numberEmpty_, {label}); break;
    case NumberVerdict::NotDigits: message = FillMessageText(numberNotDigits_, {label}); break;
    case NumberVerdict::Not16Bit: message = FillMessageText(number16Bit_, {label}); break;
    case NumberVerdict::BelowMinimum: message = FillMessageText(numberBelow_, {label, minimum}); break;
    case NumberVerdict::AboveMaximum: message = FillMessageText(numberAbove_, {label, maximum}); break;
    case NumberVerdict::OutOfRange: message = FillMessageText(numberRange_, {label, minimum, maximum}); break;
  }
  Refuse(edit, message);
}

uint16_t CInputChecker::NumberValue(const std::string& text) { return zv::NumberValue(text); }

}  // namespace zv
