// Reading a folder's records on all cores, and the small-icon list's rule of
// one shell lookup per file type, per file where the type's icon is the file's.
#include "browser/folder_reader.h"

#include <map>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "browser/file_list_model.h"
#include "imagelib/tests/zoo.h"
#include "win/handles.h"
#include "win/registry.h"
#include "win/text_convert.h"

namespace zv {
namespace {

bool SameRecord(const FileListItem& a, const FileListItem& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ReadImageRecords, GivesWhatTheSerialReadGivesInTheOrderOfTheNames) {
  // Every zoo file (pictures that load, damaged and unsupported ones) three
  // times over, with names of missing files between: several hundred names,
  // so that the workers' turns interleave.
  std::vector<std::string> names;
  for (int round = 0; round < 3; ++round) {
    for (const test::ZooFile& file : test::ReadZooManifest()) names.push_back(file.name);
    names.push_back("missing-" + std::to_string(round) + ".png");
  }
  ASSERT_GT(names.size(), 150u);
  const std::string folder = test::ZooFolder();

  const ImageProbe probe;
  ListingTimes serialTimes;
  std::vector<FileListItem> serial;
  for (const std::string& name : names) {
    FileListItem record{};
    if (ReadImageRecord(folder, name, probe, record, serialTimes)) serial.push_back(record);
  }
  ASSERT_GT(serial.size(), 20u);
  ASSERT_LT(serial.size(), names.size()) << "some names are not listed";

  ListingTimes times;
  const std::vector<FileListItem> records = ReadImageRecords(folder, names, times);
  ASSERT_EQ(records.size(), serial.size());
  for (size_t i = 0; i < records.size(); ++i)
    EXPECT_TRUE(SameRecord(records[i], serial[i])) << i << ": " << records[i].name << " / " << serial[i].name;
  EXPECT_GT(times.probe, 0.0) << "the workers' phase times reach the caller";
  EXPECT_GT(times.fileInfo, 0.0);
  EXPECT_GT(times.records, 0.0);

  EXPECT_TRUE(ReadImageRecords(folder, std::vector<std::string>{}, times).empty());
  const std::vector<FileListItem> one = ReadImageRecords(folder, {serial[0].name}, times);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_TRUE(SameRecord(one[0], serial[0]));
}

// Two listing workers may open two names of one file (hard links) at once,
// and a thumbnail worker may be decoding a picture meanwhile: readers that
// share reading never hide a file; a file held without sharing is not listed.
TEST(ReadImageRecords, AFileOthersReadIsListedOneHeldWithoutSharingIsNot) {
  const std::string folder = test::ZooFolder();
  const ImageProbe probe;
  ListingTimes times;
  std::string name;
  for (const test::ZooFile& file : test::ReadZooManifest()) {
    FileListItem record{};
    if (file.expectation == "load" && ReadImageRecord(folder, file.name, probe, record, times)) {
      name = file.name;
      break;
    }
  }
  ASSERT_FALSE(name.empty());
  const std::string path = folder + "\\" + name;
  for (const DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}, DWORD{0}}) {
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const size_t listed = ReadImageRecords(folder, {name, name}, times).size();
    CloseHandle(held);
    EXPECT_EQ(listed, share == 0 ? 0u : 2u) << "held with share mode " << share;
  }
}

TEST(ReadImageRecord, AFileKnownUnchangedIsReadFromItsHeadersOnly) {
  // A PNG whose data fails its CRC: the whole-file check turns it away,
  // unless the file is known to have passed it with this size and time.
  test::ScratchFolder scratch;
  ASSERT_TRUE(CopyFileA(test::ZooPath("png_badcrc.png").c_str(), scratch.File("a.png").c_str(), FALSE));
  const ImageProbe probe;
  ListingTimes times;
  FileListItem record{};
  EXPECT_FALSE(ReadImageRecord(scratch.path(), "a.png", probe, record, times));
  std::vector<std::string> asked;
  const KnownFile known = [&](const std::string& name, uint32_t size, const FileTime&) {
    asked.push_back(name);
    return size == test::ReadBytes(scratch.File("a.png")).size();
  };
  EXPECT_TRUE(ReadImageRecord(scratch.path(), "a.png", probe, record, times, known));
  EXPECT_EQ(record.width, 97);
  const KnownFile otherSize = [](const std::string&, uint32_t, const FileTime&) { return false; };
  EXPECT_FALSE(ReadImageRecord(scratch.path(), "a.png", probe, record, times, otherSize));
  EXPECT_EQ(asked, std::vector<std::string>{"a.png"});
}

