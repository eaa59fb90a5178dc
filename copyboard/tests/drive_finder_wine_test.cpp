// The copyboard drive finder on the real registry and the real current
// directory: device entries written the way the board's driver and the mount
// manager write them, read back through the Win32 system.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "copyboard/win_copyboard_system.h"
#include "core/copyboard/drive_finder.h"
#include "tests/wine/board_entries.h"
#include "tests/wine/wine_test_support.h"

namespace zv {
namespace {

using test::kMountedDevices;
using test::MountedDevicesSnapshot;
using test::Utf16Bytes;
using test::Win7DevicePath;

bool SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  bool ok = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

bool SetText(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
  return SetRaw(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// A scratch key under HKCU, removed at the end.
class ScratchKey {
 public:
  ScratchKey() : path_("Software\\ZViewerTests\\Copyboard-" + std::to_string(GetCurrentProcessId())) {
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  }
  ~ScratchKey() {
    RegCloseKey(key_);
    SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
  }
  HKEY get() const { return key_; }

 private:
  std::string path_;
  HKEY key_ = nullptr;
};

// The Win32 system on another Windows family, for the families whose
// entries this machine does not have.
class AsVersion : public Win32CopyboardSystem {
 public:
  AsVersion(const RegistryRoots& roots, OsVersion version) : Win32CopyboardSystem(roots), version_(version) {}
  std::optional<OsVersion> Version() const override { return version_; }

 private:
  OsVersion version_;
};

std::string CurrentDirectory() {
  char path[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof path, path);
  return path;
}

TEST(Win32CopyboardSystem, ReadsValuesAtTheEdgeWithoutOverrun) {
  ScratchKey scratch;
  Win32CopyboardSystem system(RegistryRoots{scratch.get(), scratch.get()});
  const RegistryRoot root = RegistryRoot::LocalMachine;
  ASSERT_TRUE(SetText(scratch.get(), "Dev", "Text", "E"));
  ASSERT_TRUE(SetRaw(scratch.get(), "Dev", "Bare", REG_SZ, "FG", 2));  // stored without its terminator
  ASSERT_TRUE(SetRaw(scratch.get(), "Dev", "Empty", REG_BINARY, "", 0));
  DWORD number = 0x31;
  ASSERT_TRUE(SetRaw(scratch.get(), "Dev", "Number", REG_DWORD, &number, sizeof number));
  std::vector<uint8_t> big(100000, 0x41);
  ASSERT_TRUE(SetRaw(scratch.get(), "Dev", "Big", REG_BINARY, big.data(), static_cast<DWORD>(big.size())));

  auto text = system.ReadValue(root, "Dev", "Text");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(RegistryText(*text), "E");
  auto bare = system.ReadValue(root, "Dev", "Bare");
  ASSERT_TRUE(bare.has_value());
  EXPECT_EQ(RegistryText(*bare), "FG") << "text ends with the data when the terminator is missing";
  EXPECT_FALSE(system.ReadValue(root, "Dev", "Empty").has_value()) << "a zero-sized value reads as missing";
  EXPECT_FALSE(system.ReadValue(root, "Dev", "Missing").has_value());
  EXPECT_FALSE(system.ReadValue(root, "NoSuchKey", "Text").has_value());
  auto asNumber = system.ReadValue(root, "Dev", "Number");
  ASSERT_TRUE(asNumber.has_value()) << "the value's type is not checked";
  EXPECT_EQ(RegistryText(*asNumber), "1");
  auto bigValue = system.ReadValue(root, "Dev", "Big");
  ASSERT_TRUE(bigValue.has_value());
  EXPECT_EQ(bigValue->size(), big.size());
  EXPECT_TRUE(system.ReadValue(root, "Dev\\", "Text").has_value()) << "key paths end in a backslash in the tables";
}

TEST(Win32CopyboardSystem, EnumeratesSubkeysInOrder) {
  ScratchKey scratch;
  Win32CopyboardSystem system(RegistryRoots{scratch.get(), scratch.get()});
  EXPECT_FALSE(system.SubkeyNames(RegistryRoot::DynData, "Config Manager\\Enum\\").has_value());
  std::string longest(200, 'K');  // long, yet within every registry's name limit
  for (const std::string& name : {std::string("C0001000"), std::string("C0001001"), longest})
    ASSERT_TRUE(SetText(scratch.get(), "Config Manager\\Enum\\" + name, "HardWareKey", "x"));
  auto names = system.SubkeyNames(RegistryRoot::DynData, "Config Manager\\Enum\\");
  ASSERT_TRUE(names.has_value());
  ASSERT_EQ(names->size(), 3u);
  EXPECT_EQ((*names)[0], "C0001000");
  EXPECT_EQ((*names)[1], "C0001001");
  EXPECT_EQ((*names)[2], longest);
}

TEST(Win32CopyboardSystem, CurrentDirectoryAndDrives) {
  Win32CopyboardSystem system;
  std::string before = system.CurrentDirectory();
  ASSERT_FALSE(before.empty());
  EXPECT_TRUE(system.TrySetCurrentDirectory("C:"));
  EXPECT_FALSE(system.TrySetCurrentDirectory("C:\\no such folder here"));
  EXPECT_TRUE(system.TrySetCurrentDirectory(before));
  EXPECT_EQ(CurrentDirectory(), before);

  std::vector<std::string> roots = system.LogicalDriveRoots();
  ASSERT_FALSE(roots.empty());
  bool hasC = false;
  for (const std::string& root : roots) {
    EXPECT_EQ(root.size(), 3u) << root;
    hasC |= root == "C:\\";
  }
  EXPECT_TRUE(hasC);
  auto version = system.Version();
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->platformId, 2u);
}

// Windows 7 to 10 entries in the real HKLM\SYSTEM\MountedDevices. Unit 0 on
// C: (a drive that is always ready here), unit 1 on a letter without a drive.
TEST(Win32DriveFinder, Windows7EntriesInTheRealRegistry) {
  MountedDevicesSnapshot mounted;
  ASSERT_TRUE(mounted.ok());
  Win32CopyboardSystem system;
  DriveFinder finder(system);
  ASSERT_EQ(finder.OsClass(), 6) << "the test expects a Windows 7 class report";

  // A letter whose data holds the prefix in other case, and one cut short.
  mounted.Mount('B', Utf16Bytes(L"_??_USBSTOR#DISK&VEN_ZAMO&PROD_Q-7&REV_1.00#000000000000&0#{53f56307}"));
  mounted.Mount('D', Utf16Bytes(L"_??_USBSTOR#Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00#000000000000&1"));
  EXPECT_EQ(finder.FindLetters().unit0, "");
  EXPECT_EQ(finder.FindLetters().unit1, "");

  std::vector<uint8_t> saved = system.ReadValue(RegistryRoot::LocalMachine, kMountedDevices, "\\DosDevices\\C:").value_or(std::vector<uint8_t>{});
  mounted.Mount('C', Utf16Bytes(Win7DevicePath(0)));
  mounted.Mount('Y', Utf16Bytes(Win7DevicePath(1)));
  DriveLetters letters = finder.FindLetters();
  EXPECT_EQ(letters.unit0, "C");
  EXPECT_EQ(letters.unit1, "Y");

  test::TempFolder work;
  ASSERT_TRUE(SetCurrentDirectoryA(work.path().c_str()));
  Unit0Readiness readiness = finder.Unit0Ready();
  EXPECT_TRUE(readiness.ready);
  EXPECT_EQ(CurrentDirectory(), work.path()) << "the current directory is restored";

  // Unit 1 has no drive, so the start folder is unit 0's device folder.
  ASSERT_TRUE(CreateDirectoryA("C:\\ZVM", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  EXPECT_EQ(finder.StartFolder(work.path()), "C:\\ZVM");
  EXPECT_EQ(CurrentDirectory(), work.path());
  RemoveDirectoryA("C:\\ZVM");
  EXPECT_EQ(finder.StartFolder(work.path()), work.path()) << "no ZVM, no ZVW: the last folder";
  EXPECT_EQ(finder.StartFolder("C:\\gone away"), "");

  // Unit 0 on a letter without a drive: not ready.
  mounted.Mount('C', saved);
  mounted.Mount('X', Utf16Bytes(Win7DevicePath(0)));
  readiness = finder.Unit0Ready();
  EXPECT_EQ(readiness.letters.unit0, "X");
  EXPECT_FALSE(readiness.ready);
  EXPECT_EQ(CurrentDirectory(), work.path());
  SetCurrentDirectoryA("C:\\");
}

TEST(Win32DriveFinder, Windows98AndMeEntriesReplayed) {
  ScratchKey scratch;
  // HardWareKey names the device's key below "Enum\".
  const std::string scsi = "SCSI\\ZAMO____Q-7_____________1\\";
  ASSERT_TRUE(SetText(scratch.get(), "Enum\\" + scsi + "ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000000", "SCSILUN", "0"));
  ASSERT_TRUE(SetText(scratch.get(), "Enum\\" + scsi + "ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000000",
                      "CurrentDriveLetterAssignment", "G"));
  ASSERT_TRUE(SetText(scratch.get(), "Enum\\" + scsi + "ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000001", "SCSILUN", "1"));
  ASSERT_TRUE(SetText(scratch.get(), "Enum\\" + scsi + "ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000001",
                      "CurrentDriveLetterAssignment", "H"));
  ASSERT_TRUE(SetText(scratch.get(), "Enum\\" + scsi + "USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&000",
                      "CurrentDriveLetterAssignment", "J"));
  ASSERT_TRUE(SetText(scratch.get(), "Enum\\" + scsi + "USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&100",
                      "CurrentDriveLetterAssignment", "K"));
  ASSERT_TRUE(SetText(scratch.get(), "Config Manager\\Enum\\C29A1E40", "HardWareKey", "ROOT\\PCI\\0000"));
  ASSERT_TRUE(SetText(scratch.get(), "Config Manager\\Enum\\C29A2F10", "HardWareKey",
                      scsi + "ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000000"));
  ASSERT_TRUE(SetText(scratch.get(), "Config Manager\\Enum\\C29A3A80", "HardWareKey",
                      scsi + "USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&100"));

  RegistryRoots roots{scratch.get(), scratch.get()};
  AsVersion win98(roots, OsVersion{1, 4, 10});
  AsVersion winMe(roots, OsVersion{1, 4, 90});
  EXPECT_EQ(DriveFinder(win98).FindLetters().unit0, "") << "only one of the Windows 98 devices present";
  EXPECT_EQ(DriveFinder(winMe).FindLetters().unit1, "") << "only one of the Me devices present";

  ASSERT_TRUE(SetText(scratch.get(), "Config Manager\\Enum\\C29A4B20", "HardWareKey",
                      scsi + "ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000001"));
  ASSERT_TRUE(SetText(scratch.get(), "Config Manager\\Enum\\C29A5C30", "HardWareKey",
                      scsi + "USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&000"));
  DriveLetters on98 = DriveFinder(win98).FindLetters();
  EXPECT_EQ(on98.unit0, "G");
  EXPECT_EQ(on98.unit1, "H");
  DriveLetters onMe = DriveFinder(winMe).FindLetters();
  EXPECT_EQ(onMe.unit0, "J");
  EXPECT_EQ(onMe.unit1, "K");
}

// The board of scripts/copyboard.sh, plugged in and pulled out the way the
// tray tests do it.
TEST(SimulatedBoard, MatchesTheScript) {
  const DriveLetters letters = test::ScriptBoardLetters();
  test::BoardStateKeeper keeper(letters);
  ASSERT_TRUE(keeper.ok());
  Win32CopyboardSystem system;
  DriveFinder finder(system);
  test::TempFolder last;

  ASSERT_TRUE(test::RunBoardScript("plug"));
  ASSERT_TRUE(test::BoardMediaIn(letters)) << "the script plugged the board in";
  Unit0Readiness readiness = finder.Unit0Ready();
  EXPECT_EQ(readiness.letters.unit0, letters.unit0);
  EXPECT_EQ(readiness.letters.unit1, letters.unit1);
  EXPECT_TRUE(readiness.ready) << "unit 0 is ready while the board is plugged in";
  EXPECT_EQ(finder.StartFolder(last.path()), letters.unit1 + ":\\ZVM") << "unit 1's device folder first";

  ASSERT_TRUE(test::RunBoardScript("unplug"));
  ASSERT_FALSE(test::BoardMediaIn(letters)) << "the script pulled the board out";
  readiness = finder.Unit0Ready();
  EXPECT_EQ(readiness.letters.unit0, letters.unit0) << "letters stay in MountedDevices when the board is pulled out";
  EXPECT_EQ(readiness.letters.unit1, letters.unit1);
  EXPECT_FALSE(readiness.ready) << "a pulled-out unit 0 is not ready";
  EXPECT_EQ(finder.StartFolder(last.path()), last.path()) << "no device folder: the last folder";
}

}  // namespace
}  // namespace zv
