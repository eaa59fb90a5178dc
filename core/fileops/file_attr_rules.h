#pragma once
// Rules of the file property dialog and of what the property command then
// does, without windows: the new name as the user meant it, the ranges of
// the date and time fields in the order they are checked, the bits that say
// what changed, and whether a new name is a rename or a conversion.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/fileops/input_rules.h"
#include "core/text/ansi_text.h"

namespace zv {

// The typed name without blanks at either end. A name without any '.' gets
// the current name's extension ('.' and the text after its last '.'); a
// current name without one adds nothing, since a name ending in '.' would
// name another file once Windows drops the dot.
std::string NormalizeNewName(std::string_view typed, std::string_view currentName, LeadBytePredicate isLead);

// A change of name: the names differ other than in the case of single-byte
// letters (Windows treats a.JPG and a.jpg as one file).
bool IsNameChange(std::string_view newName, std::string_view currentName, LeadBytePredicate isLead);

// The date and time fields of the dialog, in the order they are checked.
enum DateField { kYearField, kMonthField, kDayField, kHourField, kMinuteField, kSecondField, kDateFieldCount };

// A file time starts on 1 January 1601: an earlier year cannot be stored,
// so the year field refuses it like any other out-of-range value.
inline constexpr uint16_t kFirstFileTimeYear = 1601;
inline constexpr uint16_t kLastYear = 9999;

// Days of `month` (1-12) in `year` by the Gregorian leap-year rule; 0 for
// a month outside 1-12.
int DaysInMonth(int year, int month);

struct FieldRange {
  uint16_t minimum = 0;
  uint16_t maximum = 0;
};
// The inclusive range of a field; the day's depends on the year and month
// entered (which are checked before it).
FieldRange DateFieldRange(int field, int year, int month);

using DateTexts = std::array<std::string, kDateFieldCount>;

struct DateFieldFailure {
  int field = 0;          // the first field that fails
  NumberVerdict verdict;  // why: the input checker's verdict for that field
  FieldRange range;       // the range it was checked against
};
// Checks the six texts in field order; nothing when all pass.
std::optional<DateFieldFailure> FirstBadDateField(const DateTexts& texts);

struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const LocalDateTime&) const = default;
};
// The values of texts that FirstBadDateField accepted.
LocalDateTime DateTimeOfTexts(const DateTexts& texts);

// The property dialog's report of what changed.
enum PropertyChangeBits { kNameChanged = 1, kTimeChanged = 2 };
int PropertyChanges(bool nameChanged, const LocalDateTime& shown, const LocalDateTime& entered);

// What a new name does to the file: a rename when both names are of one
// image type (by extension) or the new one is of none; a conversion into
// the new type otherwise.
enum class NewNameAction { kRename, kConvert };
NewNameAction ActionForNewName(std::string_view oldName, std::string_view newName);

// How Save converted writes `target`: a plain copy when the types agree and
// the picture is not turned, nothing for a target of no image type, else a
// conversion (load, turn, write in the target's type).
enum class SaveMethod { kCopy, kConvert, kNothing };
SaveMethod ChooseSaveMethod(std::string_view source, std::string_view target, int orientation);

}  // namespace zv
