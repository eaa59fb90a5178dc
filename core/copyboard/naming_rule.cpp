#include "core/copyboard/naming_rule.h"

#include <cstdio>
#include <cstring>

namespace zv {

namespace {

// What a file name may not hold; replaced by '_'. The trail byte of a
// double-byte character is part of that character (Shift-JIS "表" ends in
// 0x5C, a backslash on its own) and stays.
bool ForbiddenInName(unsigned char c) { return c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr; }

std::string SafeName(std::string name, LeadBytePredicate isLead) {
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (isLead(c) && i + 1 < name.size())
      ++i;
    else if (ForbiddenInName(c))
      name[i] = '_';
  }
  return name;
}

// Only conversions that give digits (and "%%"): the C runtime of Windows
// ends the program on a conversion it does not know, and the pattern comes
// from the registry, where anyone may edit it.
bool IsSafeDatePattern(std::string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (++i == pattern.size() || std::strchr("YmdHMSyj%", pattern[i]) == nullptr) return false;
  }
  return true;
}

std::string DateName(const std::string& pattern, const std::tm& now) {
  const char* safe = IsSafeDatePattern(pattern) ? pattern.c_str() : kDateFormats[0].pattern;
  char text[256] = "";
  const size_t length = *safe == '\0' ? 0 : std::strftime(text, sizeof text, safe, &now);
  return std::string(text, length);
}

}  // namespace

NamingRule NamingRuleOf(const EnvSet& settings) {
  NamingRule rule;
  rule.saveFolder = std::string(FieldText(settings.chaSavFol));
  rule.fixedName = settings.intNamMod != 0;
  rule.datePattern = std::string(FieldText(settings.chaDteFmt));
  rule.name = std::string(FieldText(settings.chaFilNam));
  rule.numberFormat = std::string(FieldText(settings.chaNumFmt));
  rule.extension = std::string(FieldText(settings.chaExtNam));
  return rule;
}

NumberFormat SplitNumberFormat(std::string_view format) {
  const size_t first = format.find('0');
  if (first == std::string_view::npos) return {"", 0, std::string(format)};
  size_t end = first;
  while (end < format.size() && format[end] == '0') ++end;
  return {std::string(format.substr(0, first)), static_cast<int>(end - first), std::string(format.substr(end))};
}

std::string FormName(const NamingRule& rule, int n, const std::tm& now, LeadBytePredicate isLead) {
  const NumberFormat format = SplitNumberFormat(rule.numberFormat);
  char number[32] = "";
  std::snprintf(number, sizeof number, "%0*d", format.width, n);
  const std::string base = rule.fixedName ? rule.name : DateName(rule.datePattern, now);
  return rule.saveFolder + "\\" + SafeName(base + format.prefix + number + format.suffix + "." + rule.extension, isLead);
}

std::string NextFreeName(const NamingRule& rule, const std::function<bool(const std::string&)>& exists,
                         const std::function<std::tm()>& now, LeadBytePredicate isLead) {
  for (int n = 1; n <= kMaxNameSearch; ++n) {
    std::string path = FormName(rule, n, now(), isLead);
    if (!exists(path)) return path;
  }
  return {};
}

}  // namespace zv
