// Reading a folder's records on all cores, and the small-icon list's rule of
// one shell lookup per file type, per file where the type's icon is the file's.
#include "browser/folder_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "imagelib/tests/zoo.h"
#include "win/registry.h"

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
