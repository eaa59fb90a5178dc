#include "core/text/ansi_text.h"

#include <cstring>

namespace zv {

bool IsShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool NoLeadBytes(unsigned char) { return false; }

namespace {
size_t CharLength(std::string_view text, size_t at, LeadBytePredicate isLead) {
  bool twoBytes = isLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size();
  return twoBytes ? 2 : 1;
}
}  // namespace

size_t FittingPrefixLength(std::string_view text, size_t capacity, LeadBytePredicate isLead) {
  if (capacity == 0) return 0;
  size_t room = capacity - 1;
  size_t at = 0;
  while (at < text.size() && text[at] != '\0') {
    size_t len = CharLength(text, at, isLead);
    if (at + len > room) break;
    at += len;
  }
  return at;
}

void CopyToField(char* field, size_t capacity, std::string_view text, LeadBytePredicate isLead) {
  if (capacity == 0) return;
  size_t len = FittingPrefixLength(text, capacity, isLead);
  std::memcpy(field, text.data(), len);
  std::memset(field + len, 0, capacity - len);
}

size_t FindAnyChar(std::string_view text, std::string_view set, LeadBytePredicate isLead) {
  for (size_t at = 0; at < text.size();) {
    size_t len = CharLength(text, at, isLead);
    if (len == 1 && set.find(text[at]) != std::string_view::npos) return at;
    at += len;
  }
  return std::string_view::npos;
}

}  // namespace zv
