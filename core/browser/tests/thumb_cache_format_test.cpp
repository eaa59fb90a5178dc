#include "core/browser/thumb_cache_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace zv {
namespace {

using Bytes = std::vector<uint8_t>;

// The expected bytes are put together from the file's offsets written out
// here, not from the module's constants, so a wrong constant cannot agree
// with itself.
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

PixelImage Thumbnail(int32_t width, int32_t height, uint32_t seed) {
  PixelImage image;
  image.width = width;
  image.height = height;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) image.pixels.push_back(seed ^ (static_cast<uint32_t>(y) << 16 | static_cast<uint32_t>(x)));
  return image;
}

ThumbCacheContents Read(const Bytes& file) {
  MemoryByteSource source(file.data(), file.size());
  return ReadThumbCache(source, file.size(), IsShiftJisLeadByte);
}

// A header of box 3 x 2 and two entries: 1040 + 2 * (532 + 24) bytes.
Bytes SmallFile() {
  Bytes file;
  AppendThumbCacheHeader(&file, "C:\\x", {3, 2}, 2, NoLeadBytes);
  EXPECT_TRUE(AppendThumbCacheEntry(&file, {3, 2}, {"a.png", 1, {2, 3}}, Thumbnail(3, 2, 7), NoLeadBytes));
  EXPECT_TRUE(AppendThumbCacheEntry(&file, {3, 2}, {"b.png", 4, {5, 6}}, Thumbnail(1, 1, 9), NoLeadBytes));
  return file;
}

TEST(ThumbCacheFormat, HeaderAndEntryAreTheExactBytesOfTheLayout) {
  const std::string folder = "C:\\\x95\x5C\\scans";  // "表": its trail byte is a backslash
  const std::string name = "\x83\x7C\x83X\x83^\x81[.jpg";
  const PixelImage thumb = Thumbnail(120, 60, 0xA0B0C0D0u);  // 120 x 60 in the 120 x 80 box

  Bytes expected(1040 + 532 + 120 * 80 * 4, 0);
  Put32(expected, 0, 100);
  std::memcpy(&expected[4], folder.data(), folder.size());
  Put32(expected, 1028, 120);
  Put32(expected, 1032, 80);
  Put32(expected, 1036, 1);
  const size_t e = 1040;
  std::memcpy(&expected[e], name.data(), name.size());
  Put32(expected, e + 512, 123456789);
  Put32(expected, e + 516, 0x89ABCDEFu);
  Put32(expected, e + 520, 0x01D9F00Du);
  Put32(expected, e + 524, 120);
  Put32(expected, e + 528, 60);
  for (int y = 0; y < 60; ++y)  // bottom-up: the thumbnail's last row is stored first
    for (int x = 0; x < 120; ++x) Put32(expected, e + 532 + ((59 - y) * 120 + x) * 4, thumb.At(x, y));

  Bytes file;
  AppendThumbCacheHeader(&file, folder, {120, 80}, 1, IsShiftJisLeadByte);
  ASSERT_EQ(file.size(), 1040u);
  ASSERT_TRUE(AppendThumbCacheEntry(&file, {120, 80}, {name, 123456789, {0x89ABCDEFu, 0x01D9F00Du}}, thumb,
                                    IsShiftJisLeadByte));
  ASSERT_EQ(file.size(), expected.size()) << "a 120 x 60 thumbnail still takes the whole 38,400-byte block";
  const auto differ = std::mismatch(file.begin(), file.end(), expected.begin());
  EXPECT_TRUE(differ.first == file.end()) << "first differing byte at offset " << (differ.first - file.begin());

  EXPECT_EQ(ThumbEntrySize({120, 80}), 532u + 38400u);
  EXPECT_EQ(ThumbEntrySize({180, 120}), 532u + 86400u);
  EXPECT_EQ(ThumbEntrySize({240, 160}), 532u + 153600u);
}

