#include "win/error_report.h"

namespace zv::win {

int ReportError(HWND owner, HWND field, const std::string& text, const std::string& caption, UINT buttons) {
  const int answer = MessageBoxA(owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(),
                                 buttons | MB_ICONEXCLAMATION);
  if (field != nullptr && IsWindow(field)) SetFocus(field);
  return answer;
}

}  // namespace zv::win
