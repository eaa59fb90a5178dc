#pragma once
// The folder name dialog (template 156): asks for the name of a new folder
// inside a given folder and checks it (not empty, no forbidden character, not
// there yet). It creates nothing itself.
#include <windows.h>

#include <optional>
#include <string>

#include "win/dialog.h"

namespace zv {

class CFolderNameDlg : public win::Dialog {
 public:
  // `proposedPath`: the folder, a backslash and the proposed name.
  explicit CFolderNameDlg(std::string proposedPath);

  // The full path of the accepted name; set only when OK passed the checks.
  const std::optional<std::string>& accepted() const { return accepted_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND from) override;

 private:
  void ShowTexts();

  std::string proposedPath_;
  std::string folder_;     // the proposed path before its last backslash
  std::string fieldName_;  // "Folder": the field's name in the check's messages
  std::optional<std::string> accepted_;
};

// Runs the dialog modally over `owner`: the full path of the new folder
// (its folder + "\" + the accepted name), or nothing when cancelled.
std::optional<std::string> RunFolderNameDialog(HWND owner, const std::string& proposedPath);

}  // namespace zv
