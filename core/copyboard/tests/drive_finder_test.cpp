#include "core/copyboard/drive_finder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/envset.h"
#include "core/copyboard/tests/recorded_system.h"

namespace zv {
namespace {

using test::RecordedSystem;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr RegistryRoot kDynData = RegistryRoot::DynData;

// Registry contents as recorded on machines with the board attached, spelled
// out here independently of the finder's own constants.
const char kMountedDevices[] = "SYSTEM\\MountedDevices";
const char16_t kVolumeClassGuid[] = u"{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

std::u16string Win7DevicePath(int unit) {
  return std::u16string(u"_??_USBSTOR#Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00#000000000000&") + (unit == 0 ? u"0" : u"1") +
         u"#" + kVolumeClassGuid;
}

std::string DosDevice(char letter) { return std::string("\\DosDevices\\") + letter + ":"; }

// A Windows 7 machine: a fixed disk C: (12-byte MBR signature), a DVD drive D:.
RecordedSystem Windows7() {
  RecordedSystem s;
  s.version = RecordedSystem::Windows(2, 6, 1);
  s.SetBytes(kMachine, kMountedDevices, DosDevice('C'), {0x9c, 0x4e, 0x1f, 0x7a, 0x00, 0x00, 0x10, 0x00, 0, 0, 0, 0});
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('D'),
             u"\\??\\IDE#CdRomHL-DT-ST_DVDRAM_GH24NS95_RN01____#5&2e4a4b7c&0&1.0.0#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}");
  s.driveRoots = {"C:\\", "D:\\"};
  s.AddFolder("C:\\");
  s.AddFolder("C:\\Work");
  return s;
}

void PlugWin7(RecordedSystem& s, char letter, int unit, bool mediumReadable = true) {
  s.SetUtf16(kMachine, kMountedDevices, DosDevice(letter), Win7DevicePath(unit));
  s.SetUtf16(kMachine, kMountedDevices, unit == 0 ? "\\??\\Volume{3c1d7a52-0000-11ef-a7b1-806e6f6e6963}"
                                                  : "\\??\\Volume{3c1d7a53-0000-11ef-a7b1-806e6f6e6963}",
             Win7DevicePath(unit));
  s.driveRoots.push_back(std::string(1, letter) + ":\\");
  if (mediumReadable) {
    s.AddFolder(std::string(1, letter) + ":\\");
    s.AddFolder(std::string(1, letter) + ":\\ZVM");
  }
}

const char kUsbStor[] = "SYSTEM\\CurrentControlSet\\Enum\\USBSTOR\\Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00\\000000000000&";

// Windows XP: each unit's USBSTOR instance names the parent prefix of its
// removable-media volume.
void PlugXp(RecordedSystem& s, char letter, int unit, const std::string& parentIdPrefix) {
  s.SetText(kMachine, kUsbStor + std::to_string(unit), "ParentIdPrefix", parentIdPrefix);
  std::u16string data = u"\\??\\STORAGE#RemovableMedia#";
  for (char c : parentIdPrefix) data += static_cast<char16_t>(c);
  data += u"&RM#";
  data += kVolumeClassGuid;
  s.SetUtf16(kMachine, kMountedDevices, DosDevice(letter), data);
  s.AddFolder(std::string(1, letter) + ":\\");
}

const char kWin98Key0[] = "Enum\\SCSI\\ZAMO____Q-7_____________1\\ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000000";
const char kWin98Key1[] = "Enum\\SCSI\\ZAMO____Q-7_____________1\\ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000001";
const char kWinMeKey0[] =
    "Enum\\SCSI\\ZAMO____Q-7_____________1\\USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&000";
const char kWinMeKey1[] =
    "Enum\\SCSI\\ZAMO____Q-7_____________1\\USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&100";
const char kConfigManager[] = "Config Manager\\Enum";

// The dynamic list of present devices: some unrelated ones, then the board's.
void ListPresent(RecordedSystem& s, const std::vector<std::string>& hardwareKeys) {
  s.SetText(kDynData, std::string(kConfigManager) + "\\C1A2B3C0", "HardWareKey", "Root\\*PNP0C01\\0000");
  s.AddKey(kDynData, std::string(kConfigManager) + "\\C1A2B3C4");  // a device entry without HardWareKey
  int n = 0;
  for (const std::string& key : hardwareKeys)
    s.SetText(kDynData, std::string(kConfigManager) + "\\C1A2B40" + std::to_string(n++), "HardWareKey", key);
}

TEST(CopyboardOsClass, FollowsTheVersionTable) {
  EXPECT_EQ(OsClassOf(std::nullopt), 0) << "GetVersionExA failed";
  EXPECT_EQ(OsClassOf(OsVersion{1, 4, 0}), 1) << "Windows 95";
  EXPECT_EQ(OsClassOf(OsVersion{1, 4, 10}), 2) << "Windows 98";
  EXPECT_EQ(OsClassOf(OsVersion{1, 4, 90}), 3) << "Windows Me";
  EXPECT_EQ(OsClassOf(OsVersion{1, 5, 10}), 2) << "a later 9x major still counts by minor";
  EXPECT_EQ(OsClassOf(OsVersion{1, 3, 10}), 0) << "9x major below 4";
  EXPECT_EQ(OsClassOf(OsVersion{1, 4, 3}), 0) << "9x with another minor";
  EXPECT_EQ(OsClassOf(OsVersion{2, 0, 0}), 4);
  EXPECT_EQ(OsClassOf(OsVersion{2, 4, 0}), 4) << "NT 4";
  EXPECT_EQ(OsClassOf(OsVersion{2, 5, 1}), 5) << "XP";
  EXPECT_EQ(OsClassOf(OsVersion{2, 6, 1}), 6) << "Windows 7";
  EXPECT_EQ(OsClassOf(OsVersion{2, 6, 2}), 6) << "Windows 8 and 10 without a manifest";
  EXPECT_EQ(OsClassOf(OsVersion{2, 10, 0}), 0) << "a manifest that reveals Windows 10";
  EXPECT_EQ(OsClassOf(OsVersion{0, 3, 1}), 0) << "Win32s";
  EXPECT_EQ(OsClassOf(OsVersion{3, 6, 0}), 0) << "CE";
}

// The manifest makes Windows 8.1 report 6.3 and Windows 10 and 11 report
// 10.0; the finder still gets the 6.2 those systems report without it.
TEST(CopyboardOsClass, ManifestVersionsCountAsWindows8) {
  auto seen = [](OsVersion v) { return OsClassOf(AsSeenWithoutManifest(v)); };
  EXPECT_EQ(seen(OsVersion{2, 10, 0}), 6) << "Windows 10 and 11";
  EXPECT_EQ(seen(OsVersion{2, 6, 3}), 6) << "Windows 8.1";
  const OsVersion windows7 = AsSeenWithoutManifest(OsVersion{2, 6, 1});
  EXPECT_EQ(windows7.minor, 1u) << "versions up to Windows 8 stay as reported";
  const OsVersion xp = AsSeenWithoutManifest(OsVersion{2, 5, 1});
  EXPECT_EQ(xp.major, 5u);
  EXPECT_EQ(seen(OsVersion{1, 4, 90}), 3) << "the 9x family is left alone";
}

TEST(CopyboardDriveFinder, BoardAbsent) {
  RecordedSystem s = Windows7();
  s.driveRoots = {"A:\\", "C:\\", "D:\\"};
  s.AddFolder("C:\\Users\\me\\Pictures");
  DriveFinder finder(s);

  DriveLetters letters = finder.FindLetters();
  EXPECT_EQ(letters.unit0, "");
  EXPECT_EQ(letters.unit1, "");

  Unit0Readiness readiness = finder.Unit0Ready();
  EXPECT_FALSE(readiness.ready);
  EXPECT_FALSE(finder.IsUnit0Ready());
  EXPECT_TRUE(s.attempts.empty()) << "no drive is probed when unit 0 has no letter";

  EXPECT_EQ(finder.StartFolder("C:\\Users\\me\\Pictures"), "C:\\Users\\me\\Pictures");
  EXPECT_EQ(s.attempts, (std::vector<std::string>{"D:\\ZVW", "C:\\Users\\me\\Pictures", "C:\\Work"}))
      << "only D: of A:, C:, D: is tried for ZVW, then the last folder, then the saved directory is restored";
  EXPECT_EQ(s.currentDirectory, "C:\\Work");
}

TEST(CopyboardDriveFinder, Windows7BothUnits) {
  RecordedSystem s = Windows7();
  PlugWin7(s, 'E', 0);
  PlugWin7(s, 'F', 1);
  s.AddFolder("F:\\ZVM");
  DriveFinder finder(s);
  EXPECT_EQ(finder.OsClass(), 6);

  DriveLetters letters = finder.FindLetters();
  EXPECT_EQ(letters.unit0, "E");
  EXPECT_EQ(letters.unit1, "F");

  Unit0Readiness readiness = finder.Unit0Ready();
  EXPECT_TRUE(readiness.ready);
  EXPECT_EQ(readiness.letters.unit0, "E");
  EXPECT_EQ(readiness.letters.unit1, "F");
  EXPECT_EQ(s.attempts, (std::vector<std::string>{"E:", "C:\\Work"})) << "drive tested, then directory restored";
  EXPECT_EQ(s.currentDirectory, "C:\\Work");

  s.attempts.clear();
  EXPECT_EQ(finder.StartFolder("C:\\Work"), "F:\\ZVM") << "unit 1 is tried before unit 0";
  EXPECT_EQ(s.attempts.front(), "F:\\ZVM");
  EXPECT_EQ(s.currentDirectory, "C:\\Work");

  s.RemoveFolder("F:\\ZVM");
  EXPECT_EQ(finder.StartFolder(""), "E:\\ZVM") << "unit 1's folder unreadable: unit 0's";
}

TEST(CopyboardDriveFinder, OnlyUnit1) {
  RecordedSystem s = Windows7();
  PlugWin7(s, 'G', 1);
  DriveFinder finder(s);

  DriveLetters letters = finder.FindLetters();
  EXPECT_EQ(letters.unit0, "");
  EXPECT_EQ(letters.unit1, "G");
  EXPECT_FALSE(finder.IsUnit0Ready());
  EXPECT_EQ(finder.StartFolder("C:\\Work"), "G:\\ZVM");
}

TEST(CopyboardDriveFinder, UnitWithoutReadableMediumIsNotReady) {
  RecordedSystem s = Windows7();
  PlugWin7(s, 'E', 0, /*mediumReadable=*/false);
  PlugWin7(s, 'F', 1, /*mediumReadable=*/false);
  s.driveRoots = {"C:\\", "D:\\", "E:\\", "F:\\"};
  DriveFinder finder(s);

  Unit0Readiness readiness = finder.Unit0Ready();
  EXPECT_EQ(readiness.letters.unit0, "E") << "the letter is still known";
  EXPECT_FALSE(readiness.ready);
  EXPECT_EQ(s.currentDirectory, "C:\\Work");
  EXPECT_EQ(finder.StartFolder(""), "");
}

TEST(CopyboardDriveFinder, DevicePathPrefixMatch) {
  RecordedSystem s = Windows7();
  DriveFinder finder(s);

  // Exactly the expected characters and nothing after them: a match.
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('H'),
             u"_??_USBSTOR#Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00#000000000000&0#");
  EXPECT_EQ(finder.FindLetters().unit0, "H");
  // More characters after the prefix (the usual volume class GUID): a match.
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('H'), Win7DevicePath(0));
  EXPECT_EQ(finder.FindLetters().unit0, "H");
  // The last character of the prefix missing: no match.
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('H'), u"_??_USBSTOR#Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00#000000000000&0");
  EXPECT_EQ(finder.FindLetters().unit0, "");
  // Another letter case: no match.
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('H'),
             u"_??_USBSTOR#DISK&VEN_ZAMO&PROD_Q-7&REV_1.00#000000000000&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
  EXPECT_EQ(finder.FindLetters().unit0, "");
  // Unit 0's prefix is not a prefix of unit 1's path, nor the other way round.
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('H'), Win7DevicePath(1));
  EXPECT_EQ(finder.FindLetters().unit0, "");
  EXPECT_EQ(finder.FindLetters().unit1, "H");
}

