#include "fileops/scan_save.h"

#include "fileops/save_converted.h"

#include <windows.h>

#include <ctime>
#include <optional>
#include <vector>

#include "core/copyboard/naming_rule.h"
#include "core/fileops/scan_dib.h"
#include "fileops/file_checks.h"
#include "fileops/save_converted.h"
#include "win/text_convert.h"

namespace zv {

namespace {

std::string UpperExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('\\');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot + 1);
  for (char& c : extension)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return extension;
}

// A new file only: whatever already holds the name stays untouched.
bool WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  if (!ok) DeleteFileA(path.c_str());
  return ok;
}

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  return local;
}

}  // namespace

// The same conversion as save as: the target written whole and read back.
bool ConvertBmpFile(const std::string& bmpPath, const std::string& target) {
  return SaveConverted(FileOperationSite{}, bmpPath, target, 0);
}

ScanSaveOutcome SaveScannedDib(const uint8_t* dib, size_t size, const EnvSet& settings) {
  ScanSaveOutcome outcome;
  const NamingRule rule = NamingRuleOf(settings);
  const bool direct = UpperExtension("." + rule.extension) == "BMP";
  outcome.path = NextFreeName(
      rule, [direct](const std::string& name) { return FileExists(name) || (!direct && FileExists(name + ".bmp")); },
      LocalNow, win::IsAnsiLeadByte);
  if (outcome.path.empty()) {
    outcome.result = ScanSaveResult::kNoFreeName;
    return outcome;
  }
  const std::optional<std::vector<uint8_t>> bmp = BmpFileFromDib(dib, size);
  if (!bmp) return outcome;
  if (direct) {
    outcome.result = WriteNewFile(outcome.path, *bmp) ? ScanSaveResult::kSaved : ScanSaveResult::kNotWritten;
    return outcome;
  }
  const std::string temporary = outcome.path + ".bmp";
  if (!WriteNewFile(temporary, *bmp)) return outcome;
  if (ConvertBmpFile(temporary, outcome.path) && FileExists(outcome.path)) {
    DeleteFileA(temporary.c_str());
    outcome.result = ScanSaveResult::kSaved;
  } else {
    outcome.result = ScanSaveResult::kConversionFailed;
    outcome.keptBmp = temporary;
  }
  return outcome;
}

}  // namespace zv
