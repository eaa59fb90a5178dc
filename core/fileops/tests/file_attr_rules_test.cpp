#include "core/fileops/file_attr_rules.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

DateTexts Date(const char* year, const char* month, const char* day, const char* hour = "12",
               const char* minute = "30", const char* second = "45") {
  return {year, month, day, hour, minute, second};
}

// Where the first failure is, or -1 when all pass.
int FailingField(const DateTexts& texts) {
  const std::optional<DateFieldFailure> failure = FirstBadDateField(texts);
  return failure ? failure->field : -1;
}

TEST(FileAttrName, KeepsTheExtensionAndIgnoresCase) {
  EXPECT_EQ(NormalizeNewName("holiday", "a.jpg", NoLeadBytes), "holiday.jpg");
  EXPECT_EQ(NormalizeNewName(" \tholiday  ", "a.b.JPEG", NoLeadBytes), "holiday.JPEG") << "trimmed, last extension";
  EXPECT_EQ(NormalizeNewName("holiday.png", "a.jpg", NoLeadBytes), "holiday.png");
  EXPECT_EQ(NormalizeNewName("holiday.", "a.jpg", NoLeadBytes), "holiday.") << "a typed dot counts";
  EXPECT_EQ(NormalizeNewName("holiday", "noextension", NoLeadBytes), "holiday");
  EXPECT_EQ(NormalizeNewName("   ", "a.jpg", NoLeadBytes), ".jpg");
  // Shift-JIS "表" carries a backslash as its trail byte; the name still counts as one without a dot.
  EXPECT_EQ(NormalizeNewName("\x95\x5C", "a.jpg", IsShiftJisLeadByte), "\x95\x5C.jpg");

  EXPECT_FALSE(IsNameChange("A.JPG", "a.jpg", NoLeadBytes)) << "a case-only difference is no change";
  EXPECT_TRUE(IsNameChange("b.jpg", "a.jpg", NoLeadBytes));
  EXPECT_TRUE(IsNameChange("a.jpeg", "a.JPG", NoLeadBytes));
  EXPECT_TRUE(IsNameChange("\x83\x41.jpg", "\x83\x61.jpg", IsShiftJisLeadByte)) << "trail bytes are not letters";
}

TEST(FileAttrDate, FieldsAreCheckedInOrderWithTheLeapYearRule) {
  EXPECT_EQ(FailingField(Date("2000", "2", "29")), -1);
  EXPECT_EQ(FailingField(Date("2004", "02", "29")), -1);
  EXPECT_EQ(FailingField(Date("1900", "2", "29")), kDayField) << "divisible by 100, not by 400";
  EXPECT_EQ(FailingField(Date("2003", "2", "29")), kDayField);
  EXPECT_EQ(FailingField(Date("2003", "2", "28")), -1);
  EXPECT_EQ(FailingField(Date("2024", "4", "31")), kDayField);
  EXPECT_EQ(FailingField(Date("2024", "12", "31", "23", "59", "59")), -1);

  const std::optional<DateFieldFailure> day = FirstBadDateField(Date("1900", "2", "29"));
  ASSERT_TRUE(day.has_value());
  EXPECT_EQ(day->verdict, NumberVerdict::OutOfRange);
  EXPECT_EQ(day->range.minimum, 1);
  EXPECT_EQ(day->range.maximum, 28);

  // A year a file time cannot hold is refused with the year's own range.
  for (const char* year : {"0", "1", "1600", "0000"}) {
    const std::optional<DateFieldFailure> failure = FirstBadDateField(Date(year, "1", "1"));
    ASSERT_TRUE(failure.has_value()) << year;
    EXPECT_EQ(failure->field, kYearField) << year;
    EXPECT_EQ(failure->verdict, NumberVerdict::OutOfRange) << year;
    EXPECT_EQ(failure->range.minimum, 1601) << year;
    EXPECT_EQ(failure->range.maximum, 9999) << year;
  }
  EXPECT_EQ(FailingField(Date("1601", "1", "1")), -1);
  EXPECT_EQ(FailingField(Date("10000", "1", "1")), kYearField);

  EXPECT_EQ(FailingField(Date("2024", "13", "xx")), kMonthField) << "the first failing field wins";
  EXPECT_EQ(FailingField(Date("2024", "0", "1")), kMonthField);
  EXPECT_EQ(FailingField(Date("2024", "1", "1", "24")), kHourField);
  EXPECT_EQ(FailingField(Date("2024", "1", "1", "0", "60")), kMinuteField);
  EXPECT_EQ(FailingField(Date("2024", "1", "1", "0", "0", "60")), kSecondField);
  const std::optional<DateFieldFailure> blank = FirstBadDateField(Date("2024", "1", "1", "0", "0", " "));
  ASSERT_TRUE(blank.has_value());
  EXPECT_EQ(blank->verdict, NumberVerdict::Empty);
  EXPECT_EQ(FirstBadDateField(Date("2024", "1", "1", "1 2"))->verdict, NumberVerdict::NotDigits);

  EXPECT_EQ(DateTimeOfTexts(Date(" 2004", "02 ", "029", "7", "08", "9")), (LocalDateTime{2004, 2, 29, 7, 8, 9}));
}

