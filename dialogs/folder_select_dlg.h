#pragma once
// The folder select dialog (template 165): a folder tree (id 1000, no label
// editing) and the buttons that choose its selected folder: Move and Copy
// when files are to be moved or copied, a single OK otherwise. New folder
// makes a folder inside the selected one (the folder name dialog, then the
// tree's NewFolder). A folder without a file-system path can be chosen by
// no button.
#include <windows.h>

#include <optional>
#include <string>

#include "foldertree/folder_tree_wnd.h"
#include "win/dialog.h"

namespace zv {

enum class FolderSelectMode {
  kOk,        // one button, OK
  kMoveCopy,  // Move and Copy
};

struct FolderChoice {
  enum Button { kMove, kCopy, kOk };
  Button button;
  std::string folder;
};

class CFolderSelectDlg : public win::Dialog {
 public:
  // `startFolder` is selected when the tree is built (empty: none).
  CFolderSelectDlg(std::string startFolder, FolderSelectMode mode);

  // Set only when a button chose a folder.
  const std::optional<FolderChoice>& choice() const { return choice_; }
  FolderTreeWnd& tree() { return tree_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND from) override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;

 private:
  void ShowTexts();
  void PlaceTree();
  void Choose(FolderChoice::Button button);
  void MakeNewFolder();

  std::string startFolder_;
  FolderSelectMode mode_;
  std::string selectedPath_;  // of the tree's selection; empty when it has none
  std::optional<FolderChoice> choice_;
  FolderTreeWnd tree_;
};

// Runs the dialog modally over `owner`: the button that chose and the
// folder, or nothing when cancelled.
std::optional<FolderChoice> RunFolderSelectDialog(HWND owner, const std::string& startFolder, FolderSelectMode mode);

}  // namespace zv
