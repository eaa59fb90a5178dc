#include "core/browser/sort_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace zv {
namespace {

FileListItem Record(const std::string& name, uint32_t size = 0, int32_t width = 0, int32_t height = 0,
                    int32_t colors = 0, uint64_t ticks = 0) {
  FileListItem item{};
  EXPECT_TRUE(SetItemPath(item, "C:\\pictures", name, NoLeadBytes));
  item.fileSize = size;
  item.width = width;
  item.height = height;
  item.colors = colors;
  item.lastWrite = {static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
  return item;
}

std::vector<const FileListItem*> Pointers(const std::vector<FileListItem>& items) {
  std::vector<const FileListItem*> pointers;
  for (const FileListItem& item : items) pointers.push_back(&item);
  return pointers;
}

std::vector<std::string> NamesInOrder(const std::vector<FileListItem>& items, int key, int dir,
                                      LeadBytePredicate isLead = NoLeadBytes) {
  std::vector<size_t> order = SortPermutation(Pointers(items), key, dir, isLead);
  std::vector<std::string> names;
  for (size_t from : order) names.push_back(items[from].name);
  return names;
}

// The stable insertion sort as the list has always ordered itself: each
// record goes before the first one it compares less than, else at the end.
std::vector<size_t> InsertionSortReference(const std::vector<const FileListItem*>& items, int key, int dir,
                                           LeadBytePredicate isLead) {
  if (items.size() < 2) return {};
  std::vector<size_t> placed{0};
  for (size_t i = 1; i < items.size(); ++i) {
    size_t j = 0;
    while (j < placed.size() && Compare(key, dir, *items[i], *items[placed[j]], isLead) >= 0) ++j;
    placed.insert(placed.begin() + static_cast<std::ptrdiff_t>(j), i);
  }
  return placed;
}

TEST(SortRules, StoredKeysAndDirections) {
  EXPECT_EQ(NormalSortKey(5), 5);
  EXPECT_EQ(NormalSortKey(6), 0) << "a key outside 0..5 counts as the name";
  EXPECT_EQ(NormalSortKey(-1), 0);
  EXPECT_EQ(NormalSortDir(-1), kAscending);
  EXPECT_EQ(NormalSortDir(1), kDescending);
  EXPECT_EQ(NormalSortDir(0), kDescending) << "anything but -1 is descending, as the sort dialog reads it";
  EXPECT_EQ(FlippedSortDir(-1), 1);
  EXPECT_EQ(FlippedSortDir(1), -1);
  EXPECT_EQ(FlippedSortDir(7), -1);
}

TEST(SortRules, NamesCompareIgnoringCaseWithTwoByteCharactersExact) {
  EXPECT_EQ(CompareNames("abc.png", "ABC.PNG", NoLeadBytes), 0);
  EXPECT_LT(CompareNames("abc.png", "ABD.png", NoLeadBytes), 0);
  EXPECT_GT(CompareNames("b.png", "A.png", NoLeadBytes), 0);
  EXPECT_LT(CompareNames("a", "a.png", NoLeadBytes), 0) << "a prefix comes first";
  EXPECT_LT(CompareNames("_x", "Ax", NoLeadBytes), 0) << "letters compare as lower case, after '_'";
  // 0x83 0x41 "ア" and 0x83 0x61 "ャ": different characters whose trail bytes look like 'A' and 'a'.
  EXPECT_LT(CompareNames("\x83\x41", "\x83\x61", IsShiftJisLeadByte), 0);
  EXPECT_EQ(CompareNames("\x83\x41", "\x83\x61", NoLeadBytes), 0) << "in code page 1252 they are letters";
  EXPECT_EQ(CompareNames("\x95\x5C" "A", "\x95\x5C" "a", IsShiftJisLeadByte), 0) << "a letter after 表 still folds";
  EXPECT_GT(CompareNames("\x95\x5C", "z", IsShiftJisLeadByte), 0);
}

TEST(SortRules, TypeOrderIsPngTiffBmpJpegAndTiesKeepTheirOrder) {
  std::vector<FileListItem> items = {Record("a.jpg"), Record("b.png"), Record("c.BMP"), Record("d.tif"),
                                     Record("e.PNG"), Record("f.jpeg"), Record("g.tiff"), Record("h.bmp")};
  EXPECT_EQ(NamesInOrder(items, 1, kAscending),
            (std::vector<std::string>{"b.png", "e.PNG", "d.tif", "g.tiff", "c.BMP", "h.bmp", "a.jpg", "f.jpeg"}));
  EXPECT_EQ(NamesInOrder(items, 1, kDescending),
            (std::vector<std::string>{"a.jpg", "f.jpeg", "c.BMP", "h.bmp", "d.tif", "g.tiff", "b.png", "e.PNG"}))
      << "descending is stable too, not the ascending order mirrored";
}

TEST(SortRules, EqualPictureSizesKeepTheirOrderInBothDirections) {
  std::vector<FileListItem> items = {Record("p.png", 0, 97, 61), Record("q.png", 0, 100, 50),
                                     Record("r.png", 0, 61, 97), Record("s.png", 0, 1600, 1200),
                                     Record("t.png", 0, 97, 61)};
  EXPECT_EQ(NamesInOrder(items, 4, kAscending), (std::vector<std::string>{"q.png", "p.png", "r.png", "t.png", "s.png"}));
  EXPECT_EQ(NamesInOrder(items, 4, kDescending), (std::vector<std::string>{"s.png", "p.png", "r.png", "t.png", "q.png"}));
}

TEST(SortRules, LargeValuesAreComparedNotSubtracted) {
  // A signed difference of these would wrap and put them the wrong way round.
  std::vector<FileListItem> bySize = {Record("big", 0x80000000u), Record("small", 1), Record("huge", 0xFFFFFFFFu),
                                      Record("zero", 0)};
  EXPECT_EQ(NamesInOrder(bySize, 3, kAscending), (std::vector<std::string>{"zero", "small", "big", "huge"}));
  EXPECT_EQ(NamesInOrder(bySize, 3, kDescending), (std::vector<std::string>{"huge", "big", "small", "zero"}));

  std::vector<FileListItem> byPixels = {Record("wide", 0, 50000, 50000), Record("tiny", 0, 10, 10),
                                        Record("max", 0, 65535, 65535), Record("mid", 0, 46341, 46341)};
  EXPECT_EQ(NamesInOrder(byPixels, 4, kAscending), (std::vector<std::string>{"tiny", "mid", "wide", "max"}));

  std::vector<FileListItem> byColours = {Record("true", 0, 0, 0, 16777216), Record("mono", 0, 0, 0, 2),
                                         Record("odd", 0, 0, 0, INT32_MIN)};
  EXPECT_EQ(NamesInOrder(byColours, 5, kAscending), (std::vector<std::string>{"odd", "mono", "true"}));
}

TEST(SortRules, DatesCompareBySecondsOldestFirst) {
  const uint64_t second = 10000000;  // FILETIME units
  const uint64_t base = 132000000000000000ull;  // 2019
  std::vector<FileListItem> items = {Record("later", 0, 0, 0, 0, base + 5 * second),
                                     Record("same-second-a", 0, 0, 0, 0, base + 100),
                                     Record("same-second-b", 0, 0, 0, 0, base + second - 1),
                                     Record("high-word", 0, 0, 0, 0, base + (uint64_t{1} << 40))};
  EXPECT_EQ(NamesInOrder(items, 2, kAscending),
            (std::vector<std::string>{"same-second-a", "same-second-b", "later", "high-word"}));
  EXPECT_EQ(NamesInOrder(items, 2, kDescending),
            (std::vector<std::string>{"high-word", "later", "same-second-a", "same-second-b"}));
}

TEST(SortRules, PermutationGivesTheOldIndexOfEveryNewPosition) {
  std::vector<FileListItem> items = {Record("c"), Record("a"), Record("b")};
  std::vector<size_t> order = SortPermutation(Pointers(items), 0, kAscending, NoLeadBytes);
  EXPECT_EQ(order, (std::vector<size_t>{1, 2, 0}));
  std::vector<std::string> cells = {"cell c", "cell a", "cell b"};
  ApplyPermutation(cells, order);
  EXPECT_EQ(cells, (std::vector<std::string>{"cell a", "cell b", "cell c"}));

  std::vector<FileListItem> one = {Record("only")};
  EXPECT_TRUE(SortPermutation(Pointers(one), 0, kAscending, NoLeadBytes).empty()) << "fewer than two: nothing moves";
  std::vector<std::string> unchanged = {"x", "y"};
  ApplyPermutation(unchanged, {});
  EXPECT_EQ(unchanged, (std::vector<std::string>{"x", "y"})) << "a permutation of the wrong length is not applied";
}

TEST(SortRules, SameOrderAsTheStableInsertionSortForEveryKey) {
  std::mt19937 random(20240601);
  const char* extensions[] = {"png", "PNG", "tif", "bmp", "jpg", "JPEG", "txt"};
  std::vector<FileListItem> items;
  for (int i = 0; i < 300; ++i) {
    // Few distinct values per key, so that ties are everywhere.
    std::string name = std::string(1, static_cast<char>("abAB_\x83"[random() % 6])) +
                       static_cast<char>("aAbB\x41\x61"[random() % 6]) + "." + extensions[random() % 7];
    uint32_t size = (random() % 4) * 0x60000000u;
    int32_t side = static_cast<int32_t>(random() % 3) * 30000;
    items.push_back(Record(name, size, side, side + static_cast<int32_t>(random() % 2), 1 << (random() % 3),
                           (random() % 3) * 15000000ull));
  }
  for (LeadBytePredicate isLead : {NoLeadBytes, IsShiftJisLeadByte})
    for (int key = 0; key < kSortKeyCount; ++key)
      for (int dir : {kAscending, kDescending})
        EXPECT_EQ(SortPermutation(Pointers(items), key, dir, isLead),
                  InsertionSortReference(Pointers(items), key, dir, isLead))
            << "key " << key << " dir " << dir;
}

// Speed at this size is a benchmark's business (bench-listing.sh); here the
// order of a large random folder is checked under every key.
TEST(SortRules, TenThousandRecordsSortInOrderUnderEveryKey) {
  std::mt19937 random(7);
  std::vector<FileListItem> items;
  for (int i = 0; i < 10000; ++i)
    items.push_back(Record("IMG_" + std::to_string(random() % 100000) + ".png", random(), 97, 61));
  for (int key = 0; key < kSortKeyCount; ++key) {
    std::vector<size_t> order = SortPermutation(Pointers(items), key, kDescending, IsShiftJisLeadByte);
    ASSERT_EQ(order.size(), items.size());
    for (size_t i = 1; i < order.size(); ++i)
      ASSERT_LE(Compare(key, kDescending, items[order[i - 1]], items[order[i]], IsShiftJisLeadByte), 0) << i;
  }
}

}  // namespace
}  // namespace zv
