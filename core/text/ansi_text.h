#pragma once
// ANSI (system code page) byte strings: cutting them to a fixed field without
// splitting a two-byte character.
#include <cstddef>
#include <string_view>

namespace zv {

// Tells whether a byte opens a two-byte character of the ANSI code page in use
// (IsDBCSLeadByte on Windows). Single-byte code pages answer false for all.
using LeadBytePredicate = bool (*)(unsigned char);

bool IsShiftJisLeadByte(unsigned char byte);
bool NoLeadBytes(unsigned char byte);

// Number of leading bytes of `text` that fit a zero-terminated field of
// `capacity` bytes, ending on a character boundary.
size_t FittingPrefixLength(std::string_view text, size_t capacity, LeadBytePredicate isLead);

// Copies as much of `text` as fits into `field` (capacity bytes with the
// terminator); never writes past the field and never leaves half a character.
void CopyToField(char* field, size_t capacity, std::string_view text, LeadBytePredicate isLead);

template <size_t N>
void CopyToField(char (&field)[N], std::string_view text, LeadBytePredicate isLead) {
  CopyToField(field, N, text, isLead);
}

// The text of a fixed field: up to its first NUL, or the whole field when a
// hand-edited setting left it without one.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  size_t length = 0;
  while (length < N && field[length] != '\0') ++length;
  return std::string_view(field, length);
}

// Index of the first byte of `text` that is one of `set`, scanning whole
// characters so that a trail byte (0x5C in Shift-JIS "表") never matches.
size_t FindAnyChar(std::string_view text, std::string_view set, LeadBytePredicate isLead);

}  // namespace zv
