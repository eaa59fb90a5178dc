#include "browser/thumb_pixel_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using test::TempFolder;

constexpr ThumbBox kBox{120, 80};
constexpr size_t kThumbBytes = 120 * 80 * 4;

// Sizes differ from cell to cell, so that a wrong place in the spill shows.
PixelImage Thumb(size_t seed) {
  PixelImage image{120 - static_cast<int32_t>(seed % 7), 80 - static_cast<int32_t>(seed % 5), {}};
  for (int32_t i = 0; i < image.width * image.height; ++i) image.pixels.push_back(seed * 0x9E3779B9u + i * 7u);
  return image;
}

void ExpectThumb(ThumbPixelStore& store, uint64_t cell, const PixelImage& expected, const char* what) {
  const std::shared_ptr<const PixelImage> got = store.Get(cell);
  ASSERT_NE(got, nullptr) << what << ": cell " << cell;
  EXPECT_EQ(got->width, expected.width) << what << ": cell " << cell;
  EXPECT_EQ(got->pixels, expected.pixels) << what << ": cell " << cell;
}

// The size of the store's spill file in `folder`, -1 when there is none.
int64_t SpillSize(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "\\zvs*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  FindClose(search);
  return static_cast<int64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
}

// Pixel bytes of Thumb(cell) for the cells below `cells`, all or those in memory.
size_t BytesOf(const ThumbPixelStore* inMemoryOf, uint64_t cells) {
  size_t bytes = 0;
  for (uint64_t cell = 0; cell < cells; ++cell) {
    if (!inMemoryOf || inMemoryOf->InMemory(cell)) bytes += Thumb(cell).pixels.size() * 4;
  }
  return bytes;
}

// What the thumbnails in memory of the cells below `cells` take: a box each.
size_t BlocksOf(const ThumbPixelStore& store, uint64_t cells) {
  size_t bytes = 0;
  for (uint64_t cell = 0; cell < cells; ++cell) bytes += store.InMemory(cell) ? kThumbBytes : 0;
  return bytes;
}

// A folder's cache file on disk; thumbnail i is Thumb(i) under Key(i).
struct CacheFixture {
  TempFolder temp;
  ThumbCacheStore cache{temp.File("Thumbs"), win::IsAnsiLeadByte};
  std::string folder = temp.File("pics");

  static ThumbKey Key(size_t i) { return {std::to_string(i) + ".jpg", 1000 + static_cast<uint32_t>(i), {7, 1}}; }
  bool Save(size_t count, const std::function<std::shared_ptr<const PixelImage>(size_t)>& thumb,
            ThumbCacheFile* previous = nullptr) {
    return cache.Save(
        folder, kBox, count,
        [&](size_t i, ThumbKey* key, PixelImage* pixels) {
          const std::shared_ptr<const PixelImage> got = thumb(i);
          *key = Key(i);
          if (got) *pixels = *got;
          return got != nullptr;
        },
        previous);
  }
};

std::shared_ptr<const PixelImage> MadeThumb(size_t i) { return std::make_shared<const PixelImage>(Thumb(i)); }

TEST(ThumbPixelStore, MadeThumbnailsSpillLeastRecentlyUsedFirstOnceAndComeBackIdentical) {
  TempFolder spill;
  {
    ThumbPixelStore store(3 * kThumbBytes, spill.path());
    EXPECT_EQ(SpillSize(spill.path()), -1) << "no spill file before one is needed";
    for (uint64_t cell = 0; cell < 13; ++cell) {
      if (cell == 12) store.Get(9);  // of 9, 10, 11 in memory, 10 is now the least recently used
      store.Put(cell, Thumb(cell));
      ASSERT_LE(store.bytesInMemory(), store.budget()) << "after cell " << cell;
      ASSERT_EQ(store.bytesInMemory(), BlocksOf(store, 13)) << "each thumbnail in memory counts a box, after cell " << cell;
    }
    EXPECT_TRUE(store.InMemory(12) && store.InMemory(11) && store.InMemory(9)) << "the most recently used stay";
    EXPECT_TRUE(store.Has(10) && !store.InMemory(10)) << "the least recently used left, though put after 9";
    EXPECT_EQ(SpillSize(spill.path()), static_cast<int64_t>(BytesOf(nullptr, 13) - BytesOf(&store, 13)));
    for (int round = 0; round < 2; ++round) {
      for (uint64_t cell = 0; cell < 13; ++cell) ExpectThumb(store, cell, Thumb(cell), "read back from the spill");
    }
    EXPECT_EQ(SpillSize(spill.path()), static_cast<int64_t>(BytesOf(nullptr, 13))) << "each one is written once";
  }
  EXPECT_EQ(SpillSize(spill.path()), -1) << "the spill file goes with the store";
}

