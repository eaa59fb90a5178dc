#pragma once
// The copyboard drive finder: turns the registry into the drive letters of
// the board's two storage units (unit 0 and unit 1), tells whether unit 0's
// drive is ready, and picks the folder the browser opens at start-up.
//
// The finder keeps nothing between calls: every call reads the registry and
// the drives afresh, so a board plugged in or pulled out is seen at once.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/copyboard/copyboard_system.h"

namespace zv {

struct EnvSet;

// Drive letters without colon ("E"); empty when the unit was not found.
struct DriveLetters {
  std::string unit0;
  std::string unit1;
};

struct Unit0Readiness {
  DriveLetters letters;
  bool ready = false;
};

// The Windows family the finder looks for the board in:
// 0 unknown (board never found), 1 Windows 95, 2 Windows 98, 3 Windows Me,
// 4 NT 4 and earlier, 5 Windows 2000/XP, 6 Vista and later (as reported
// to a program without a compatibility manifest).
int OsClassOf(const std::optional<OsVersion>& version);

// The version that Windows 8 and later report to a program without a
// compatibility manifest: 6.2. ZViewer.exe declares Windows 8.1, 10 and 11 in
// its manifest, so they report 6.3 and 10.0; the finder's table and the
// board's records are those of the version such a program saw, so the
// program hands the finder this one.
OsVersion AsSeenWithoutManifest(OsVersion reported);

// Registry data as the finder uses it. A text ends at its first NUL or, when
// the stored data lacks its terminator, at the end of the data. A UTF-16LE
// value is cut to whole code units (a stray odd byte is dropped).
std::string RegistryText(const std::vector<uint8_t>& data);
std::u16string RegistryUtf16(const std::vector<uint8_t>& data);

// True when `device` starts with the characters of `expected`, each byte
// widened with sign to a code unit; case-sensitive; shorter data never matches.
bool DevicePathStartsWith(const std::u16string& device, std::string_view expected);

class DriveFinder {
 public:
  explicit DriveFinder(CopyboardSystem& system) : system_(system) {}

  int OsClass() const;
  DriveLetters FindLetters() const;
  // Unit 0 is ready when its letter is known and its drive can be made the
  // current drive; the current directory is restored afterwards.
  Unit0Readiness Unit0Ready() const;
  bool IsUnit0Ready() const { return Unit0Ready().ready; }
  // Unit 1's device folder, else unit 0's, else the first "ZVW" folder on a
  // drive from D: on, else `lastFolder`, else empty. Each candidate counts
  // only when it can be made the current directory; the current directory is
  // restored afterwards.
  std::string StartFolder(std::string_view lastFolder) const;
  std::string StartFolder(const EnvSet& settings) const;

  // Windows 98 and Me: both units are listed among the present devices.
  bool DevicesPresent(int osClass) const;

 private:
  DriveLetters FindLettersWin98() const;
  DriveLetters FindLettersWinMe() const;
  DriveLetters FindLettersByParentPrefix() const;
  DriveLetters FindLettersByDevicePath() const;
  // The first letter A..Z whose mounted-device data starts with `expected`.
  std::string ScanMountedDevices(std::string_view expected) const;
  std::optional<std::string> ReadText(RegistryRoot root, const std::string& keyPath,
                                      const std::string& valueName) const;

  CopyboardSystem& system_;
};

}  // namespace zv
