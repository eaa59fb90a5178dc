#include "core/browser/listing_facts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/imagelib/png_check.h"

namespace zv {
namespace {

const std::string kFolder = "C:\\\x83\x7C\x83X\x83^\x81[";  // a Shift-JIS folder whose trail byte is '|'

ListedFileFacts Picture(uint32_t size, uint32_t timeLow, int32_t width, int32_t height, int32_t colors) {
  return {size, {timeLow, 0x01DA0000}, true, width, height, colors};
}

ListingFacts Sample() {
  ListingFacts facts;
  EXPECT_TRUE(facts.Put("scan\x83\x5C.png", Picture(1234, 77, 640, 480, 16777216)));
  EXPECT_TRUE(facts.Put("fax.tif", Picture(99, 78, 1728, 2200, 2)));
  EXPECT_TRUE(facts.Put("broken.png", {4096, {79, 0x01DA0000}, false, 0, 0, 0}));
  return facts;
}

// The bytes with their last four (the CRC) made to fit what precedes them:
// damage the CRC does not catch, so that the reader's own checks must.
std::string WithCrc(std::string bytes) {
  bytes.resize(bytes.size() - 4);
  const uint32_t crc = Crc32(bytes.data(), bytes.size());
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(crc >> shift));
  return bytes;
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

TEST(ListingFacts, ReadsBackWhatWasWrittenAndFindsOnlyUnchangedFiles) {
  const std::string bytes = Bytes(WriteListingFacts(kFolder, Sample()));
  const std::optional<ListingFacts> read = ReadListingFacts(bytes, kFolder);
  ASSERT_TRUE(read.has_value());
  ASSERT_EQ(read->size(), 3u);
  const ListingFacts sample = Sample();
  for (const auto& [name, facts] : sample.byName()) {
    const ListedFileFacts* found = read->Find(name, facts.fileSize, facts.lastWrite);
    ASSERT_NE(found, nullptr) << name;
    EXPECT_EQ(found->isPicture, facts.isPicture);
    EXPECT_EQ(found->width, facts.width);
    EXPECT_EQ(found->height, facts.height);
    EXPECT_EQ(found->colors, facts.colors);
    // Any change of size or of either half of the time is a file to read again.
    EXPECT_EQ(read->Find(name, facts.fileSize + 1, facts.lastWrite), nullptr);
    EXPECT_EQ(read->Find(name, facts.fileSize, {facts.lastWrite.low + 1, facts.lastWrite.high}), nullptr);
    EXPECT_EQ(read->Find(name, facts.fileSize, {facts.lastWrite.low, facts.lastWrite.high + 1}), nullptr);
  }
  EXPECT_EQ(read->Find("FAX.TIF", 99, {78, 0x01DA0000}), nullptr) << "names are matched as listed";
  EXPECT_FALSE(ReadListingFacts(bytes, "C:\\other").has_value()) << "another folder's record (a reused cache name)";
  EXPECT_TRUE(ReadListingFacts(Bytes(WriteListingFacts(kFolder, ListingFacts())), kFolder).has_value());
}

TEST(ListingFacts, AnyDamageReadsAsNoRecord) {
  const std::string good = Bytes(WriteListingFacts(kFolder, Sample()));
  for (size_t size = 0; size < good.size(); ++size)
    EXPECT_FALSE(ReadListingFacts(good.substr(0, size), kFolder).has_value()) << "cut to " << size;
  for (size_t at = 0; at < good.size(); ++at) {
    std::string flipped = good;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x10);
    EXPECT_FALSE(ReadListingFacts(flipped, kFolder).has_value()) << "byte " << at;
  }
  // With a fitting CRC: the structure itself is checked.
  const size_t firstEntry = 4 + 4 + 4 + kFolder.size() + 4;
  const size_t kindAt = firstEntry + 2 + static_cast<uint8_t>(good[firstEntry]) + 12;
  std::string bad = good;
  bad[kindAt] = 2;  // neither a picture nor a file turned down
  EXPECT_FALSE(ReadListingFacts(WithCrc(bad), kFolder).has_value());
  bad = good;
  bad[kindAt + 9] = 3;  // colours 3
  EXPECT_FALSE(ReadListingFacts(WithCrc(bad), kFolder).has_value());
  bad = good;
  bad[firstEntry + 2] = '\0';  // a name no file has
  EXPECT_FALSE(ReadListingFacts(WithCrc(bad), kFolder).has_value());
  bad = good;
  bad.insert(bad.size() - 4, 1, '\0');  // a byte after the last entry
  EXPECT_FALSE(ReadListingFacts(WithCrc(bad), kFolder).has_value());
  bad = good;
  bad[firstEntry - 4] = 4;  // one entry more than the file holds
  EXPECT_FALSE(ReadListingFacts(WithCrc(bad), kFolder).has_value());
  bad = good;
  bad[firstEntry - 4] = 2;  // one entry fewer: the last one is left over
  EXPECT_FALSE(ReadListingFacts(WithCrc(bad), kFolder).has_value());
  // The same name twice: which would be the file?
  ListingFacts one;
  ASSERT_TRUE(one.Put("a.png", Picture(1, 2, 3, 4, 256)));
  std::string twice = Bytes(WriteListingFacts(kFolder, one));
  const std::string entry = twice.substr(firstEntry, twice.size() - 4 - firstEntry);
  twice.insert(twice.size() - 4, entry);
  twice[firstEntry - 4] = 2;
  EXPECT_FALSE(ReadListingFacts(WithCrc(twice), kFolder).has_value());
  twice.erase(twice.size() - 4 - entry.size(), entry.size());
  twice[firstEntry - 4] = 1;
  EXPECT_TRUE(ReadListingFacts(WithCrc(twice), kFolder).has_value()) << "the edit itself is sound";
}

TEST(ListingFacts, KeepsOnlyFactsAFileCanHaveSoThatWhatIsWrittenReadsBack) {
  ListingFacts facts;
  EXPECT_FALSE(facts.Put("", Picture(1, 1, 1, 1, 2)));
  EXPECT_FALSE(facts.Put(std::string("a\0b", 3), Picture(1, 1, 1, 1, 2)));
  EXPECT_FALSE(facts.Put(std::string(260, 'a'), Picture(1, 1, 1, 1, 2)));
  EXPECT_FALSE(facts.Put("a.png", Picture(1, 1, 0, 1, 2)));
  EXPECT_FALSE(facts.Put("a.png", Picture(1, 1, 1, 1, 24)));
  EXPECT_FALSE(facts.Put("a.png", {1, {1, 1}, false, 5, 0, 0}));
  EXPECT_EQ(facts.size(), 0u);
  EXPECT_TRUE(facts.Put(std::string(259, 'a'), Picture(1, 1, 1, 1, 65536)));
  EXPECT_TRUE(ReadListingFacts(Bytes(WriteListingFacts(kFolder, facts)), kFolder).has_value());
}

}  // namespace
}  // namespace zv