TEST(CopyboardDriveFinder, LetterScanStopsAtTheFirstMatch) {
  RecordedSystem s = Windows7();
  // A stale entry from an earlier connection on G: and the current one on K:.
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('K'), Win7DevicePath(0));
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('G'), Win7DevicePath(0));
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('Z'), Win7DevicePath(1));
  DriveFinder finder(s);
  EXPECT_EQ(finder.FindLetters().unit0, "G") << "letters are scanned from A to Z";
  EXPECT_EQ(finder.FindLetters().unit1, "Z") << "Z is the last letter scanned";
}

TEST(CopyboardDriveFinder, BadMountedDeviceDataNeverMatchesOrOverruns) {
  RecordedSystem s = Windows7();
  std::u16string path = Win7DevicePath(0);
  std::vector<uint8_t> bytes;
  for (char16_t unit : path) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  const size_t units = std::u16string(u"_??_USBSTOR#Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00#000000000000&0#").size();
  // One code unit short of the prefix, plus a stray byte.
  std::vector<uint8_t> odd(bytes.begin(), bytes.begin() + 2 * (units - 1) + 1);
  s.SetBytes(kMachine, kMountedDevices, DosDevice('E'), odd);
  s.SetBytes(kMachine, kMountedDevices, DosDevice('F'), {0x5f});  // one byte: not even one code unit
  s.SetBytes(kMachine, kMountedDevices, DosDevice('G'), {});      // empty: reads as missing
  DriveFinder finder(s);
  EXPECT_EQ(finder.FindLetters().unit0, "") << "a stray byte is not a code unit";

  odd.push_back(bytes[2 * (units - 1) + 1]);  // the last unit of the prefix is complete now
  s.SetBytes(kMachine, kMountedDevices, DosDevice('E'), odd);
  EXPECT_EQ(finder.FindLetters().unit0, "E");
}