TEST(ThumbCacheFormat, ReadsBackWhatWasWrittenAndMatchesRecordsByTheLoadRule) {
  const ThumbBox box{180, 120};
  const std::vector<ThumbKey> keys = {{"Scan01.JPG", 1000, {1, 2}}, {"wide.png", 2000, {3, 4}}, {"dot.bmp", 3, {5, 6}},
                                      {"scan01.jpg", 9999, {7, 8}}};
  const std::vector<PixelImage> thumbs = {Thumbnail(180, 120, 1), Thumbnail(180, 45, 2), Thumbnail(1, 1, 3),
                                          Thumbnail(90, 120, 4)};
  Bytes file;
  AppendThumbCacheHeader(&file, "D:\\pictures", box, 4, NoLeadBytes);
  for (size_t i = 0; i < keys.size(); ++i) ASSERT_TRUE(AppendThumbCacheEntry(&file, box, keys[i], thumbs[i], NoLeadBytes));
  file.resize(file.size() + 100, 0xEE);  // bytes after the counted entries are not read

  MemoryByteSource source(file.data(), file.size());
  const ThumbCacheContents cache = ReadThumbCache(source, file.size(), NoLeadBytes);
  ASSERT_EQ(cache.error, ThumbCacheError::kNone);
  EXPECT_EQ(cache.folder, "D:\\pictures");
  EXPECT_EQ(cache.box, box);
  ASSERT_EQ(cache.entries.size(), 4u);
  for (size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(cache.entries[i].key.name, keys[i].name);
    EXPECT_EQ(cache.entries[i].key.fileSize, keys[i].fileSize);
    EXPECT_EQ(cache.entries[i].key.lastWrite.high, keys[i].lastWrite.high);
    const std::optional<PixelImage> pixels = ReadThumbPixels(source, cache.entries[i]);
    ASSERT_TRUE(pixels.has_value());
    EXPECT_EQ(pixels->width, thumbs[i].width);
    EXPECT_EQ(pixels->height, thumbs[i].height);
    EXPECT_EQ(pixels->pixels, thumbs[i].pixels) << "entry " << i;
  }

  const ThumbKey record = {"SCAN01.jpg", 1000, {1, 2}};
  EXPECT_EQ(FindUsableThumb(cache, box, record, NoLeadBytes), &cache.entries[0])
      << "names match ignoring case; the first entry of a name is the one";
  EXPECT_EQ(FindUsableThumb(cache, {240, 160}, record, NoLeadBytes), nullptr) << "written for another box";
  EXPECT_EQ(FindUsableThumb(cache, box, {"SCAN01.jpg", 1001, {1, 2}}, NoLeadBytes), nullptr) << "other size";
  EXPECT_EQ(FindUsableThumb(cache, box, {"SCAN01.jpg", 1000, {0, 2}}, NoLeadBytes), nullptr) << "other low time";
  EXPECT_EQ(FindUsableThumb(cache, box, {"SCAN01.jpg", 1000, {1, 0}}, NoLeadBytes), nullptr) << "other high time";
  EXPECT_EQ(FindUsableThumb(cache, box, {"scan02.jpg", 1000, {1, 2}}, NoLeadBytes), nullptr) << "no entry";
  EXPECT_EQ(FindUsableThumb(cache, box, keys[2], NoLeadBytes), &cache.entries[2]);

  Bytes empty;
  AppendThumbCacheHeader(&empty, "D:\\", box, 0, NoLeadBytes);
  const ThumbCacheContents none = Read(empty);
  EXPECT_EQ(none.error, ThumbCacheError::kNone) << "a folder saved with no thumbnails";
  EXPECT_TRUE(none.entries.empty());
}