// name -> colours of the records a listing gave.
std::map<std::string, int> ColorsOfRecords(const FileListModel& model) {
  std::map<std::string, int> listed;
  for (size_t i = 0; i < model.items().size(); ++i) listed[model.items().At(i)->name] = model.items().At(i)->colors;
  return listed;
}

// Rewrites a file's bytes in place with as many zeros, its last-write time kept.
bool ZeroKeepingTime(const std::string& path) {
  const std::string zeros(test::ReadBytes(path).size(), '\0');
  win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  FILETIME written{};
  DWORD done = 0;
  return file && GetFileTime(file.get(), nullptr, nullptr, &written) &&
         WriteFile(file.get(), zeros.data(), static_cast<DWORD>(zeros.size()), &done, nullptr) &&
         done == zeros.size() && SetFileTime(file.get(), nullptr, nullptr, &written);
}

TEST(FileListModel, ListsUnchangedFilesFromTheFactsKeptBesideTheCacheAndReadsTheOthers) {
  test::ScratchFolder scratch;
  const std::string folder = scratch.File("pictures");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const auto copy = [&](const char* zooName, const char* name) {
    return CopyFileA(test::ZooPath(zooName).c_str(), (folder + "\\" + name).c_str(), FALSE) != 0;
  };
  ASSERT_TRUE(copy("png_grey1.png", "a.png") && copy("png_badcrc.png", "b.png") && copy("png_palette4.png", "c.png"));
  ThumbCacheStore store(scratch.File("Thumbs"), win::IsAnsiLeadByte);
  store.PutFirst(folder);  // as the grid's first fill of the folder does
  EnvSet settings{};
  FileListModel model(settings);
  model.SetListingMemory(ListingMemoryIn(store));
  const auto list = [&] {
    model.OpenFolder(folder.c_str(), 0, 0);
    model.KeepListing();
    return ColorsOfRecords(model);
  };
  const std::map<std::string, int> all = {{"a.png", 2}, {"c.png", 16}};
  EXPECT_EQ(list(), all) << "the PNG whose check fails is not listed";
  EXPECT_EQ(model.lastListingTimes().recalled, 0);

  // Same size and time: its facts stand, so its new bytes are not read
  // (the key is the rule; this shows that nothing opened the file).
  ASSERT_TRUE(ZeroKeepingTime(folder + "\\a.png"));
  EXPECT_EQ(list(), all);
  EXPECT_EQ(model.lastListingTimes().recalled, 3) << "the turned-down PNG's verdict is kept too";

  // Another size: read again.
  ASSERT_TRUE(copy("png_grey8.png", "c.png"));
  EXPECT_EQ(list(), (std::map<std::string, int>{{"a.png", 2}, {"c.png", 256}}));
  EXPECT_EQ(model.lastListingTimes().recalled, 2);

  // Damaged facts are no facts: every file is read, the zeros turned down.
  const ThumbIndex index = store.ReadIndex();
  ASSERT_EQ(index.size(), 1u);
  const std::string record = scratch.File("Thumbs") + "\\" + ListingFactsNameOf(index[0].name);
  std::string bytes = test::ReadBytes(record);
  ASSERT_GT(bytes.size(), 40u);
  bytes[bytes.size() / 2] ^= 1;
  {
    win::UniqueFile file(CreateFileA(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    ASSERT_TRUE(file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
  }
  const std::map<std::string, int> read = {{"c.png", 256}};
  EXPECT_EQ(list(), read);
  EXPECT_EQ(model.lastListingTimes().recalled, 0);
  // ... and kept anew.
  EXPECT_EQ(list(), read);
  EXPECT_EQ(model.lastListingTimes().recalled, 3);
}

// A 16 x 16 icon file of one colour.
std::string IconFile(uint8_t blue) {
  std::string ico = {0, 0, 1, 0, 1, 0};                          // ICONDIR: type 1, one image
  ico += {16, 16, 0, 0, 1, 0, 32, 0};                            // 16 x 16, 1 plane, 32 bits
  const uint32_t size = 40 + 16 * 16 * 4 + 16 * 4, offset = 22;  // header, pixels, AND mask
  for (uint32_t v : {size, offset})
    for (int s = 0; s < 32; s += 8) ico += char(v >> s);
  std::string header(40, '\0');
  header[0] = 40;
  header[4] = 16;   // width
  header[8] = 32;   // height of pixels and mask together
  header[12] = 1;   // planes
  header[14] = 32;  // bits
  ico += header;
  for (int i = 0; i < 16 * 16; ++i) ico += {char(blue), 0x20, 0x40, char(0xFF)};
  ico += std::string(16 * 4, '\0');
  return ico;
}

void PutFile(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(f);
}

// A file type of the test's own whose DefaultIcon is "%1" (as .ico and .exe
// have on Windows): the shell draws each such file with the icon inside it.
class PerFileIconType {
 public:
  PerFileIconType() {
    win::WriteString(win::CreateKey(HKEY_CLASSES_ROOT, ".zvownicon").get(), "", "ZVTest.OwnIcon");
    win::WriteString(win::CreateKey(HKEY_CLASSES_ROOT, "ZVTest.OwnIcon\\DefaultIcon").get(), "", "%1");
  }
  ~PerFileIconType() {
    win::DeleteTree(HKEY_CLASSES_ROOT, ".zvownicon");
    win::DeleteTree(HKEY_CLASSES_ROOT, "ZVTest.OwnIcon");
  }
};

TEST(SmallIconList, OneEntryPerTypeButOnePerFileWhereTheTypeIconIsTheFiles) {
  test::ScratchFolder folder;
  const PerFileIconType ownIcons;
  PutFile(folder.File("a.zvownicon"), IconFile(0x00));
  PutFile(folder.File("b.zvownicon"), IconFile(0xF0));
  for (const char* name : {"a.zvplain", "b.zvplain", "C.ZVPLAIN"}) PutFile(folder.File(name), "plain");

  SmallIconList icons;
  ASSERT_TRUE(icons.Create());
  const int plainA = icons.AddIconOf(folder.File("a.zvplain"));
  ASSERT_GE(plainA, 0);
  EXPECT_EQ(icons.AddIconOf(folder.File("b.zvplain")), plainA);
  EXPECT_EQ(icons.AddIconOf(folder.File("C.ZVPLAIN")), plainA) << "the type is the extension in any case";
  const int ownA = icons.AddIconOf(folder.File("a.zvownicon"));
  const int ownB = icons.AddIconOf(folder.File("b.zvownicon"));
  EXPECT_GE(ownA, 0);
  EXPECT_GE(ownB, 0);
  EXPECT_EQ((std::set<int>{plainA, ownA, ownB}).size(), 3u) << "each file of the %1 type has its own icon";
  EXPECT_EQ(icons.AddIconOf(folder.File("a.zvownicon")), ownA) << "the same file, the same entry";
  EXPECT_EQ(icons.Count(), 3);

  // A new listing starts from an empty list: nothing may point at entries that are gone.
  icons.RemoveAll();
  EXPECT_EQ(icons.Count(), 0);
  const int again = icons.AddIconOf(folder.File("b.zvplain"));
  EXPECT_GE(again, 0);
  EXPECT_LT(again, icons.Count());
}

}  // namespace
}  // namespace zv
