#include "core/text/ansi_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace zv {
namespace {

// "表示" in Shift-JIS: 0x95 0x5C 0x8E 0xA6; the first trail byte is '\'.
const std::string kHyouji = "\x95\x5C\x8E\xA6";

TEST(FittingPrefixLength, CutsOnlyAtCharacterBoundaries) {
  EXPECT_EQ(FittingPrefixLength("abc", 4, IsShiftJisLeadByte), 3u) << "fits exactly with the terminator";
  EXPECT_EQ(FittingPrefixLength("abcd", 4, IsShiftJisLeadByte), 3u) << "one byte too long";
  EXPECT_EQ(FittingPrefixLength("a" + kHyouji, 3, IsShiftJisLeadByte), 1u)
      << "a two-byte character that does not fit whole is dropped whole";
  EXPECT_EQ(FittingPrefixLength("a" + kHyouji, 4, IsShiftJisLeadByte), 3u);
  EXPECT_EQ(FittingPrefixLength("a" + kHyouji, 3, NoLeadBytes), 2u) << "single-byte code page cuts anywhere";
  EXPECT_EQ(FittingPrefixLength("abc", 0, IsShiftJisLeadByte), 0u);
  EXPECT_EQ(FittingPrefixLength("ab\x95", 8, IsShiftJisLeadByte), 3u) << "a lone lead byte at the end counts as one";
}

TEST(CopyToField, NeverWritesPastTheFieldAndAlwaysTerminates) {
  char field[8 + 4];
  std::memset(field, 'X', sizeof field);
  CopyToField(field, 8, std::string(300, 'y'), IsShiftJisLeadByte);
  EXPECT_EQ(std::string(field), std::string(7, 'y'));
  EXPECT_EQ(std::string(field + 8, 4), "XXXX") << "bytes after the field untouched";

  char small[6];
  CopyToField(small, "ab" + kHyouji + "c", IsShiftJisLeadByte);
  EXPECT_EQ(std::string(small), "ab\x95\x5C") << "the second character does not fit whole";
  char five[5];
  CopyToField(five, "abc" + kHyouji, IsShiftJisLeadByte);
  EXPECT_EQ(std::string(five), "abc") << "half a character is never left behind";
}

TEST(FindAnyChar, SkipsTrailBytesOfTwoByteCharacters) {
  EXPECT_EQ(FindAnyChar(kHyouji, "\\", IsShiftJisLeadByte), std::string::npos);
  EXPECT_EQ(FindAnyChar(kHyouji, "\\", NoLeadBytes), 1u) << "in a single-byte code page 0x5C is a backslash";
  EXPECT_EQ(FindAnyChar(kHyouji + "a;b", ";,", IsShiftJisLeadByte), 5u);
  EXPECT_EQ(FindAnyChar("", ";", IsShiftJisLeadByte), std::string::npos);
}

}  // namespace
}  // namespace zv
