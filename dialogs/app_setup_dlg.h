#pragma once
// The application setup dialog (template 167): resident mode, the time
// stamping of copies from the board, and where and under which names
// scanned images are saved. It edits the settings record in memory; only
// resident mode is written (and applied) at once.
#include <windows.h>

#include <functional>
#include <string>

#include "core/app/envset.h"
#include "win/dialog.h"

namespace zv {

// Starts (true) or closes (false) the resident copy of the program.
using ResidentCopySwitch = std::function<void(bool on)>;
// The real one: a copy started with "i", or WM_CLOSE to the running one.
void SwitchResidentCopy(bool on);

class CAppSetupDlg : public win::Dialog {
 public:
  CAppSetupDlg(EnvSet& settings, ResidentCopySwitch residentCopy);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND from) override;

 private:
  void ShowTexts();
  void FillLists();
  void ShowSettings();
  // The date list in date mode, the name field in fixed-name mode.
  void ApplyNameMode();
  void ChooseSaveFolder();
  // Stores what the controls hold; false (and a message) when OK must wait.
  bool Store();
  std::string ItemText(int id) const;
  std::string ListText(int id) const;

  EnvSet& settings_;
  ResidentCopySwitch residentCopy_;
};

// Runs the dialog modally over `owner`; true when it ended with OK.
bool RunAppSetupDialog(HWND owner, EnvSet& settings, ResidentCopySwitch residentCopy = SwitchResidentCopy);

}  // namespace zv
