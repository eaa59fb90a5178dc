#include "fileops/scan_save.h"

#include "fileops/save_converted.h"

#include <windows.h>

#include <ctime>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "core/copyboard/naming_rule.h"
#include "core/fileops/scan_dib.h"
#include "fileops/file_checks.h"
#include "fileops/save_converted.h"
#include "win/diagnostics.h"
#include "win/file_replace.h"
#include "win/handles.h"
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

// A name is taken when anything exists under it, whoever holds it open
// (our own thumbnail workers read files with sharing).
bool NameTaken(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
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

namespace {

using Claim = std::function<bool(const std::string& name)>;

// Gives a whole file its name under the naming rule: `claim` tries one free
// name and fails when another file took it meanwhile, or one a listing could
// not see holds it; the search then moves on. Empty when no name could be had.
std::string ClaimScanName(const NamingRule& rule, const Claim& claim) {
  std::set<std::string> refused;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string path = NextFreeName(
        rule,
        [&](const std::string& name) {
          return refused.contains(name) || NameTaken(name);
        },
        LocalNow, win::IsAnsiLeadByte);
    if (path.empty()) return {};
    SetLastError(ERROR_SUCCESS);  // only a taken name moves the search on
    if (claim(path)) return path;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return {};
    refused.insert(path);
  }
  return {};
}

}  // namespace

// The BMP is written whole under a temporary name first and takes a name
// of the rule only then (a rename that never replaces): a process killed on
// the way leaves a temporary, never a cut scan under a real name.
ScanSaveOutcome SaveScannedDib(const uint8_t* dib, size_t size, const EnvSet& settings) {
  ScanSaveOutcome outcome;
  const NamingRule rule = NamingRuleOf(settings);
  const bool direct = UpperExtension("." + rule.extension) == "BMP";
  const std::optional<std::vector<uint8_t>> bmp = BmpFileFromDib(dib, size);
  if (!bmp) {
    win::LogFailure("scan not saved, the scanner's image is unusable");
    return outcome;
  }
  outcome.path = NextFreeName(rule, NameTaken, LocalNow, win::IsAnsiLeadByte);
  if (outcome.path.empty()) {
    win::LogFailure("scan not saved, the naming rule has no free name", rule.saveFolder);
    outcome.result = ScanSaveResult::kNoFreeName;
    return outcome;
  }
  const std::string bmpTemporary = win::TemporaryPathFor(outcome.path + ".bmp");
  if (!win::SaveReplacing(bmpTemporary, [&](HANDLE file) { return WriteAll(file, *bmp); })) return outcome;
  const auto rename = [&](const std::string& from, const std::string& suffix) {
    return ClaimScanName(rule, [&](const std::string& name) {
      return win::CommitTemporary(from, name + suffix, false);
    });
  };
  if (direct) {
    const std::string saved = rename(bmpTemporary, "");
    if (!saved.empty()) {
      outcome.path = saved;
      outcome.result = ScanSaveResult::kSaved;
    }
  } else {
    // The conversion writes its own temporary and claims the name itself.
    const std::string converted =
        ClaimScanName(rule, [&](const std::string& name) { return ConvertToNewFile(bmpTemporary, name); });
    if (!converted.empty()) {
      outcome.path = converted;
      outcome.result = ScanSaveResult::kSaved;
      DeleteFileA(bmpTemporary.c_str());
      return outcome;
    }
    // A scan is never lost to a failed conversion: the BMP stays as "<name>.bmp".
    outcome.keptBmp = rename(bmpTemporary, ".bmp");
    if (!outcome.keptBmp.empty()) {
      outcome.keptBmp += ".bmp";
      outcome.result = ScanSaveResult::kConversionFailed;
      win::LogFailure("scan not converted, kept as BMP", outcome.keptBmp);
    }
  }
  if (outcome.result != ScanSaveResult::kSaved && outcome.result != ScanSaveResult::kConversionFailed) {
    win::LogFailure("scan not saved, no name of the rule could be taken", outcome.path, win::Win32Error());
    DeleteFileA(bmpTemporary.c_str());
  }
  return outcome;
}

}  // namespace zv
