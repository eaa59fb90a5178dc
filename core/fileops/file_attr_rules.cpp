#include "core/fileops/file_attr_rules.h"

#include "core/imagelib/probe_rules.h"
#include "core/text/ansi_path.h"

namespace zv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// True when the text holds a '.' of its own (never a trail byte).
bool HasDot(std::string_view text, LeadBytePredicate isLead) {
  return FindAnyChar(text, ".", isLead) != std::string_view::npos;
}

}  // namespace

// Shift-JIS trail bytes are 0x40 and above, so a blank at either end is
// always a character of its own.
std::string NormalizeNewName(std::string_view typed, std::string_view currentName, LeadBytePredicate isLead) {
  size_t first = 0, last = typed.size();
  while (first < last && IsBlank(typed[first])) ++first;
  while (last > first && IsBlank(typed[last - 1])) --last;
  std::string name(typed.substr(first, last - first));
  if (!HasDot(name, isLead)) {
    const std::string_view extension = ExtensionOfPath(currentName, isLead);
    if (!extension.empty()) name.append(".").append(extension);
  }
  return name;
}

bool IsNameChange(std::string_view newName, std::string_view currentName, LeadBytePredicate isLead) {
  return !SamePath(newName, currentName, isLead);
}

int DaysInMonth(int year, int month) {
  switch (month) {
    case 4: case 6: case 9: case 11: return 30;
    case 2: return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 ? 29 : 28;
    default: return month >= 1 && month <= 12 ? 31 : 0;
  }
}

FieldRange DateFieldRange(int field, int year, int month) {
  switch (field) {
    case kYearField: return {kFirstFileTimeYear, kLastYear};
    case kMonthField: return {1, 12};
    case kDayField: return {1, static_cast<uint16_t>(DaysInMonth(year, month))};
    case kHourField: return {0, 23};
    default: return {0, 59};
  }
}

std::optional<DateFieldFailure> FirstBadDateField(const DateTexts& texts) {
  int year = 0, month = 0;
  for (int field = 0; field < kDateFieldCount; ++field) {
    const FieldRange range = DateFieldRange(field, year, month);
    const NumberCheck check = CheckNumberText(texts[static_cast<size_t>(field)], kMinimumAndMaximum, range.minimum,
                                              range.maximum);
    if (check.verdict != NumberVerdict::Valid) return DateFieldFailure{field, check.verdict, range};
    if (field == kYearField) year = check.value;
    if (field == kMonthField) month = check.value;
  }
  return std::nullopt;
}

LocalDateTime DateTimeOfTexts(const DateTexts& texts) {
  return {NumberValue(texts[kYearField]), NumberValue(texts[kMonthField]), NumberValue(texts[kDayField]),
          NumberValue(texts[kHourField]), NumberValue(texts[kMinuteField]), NumberValue(texts[kSecondField])};
}

int PropertyChanges(bool nameChanged, const LocalDateTime& shown, const LocalDateTime& entered) {
  return (nameChanged ? kNameChanged : 0) | (shown == entered ? 0 : kTimeChanged);
}

NewNameAction ActionForNewName(std::string_view oldName, std::string_view newName) {
  const int newType = ImageTypeFromPath(newName);
  return newType < 0 || newType == ImageTypeFromPath(oldName) ? NewNameAction::kRename : NewNameAction::kConvert;
}

SaveMethod ChooseSaveMethod(std::string_view source, std::string_view target, int orientation) {
  const int targetType = ImageTypeFromPath(target);
  if (targetType < 0) return SaveMethod::kNothing;
  // Codes outside 0-7 turn nothing (OrientPicture leaves the picture as it is).
  const bool turned = orientation >= 1 && orientation <= 7;
  return !turned && ImageTypeFromPath(source) == targetType ? SaveMethod::kCopy : SaveMethod::kConvert;
}

}  // namespace zv
