#include "core/fileops/input_rules.h"

namespace zv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view StripLeadingZeros(std::string_view digits) {
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  return digits;
}

// Value of at most five digits, or false when it does not fit 16 bits.
bool SixteenBitValue(std::string_view digits, uint16_t& value) {
  if (digits.size() > 5) return false;
  uint32_t sum = 0;
  for (char c : digits) sum = sum * 10 + static_cast<uint32_t>(c - '0');
  if (sum > 0xFFFF) return false;
  value = static_cast<uint16_t>(sum);
  return true;
}

}  // namespace

NameVerdict CheckNameText(std::string_view text, LeadBytePredicate isLead) {
  if (text.empty()) return NameVerdict::Empty;
  if (FindAnyChar(text, kForbiddenNameChars, isLead) != std::string_view::npos) return NameVerdict::ForbiddenChar;
  return NameVerdict::Valid;
}

NumberCheck CheckNumberText(std::string_view text, int bounds, uint16_t minimum, uint16_t maximum) {
  text = TrimBlanks(text);
  if (text.empty()) return {NumberVerdict::Empty, 0};
  for (char c : text) {
    if (c < '0' || c > '9') return {NumberVerdict::NotDigits, 0};
  }
  uint16_t value = 0;
  if (!SixteenBitValue(StripLeadingZeros(text), value)) return {NumberVerdict::Not16Bit, 0};

  bool checkMin = bounds == kMinimumOnly || bounds == kMinimumAndMaximum;
  bool checkMax = bounds == kMaximumOnly || bounds == kMinimumAndMaximum;
  bool low = checkMin && value < minimum;
  bool high = checkMax && value > maximum;
  if (bounds == kMinimumAndMaximum && (low || high)) return {NumberVerdict::OutOfRange, value};
  if (low) return {NumberVerdict::BelowMinimum, value};
  if (high) return {NumberVerdict::AboveMaximum, value};
  return {NumberVerdict::Valid, value};
}

uint16_t NumberValue(std::string_view text) {
  uint16_t value = 0;
  std::string_view digits = StripLeadingZeros(TrimBlanks(text));
  return SixteenBitValue(digits, value) ? value : 0;
}

}  // namespace zv