TEST(ThumbPixelStore, CachedThumbnailsAreReadFromTheCacheFileAndFailedReadsGiveNull) {
  CacheFixture f;
  ASSERT_TRUE(f.Save(6, MadeThumb));
  ThumbCacheFile file = f.cache.Load(f.folder, kBox);
  const std::vector<ThumbCacheEntry>& entries = file.contents().entries;
  ASSERT_EQ(entries.size(), 6u);
  ThumbPixelStore store(2 * kThumbBytes, f.temp.path());
  store.SetCacheFile(&file);
  for (size_t i = 0; i < 6; ++i) store.PutCached(i, entries[i]);
  EXPECT_TRUE(store.Has(5) && !store.InMemory(5) && store.bytesInMemory() == 0) << "pixels are read when asked for";
  for (int round = 0; round < 2; ++round) {
    for (uint64_t cell = 0; cell < 6; ++cell) ExpectThumb(store, cell, Thumb(cell), "read from the cache file");
  }
  EXPECT_LE(store.bytesInMemory(), store.budget());
  EXPECT_EQ(SpillSize(f.temp.path()), -1) << "what lies in the cache file is never spilled";

  ThumbCacheEntry beyond = entries[0];
  beyond.pixelOffset = uint64_t{1} << 40;
  store.PutCached(6, beyond);
  EXPECT_TRUE(store.Get(6) == nullptr && store.Has(6)) << "an entry beyond the file's end";
  store.SetCacheFile(nullptr);
  EXPECT_EQ(store.Get(0), nullptr) << "without the cache file";
  store.Put(7, Thumb(7));
  store.Put(8, Thumb(8));  // 4 and 5 leave memory: without their file they must go to the spill
  ExpectThumb(store, 5, Thumb(5), "in memory when its cache file was let go");
  store.SetCacheFile(&file);
  file.Close();
  EXPECT_EQ(store.Get(1), nullptr) << "the cache file was closed";
}

TEST(ThumbPixelStore, ForgetClearAndASpillThatCannotBeWritten) {
  TempFolder temp;
  ThumbPixelStore full(kThumbBytes, temp.File("missing"));
  for (uint64_t cell = 0; cell < 4; ++cell) full.Put(cell, Thumb(cell));
  EXPECT_EQ(full.bytesInMemory(), 4 * kThumbBytes) << "all kept in memory over the budget";
  for (uint64_t cell = 0; cell < 4; ++cell) ExpectThumb(full, cell, Thumb(cell), "not lost without a spill");
  full.Put(9, PixelImage{2, 2, {1, 2, 3}});
  EXPECT_FALSE(full.Has(9)) << "pixels that do not fill their size are not taken";

  ThumbPixelStore store(kThumbBytes, temp.path());
  for (uint64_t cell = 0; cell < 4; ++cell) store.Put(cell, Thumb(cell));
  store.Forget(3);
  store.Forget(0);
  EXPECT_TRUE(!store.Has(3) && !store.Has(0) && store.Get(0) == nullptr && store.bytesInMemory() == 0);
  ExpectThumb(store, 1, Thumb(1), "a neighbour of forgotten cells");
  store.Clear();
  EXPECT_TRUE(!store.Has(1) && store.Get(1) == nullptr && store.bytesInMemory() == 0);
  EXPECT_EQ(SpillSize(temp.path()), 0) << "the spill's contents are dropped";
  store.Put(5, Thumb(5));
  store.Put(6, Thumb(6));
  ExpectThumb(store, 5, Thumb(5), "spilled after a Clear");
}

