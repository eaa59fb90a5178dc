#pragma once
// The input checker of dialogs: validates a name or a number typed into an
// edit control, shows what is wrong in an exclamation message box and puts
// the focus back on the control.
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/fileops/input_rules.h"

namespace zv {

class CInputChecker {
 public:
  // Looks up the messages of section "InputChecek" once.
  CInputChecker();

  // A new file or folder name for `folder`: not empty, no forbidden
  // character, no existing file or folder of that name.
  bool CheckName(HWND edit, const std::string& label, const std::string& folder);
  // The same for `name` instead of the edit's text (a name the dialog made
  // from it); a refusal still goes to `edit`.
  bool CheckNameText(HWND edit, const std::string& label, const std::string& folder, const std::string& name);
  // bounds: 1 minimum only, 2 maximum only, 3 both, other values none.
  bool CheckNumber(HWND edit, const std::string& label, int bounds, uint16_t minimum, uint16_t maximum);
  static uint16_t NumberValue(const std::string& text);
  // Shows the message of a refused number (any verdict but Valid) for `edit`.
  void RefuseNumber(HWND edit, const std::string& label, NumberVerdict verdict, uint16_t minimum, uint16_t maximum);

 private:
  void Refuse(HWND edit, const std::string& message);

  std::string fileEmpty_, fileForbidden_, fileExists_;
  std::string numberEmpty_, numberNotDigits_, numberBelow_, numberAbove_, numberRange_, number16Bit_;
};

}  // namespace zv
