#include "browser/thumb_cache_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/wine/wine_test_support.h"
#include "win/file_replace.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

constexpr ThumbBox kBox{120, 80};
constexpr size_t kEntrySize = 532 + 120 * 80 * 4;

PixelImage Thumb(int32_t width, int32_t height, uint32_t seed) {
  PixelImage image;
  image.width = width;
  image.height = height;
  for (int32_t i = 0; i < width * height; ++i) image.pixels.push_back(seed * 0x01000193u + static_cast<uint32_t>(i) * 7u);
  return image;
}

// The record's key of a real file, as the file list reads it.
ThumbKey KeyOf(const std::string& folder, const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  EXPECT_TRUE(GetFileAttributesExA((folder + "\\" + name).c_str(), GetFileExInfoStandard, &data)) << name;
  return {name, data.nFileSizeLow, {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
}

using Thumbs = std::vector<std::pair<ThumbKey, PixelImage>>;

bool SaveAll(ThumbCacheStore& store, const std::string& folder, const Thumbs& thumbs, ThumbCacheFile* previous = nullptr) {
  return store.Save(
      folder, kBox, thumbs.size(),
      [&](size_t i, ThumbKey* key, PixelImage* pixels) {
        *key = thumbs[i].first;
        *pixels = thumbs[i].second;
        return true;
      },
      previous);
}

// A folder of pictures (their bytes do not matter to the cache) and a store.
struct CacheFixture {
  TempFolder temp;
  std::string pictures = temp.File("pics");
  ThumbCacheStore store{temp.File("Thumbs"), win::IsAnsiLeadByte};

  CacheFixture() { CreateDirectoryA(pictures.c_str(), nullptr); }
  ThumbKey Picture(const std::string& name, const std::string& bytes) {
    WriteFileBytes(pictures + "\\" + name, bytes);
    return KeyOf(pictures, name);
  }
  std::string CacheFile(const std::string& name) const { return store.folder() + "\\" + name; }
};

void ExpectSamePixels(ThumbCacheFile& file, const ThumbKey& key, const PixelImage& expected) {
  const ThumbCacheEntry* entry = file.Find(key);
  ASSERT_NE(entry, nullptr) << key.name << " is found";
  const std::optional<PixelImage> pixels = file.Pixels(*entry);
  ASSERT_TRUE(pixels.has_value()) << key.name << " has pixels";
  EXPECT_EQ(pixels->width, expected.width) << key.name;
  EXPECT_EQ(pixels->height, expected.height) << key.name;
  EXPECT_EQ(pixels->pixels, expected.pixels) << key.name << " pixels come back top down";
}

TEST(ThumbCacheStore, SaveThenLoadGivesThePixelsOfUntouchedFilesOnly) {
  CacheFixture f;
  const ThumbKey a = f.Picture("a.jpg", "aaaa");
  const ThumbKey b = f.Picture("B.png", "bbbbbbbb");
  const Thumbs thumbs{{a, Thumb(120, 60, 1)}, {b, Thumb(50, 80, 2)}};
  ASSERT_TRUE(SaveAll(f.store, f.pictures, thumbs));

  EXPECT_EQ(f.store.Load(f.pictures, {180, 120}).Find(a), nullptr) << "another box uses nothing";
  ThumbCacheFile file = f.store.Load(f.pictures, kBox);
  ASSERT_TRUE(file.IsUsable());
  ExpectSamePixels(file, a, thumbs[0].second);
  ExpectSamePixels(file, {"b.PNG", b.fileSize, b.lastWrite}, thumbs[1].second);  // names ignore case

  const ThumbKey grown = f.Picture("B.png", "bbbbbbbbb");
  EXPECT_EQ(file.Find(grown), nullptr) << "a changed size makes the thumbnail anew";
  HANDLE touched = CreateFileA((f.pictures + "\\a.jpg").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME later{a.lastWrite.low, a.lastWrite.high + 1};
  ASSERT_TRUE(SetFileTime(touched, nullptr, nullptr, &later));
  CloseHandle(touched);
  EXPECT_EQ(file.Find(KeyOf(f.pictures, "a.jpg")), nullptr) << "a changed time makes the thumbnail anew";

  // Saving over the loaded file closes it before the rename.
  ASSERT_TRUE(SaveAll(f.store, f.pictures, {{grown, Thumb(10, 10, 3)}}, &file)) << "the open file is replaced";
  EXPECT_EQ(file.Find(a), nullptr) << "the previous file was closed";
  ThumbCacheFile again = f.store.Load(f.pictures, kBox);
  EXPECT_EQ(again.contents().entries.size(), 1u);
  ExpectSamePixels(again, grown, Thumb(10, 10, 3));
}

// The fields of every entry are read through windows of the file mapped in
// turn: reads that straddle a window's end, go back, run past the file's end
// or are longer than a window must give exactly the file's bytes.
TEST(ThumbCacheStore, ReadsThroughMovingViewsOrTheHandleGiveTheFilesBytes) {
  TempFolder temp;
  const size_t window = ViewByteSource::kViewSize;
  std::string bytes(2 * window + 12345, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
  const std::string path = temp.File("big.bin");
  WriteFileBytes(path, bytes);
  win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  ViewByteSource view(file.get(), bytes.size());

  struct Read {
    size_t offset, count;
  };
  const Read reads[] = {{0, 1040},          {window - 10, 532},  {window, 532},       {100, 532},
                        {2 * window - 3, 8}, {bytes.size() - 5, 532}, {7, window + 1}, {bytes.size(), 4},
                        {bytes.size() + 10, 4}};
  const auto readAll = [&](ByteSource& source, const char* name) {
    for (const Read& read : reads) {
      const size_t expected = read.offset < bytes.size() ? std::min(read.count, bytes.size() - read.offset) : 0;
      std::string got(read.count, '\x55');
      ASSERT_EQ(source.ReadAt(read.offset, got.data(), read.count), expected) << name << " at " << read.offset;
      EXPECT_EQ(got.substr(0, expected), bytes.substr(std::min(read.offset, bytes.size()), expected))
          << name << " at " << read.offset;
    }
  };
  readAll(view, "view");
  // The handle's own reader seeks only where a read does not go on from the last.
  HandleByteSource handle(file.get());
  readAll(handle, "handle");
}

// A cache file of several windows: every entry is found, and the pixels of
// the entries on both sides of the first window's end come back whole.
TEST(ThumbCacheStore, AFileOfManyWindowsGivesEveryEntry) {
  CacheFixture f;
  const size_t count = 2 * ViewByteSource::kViewSize / kEntrySize + 3;
  Thumbs thumbs;
  for (size_t i = 0; i < count; ++i)
    thumbs.push_back({ThumbKey{"IMG_" + std::to_string(i) + ".jpg", static_cast<uint32_t>(1000 + i), {7, 9}},
                      Thumb(120, 80, static_cast<uint32_t>(i))});
  ASSERT_TRUE(SaveAll(f.store, f.pictures, thumbs));
  ThumbCacheFile file = f.store.Load(f.pictures, kBox);
  ASSERT_TRUE(file.IsUsable());
  ASSERT_EQ(file.contents().entries.size(), count);
  for (const auto& [key, pixels] : thumbs) EXPECT_NE(file.Find(key), nullptr) << key.name;
  const size_t lastInFirst = (ViewByteSource::kViewSize - 1040) / kEntrySize;
  for (size_t i : {size_t{0}, lastInFirst, lastInFirst + 1, count - 1}) ExpectSamePixels(file, thumbs[i].first, thumbs[i].second);
}

TEST(ThumbCacheStore, BytesOnDiskFollowTheLayout) {
  CacheFixture f;
  const ThumbKey a = f.Picture("a.jpg", "aaaa");
  const PixelImage thumb = Thumb(120, 60, 5);
  // The middle thumbnail is not available: the header must count two.
  const bool saved = f.store.Save(f.pictures, kBox, 3, [&](size_t i, ThumbKey* key, PixelImage* pixels) {
    *key = a;
    *pixels = thumb;
    return i != 1;
  });
  ASSERT_TRUE(saved);

  const std::string bytes = ReadFileBytes(f.CacheFile("00000000.bin"));
  ASSERT_EQ(bytes.size(), 1040 + 2 * kEntrySize);
  const auto at = [&](size_t offset) { return Le32(reinterpret_cast<const uint8_t*>(bytes.data() + offset)); };
  EXPECT_EQ(at(0), 100u) << "marker";
  EXPECT_EQ(std::string(bytes.c_str() + 4), f.pictures) << "folder field";
  EXPECT_EQ(at(1028), 120u) << "box width";
  EXPECT_EQ(at(1032), 80u) << "box height";
  EXPECT_EQ(at(1036), 2u) << "count of the entries written";
  EXPECT_EQ(std::string(bytes.c_str() + 1040), "a.jpg") << "entry name";
  EXPECT_EQ(at(1040 + 512), a.fileSize);
  EXPECT_EQ(at(1040 + 516), a.lastWrite.low);
  EXPECT_EQ(at(1040 + 520), a.lastWrite.high);
  EXPECT_EQ(at(1040 + 524), 120u) << "thumbnail width";
  EXPECT_EQ(at(1040 + 528), 60u) << "thumbnail height";
  EXPECT_EQ(at(1040 + 532), thumb.At(0, 59)) << "pixels stored bottom up";
  EXPECT_EQ(at(1040 + 532 + 120 * 59 * 4), thumb.At(0, 0)) << "the top row last";
  EXPECT_EQ(at(1040 + 532 + 120 * 60 * 4), 0u) << "zeros after the thumbnail";
  EXPECT_EQ(std::string(bytes.c_str() + 1040 + kEntrySize), "a.jpg") << "second entry after a full block";
}

TEST(ThumbCacheStore, IndexLinesAreMostRecentFirstWithTheSmallestFreeName) {
  CacheFixture f;
  const std::string index = f.store.folder() + "\\ZVThumb.lst";
  f.store.Load("C:\\A", kBox);
  f.store.Load("C:\\B", kBox);
  f.store.Load("C:\\C", kBox);
  EXPECT_EQ(ReadFileBytes(index), "C:\\C|00000002.bin\r\nC:\\B|00000001.bin\r\nC:\\A|00000000.bin\r\n");
  f.store.Load("c:\\a", kBox);
  EXPECT_EQ(ReadFileBytes(index), "c:\\a|00000000.bin\r\nC:\\C|00000002.bin\r\nC:\\B|00000001.bin\r\n")
      << "a looked-up folder moves to the front with its old name, spelt as looked up";

  WriteFileBytes(index, "C:\\X|00000000.bin\r\nbroken\r\nC:\\Y|00000002.bin\r\n");
  f.store.Save("C:\\Z", kBox, 0, [](size_t, ThumbKey*, PixelImage*) { return false; });
  EXPECT_EQ(ReadFileBytes(index), "C:\\Z|00000001.bin\r\nC:\\X|00000000.bin\r\nC:\\Y|00000002.bin\r\n")
      << "the gap is filled and the broken line dropped";
  EXPECT_EQ(ReadFileBytes(f.CacheFile("00000001.bin")).size(), 1040u) << "an empty cache file is saved under it";
}

TEST(ThumbCacheStore, AFailedSaveLeavesTheOldFile) {
  CacheFixture f;
  const ThumbKey a = f.Picture("a.jpg", "aaaa");
  const ThumbKey b = f.Picture("b.jpg", "bb");
  ASSERT_TRUE(SaveAll(f.store, f.pictures, {{a, Thumb(30, 20, 1)}}));
  const std::string cache = f.CacheFile("00000000.bin");
  const std::string before = ReadFileBytes(cache);

  // A folder in the temporary file's place: the write cannot start.
  ASSERT_TRUE(CreateDirectoryA(win::TemporaryPathFor(cache).c_str(), nullptr));
  EXPECT_FALSE(SaveAll(f.store, f.pictures, {{a, Thumb(30, 20, 1)}, {b, Thumb(40, 40, 2)}}));
  EXPECT_EQ(ReadFileBytes(cache), before) << "the old cache file is intact";
  ThumbCacheFile file = f.store.Load(f.pictures, kBox);
  ExpectSamePixels(file, a, Thumb(30, 20, 1));
  EXPECT_EQ(file.Find(b), nullptr);
  file.Close();

  ASSERT_TRUE(RemoveDirectoryA(win::TemporaryPathFor(cache).c_str()));
  EXPECT_TRUE(SaveAll(f.store, f.pictures, {{a, Thumb(30, 20, 1)}, {b, Thumb(40, 40, 2)}})) << "unblocked it saves";
  EXPECT_EQ(ReadFileBytes(cache).size(), 1040 + 2 * kEntrySize);
  EXPECT_EQ(GetFileAttributesA(win::TemporaryPathFor(cache).c_str()), INVALID_FILE_ATTRIBUTES) << "no temporary file is left";
}

TEST(ThumbCacheStore, DamagedFilesGiveNoThumbnails) {
  CacheFixture f;
  const ThumbKey a = f.Picture("a.jpg", "aaaa");
  ASSERT_TRUE(SaveAll(f.store, f.pictures, {{a, Thumb(120, 80, 1)}}));
  const std::string cache = f.CacheFile("00000000.bin");
  const std::string good = ReadFileBytes(cache);
  ASSERT_NE(f.store.Load(f.pictures, kBox).Find(a), nullptr) << "the undamaged file is usable";

  const auto withField = [&](size_t offset, uint32_t value) {
    std::string bytes = good;
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
    return bytes;
  };
  std::string unterminated = good;
  unterminated.replace(1040, 512, 512, 'x');
  const std::vector<std::pair<const char*, std::string>> damaged{
      {"cut in the pixels", good.substr(0, good.size() - 1)},
      {"cut in the header", good.substr(0, 1000)},
      {"count beyond the file", withField(1036, 0xFFFFFFFFu)},
      {"box of 100000", withField(1028, 100000)},
      {"box of 0", withField(1032, 0)},
      {"thumbnail wider than the box", withField(1040 + 524, 121)},
      {"unterminated name", unterminated},
  };
  for (const auto& [what, bytes] : damaged) {
    WriteFileBytes(cache, bytes);
    ThumbCacheFile file = f.store.Load(f.pictures, kBox);
    EXPECT_FALSE(file.IsUsable()) << what;
    EXPECT_EQ(file.Find(a), nullptr) << what;
  }
}

TEST(ThumbCacheStore, PruneDropsTheLinesOfVanishedFoldersAndTheirFiles) {
  CacheFixture f;
  const std::string gone = f.temp.File("gone");
  ASSERT_TRUE(CreateDirectoryA(gone.c_str(), nullptr));
  const ThumbKey a = f.Picture("a.jpg", "aaaa");
  ASSERT_TRUE(SaveAll(f.store, f.pictures, {{a, Thumb(8, 8, 1)}}));
  ASSERT_TRUE(SaveAll(f.store, gone, {{a, Thumb(8, 8, 2)}}));
  ASSERT_TRUE(RemoveDirectoryA(gone.c_str()));

  f.store.PruneIndex();
  const ThumbIndex index = f.store.ReadIndex();
  ASSERT_EQ(index.size(), 1u);
  EXPECT_EQ(index[0].folder, f.pictures);
  EXPECT_EQ(GetFileAttributesA(f.CacheFile("00000001.bin").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the vanished folder's cache file is deleted";
  EXPECT_NE(f.store.Load(f.pictures, kBox).Find(a), nullptr) << "the kept folder's cache still loads";
}

}  // namespace
}  // namespace zv
