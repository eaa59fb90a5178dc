// Stamp copies and Map to device on real files: copies that leave the board
// get the copy time as their last-write time only when intSysDte is 1 and
// their sources lay in the mirror (or a device folder).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "copyboard/mirror_files.h"
#include "core/copyboard/mirror_folders.h"
#include "tests/wine/wine_test_support.h"
#include "win/handles.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using test::TempFolder;
using test::WriteFileBytes;

// Only the last-write time is checked: under Wine on Linux the reported
// creation time follows the inode's change time, which any time change moves.
struct FileTimes {
  ULONGLONG written = 0;
};

ULONGLONG AsNumber(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

FILETIME AsFileTime(ULONGLONG value) {
  return {static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

FileTimes TimesOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return {};
  return {AsNumber(data.ftLastWriteTime)};
}

ULONGLONG Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return AsNumber(now);
}

// 2020-01-01 00:00 UTC, as a board's scan might carry it.
constexpr ULONGLONG kBoardWriteTime = 132223104000000000ull;

void SetOldTimes(const std::string& path) {
  win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  FILETIME written = AsFileTime(kBoardWriteTime);
  SetFileTime(file.get(), nullptr, nullptr, &written);
}

// A mirror with two scans and their copies in a destination folder, made
// the way the shell's copy leaves them: with the board's times.
struct CopiedScans {
  TempFolder mirror, destination;
  MirrorState state;
  std::vector<std::string> sources;

  CopiedScans() {
    state.mirrorFolder = mirror.path();
    state.deviceFolder = "E:\\ZVM";
    for (const char* name : {"20240501_093000.png", "20240501_094512.jpg"}) {
      WriteFileBytes(mirror.File(name), name);
      sources.push_back(mirror.File(name));
      WriteFileBytes(destination.File(name), name);
      SetOldTimes(destination.File(name));
    }
  }
  FileTimes CopyTimes(size_t index) const {
    return TimesOf(destination.File(std::string(NameOfPath(sources[index], win::IsAnsiLeadByte))));
  }
};

TEST(StampCopies, OnlyWithSystemDateOnAreCopiesStamped) {
  CopiedScans scans;
  StampCopies(scans.state, scans.sources, scans.destination.path(), 0);
  EXPECT_EQ(scans.CopyTimes(0).written, kBoardWriteTime) << "intSysDte 0 keeps the board's time";
  EXPECT_EQ(scans.CopyTimes(1).written, kBoardWriteTime);

  const ULONGLONG before = Now();
  StampCopies(scans.state, scans.sources, scans.destination.path(), 1);
  const ULONGLONG after = Now();
  for (size_t i = 0; i < scans.sources.size(); ++i) {
    FileTimes times = scans.CopyTimes(i);
    EXPECT_GE(times.written + 10000000ull, before) << "copy " << i << " carries the copy time";
    EXPECT_LE(times.written, after + 10000000ull) << "copy " << i;
  }
  EXPECT_EQ(scans.CopyTimes(0).written, scans.CopyTimes(1).written) << "one time for all copies";
}

TEST(StampCopies, SourcesOutsideTheBoardAndUnopenableCopiesAreLeftAlone) {
  CopiedScans scans;
  TempFolder elsewhere;
  std::vector<std::string> ordinary = {elsewhere.File("20240501_093000.png")};
  StampCopies(scans.state, ordinary, scans.destination.path(), 1);
  EXPECT_EQ(scans.CopyTimes(0).written, kBoardWriteTime) << "a copy from an ordinary folder keeps its time";

  // The first copy is held open without sharing; the second is stamped anyway.
  std::string held = scans.destination.File("20240501_093000.png");
  win::UniqueFile holder(CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  std::vector<std::string> withMissing = scans.sources;
  withMissing.push_back(scans.mirror.File("never-copied.png"));
  StampCopies(scans.state, withMissing, scans.destination.path(), 1);
  holder.reset();
  EXPECT_EQ(scans.CopyTimes(0).written, kBoardWriteTime) << "a copy that cannot be opened is skipped";
  EXPECT_NE(scans.CopyTimes(1).written, kBoardWriteTime);
  EXPECT_EQ(GetFileAttributesA(scans.destination.File("never-copied.png").c_str()), INVALID_FILE_ATTRIBUTES)
      << "stamping never creates a file";
}

TEST(MapToDevice, MirrorFilesMapToTheBoardWhateverTheirCase) {
  CopiedScans scans;
  std::string upper = scans.mirror.path();
  CharUpperA(upper.data());
  EXPECT_EQ(MapToDevice(scans.state, scans.sources[0], win::IsAnsiLeadByte), "E:\\ZVM\\20240501_093000.png");
  EXPECT_EQ(MapToDevice(scans.state, upper + "\\x.png", win::IsAnsiLeadByte), "E:\\ZVM\\x.png");
  std::string outside = scans.destination.File("20240501_093000.png");
  EXPECT_EQ(MapToDevice(scans.state, outside, win::IsAnsiLeadByte), outside);
  EXPECT_EQ(MapToDevice(scans.state, scans.mirror.File("sub\\x.png"), win::IsAnsiLeadByte),
            scans.mirror.File("sub\\x.png"))
      << "only files directly in the mirror map";
}

}  // namespace
}  // namespace zv
