#pragma once
// The copyboard's device entries as Windows 7 to 10 record them, written
// into the real HKLM\SYSTEM\MountedDevices by the Wine tests.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/copyboard/drive_finder.h"

namespace zv::test {

inline constexpr char kMountedDevices[] = "SYSTEM\\MountedDevices";

// The code units of `text`, little-endian, without a terminator.
std::vector<uint8_t> Utf16Bytes(const std::wstring& text);
// The mounted-device data of the board's unit 0 or 1.
std::wstring Win7DevicePath(int unit);

// The "\DosDevices\X:" values of the machine as they were, put back at the
// end; while the test runs every board entry already there is taken out, so
// that only the test's own entries are found.
class MountedDevicesSnapshot {
 public:
  MountedDevicesSnapshot();
  ~MountedDevicesSnapshot();
  MountedDevicesSnapshot(const MountedDevicesSnapshot&) = delete;
  MountedDevicesSnapshot& operator=(const MountedDevicesSnapshot&) = delete;
  bool ok() const { return key_ != nullptr; }
  void Mount(char letter, const std::vector<uint8_t>& data);
  // Unit `unit` of the board on drive `letter`.
  void MountUnit(char letter, int unit) { Mount(letter, Utf16Bytes(Win7DevicePath(unit))); }

 private:
  struct Saved {
    DWORD type;
    std::vector<uint8_t> data;
  };
  static std::string Name(char letter) { return std::string("\\DosDevices\\") + letter + ":"; }
  HKEY key_ = nullptr;
  std::map<char, Saved> saved_;
};

// The drive letters scripts/copyboard.sh gives the board: ZV_BOARD_LETTERS,
// "e f" by default.
DriveLetters ScriptBoardLetters();
// Whether the script's board has its media in (unit 0's device folder is there).
bool BoardMediaIn(const DriveLetters& letters);

// Every value of HKLM\SYSTEM\MountedDevices, and whether the board's media
// were in; both are put back at the end, so later tests find the rig as it was.
class BoardStateKeeper {
 public:
  explicit BoardStateKeeper(const DriveLetters& letters);
  ~BoardStateKeeper();
  BoardStateKeeper(const BoardStateKeeper&) = delete;
  BoardStateKeeper& operator=(const BoardStateKeeper&) = delete;
  bool ok() const { return key_ != nullptr; }

 private:
  struct Value {
    DWORD type;
    std::vector<uint8_t> data;
  };
  std::map<std::string, Value> Values() const;
  DriveLetters letters_;
  bool plugged_;
  HKEY key_ = nullptr;
  std::map<std::string, Value> values_;
};

}  // namespace zv::test
