#pragma once
// The UI text table: every visible text is looked up in String.ini beside the
// program, with a built-in default, and written back so that the file grows
// into the complete, editable set of texts. A window makes one table on the
// stack while it loads its texts and drops it afterwards.
#include <string>
#include <string_view>
#include <vector>

namespace zv {

class CUiTextTable {
 public:
  CUiTextTable();                             // String.ini in the program folder
  explicit CUiTextTable(std::string iniPath);  // for tests

  // The text of `key` in `section` (at most 1023 bytes), or `defaultUtf8`
  // converted to the ANSI code page when the key is missing. An empty value
  // in the file is returned empty.
  std::string GetText(const char* section, const char* key, std::string_view defaultUtf8);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::vector<char> buffer_;
};

// Deletes `iniPath` unless its [version] entry holds exactly `programVersion`.
// Runs once at the start of a browser copy, before the first lookup.
void CheckVersion(const std::string& iniPath, const std::string& programVersion);

}  // namespace zv
