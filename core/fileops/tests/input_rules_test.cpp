#include "core/fileops/input_rules.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

NumberVerdict Verdict(std::string_view text, int bounds = kNoBounds, uint16_t lo = 0, uint16_t hi = 0) {
  return CheckNumberText(text, bounds, lo, hi).verdict;
}

TEST(CheckNumber, SixteenBitLimit) {
  EXPECT_EQ(Verdict("65535"), NumberVerdict::Valid);
  EXPECT_EQ(CheckNumberText("65535", kNoBounds, 0, 0).value, 65535);
  EXPECT_EQ(Verdict("000065535"), NumberVerdict::Valid) << "leading zeros are not digits";
  EXPECT_EQ(Verdict("65536"), NumberVerdict::Not16Bit);
  EXPECT_EQ(Verdict("70000"), NumberVerdict::Not16Bit);
  EXPECT_EQ(Verdict("123456"), NumberVerdict::Not16Bit);
  EXPECT_EQ(Verdict("59999"), NumberVerdict::Valid);
  EXPECT_EQ(CheckNumberText("60000", kNoBounds, 0, 0).value, 60000);
  EXPECT_EQ(CheckNumberText("0000", kNoBounds, 0, 0).value, 0) << "all zeros give 0";
}

TEST(CheckNumber, BlanksAndDigits) {
  EXPECT_EQ(CheckNumberText(" 12 ", kNoBounds, 0, 0).value, 12);
  EXPECT_EQ(Verdict(" 12 "), NumberVerdict::Valid);
  EXPECT_EQ(Verdict("1 2"), NumberVerdict::NotDigits);
  EXPECT_EQ(Verdict("   "), NumberVerdict::Empty);
  EXPECT_EQ(Verdict(""), NumberVerdict::Empty);
  EXPECT_EQ(Verdict("-1"), NumberVerdict::NotDigits);
  EXPECT_EQ(Verdict("１２"), NumberVerdict::NotDigits) << "full-width digits are not digits";
}

TEST(CheckNumber, BoundsByKind) {
  EXPECT_EQ(Verdict("0", kMinimumOnly, 1, 12), NumberVerdict::BelowMinimum);
  EXPECT_EQ(Verdict("13", kMinimumOnly, 1, 12), NumberVerdict::Valid) << "kind 1 ignores the maximum";
  EXPECT_EQ(Verdict("13", kMaximumOnly, 1, 12), NumberVerdict::AboveMaximum);
  EXPECT_EQ(Verdict("0", kMaximumOnly, 1, 12), NumberVerdict::Valid) << "kind 2 ignores the minimum";
  EXPECT_EQ(Verdict("0", kMinimumAndMaximum, 1, 12), NumberVerdict::OutOfRange);
  EXPECT_EQ(Verdict("13", kMinimumAndMaximum, 1, 12), NumberVerdict::OutOfRange);
  EXPECT_EQ(Verdict("12", kMinimumAndMaximum, 1, 12), NumberVerdict::Valid);
  EXPECT_EQ(Verdict("1", kMinimumAndMaximum, 1, 12), NumberVerdict::Valid);
  EXPECT_EQ(Verdict("99", 7, 1, 12), NumberVerdict::Valid) << "other kinds check no bound";
  EXPECT_EQ(Verdict("70000", kMinimumAndMaximum, 1, 12), NumberVerdict::Not16Bit) << "16-bit check comes first";
}

TEST(NumberValue, ReadsAcceptedTexts) {
  EXPECT_EQ(NumberValue(" 0042 "), 42);
  EXPECT_EQ(NumberValue("65535"), 65535);
  EXPECT_EQ(NumberValue("0"), 0);
}

TEST(CheckName, EmptyForbiddenAndValid) {
  EXPECT_EQ(CheckNameText("", IsShiftJisLeadByte), NameVerdict::Empty);
  for (char c : std::string(kForbiddenNameChars)) {
    std::string name = std::string("a") + c + "b";
    EXPECT_EQ(CheckNameText(name, IsShiftJisLeadByte), NameVerdict::ForbiddenChar) << name;
  }
  EXPECT_EQ(CheckNameText(" spaced name.png ", IsShiftJisLeadByte), NameVerdict::Valid) << "no trimming";
  EXPECT_EQ(CheckNameText("\x95\x5C\x8E\xA6", IsShiftJisLeadByte), NameVerdict::Valid)
      << "\"表示\" holds 0x5C only as a trail byte";
  EXPECT_EQ(std::string(kForbiddenNameChars).size(), 11u);
}

}  // namespace
}  // namespace zv
