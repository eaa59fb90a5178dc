#pragma once
// The sort settings dialog (template 171): the key (one radio button per
// column of the list) and the direction by which the file list is ordered.
#include <windows.h>

#include <optional>

#include "core/browser/sort_rules.h"
#include "win/dialog.h"

namespace zv {

class CSortDlg : public win::Dialog {
 public:
  // Opens with `current` selected: a key outside 0..5 shows as the name, any
  // direction but ascending as descending.
  explicit CSortDlg(SortOrder current);

  // What the user chose; set only when the dialog ended with OK.
  const std::optional<SortOrder>& chosen() const { return chosen_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND from) override;

 private:
  void ShowTexts();
  // The index of the checked button among first..last, or -1.
  int CheckedIndex(int first, int last) const;

  SortOrder current_;
  std::optional<SortOrder> chosen_;
};

// Runs the dialog modally over `owner`; nothing when the user cancelled (or
// the dialog could not be made).
std::optional<SortOrder> RunSortDialog(HWND owner, SortOrder current);

}  // namespace zv
