#pragma once
// Rules of the input checker that dialogs use for names and numbers typed
// into edit controls. The messages and the focus handling live on the
// Windows side (dialogs/input_checker.h).
#include <cstdint>
#include <string_view>

#include "core/text/ansi_text.h"

namespace zv {

// Characters a file or folder name may not hold, in the order the message lists them.
inline constexpr char kForbiddenNameChars[] = "\\/:;,*?<>|\"";

enum class NameVerdict { Valid, Empty, ForbiddenChar };

// The text is taken as typed (no trimming). Two-byte characters are skipped
// whole, so a Shift-JIS trail byte is never taken for a backslash.
NameVerdict CheckNameText(std::string_view text, LeadBytePredicate isLead);

// Which bounds Check number applies.
enum NumberBounds { kNoBounds = 0, kMinimumOnly = 1, kMaximumOnly = 2, kMinimumAndMaximum = 3 };

enum class NumberVerdict {
  Valid,
  Empty,         // NumericCheck0001
  NotDigits,     // NumericCheck0002
  BelowMinimum,  // NumericCheck0004
  AboveMaximum,  // NumericCheck0005
  OutOfRange,    // NumericCheck0006 (both bounds checked)
  Not16Bit,      // WORDCheck0003
};

struct NumberCheck {
  NumberVerdict verdict;
  uint16_t value;  // meaningful when the text was a valid 16-bit number
};

// Blanks around the text are ignored; leading zeros do not count as digits.
NumberCheck CheckNumberText(std::string_view text, int bounds, uint16_t minimum, uint16_t maximum);

// The value of a text that CheckNumberText accepted.
uint16_t NumberValue(std::string_view text);

}  // namespace zv