TEST(CopyboardDriveFinder, XpParentPrefix) {
  RecordedSystem s = Windows7();
  s.version = RecordedSystem::Windows(2, 5, 1);
  PlugXp(s, 'E', 0, "7&35c3ac5d&0");
  PlugXp(s, 'F', 1, "7&11f3e16e&0");
  DriveFinder finder(s);
  EXPECT_EQ(finder.OsClass(), 5);
  DriveLetters letters = finder.FindLetters();
  EXPECT_EQ(letters.unit0, "E") << "data continues with &RM# and the GUID after the prefix";
  EXPECT_EQ(letters.unit1, "F");
  EXPECT_TRUE(finder.IsUnit0Ready());

  // NT 4 reads the same entries.
  s.version = RecordedSystem::Windows(2, 4, 0);
  EXPECT_EQ(finder.FindLetters().unit1, "F");

  // The Windows 7 device path means nothing to the parent-prefix method.
  RecordedSystem win7Entries = Windows7();
  win7Entries.version = RecordedSystem::Windows(2, 5, 1);
  PlugWin7(win7Entries, 'E', 0);
  EXPECT_EQ(DriveFinder(win7Entries).FindLetters().unit0, "");
}

TEST(CopyboardDriveFinder, XpParentPrefixEdgeCases) {
  RecordedSystem s = Windows7();
  s.version = RecordedSystem::Windows(2, 5, 1);
  PlugXp(s, 'F', 1, "7&11f3e16e&0");
  // Unit 0's volume is mounted but its USBSTOR instance has no ParentIdPrefix.
  s.SetUtf16(kMachine, kMountedDevices, DosDevice('E'),
             u"\\??\\STORAGE#RemovableMedia#7&35c3ac5d&0&RM#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
  DriveFinder finder(s);
  EXPECT_EQ(finder.FindLetters().unit0, "") << "no ParentIdPrefix, no letter";
  EXPECT_EQ(finder.FindLetters().unit1, "F");
  EXPECT_EQ(finder.StartFolder(""), "") << "F: is found but holds no ZVM";

  // The prefix in another letter case misses (the compare is case-sensitive).
  s.SetText(kMachine, std::string(kUsbStor) + "0", "ParentIdPrefix", "7&35C3AC5D&0");
  EXPECT_EQ(finder.FindLetters().unit0, "");
  // The right case, stored without its terminator: found.
  std::string prefix = "7&35c3ac5d&0";
  s.SetBytes(kMachine, std::string(kUsbStor) + "0", "ParentIdPrefix", std::vector<uint8_t>(prefix.begin(), prefix.end()));
  EXPECT_EQ(finder.FindLetters().unit0, "E");
  // An overlong prefix is simply no match.
  s.SetText(kMachine, std::string(kUsbStor) + "0", "ParentIdPrefix", std::string(70000, '7'));
  EXPECT_EQ(finder.FindLetters().unit0, "");
  // An empty prefix text matches any removable medium: the first one listed.
  s.SetText(kMachine, std::string(kUsbStor) + "0", "ParentIdPrefix", "");
  EXPECT_EQ(finder.FindLetters().unit0, "E");
}

TEST(CopyboardDriveFinder, ExpectedPrefixBytesWidenWithSign) {
  // A byte above 0x7F in the expected text stands for code unit 0xFFxx.
  EXPECT_TRUE(DevicePathStartsWith(u"ab\xFFE9z", "ab\xE9"));
  EXPECT_FALSE(DevicePathStartsWith(u"ab\u00E9z", "ab\xE9"));
  EXPECT_FALSE(DevicePathStartsWith(u"ab", "abc"));
  EXPECT_TRUE(DevicePathStartsWith(u"", ""));
}

TEST(CopyboardDriveFinder, Windows98) {
  RecordedSystem s = Windows7();
  s.version = RecordedSystem::Windows(1, 4, 10);
  s.SetText(kMachine, kWin98Key0, "SCSILUN", "0");
  s.SetText(kMachine, kWin98Key0, "CurrentDriveLetterAssignment", "E");
  s.SetText(kMachine, kWin98Key1, "SCSILUN", "1");
  s.SetText(kMachine, kWin98Key1, "CurrentDriveLetterAssignment", "F");
  DriveFinder finder(s);
  EXPECT_EQ(finder.OsClass(), 2);

  EXPECT_FALSE(finder.DevicesPresent(2)) << "no Config Manager key at all";
  EXPECT_EQ(finder.FindLetters().unit0, "") << "entries of a board that is not present";

  ListPresent(s, {"SCSI\\ZAMO____Q-7_____________1\\ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000000"});
  EXPECT_FALSE(finder.DevicesPresent(2));
  DriveLetters one = finder.FindLetters();
  EXPECT_EQ(one.unit0, "") << "only one of the two device strings present";
  EXPECT_EQ(one.unit1, "");

  s.SetText(kDynData, std::string(kConfigManager) + "\\C1A2B480", "HardWareKey",
            "scsi\\zamo____q-7_____________1\\zvq7&disk&0000usb&vid_7d21&pid_0e02&00000000000001");
  EXPECT_FALSE(finder.DevicesPresent(2)) << "the device string compare is case-sensitive";

  s.SetText(kDynData, std::string(kConfigManager) + "\\C1A2B490", "HardWareKey",
            "SCSI\\ZAMO____Q-7_____________1\\ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000001");
  EXPECT_TRUE(finder.DevicesPresent(2));
  EXPECT_FALSE(finder.DevicesPresent(3)) << "Windows 98 devices are not the Me strings";
  DriveLetters both = finder.FindLetters();
  EXPECT_EQ(both.unit0, "E");
  EXPECT_EQ(both.unit1, "F");

  // The logical unit number decides, not which key holds it; a value that
  // is neither 0 nor 1 is ignored.
  s.SetText(kMachine, kWin98Key0, "SCSILUN", "1");
  s.SetText(kMachine, kWin98Key1, "SCSILUN", "0");
  DriveLetters swapped = finder.FindLetters();
  EXPECT_EQ(swapped.unit0, "F");
  EXPECT_EQ(swapped.unit1, "E");
  s.SetText(kMachine, kWin98Key1, "SCSILUN", "2");
  EXPECT_EQ(finder.FindLetters().unit0, "");
  EXPECT_EQ(finder.FindLetters().unit1, "E") << "logical unit 2 is nobody's";
  // The letter text is taken whole; no SCSILUN means no letter.
  s.SetText(kMachine, kWin98Key1, "SCSILUN", "0");
  s.SetText(kMachine, kWin98Key1, "CurrentDriveLetterAssignment", "GH");
  EXPECT_EQ(finder.FindLetters().unit0, "GH");
  s.SetBytes(kMachine, kWin98Key1, "SCSILUN", {});
  EXPECT_EQ(finder.FindLetters().unit0, "");
  EXPECT_EQ(finder.FindLetters().unit1, "E");
}

TEST(CopyboardDriveFinder, WindowsMe) {
  RecordedSystem s = Windows7();
  s.version = RecordedSystem::Windows(1, 4, 90);
  s.SetText(kMachine, kWinMeKey0, "CurrentDriveLetterAssignment", "E");
  s.SetText(kMachine, kWinMeKey1, "CurrentDriveLetterAssignment", "F");
  s.AddFolder("E:\\");
  DriveFinder finder(s);
  EXPECT_EQ(finder.OsClass(), 3);

  ListPresent(s, {"SCSI\\ZAMO____Q-7_____________1\\USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&100"});
  DriveLetters one = finder.FindLetters();
  EXPECT_EQ(one.unit0, "") << "only one of the two device strings present";
  EXPECT_EQ(one.unit1, "");
  EXPECT_FALSE(finder.IsUnit0Ready());

  // The Windows 98 strings do not count on Me.
  s.SetText(kDynData, std::string(kConfigManager) + "\\C1A2B4A0", "HardWareKey",
            "SCSI\\ZAMO____Q-7_____________1\\ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000000");
  EXPECT_EQ(finder.FindLetters().unit0, "");

  s.SetText(kDynData, std::string(kConfigManager) + "\\C1A2B4FF", "HardWareKey",
            "SCSI\\ZAMO____Q-7_____________1\\USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&000");
  DriveLetters both = finder.FindLetters();
  EXPECT_EQ(both.unit0, "E");
  EXPECT_EQ(both.unit1, "F");
  EXPECT_TRUE(finder.IsUnit0Ready());

  // A letter stored without its terminator, and one with garbage after it.
  std::vector<uint8_t> bare = {'G'};
  s.SetBytes(kMachine, kWinMeKey0, "CurrentDriveLetterAssignment", bare);
  s.SetBytes(kMachine, kWinMeKey1, "CurrentDriveLetterAssignment", {'H', 0, 'X', 'Y'});
  EXPECT_EQ(finder.FindLetters().unit0, "G");
  EXPECT_EQ(finder.FindLetters().unit1, "H");
}

TEST(CopyboardDriveFinder, OtherSystemsNeverFindTheBoard) {
  RecordedSystem s = Windows7();
  PlugWin7(s, 'E', 0);
  PlugXp(s, 'F', 1, "7&11f3e16e&0");
  s.SetText(kMachine, kWinMeKey0, "CurrentDriveLetterAssignment", "E");
  s.SetText(kMachine, kWinMeKey1, "CurrentDriveLetterAssignment", "F");
  ListPresent(s, {"SCSI\\ZAMO____Q-7_____________1\\USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&000",
                  "SCSI\\ZAMO____Q-7_____________1\\USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&100"});
  for (auto version : {std::optional<OsVersion>(), std::optional<OsVersion>(OsVersion{1, 4, 0}),
                       std::optional<OsVersion>(OsVersion{2, 10, 0})}) {
    s.version = version;
    DriveLetters letters = DriveFinder(s).FindLetters();
    EXPECT_EQ(letters.unit0, "");
    EXPECT_EQ(letters.unit1, "");
  }
}

TEST(CopyboardStartFolder, FallbackFolderScan) {
  RecordedSystem s = Windows7();
  s.driveRoots = {"A:\\", "C:\\", "D:\\"};
  s.AddFolder("C:\\ZVW");
  s.AddFolder("D:\\ZVW");
  DriveFinder finder(s);
  EXPECT_EQ(finder.StartFolder("C:\\Work"), "D:\\ZVW");
  EXPECT_EQ(s.attempts, (std::vector<std::string>{"D:\\ZVW", "C:\\Work"})) << "C:\\ZVW is never tried";

  // Roots are tried in the order listed; lower-case roots count by their upper case.
  s.attempts.clear();
  s.RemoveFolder("D:\\ZVW");
  s.AddFolder("e:\\ZVW");
  s.driveRoots = {"A:\\", "b:\\", "c:\\", "D:\\", "e:\\", "F:\\"};
  EXPECT_EQ(finder.StartFolder(""), "e:\\ZVW");
  EXPECT_EQ(s.attempts, (std::vector<std::string>{"D:\\ZVW", "e:\\ZVW", "C:\\Work"}));
}

TEST(CopyboardStartFolder, LastFolder) {
  RecordedSystem s = Windows7();
  s.driveRoots = {"A:\\", "C:\\", "D:\\"};
  EnvSet settings;
  DriveFinder finder(s);

  EXPECT_EQ(finder.StartFolder(settings), "") << "chaLstFld empty and nothing else found";
  EXPECT_EQ(s.currentDirectory, "C:\\Work");

  CopyToField(settings.chaLstFld, "C:\\Scans\\2024", NoLeadBytes);
  EXPECT_EQ(finder.StartFolder(settings), "") << "chaLstFld names a folder that no longer exists";

  s.AddFolder("C:\\Scans\\2024");
  EXPECT_EQ(finder.StartFolder(settings), "C:\\Scans\\2024");
  EXPECT_EQ(s.currentDirectory, "C:\\Work") << "the current directory is restored after a success too";

  // The board's folder wins over the last folder.
  PlugWin7(s, 'E', 0);
  EXPECT_EQ(finder.StartFolder(settings), "E:\\ZVM");
}

TEST(CopyboardStartFolder, UnreadableCurrentDirectoryIsLeftAlone) {
  RecordedSystem s = Windows7();
  PlugWin7(s, 'E', 0);
  s.currentDirectory = "";  // longer than the 260-character buffer
  DriveFinder finder(s);
  EXPECT_TRUE(finder.IsUnit0Ready());
  EXPECT_EQ(s.attempts, (std::vector<std::string>{"E:"})) << "no attempt to restore an unknown directory";
}

}  // namespace
}  // namespace zv
