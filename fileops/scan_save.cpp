#include "fileops/scan_save.h"

#include "fileops/save_converted.h"

#include <windows.h>

#include <ctime>
#include <optional>
#include <set>
#include <vector>

#include "core/copyboard/naming_rule.h"
#include "core/fileops/scan_dib.h"
#include "fileops/file_checks.h"
#include "fileops/save_converted.h"
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

// Claims `path` by creating it empty; false when anything holds the name.
bool Reserve(const std::string& path) {
  return static_cast<bool>(
      win::UniqueFile(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

// Fills a file this save reserved; a failed write leaves no cut file.
bool WriteReserved(const std::string& path, const std::vector<uint8_t>& bytes) {
  bool ok = false;
  {
    win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
    DWORD written = 0;
    ok = file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file.get());
  }
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

namespace {

// The next free name of the rule, claimed at once (and, for a conversion,
// the name of its temporary BMP too): a name another image took meanwhile,
// or one a file holds that a listing could not see, moves the search on.
// Empty when no name is free.
std::string ReserveScanName(const NamingRule& rule, bool direct) {
  std::set<std::string> refused;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string path = NextFreeName(
        rule,
        [&](const std::string& name) {
          return refused.contains(name) || NameTaken(name) || (!direct && NameTaken(name + ".bmp"));
        },
        LocalNow, win::IsAnsiLeadByte);
    if (path.empty()) return {};
    if (Reserve(path)) {
      if (direct || Reserve(path + ".bmp")) return path;
      DeleteFileA(path.c_str());
    }
    refused.insert(path);
  }
  return {};
}

}  // namespace

ScanSaveOutcome SaveScannedDib(const uint8_t* dib, size_t size, const EnvSet& settings) {
  ScanSaveOutcome outcome;
  const NamingRule rule = NamingRuleOf(settings);
  const bool direct = UpperExtension("." + rule.extension) == "BMP";
  const std::optional<std::vector<uint8_t>> bmp = BmpFileFromDib(dib, size);
  if (!bmp) return outcome;
  outcome.path = ReserveScanName(rule, direct);
  if (outcome.path.empty()) {
    outcome.result = ScanSaveResult::kNoFreeName;
    return outcome;
  }
  if (direct) {
    outcome.result = WriteReserved(outcome.path, *bmp) ? ScanSaveResult::kSaved : ScanSaveResult::kNotWritten;
    return outcome;
  }
  const std::string temporary = outcome.path + ".bmp";
  if (!WriteReserved(temporary, *bmp)) {
    DeleteFileA(outcome.path.c_str());
    return outcome;
  }
  // The conversion replaces only the empty file reserved for it.
  if (ConvertBmpFile(temporary, outcome.path)) {
    DeleteFileA(temporary.c_str());
    outcome.result = ScanSaveResult::kSaved;
  } else {
    DeleteFileA(outcome.path.c_str());
    outcome.result = ScanSaveResult::kConversionFailed;
    outcome.keptBmp = temporary;
  }
  return outcome;
}

}  // namespace zv
