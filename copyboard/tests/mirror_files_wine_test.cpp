// Clear mirror and Fill mirror on real folders, and the whole opening of a
// device folder: the mirror is emptied and refilled from the device folder;
// read-only files on the board or in the mirror never block the mirror.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "copyboard/mirror_files.h"
#include "core/copyboard/mirror_folders.h"
#include "tests/wine/wine_test_support.h"
#include "win/folder_listing.h"
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

bool IsReadOnly(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Makes files read-only, and writable again at the end so that their
// temporary folders can be removed (declare it after those folders).
class ReadOnlyFiles {
 public:
  ReadOnlyFiles() = default;
  ReadOnlyFiles(const ReadOnlyFiles&) = delete;
  ReadOnlyFiles& operator=(const ReadOnlyFiles&) = delete;
  ~ReadOnlyFiles() {
    for (const std::string& path : paths_) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  bool Write(const std::string& path, const std::string& bytes) {
    WriteFileBytes(path, bytes);
    paths_.push_back(path);
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY) && IsReadOnly(path);
  }

 private:
  std::vector<std::string> paths_;
};

TEST(MirrorFiles, ReadOnlyFilesNeverBlockTheMirror) {
  TempFolder board, program;
  const std::string device = board.File("ZVM");
  ASSERT_TRUE(CreateDirectoryA(device.c_str(), nullptr));
  const std::string mirror = MirrorFolderOf(program.path(), 1, win::IsAnsiLeadByte);
  ASSERT_TRUE(CreateDirectoryA(mirror.c_str(), nullptr));
  ReadOnlyFiles readOnly;
  // The board keeps its scans read-only. The mirror holds read-only copies
  // of a scan since deleted from the board and of a name the board reused.
  ASSERT_TRUE(readOnly.Write(device + "\\scan.png", "new scan"));
  ASSERT_TRUE(readOnly.Write(device + "\\reused.png", "new picture"));
  ASSERT_TRUE(readOnly.Write(mirror + "\\deleted.png", "deleted scan"));
  ASSERT_TRUE(readOnly.Write(mirror + "\\reused.png", "old picture"));

  FillMirror(device, mirror);
  EXPECT_EQ(ReadFileBytes(mirror + "\\reused.png"), "new picture") << "an older read-only copy is replaced";
  EXPECT_EQ(ReadFileBytes(mirror + "\\scan.png"), "new scan");
  EXPECT_FALSE(IsReadOnly(mirror + "\\scan.png")) << "the copy of a read-only board file is writable";
  EXPECT_FALSE(IsReadOnly(mirror + "\\reused.png")) << "a replaced copy is writable";
  EXPECT_TRUE(IsReadOnly(device + "\\scan.png")) << "the board's file keeps its attribute";
  EXPECT_TRUE(IsReadOnly(device + "\\reused.png")) << "the board's file keeps its attribute";
  EXPECT_EQ(ReadFileBytes(device + "\\reused.png"), "new picture") << "the board's file keeps its contents";

  ClearMirror(mirror);
  EXPECT_TRUE(FileNames(mirror).empty()) << "Clear mirror removes read-only copies too";

  // A refresh copies one new board file over a read-only copy of that name.
  ASSERT_TRUE(readOnly.Write(mirror + "\\reused.png", "old picture"));
  EXPECT_TRUE(CopyToMirror(device + "\\reused.png", mirror + "\\reused.png"));
  EXPECT_EQ(ReadFileBytes(mirror + "\\reused.png"), "new picture") << "a single copy replaces a read-only one";
  EXPECT_FALSE(IsReadOnly(mirror + "\\reused.png")) << "a single copy is writable";
  EXPECT_TRUE(IsReadOnly(device + "\\reused.png")) << "the board's file keeps its attribute";
  ASSERT_TRUE(readOnly.Write(mirror + "\\gone.png", "old picture"));
  EXPECT_FALSE(CopyToMirror(device + "\\gone.png", mirror + "\\gone.png"));
  EXPECT_EQ(ReadFileBytes(mirror + "\\gone.png"), "old picture") << "a copy that fails leaves the old one as it was";
  EXPECT_EQ(FileNames(mirror), (std::vector<std::string>{"gone.png", "reused.png"})) << "and no temporary";
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