// The budget is what the process commits: the pixels in memory live in the
// store's heap, which commits no more than it counts plus block headers and
// unreturned free space, through a churn of thumbnails of every shape the box
// holds (and one too large for the heap's regions) spilled and read back.
// Pixels a cell still holds outlive a Clear and the store itself.
TEST(ThumbPixelStore, ItsHeapCommitsWhatItCountsAndOutlivesNoPixelsHandedOut) {
  TempFolder spill;
  constexpr size_t kBudget = size_t{16} << 20;
  // The slack stated in docs/browser.md, "Thumbnails in memory".
  const auto slack = [](size_t counted) { return counted / 64 + (size_t{1} << 20); };
  std::optional<ThumbPixelStore> store(std::in_place, kBudget, spill.path(), ThumbBox{240, 160});
  const auto sized = [](uint64_t cell) {
    if (cell == 77) return PixelImage{600, 400, std::pmr::vector<uint32_t>(600 * 400, 77u)};
    const int32_t width = 240 - static_cast<int32_t>(cell * 37 % 200);
    const int32_t height = 160 - static_cast<int32_t>(cell * 53 % 130);
    return PixelImage{width, height,
                      std::pmr::vector<uint32_t>(static_cast<size_t>(width) * height, static_cast<uint32_t>(cell))};
  };
  size_t largestOver = 0;
  for (uint64_t cell = 0; cell < 900; ++cell) {
    store->Put(cell, sized(cell));
    if (cell % 4 == 3) ExpectThumb(*store, cell * 7 % (cell + 1), sized(cell * 7 % (cell + 1)), "read back");
    if (cell % 50 != 49) continue;
    const size_t counted = store->bytesInMemory(), committed = store->heapCommittedBytes();
    if (cell >= 400) {
      ASSERT_GE(counted, kBudget - (size_t{1} << 20)) << "the budget is in use after cell " << cell;
    }
    ASSERT_GE(committed, counted) << "every counted pixel is in the store's heap, after cell " << cell;
    ASSERT_LE(committed, counted + slack(counted)) << "after cell " << cell;
    largestOver = std::max(largestOver, committed - counted);
  }
  std::printf("heap over the count: at most %zu KiB\n", largestOver >> 10);

  const std::shared_ptr<const PixelImage> held = store->Get(899);
  ASSERT_NE(held, nullptr);
  store->Clear();
  EXPECT_LE(store->heapCommittedBytes(), slack(0)) << "Clear gives the heap back";
  store.reset();
  EXPECT_TRUE(held->width == sized(899).width && held->pixels == sized(899).pixels)
      << "pixels a cell holds outlive the store";
}

// Leaving a folder: the save fetches every thumbnail through the store, which
// reads dropped ones from the spill and from the previous cache file before
// the save closes that file to replace it.
TEST(ThumbPixelStore, SavingTheFolderWritesEveryThumbnailOfTheStore) {
  CacheFixture f;
  ASSERT_TRUE(f.Save(6, MadeThumb));
  ThumbCacheFile previous = f.cache.Load(f.folder, kBox);
  ThumbPixelStore store(2 * kThumbBytes, f.temp.path());
  store.SetCacheFile(&previous);
  for (size_t i = 0; i < 12; ++i) {  // 0-5 lie in the cache file, 6-11 are made
    const ThumbCacheEntry* entry = previous.Find(CacheFixture::Key(i));
    ASSERT_EQ(entry != nullptr, i < 6) << i;
    if (entry) {
      store.PutCached(i, *entry);
    } else {
      store.Put(i, Thumb(i));
    }
    if (i % 3 == 2) store.Get(i / 2);
  }
  ASSERT_GT(SpillSize(f.temp.path()), 0) << "made thumbnails were spilled";
  ASSERT_TRUE(f.Save(12, [&](size_t i) { return store.Get(i); }, &previous));
  store.Clear();
  ThumbCacheFile saved = f.cache.Load(f.folder, kBox);
  ASSERT_EQ(saved.contents().entries.size(), 12u) << "no thumbnail was skipped";
  for (size_t i = 0; i < 12; ++i) {
    const ThumbCacheEntry* entry = saved.Find(CacheFixture::Key(i));
    const std::optional<PixelImage> pixels = entry ? saved.Pixels(*entry) : std::nullopt;
    ASSERT_TRUE(pixels.has_value()) << i;
    EXPECT_TRUE(pixels->width == Thumb(i).width && pixels->pixels == Thumb(i).pixels) << i << " byte for byte";
  }
}

}  // namespace
}  // namespace zv
