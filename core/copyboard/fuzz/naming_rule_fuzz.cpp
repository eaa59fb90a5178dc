// Fuzz entry of the naming settings as a hand-edited registry may hold
// them: the first byte chooses date or fixed name, the rest fills the date
// pattern, fixed name, number format and extension fields, separated by
// '\n', each up to its field's end without a NUL. Whatever they hold, a
// scan's name stays inside the save folder: nothing after the folder's
// backslash is a character no file name may hold, except the trail byte of
// a Shift-JIS character.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "core/copyboard/naming_rule.h"

namespace {

bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

template <size_t N>
std::string_view Fill(char (&field)[N], std::string_view rest) {
  const size_t end = std::min(rest.find('\n'), rest.size());
  std::memset(field, 0, N);
  if (end > 0) std::memcpy(field, rest.data(), std::min(end, N));  // a full field has no NUL
  return end < rest.size() ? rest.substr(end + 1) : std::string_view();
}

void CheckInsideFolder(const std::string& path, const std::string& folder) {
  if (path.compare(0, folder.size() + 1, folder + "\\") != 0) __builtin_trap();
  for (size_t i = folder.size() + 1; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsShiftJisLead(c) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  zv::EnvSet settings;
  std::strcpy(settings.chaSavFol, "C:\\Scans");
  settings.intNamMod = data[0] & 1;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  rest = Fill(settings.chaDteFmt, rest);
  rest = Fill(settings.chaFilNam, rest);
  rest = Fill(settings.chaNumFmt, rest);
  Fill(settings.chaExtNam, rest);
  std::tm now{};
  now.tm_year = 126 + data[0] % 100;
  now.tm_mon = data[0] % 12;
  now.tm_mday = 1 + data[0] % 28;
  now.tm_hour = data[0] % 24;
  const zv::NamingRule rule = zv::NamingRuleOf(settings);
  for (int n : {1, 99999}) CheckInsideFolder(zv::FormName(rule, n, now, IsShiftJisLead), "C:\\Scans");
  return 0;
}
