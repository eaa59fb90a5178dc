#include "dialogs/save_as_dlg.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <vector>

#include "app/ui_text_table.h"
#include "core/fileops/save_as_rules.h"
#include "core/text/ansi_path.h"
#include "win/text_convert.h"

namespace zv {

namespace {
constexpr char kSection[] = "FileSaveDialog";
constexpr size_t kPathBuffer = 1024;  // more than MAX_PATH: a long typed name is refused, not cut
}  // namespace

CDlgFileSave::CDlgFileSave(std::string defaultExtension, std::string proposedPath)
    : defaultExtension_(std::move(defaultExtension)), proposedPath_(std::move(proposedPath)) {
  CUiTextTable texts;
  filter_ = BuildSaveFilter({texts.GetText(kSection, "FileTypePNG", "PNGファイル"),
                             texts.GetText(kSection, "FileTypeTIFF", "TIFFファイル"),
                             texts.GetText(kSection, "FileTypeBMP", "BMPファイル"),
                             texts.GetText(kSection, "FileTypeJPEG", "JPEGファイル")});
  filterIndex_ = InitialFilterIndex(proposedPath_, win::IsAnsiLeadByte);
}

std::optional<std::string> CDlgFileSave::RunModal(HWND owner) {
  std::vector<char> path(kPathBuffer, '\0');
  proposedPath_.copy(path.data(), std::min(proposedPath_.size(), path.size() - 1));
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter_.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(filterIndex_);
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();
  dialog.Flags = kFlags;
  dialog.lpfnHook = &Hook;
  if (!GetSaveFileNameA(&dialog)) return std::nullopt;
  return std::string(path.data());
}

// The hook runs in a child dialog of the platform's dialog; only the type
// change is ours, everything else goes to the platform (answer 0).
UINT_PTR CALLBACK CDlgFileSave::Hook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lParam);
  if (notify->hdr.code == CDN_TYPECHANGE && notify->lpOFN != nullptr)
    OnTypeChange(GetParent(hook), static_cast<int>(notify->lpOFN->nFilterIndex));
  return 0;
}

void CDlgFileSave::OnTypeChange(HWND dialog, int index) {
  char fieldText[kPathBuffer] = "";
  if (SendMessageA(dialog, CDM_GETSPEC, sizeof fieldText, reinterpret_cast<LPARAM>(fieldText)) < 0) return;
  const std::string name = NameForFilterIndex(fieldText, index, win::IsAnsiLeadByte);
  // The file name field is the combo box cmb13 since Windows 2000 (and in
  // Wine), the edit edt1 in older dialogs.
  const int field = GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : edt1;
  if (!name.empty()) SendMessageA(dialog, CDM_SETCONTROLTEXT, field, reinterpret_cast<LPARAM>(name.c_str()));
}

std::optional<std::string> RunSaveAsDialog(HWND owner, const std::string& sourcePath) {
  CDlgFileSave dialog(std::string(ExtensionOfPath(sourcePath, win::IsAnsiLeadByte)), sourcePath);
  return dialog.RunModal(owner);
}

}  // namespace zv
