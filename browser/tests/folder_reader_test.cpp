// The small-icon list's rule: one shell lookup per file type, per file where
// the type's icon is the file's own.
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
