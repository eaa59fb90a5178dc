#include "core/app/envset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace zv {
namespace {

// An in-memory profile section that records the order of reads and writes.
class MemoryProfile : public ProfileSection {
 public:
  std::map<std::string, int32_t> ints;
  std::map<std::string, std::string> texts;
  mutable std::vector<std::string> reads;
  std::vector<std::string> writes;

  int32_t ReadInt(const std::string& name, int32_t fallback) const override {
    reads.push_back(name);
    auto it = ints.find(name);
    return it == ints.end() ? fallback : it->second;
  }
  std::string ReadText(const std::string& name, const std::string& fallback) const override {
    reads.push_back(name);
    auto it = texts.find(name);
    return it == texts.end() ? fallback : it->second;
  }
  void WriteInt(const std::string& name, int32_t value) override {
    writes.push_back(name);
    ints[name] = value;
  }
  void WriteText(const std::string& name, const std::string& value) override {
    writes.push_back(name);
    texts[name] = value;
  }
};

// Loading starts from the record's defaults, whatever the record held: an
// empty profile leaves exactly a default record, with the documents folder
// as the save folder.
TEST(EnvSet, AnEmptyProfileGivesADefaultRecord) {
  MemoryProfile empty;
  EnvSet s;
  std::memset(static_cast<void*>(&s), 0x5A, sizeof s);
  LoadEnvSet(s, empty, "C:\\users\\me\\Documents", IsShiftJisLeadByte);
  EnvSet expected;
  std::strcpy(expected.chaSavFol, "C:\\users\\me\\Documents");
  EXPECT_EQ(std::memcmp(&s, &expected, sizeof s), 0);
}

TEST(EnvSet, ValueNamesAndOrder) {
  std::vector<std::string> names = EnvSetValueNames();
  ASSERT_EQ(names.size(), 27u);
  EXPECT_EQ(names.front(), "m_tagEnvSet.dwdExcCnt");
  EXPECT_EQ(names[1], "m_tagEnvSet.intClmWid[0]");
  EXPECT_EQ(names[12], "m_tagEnvSet.intClmOdr[5]");
  EXPECT_EQ(names[21], "m_tagEnvSet.chaSavFol");
  EXPECT_EQ(names[25], "m_tagEnvSet.chaExtNam");
  EXPECT_EQ(names.back(), "m_tagEnvSet.intNamMod") << "intNamMod is read and written last";

  MemoryProfile profile;
  EnvSet s;
  LoadEnvSet(s, profile, "", IsShiftJisLeadByte);
  SaveEnvSet(s, profile);
  EXPECT_EQ(profile.reads, names);
  EXPECT_EQ(profile.writes, names);
  EXPECT_EQ(profile.ints.size() + profile.texts.size(), names.size());
  EXPECT_EQ(profile.texts.count("m_tagEnvSet.chaLstFld"), 1u) << "strings are stored as strings";
  EXPECT_EQ(profile.ints.count("m_tagEnvSet.intDirPrn"), 1u) << "unused fields are saved too";
}

TEST(EnvSet, StoredValuesRoundTrip) {
  MemoryProfile profile;
  profile.ints["m_tagEnvSet.intClmWid[3]"] = 55;
  profile.ints["m_tagEnvSet.intSotDir"] = 1;
  profile.ints["m_tagEnvSet.intThmSiz"] = 9;  // out of range stays as stored
  profile.texts["m_tagEnvSet.chaSavFol"] = "D:\\scans";
  profile.texts["m_tagEnvSet.chaExtNam"] = "";
  EnvSet s;
  LoadEnvSet(s, profile, "C:\\docs", IsShiftJisLeadByte);
  EXPECT_EQ(s.intClmWid[3], 55);
  EXPECT_EQ(s.intSotDir, 1);
  EXPECT_EQ(s.intThmSiz, 9);
  EXPECT_STREQ(s.chaSavFol, "D:\\scans") << "a stored value beats the documents folder";
  EXPECT_STREQ(s.chaExtNam, "") << "an empty stored text stays empty";

  MemoryProfile saved;
  SaveEnvSet(s, saved);
  EnvSet again;
  LoadEnvSet(again, saved, "C:\\other", IsShiftJisLeadByte);
  EXPECT_EQ(std::memcmp(&s, &again, sizeof s), 0);
}

TEST(EnvSet, OverlongTextsAreCutSafely) {
  MemoryProfile profile;
  profile.texts["m_tagEnvSet.chaExtNam"] = std::string(100, 'J');
  // 15 bytes fit a 16-byte field: seven two-byte characters and then the
  // eighth would need bytes 15 and 16.
  std::string kana;
  for (int i = 0; i < 10; ++i) kana += "\x83\x41";  // katakana "ア"
  profile.texts["m_tagEnvSet.chaNumFmt"] = kana;
  EnvSet s;
  LoadEnvSet(s, profile, std::string(400, 'D'), IsShiftJisLeadByte);
  EXPECT_EQ(std::string(s.chaExtNam), std::string(15, 'J'));
  EXPECT_EQ(std::string(s.chaNumFmt), kana.substr(0, 14));
  EXPECT_EQ(std::string(s.chaSavFol), std::string(259, 'D'));
  EXPECT_EQ(s.intNamMod, 0) << "the field after the text is untouched";
}

}  // namespace
}  // namespace zv

namespace zv {
namespace {

TEST(CountNormalExit, TouchesOnlyTheExitCount) {
  MemoryProfile profile;
  EnvSet saved;
  saved.dwdExcCnt = 4;
  saved.dwdLstMod = 2;
  SaveEnvSet(saved, profile);
  profile.writes.clear();

  CountNormalExit(profile);
  EXPECT_EQ(profile.writes, std::vector<std::string>{"m_tagEnvSet.dwdExcCnt"}) << "no other value is written back";
  EXPECT_EQ(profile.ints["m_tagEnvSet.dwdExcCnt"], 5);
  EXPECT_EQ(profile.ints["m_tagEnvSet.dwdLstMod"], 2);

  MemoryProfile empty;
  CountNormalExit(empty);
  EXPECT_EQ(empty.ints["m_tagEnvSet.dwdExcCnt"], 1) << "a missing count starts from its default";
}

}  // namespace
}  // namespace zv
