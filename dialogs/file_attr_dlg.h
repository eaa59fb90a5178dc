#pragma once
// The file property dialog (template 155): one file's name, last-write date
// and time, picture size, colours and file size. The user may change the
// name and the date and time; the dialog checks them and reports what
// changed on a copy of the file's record. It renames nothing and never
// touches the file: the property command does that.
#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "core/browser/file_list_item.h"
#include "core/fileops/file_attr_rules.h"
#include "win/dialog.h"

namespace zv {

class CFileAttrDlg : public win::Dialog {
 public:
  explicit CFileAttrDlg(const FileListItem& item);

  // After OK: kNameChanged (path and name are the new ones, same folder)
  // and kTimeChanged (lastWrite is the new time, UTC). 0 after Cancel.
  int changes() const { return changes_; }
  const FileListItem& item() const { return item_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND from) override;

 private:
  void ShowTexts();
  void ShowValues();
  // The checks of OK in their order; true when the dialog may close.
  bool Accept();
  bool AskUnknownExtension();

  FileListItem item_;
  int changes_ = 0;
  std::string folder_;    // the file's folder: a new name stays in it
  std::string nameText_;  // "FileName": the field's name in the name check's messages
  std::array<std::string, kDateFieldCount> dateTexts_;  // "Year" .. "Second", the same for the date fields
  std::string question_;  // the extension question, both lines
  std::string tooLong_;
};

struct FileAttrResult {
  int changes = 0;
  FileListItem item;
};

// Runs the dialog modally over `owner` on a copy of `item`; nothing when
// the user cancelled.
std::optional<FileAttrResult> RunFileAttrDialog(HWND owner, const FileListItem& item);

}  // namespace zv
