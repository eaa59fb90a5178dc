// A scanned image saved into the save folder, which may be the folder the
// list shows: the list lets go of its files while the scan is written and
// reads its folder again afterwards.
#include "app/ui_text_table.h"
#include "fileops/file_commands.h"
#include "fileops/scan_save.h"
#include "res/app_identity.h"
#include "win/error_report.h"

namespace zv {

// A failed save says so; a failed conversion leaves the BMP, whose name the message gives.
void CFileCommands::StoreScannedImage(HGLOBAL image, const EnvSet& settings) {
  if (image == nullptr) return;
  ScanSaveOutcome outcome;
  {
    const FolderFilesLease lease = host_.ReleaseFolderFiles();
    const size_t size = GlobalSize(image);
    if (const auto* dib = size != 0 ? static_cast<const uint8_t*>(GlobalLock(image)) : nullptr) {
      outcome = SaveScannedDib(dib, size, settings);
      GlobalUnlock(image);
    }
    GlobalFree(image);
  }
  if (outcome.result == ScanSaveResult::kSaved) return;
  CUiTextTable texts;
  const std::string text =
      outcome.result == ScanSaveResult::kConversionFailed
          ? texts.GetText("Scan", "ErrorMsg0002",
                          "スキャンした画像を変換できませんでした。BMP ファイルのまま残しています。") +
                "\n" + outcome.keptBmp
          : texts.GetText("Scan", "ErrorMsg0001", "スキャンした画像を保存できませんでした。") + "\n" + outcome.path;
  HWND window = host_.CommandWindow();
  win::ReportError(window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr, nullptr, text, ZV_APP_TITLE);
}

}  // namespace zv
