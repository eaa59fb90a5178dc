#pragma once
// The save-as dialog: the platform's save dialog with the four image types
// (PNG, TIFF, BMP, JPEG). Picking another type puts that type's extension
// on the name in the file name field; the extension of the chosen path is
// what decides the format the picture is written in.
#include <windows.h>

#include <commdlg.h>

#include <optional>
#include <string>

namespace zv {

class CDlgFileSave {
 public:
  // `defaultExtension`: the source file's extension without the dot;
  // `proposedPath`: the source file's full path, which the dialog opens on.
  CDlgFileSave(std::string defaultExtension, std::string proposedPath);

  // Runs the dialog modally over `owner`; the chosen full path, or nothing
  // when the user cancelled.
  std::optional<std::string> RunModal(HWND owner);

  int initialFilterIndex() const { return filterIndex_; }
  static constexpr DWORD kFlags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_HIDEREADONLY |
                                  OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;

 private:
  static UINT_PTR CALLBACK Hook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
  // The user picked entry `index` of the type list.
  static void OnTypeChange(HWND dialog, int index);

  std::string defaultExtension_;
  std::string proposedPath_;
  std::string filter_;  // descriptions and patterns between NULs, two NULs at the end
  int filterIndex_ = 0;
};

// The dialog for saving `sourcePath` under another name or type.
std::optional<std::string> RunSaveAsDialog(HWND owner, const std::string& sourcePath);

}  // namespace zv