TEST(FileAttrChanges, BitsSayWhatChanged) {
  const LocalDateTime shown{2020, 5, 6, 7, 8, 9};
  LocalDateTime seconds = shown;
  seconds.second = 10;
  EXPECT_EQ(PropertyChanges(false, shown, seconds), kTimeChanged) << "a seconds-only change sets only bit 1";
  EXPECT_EQ(PropertyChanges(true, shown, shown), kNameChanged);
  EXPECT_EQ(PropertyChanges(true, shown, seconds), kNameChanged | kTimeChanged);
  EXPECT_EQ(PropertyChanges(false, shown, shown), 0);
  LocalDateTime year = shown;
  year.year = 2021;
  EXPECT_EQ(PropertyChanges(false, shown, year), kTimeChanged);
}

TEST(FileAttrActions, NewTypesConvertAndPlainCopiesNeedSameTypeUnturned) {
  EXPECT_EQ(ActionForNewName("a.JPG", "a.jpeg"), NewNameAction::kRename) << "one type under two extensions";
  EXPECT_EQ(ActionForNewName("a.tif", "b.TIFF"), NewNameAction::kRename);
  EXPECT_EQ(ActionForNewName("a.jpg", "a.txt"), NewNameAction::kRename) << "no image type: just a rename";
  EXPECT_EQ(ActionForNewName("a.jpg", "a"), NewNameAction::kRename);
  EXPECT_EQ(ActionForNewName("a.jpg", "a.png"), NewNameAction::kConvert);
  EXPECT_EQ(ActionForNewName("a.bmp", "a.JPEG"), NewNameAction::kConvert);

  EXPECT_EQ(ChooseSaveMethod("C:\\a.png", "C:\\b.PNG", 0), SaveMethod::kCopy);
  EXPECT_EQ(ChooseSaveMethod("C:\\a.jpeg", "C:\\b.jpg", 0), SaveMethod::kCopy);
  for (int orientation = 1; orientation <= 7; ++orientation)
    EXPECT_EQ(ChooseSaveMethod("C:\\a.png", "C:\\b.png", orientation), SaveMethod::kConvert) << orientation;
  EXPECT_EQ(ChooseSaveMethod("C:\\a.png", "C:\\b.png", 8), SaveMethod::kCopy) << "no such orientation turns nothing";
  EXPECT_EQ(ChooseSaveMethod("C:\\a.png", "C:\\b.jpg", 0), SaveMethod::kConvert);
  EXPECT_EQ(ChooseSaveMethod("C:\\a.gif", "C:\\b.bmp", 0), SaveMethod::kConvert);
  EXPECT_EQ(ChooseSaveMethod("C:\\a.png", "C:\\b.gif", 0), SaveMethod::kNothing);
  EXPECT_EQ(ChooseSaveMethod("C:\\a.png", "C:\\b.gif", 3), SaveMethod::kNothing);
}

}  // namespace
}  // namespace zv
