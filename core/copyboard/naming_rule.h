#pragma once
// The naming rule of scanned images: the save folder, a base name (the local
// time by a date pattern, or a fixed name), a number in a number format, and
// the extension. A scan is written under the first such name, from number 1
// up, that no file holds yet; there is no stored counter, so a gap left by a
// deleted file is filled first. The tables are what the setup dialog offers.
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "core/app/envset.h"
#include "core/text/ansi_text.h"

namespace zv {

struct DateFormatRow {
  const char* shown;
  const char* pattern;
};
inline constexpr DateFormatRow kDateFormats[] = {
    {"YYYYMMDD_HHMMSS", "%Y%m%d_%H%M%S"}, {"YYYYMMDD", "%Y%m%d"},       {"MMDD", "%m%d"},
    {"HHMMSS", "%H%M%S"},                 {"HHMM", "%H%M"},             {"YYYYMMDD_HHMM", "%Y%m%d_%H%M"},
    {"YYYYMMDD_HH", "%Y%m%d_%H"},         {"MMDD_HHMMSS", "%m%d_%H%M%S"}, {"MMDD_HHMM", "%m%d_%H%M"},
    {"MMDD_HH", "%m%d_%H"},
};
inline constexpr const char* kNumberFormats[] = {"0",   "00",   "000",   "0000",   "(0)", "(00)",
                                                 "(000)", "(0000)", "[0]", "[00]", "[000]", "[0000]"};
inline constexpr const char* kExtensions[] = {"BMP", "JPG", "JPEG", "PNG", "TIF", "TIFF"};

// The six settings the rule is made of, as texts.
struct NamingRule {
  std::string saveFolder;  // without a trailing backslash
  bool fixedName = false;  // else the date name
  std::string datePattern;
  std::string name;
  std::string numberFormat;
  std::string extension;  // without the dot, used as stored
};
NamingRule NamingRuleOf(const EnvSet& settings);

// A number format split at its first run of '0': the run's length is the
// least number of digits. A format without '0' is all suffix (width 0).
struct NumberFormat {
  std::string prefix;
  int width = 0;
  std::string suffix;
};
NumberFormat SplitNumberFormat(std::string_view format);

// The path for number `n` (n >= 1) at local time `now`. A date pattern with
// a conversion other than %Y %m %d %H %M %S %y %j %% (only a hand-edited
// setting has one) is replaced by the first row's. Characters that no
// file name may hold, which only a hand-edited setting can bring in (a date
// pattern such as "%c", a fixed name with a backslash), become '_', so a
// scan never lands outside the save folder. `isLead` tells the lead bytes of
// the code page, whose trail bytes are never replaced.
std::string FormName(const NamingRule& rule, int n, const std::tm& now, LeadBytePredicate isLead);

// The first name, from 1 up, for which `exists` is false; the time is read
// from `now` for every name formed. Empty when none of the first
// kMaxNameSearch numbers is free.
inline constexpr int kMaxNameSearch = 100000;
std::string NextFreeName(const NamingRule& rule, const std::function<bool(const std::string&)>& exists,
                         const std::function<std::tm()>& now, LeadBytePredicate isLead);

}  // namespace zv
