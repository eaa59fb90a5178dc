#include "app/ui_text_table.h"

#include <windows.h>

#include "app/app_paths.h"
#include "core/app/text_keys.h"
#include "core/text/ansi_text.h"
#include "win/diagnostics.h"
#include "win/text_convert.h"

namespace zv {

namespace {
// Default handed to the first read so that a missing key can be told from an
// empty one. No text of the table can hold these control bytes.
constexpr char kMissing[] = "\x01\x02\x03";
}  // namespace

CUiTextTable::CUiTextTable() : CUiTextTable(ProgramFolder() + "\\String.ini") {}

CUiTextTable::CUiTextTable(std::string iniPath) : path_(std::move(iniPath)), buffer_(kTextValueMax + 1) {}

std::string CUiTextTable::GetText(const char* section, const char* key, std::string_view defaultUtf8) {
  const std::string storedKey = StoredTextKey(key);
  DWORD length = GetPrivateProfileStringA(section, storedKey.c_str(), kMissing, buffer_.data(),
                                          static_cast<DWORD>(buffer_.size()), path_.c_str());
  std::string text(buffer_.data(), length);
  // The value is written back when it was missing or may have been cut; a
  // value read whole would only be rewritten with itself.
  bool missing = text == kMissing;
  if (missing) {
    text = win::Utf8ToAnsi(defaultUtf8);
    text.resize(FittingPrefixLength(text, kTextValueMax + 1, win::IsAnsiLeadByte));
  }
  if (missing || text.size() >= kTextValueMax)
    if (!WritePrivateProfileStringA(section, storedKey.c_str(), text.c_str(), path_.c_str()))
      win::LogFailure(std::string("text not written back to the text table, [") + section + "] " + storedKey, path_,
                      win::Win32Error());
  return text;
}

void CheckVersion(const std::string& iniPath, const std::string& programVersion) {
  char stored[50] = "";
  GetPrivateProfileStringA("version", StoredTextKey("version").c_str(), "0.0.0.0", stored, sizeof stored,
                           iniPath.c_str());
  if (programVersion != stored && !DeleteFileA(iniPath.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    win::LogFailure("text table of another version not deleted, its texts stay", iniPath, win::Win32Error());
}

}  // namespace zv
