#include "core/app/startup_rules.h"

#include <cstdio>

namespace zv {

const char* ArgumentsAfterProgramName(const char* commandLine) {
  if (commandLine == nullptr) return "";
  const char* at = commandLine;
  if (*at == '"') {
    ++at;
    while (*at != '\0' && *at != '"') ++at;
    if (*at == '"') ++at;
  } else {
    while (*at != '\0' && *at != ' ' && *at != '\t') ++at;
  }
  if (*at == ' ' || *at == '\t') ++at;
  return at;
}

bool IsResidentCommandLine(const char* arguments) {
  return arguments != nullptr && arguments[0] == 'i';
}

int32_t FontPointsFromText(std::string_view text) {
  // Unsigned arithmetic: a long or strange text wraps instead of overflowing.
  uint32_t value = 0;
  for (char c : text) value = value * 10u + static_cast<uint32_t>(static_cast<unsigned char>(c) - '0');
  return static_cast<int32_t>(value);
}

int32_t FontTenthsFromText(std::string_view text) {
  return static_cast<int32_t>(static_cast<uint32_t>(FontPointsFromText(text)) * 10u);
}

std::string VersionText(uint32_t mostSignificant, uint32_t leastSignificant) {
  char text[48];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", mostSignificant >> 16, mostSignificant & 0xFFFFu,
                leastSignificant >> 16, leastSignificant & 0xFFFFu);
  return text;
}

std::string AutoStartCommand(std::string_view programPath) {
  std::string command = "\"";
  command += programPath;
  command += "\" i";
  return command;
}

std::string AutoStartValueName(std::string_view programPath) {
  size_t slash = programPath.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace zv
