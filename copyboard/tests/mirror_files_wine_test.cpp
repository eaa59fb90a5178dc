// Clear mirror and Fill mirror on real folders, and the whole opening of a
// device folder: the mirror is emptied and refilled from the device folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "copyboard/mirror_files.h"
#include "core/copyboard/mirror_folders.h"
#include "win/folder_listing.h"
#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : win::ListFolderEntries(folder))
    if (!entry.isFolder) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(MirrorFiles, ListingSeesFilesFoldersAndDotEntries) {
  TempFolder folder;
  WriteFileBytes(folder.File("a.png"), "a");
  CreateDirectoryA(folder.File("sub").c_str(), nullptr);
  std::vector<FolderEntry> entries = win::ListFolderEntries(folder.path());
  auto has = [&](const std::string& name, bool isFolder) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const FolderEntry& e) { return e.name == name && e.isFolder == isFolder; });
  };
  EXPECT_TRUE(has("a.png", false));
  EXPECT_TRUE(has("sub", true));
  EXPECT_TRUE(has(".", true));
  EXPECT_TRUE(win::ListFolderEntries(folder.File("missing")).empty());
}

TEST(MirrorFiles, OpeningADeviceFolderEmptiesAndRefillsTheMirror) {
  TempFolder board, program;
  std::string device = board.File("ZVM");
  ASSERT_TRUE(CreateDirectoryA(device.c_str(), nullptr));
  WriteFileBytes(device + "\\20240501_101500.png", "first scan");
  WriteFileBytes(device + "\\20240501_101700.JPG", "second scan");
  WriteFileBytes(device + "\\.index", "board bookkeeping");
  ASSERT_TRUE(CreateDirectoryA((device + "\\older").c_str(), nullptr));
  WriteFileBytes(device + "\\older\\inner.png", "not mirrored");
  // A Shift-JIS name whose trail byte is 0x5C. Wine stores non-ASCII names
  // only when the host has a matching glibc locale, so the name is used
  // only where it could be created.
  const std::string kanjiName = GetACP() == 932 ? win::Utf8ToAnsi("表.png") : "";
  if (!kanjiName.empty()) WriteFileBytes(device + "\\" + kanjiName, "kanji");
  bool sjis = !kanjiName.empty() && GetFileAttributesA((device + "\\" + kanjiName).c_str()) != INVALID_FILE_ATTRIBUTES;
  if (GetACP() == 932 && !sjis) std::fprintf(stderr, "note: this host cannot store Shift-JIS file names\n");

  std::string mirror = MirrorFolderOf(program.path(), 0, win::IsAnsiLeadByte);
  ASSERT_TRUE(CreateDirectoryA(mirror.c_str(), nullptr));
  WriteFileBytes(mirror + "\\stale.png", "from the last opening");
  WriteFileBytes(mirror + "\\20240501_101500.png", "old contents");
  WriteFileBytes(mirror + "\\.keep", "left alone");
  ASSERT_TRUE(CreateDirectoryA((mirror + "\\keepme").c_str(), nullptr));

  // The device folder as the folder tree might report it: the board's
  // letter is replaced here by the temporary folder's path.
  MirrorState state;
  Unit0Readiness ready{{"E", "F"}, true};
  // OpenFolder decides by the drive letters; the folders of this test stand
  // in for E:\ZVM, so the decision is checked on the letter form.
  FolderOpening opening = OpenFolder(state, "e:\\zvm", ready, program.path(), win::IsAnsiLeadByte);
  ASSERT_TRUE(opening.refillMirror);
  ASSERT_EQ(opening.shownFolder, mirror);
  ClearMirror(opening.shownFolder);
  FillMirror(device, opening.shownFolder);

  std::vector<std::string> expected = {".keep", "20240501_101500.png", "20240501_101700.JPG"};
  if (sjis) expected.push_back(kanjiName);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FileNames(mirror), expected) << "stale files gone, dot names and subfolders not copied";
  EXPECT_EQ(ReadFileBytes(mirror + "\\20240501_101500.png"), "first scan") << "an existing copy is overwritten";
  EXPECT_EQ(ReadFileBytes(mirror + "\\.keep"), "left alone");
  EXPECT_TRUE(IsFolder(mirror + "\\keepme")) << "Clear mirror leaves subfolders";
  EXPECT_FALSE(IsFolder(mirror + "\\older")) << "Fill mirror copies no subfolder";
  if (sjis) {
    EXPECT_EQ(ReadFileBytes(mirror + "\\" + kanjiName), "kanji");
  }
  EXPECT_EQ(ReadFileBytes(device + "\\20240501_101500.png"), "first scan") << "the board's files stay";
}

TEST(MirrorFiles, UnreadableDeviceFolderLeavesAnEmptyMirror) {
  TempFolder program;
  std::string mirror = MirrorFolderOf(program.path(), 1, win::IsAnsiLeadByte);
  ASSERT_TRUE(CreateDirectoryA(mirror.c_str(), nullptr));
  WriteFileBytes(mirror + "\\old.png", "x");
  ClearMirror(mirror);
  FillMirror(program.File("no board here"), mirror);
  EXPECT_TRUE(FileNames(mirror).empty());
}

}  // namespace
}  // namespace zv