TEST(ThumbCacheFormat, DamagedFilesFailCleanlyWithoutLargeAllocations) {
  const Bytes good = SmallFile();
  ASSERT_EQ(good.size(), 1040u + 2 * 556u);
  ASSERT_EQ(Read(good).entries.size(), 2u);
  for (size_t cut = 0; cut < good.size(); ++cut) {
    const ThumbCacheContents cache = Read(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_EQ(cache.error, cut < 1040 ? ThumbCacheError::kShortHeader : ThumbCacheError::kCountBeyondFile) << cut;
    EXPECT_TRUE(cache.entries.empty()) << cut;
  }

  const auto damaged = [&](size_t at, uint32_t value) {
    Bytes b = good;
    Put32(b, at, value);
    return Read(b);
  };
  EXPECT_EQ(damaged(1028, 0).error, ThumbCacheError::kBadBox);
  EXPECT_EQ(damaged(1032, 100000).error, ThumbCacheError::kBadBox) << "width x height x 4 would overflow 32 bits";
  EXPECT_EQ(damaged(1036, 0xFFFFFFFFu).error, ThumbCacheError::kCountBeyondFile);
  EXPECT_EQ(damaged(1036, 3).error, ThumbCacheError::kCountBeyondFile);
  EXPECT_EQ(damaged(1036, 1).entries.size(), 1u) << "a smaller count reads fewer entries";
  const size_t second = 1040 + 556;
  EXPECT_EQ(damaged(second + 524, 4).error, ThumbCacheError::kBitmapOutsideBox);
  EXPECT_EQ(damaged(second + 528, 0).badEntry, 1u);

  Bytes unterminated = good;
  std::fill(unterminated.begin() + 1040, unterminated.begin() + 1040 + 512, 'n');
  const ThumbCacheContents noName = Read(unterminated);
  EXPECT_EQ(noName.error, ThumbCacheError::kUnterminatedName);
  EXPECT_EQ(FindUsableThumb(noName, {3, 2}, {"b.png", 4, {5, 6}}, NoLeadBytes), nullptr)
      << "a damaged file gives no thumbnail at all";

  // A source that ends before the size its caller was told (a file cut while it is read).
  MemoryByteSource lastPixelMissing(good.data(), second + 532 + 3);  // entry 1 is 1 x 1: 4 bytes of pixels
  const ThumbCacheContents cut = ReadThumbCache(lastPixelMissing, good.size(), NoLeadBytes);
  ASSERT_EQ(cut.error, ThumbCacheError::kNone) << "the fields of both entries were there";
  EXPECT_TRUE(ReadThumbPixels(lastPixelMissing, cut.entries[0]).has_value());
  EXPECT_FALSE(ReadThumbPixels(lastPixelMissing, cut.entries[1]).has_value());
  MemoryByteSource fieldsMissing(good.data(), second + 100);
  EXPECT_EQ(ReadThumbCache(fieldsMissing, good.size(), NoLeadBytes).error, ThumbCacheError::kReadFailed);
}

TEST(ThumbCacheFormat, WriterRefusesThumbnailsThatDoNotFitTheirBox) {
  Bytes file;
  const ThumbKey key = {"a.png", 1, {}};
  EXPECT_FALSE(AppendThumbCacheEntry(&file, {120, 80}, key, Thumbnail(121, 80, 0), NoLeadBytes));
  EXPECT_FALSE(AppendThumbCacheEntry(&file, {120, 80}, key, Thumbnail(120, 81, 0), NoLeadBytes));
  EXPECT_FALSE(AppendThumbCacheEntry(&file, {120, 80}, key, Thumbnail(0, 0, 0), NoLeadBytes));
  EXPECT_FALSE(AppendThumbCacheEntry(&file, {0, 80}, key, Thumbnail(1, 1, 0), NoLeadBytes));
  PixelImage lying = Thumbnail(10, 10, 0);
  lying.pixels.pop_back();
  EXPECT_FALSE(AppendThumbCacheEntry(&file, {120, 80}, key, lying, NoLeadBytes));
  EXPECT_TRUE(file.empty()) << "a refused entry appends nothing";
}

}  // namespace
}  // namespace zv
