#include "core/browser/file_list_items.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/browser/sort_rules.h"

namespace zv {
namespace {

FileListItem Record(const std::string& name, uint32_t size) {
  FileListItem item{};
  EXPECT_TRUE(SetItemPath(item, "C:\\pictures", name, NoLeadBytes));
  item.fileSize = size;
  return item;
}

std::vector<std::string> Names(const FileListItems& items) {
  std::vector<std::string> names;
  for (size_t i = 0; i < items.size(); ++i) names.emplace_back(items.At(i)->name);
  return names;
}

std::vector<std::string> SelectedNames(const FileListItems& items) {
  std::vector<std::string> names;
  for (int i : items.SelectedIndices()) names.emplace_back(items.At(i)->name);
  return names;
}

TEST(FileListItems, CurrentAndSelectionStayOnTheirRecordsThroughSortAndRemove) {
  FileListItems items;
  for (auto [name, size] : {std::pair{"c.png", 30u}, {"a.png", 10u}, {"d.png", 40u}, {"b.png", 20u}})
    items.Append(Record(name, size));
  items.SetCurrent(2);  // d
  items.Select(0, true);  // c
  items.Select(2, true);  // d
  const FileListItem* d = items.At(2);

  std::vector<size_t> order = items.Sort(3, kDescending, NoLeadBytes);  // key 3: size, largest first
  EXPECT_EQ(Names(items), (std::vector<std::string>{"d.png", "c.png", "b.png", "a.png"}));
  EXPECT_EQ(order, (std::vector<size_t>{2, 0, 3, 1}));
  EXPECT_EQ(items.current(), 0);
  EXPECT_EQ(items.At(0), d) << "records keep their addresses: a record pointer is its path";
  EXPECT_EQ(SelectedNames(items), (std::vector<std::string>{"d.png", "c.png"}));

  items.Remove(1);  // c: selected, before nothing current
  EXPECT_EQ(items.current(), 0);
  EXPECT_EQ(SelectedNames(items), std::vector<std::string>{"d.png"});
  items.SetCurrent(2);  // a
  items.Remove(0);
  EXPECT_EQ(items.current(), 1) << "the current record moved up with the rows above it";
  items.Remove(1);
  EXPECT_EQ(items.current(), -1) << "a removed current record leaves none";
  EXPECT_EQ(items.SelectedCount(), 0);
  items.SetCurrent(5);
  EXPECT_EQ(items.current(), -1) << "no current record outside the list";
  EXPECT_EQ(items.At(-1), nullptr);
}

TEST(FileListItems, AReplacedRecordKeepsItsPlaceSelectionAndAddress) {
  FileListItems items;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) items.Append(Record(name, 1));
  items.Select(1, true);
  items.SetCurrent(1);
  const FileListItem* b = items.At(1);
  EXPECT_EQ(items.IndexOfPath("c:\\PICTURES\\B.JPG", NoLeadBytes), 1) << "found ignoring case";
  EXPECT_EQ(items.IndexOfPath("C:\\pictures\\x.jpg", NoLeadBytes), -1);

  items.Replace(1, Record("b.png", 7));
  EXPECT_EQ(Names(items), (std::vector<std::string>{"a.jpg", "b.png", "c.jpg"}));
  EXPECT_EQ(items.At(1), b);
  EXPECT_EQ(items.At(1)->fileSize, 7u);
  EXPECT_EQ(SelectedNames(items), std::vector<std::string>{"b.png"});
  EXPECT_EQ(items.current(), 1);
  EXPECT_EQ(items.IndexOfPath("C:\\pictures\\b.jpg", NoLeadBytes), -1) << "the old path is gone";
  items.Replace(3, Record("z.png", 1));
  EXPECT_EQ(items.size(), 3u) << "nothing outside the list is replaced";
}

TEST(FileListItems, RefreshDiffIgnoresCaseButNotTwoByteTrails) {
  FileListItems items;
  items.Append(Record("Photo.PNG", 1));
  items.Append(Record("gone.png", 1));
  items.Append(Record("also-gone.png", 1));
  const std::set<std::string> present = {"C:\\pictures\\Photo.PNG"};
  EXPECT_EQ(items.VanishedIndices([&](const char* path) { return present.count(path) != 0; }),
            (std::vector<size_t>{2, 1})) << "highest first, so removing in order keeps the indices right";

  // "\x83\x61" and "\x83\x41" differ only in a trail byte that looks like 'a'/'A'.
  items.Append(Record("\x83\x61.png", 1));
  const std::vector<std::string> listed = {"photo.png", "new.png", "\x83\x41.png", "\x83\x61.png", "NEW.png"};
  EXPECT_EQ(items.NewNames(listed, IsShiftJisLeadByte), (std::vector<std::string>{"new.png", "\x83\x41.png"}));
}

}  // namespace
}  // namespace zv
