#include "core/copyboard/drive_finder.h"

#include <cstring>

#include "core/app/envset.h"
#include "core/copyboard/mirror_folders.h"

namespace zv {

namespace {

// The board's device entries, as its driver and Windows write them. The SCSI
// vendor field is 8 characters and the product field 16, padded with '_'.
constexpr char kUsbStorInstanceKey[] =
    "SYSTEM\\CurrentControlSet\\Enum\\USBSTOR\\Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00\\000000000000&";
constexpr char kParentIdPrefixValue[] = "ParentIdPrefix";
constexpr char kMountedDevicesKey[] = "SYSTEM\\MountedDevices\\";
constexpr char kDosDevicesPrefix[] = "\\DosDevices\\";
constexpr char kRemovableMediaPrefix[] = "\\??\\STORAGE#RemovableMedia#";
constexpr char kUsbStorDevicePrefix[] = "_??_USBSTOR#Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00#000000000000&";

constexpr char kEnumPrefix[] = "Enum\\";
constexpr char kWin98Device0[] =
    "SCSI\\ZAMO____Q-7_____________1\\ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000000";
constexpr char kWin98Device1[] =
    "SCSI\\ZAMO____Q-7_____________1\\ZVQ7&DISK&0000USB&VID_7D21&PID_0E02&00000000000001";
constexpr char kWinMeDevice0[] =
    "SCSI\\ZAMO____Q-7_____________1\\USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&000";
constexpr char kWinMeDevice1[] =
    "SCSI\\ZAMO____Q-7_____________1\\USBSTOR&DISK&VEN_ZAMO&PROD_Q-7&REV_1.00&000000000000&100";
constexpr char kScsiLunValue[] = "SCSILUN";
constexpr char kDriveLetterValue[] = "CurrentDriveLetterAssignment";
constexpr char kConfigManagerEnumKey[] = "Config Manager\\Enum\\";
constexpr char kHardwareKeyValue[] = "HardWareKey";

constexpr char kFallbackFolderName[] = "ZVW";

// Restores the current directory when the finder's probing is done.
class CurrentDirectoryGuard {
 public:
  explicit CurrentDirectoryGuard(CopyboardSystem& system) : system_(system), saved_(system.CurrentDirectory()) {}
  ~CurrentDirectoryGuard() {
    if (!saved_.empty()) system_.TrySetCurrentDirectory(saved_);
  }
  CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
  CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

 private:
  CopyboardSystem& system_;
  std::string saved_;
};

}  // namespace

int OsClassOf(const std::optional<OsVersion>& version) {
  if (!version) return 0;
  if (version->platformId == 1) {  // Windows 95 family
    if (version->major < 4) return 0;
    switch (version->minor) {
      case 0: return 1;
      case 10: return 2;
      case 90: return 3;
      default: return 0;
    }
  }
  if (version->platformId == 2) {  // NT family
    if (version->major <= 4) return 4;
    if (version->major == 5) return 5;
    if (version->major == 6) return 6;
    return 0;
  }
  return 0;
}

OsVersion AsSeenWithoutManifest(OsVersion reported) {
  const bool laterThanWindows8 = reported.major > 6 || (reported.major == 6 && reported.minor > 2);
  if (reported.platformId == 2 && laterThanWindows8) return OsVersion{2, 6, 2};
  return reported;
}

std::string RegistryText(const std::vector<uint8_t>& data) {
  const char* text = reinterpret_cast<const char*>(data.data());
  return std::string(text, strnlen(text, data.size()));
}

std::u16string RegistryUtf16(const std::vector<uint8_t>& data) {
  std::u16string units(data.size() / 2, u'\0');
  for (size_t k = 0; k < units.size(); ++k)
    units[k] = static_cast<char16_t>(data[2 * k] | (data[2 * k + 1] << 8));
  return units;
}

bool DevicePathStartsWith(const std::u16string& device, std::string_view expected) {
  if (device.size() < expected.size()) return false;
  for (size_t k = 0; k < expected.size(); ++k) {
    // A byte above 0x7F widens to 0xFF80..0xFFFF, so it never equals the
    // UTF-16 code unit of the same character.
    auto widened = static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(expected[k])));
    if (device[k] != widened) return false;
  }
  return true;
}

int DriveFinder::OsClass() const { return OsClassOf(system_.Version()); }

DriveLetters DriveFinder::FindLetters() const {
  switch (OsClass()) {
    case 2: return FindLettersWin98();
    case 3: return FindLettersWinMe();
    case 4:
    case 5: return FindLettersByParentPrefix();
    case 6: return FindLettersByDevicePath();
    default: return {};
  }
}

Unit0Readiness DriveFinder::Unit0Ready() const {
  Unit0Readiness result;
  result.letters = FindLetters();
  if (!result.letters.unit0.empty()) {
    CurrentDirectoryGuard guard(system_);
    result.ready = system_.TrySetCurrentDirectory(result.letters.unit0 + ":");
  }
  return result;
}

std::string DriveFinder::StartFolder(std::string_view lastFolder) const {
  CurrentDirectoryGuard guard(system_);
  DriveLetters letters = FindLetters();
  for (const std::string* letter : {&letters.unit1, &letters.unit0}) {
    if (letter->empty()) continue;
    std::string folder = DeviceFolderOf(*letter);
    if (system_.TrySetCurrentDirectory(folder)) return folder;
  }
  for (const std::string& root : system_.LogicalDriveRoots()) {
    if (root.empty()) continue;
    unsigned char first = static_cast<unsigned char>(root[0]);
    if (first >= 'a' && first <= 'z') first = static_cast<unsigned char>(first - 'a' + 'A');
    if (first < 'D') continue;  // floppies and the system drive never hold the fallback folder
    std::string folder = root + kFallbackFolderName;
    if (system_.TrySetCurrentDirectory(folder)) return folder;
  }
  if (!lastFolder.empty() && system_.TrySetCurrentDirectory(std::string(lastFolder))) return std::string(lastFolder);
  return {};
}

std::string DriveFinder::StartFolder(const EnvSet& settings) const {
  return StartFolder(std::string_view(settings.chaLstFld, strnlen(settings.chaLstFld, sizeof settings.chaLstFld)));
}

bool DriveFinder::DevicesPresent(int osClass) const {
  const char* device0 = osClass == 3 ? kWinMeDevice0 : kWin98Device0;
  const char* device1 = osClass == 3 ? kWinMeDevice1 : kWin98Device1;
  std::optional<std::vector<std::string>> names = system_.SubkeyNames(RegistryRoot::DynData, kConfigManagerEnumKey);
  if (!names) return false;
  unsigned found = 0;
  for (const std::string& name : *names) {
    if (name.empty()) continue;
    std::optional<std::string> hardware =
        ReadText(RegistryRoot::DynData, std::string(kConfigManagerEnumKey) + name, kHardwareKeyValue);
    if (!hardware) continue;
    if (*hardware == device0) found |= 1;
    if (*hardware == device1) found |= 2;
    if (found == 3) return true;
  }
  return false;
}

DriveLetters DriveFinder::FindLettersWin98() const {
  DriveLetters letters;
  if (!DevicesPresent(2)) return letters;
  for (const char* device : {kWin98Device0, kWin98Device1}) {
    std::string key = std::string(kEnumPrefix) + device;
    std::optional<std::string> lun = ReadText(RegistryRoot::LocalMachine, key, kScsiLunValue);
    if (!lun) continue;
    std::optional<std::string> letter = ReadText(RegistryRoot::LocalMachine, key, kDriveLetterValue);
    if (!letter) continue;
    // The logical unit number, not the key, tells which unit the drive is.
    if (!lun->empty() && (*lun)[0] == '0') letters.unit0 = *letter;
    if (!lun->empty() && (*lun)[0] == '1') letters.unit1 = *letter;
  }
  return letters;
}

DriveLetters DriveFinder::FindLettersWinMe() const {
  DriveLetters letters;
  if (!DevicesPresent(3)) return letters;
  letters.unit0 = ReadText(RegistryRoot::LocalMachine, std::string(kEnumPrefix) + kWinMeDevice0, kDriveLetterValue)
                      .value_or(std::string());
  letters.unit1 = ReadText(RegistryRoot::LocalMachine, std::string(kEnumPrefix) + kWinMeDevice1, kDriveLetterValue)
                      .value_or(std::string());
  return letters;
}

DriveLetters DriveFinder::FindLettersByParentPrefix() const {
  DriveLetters letters;
  for (int unit = 0; unit < 2; ++unit) {
    std::string key = kUsbStorInstanceKey + std::to_string(unit) + "\\";
    std::optional<std::string> parentPrefix = ReadText(RegistryRoot::LocalMachine, key, kParentIdPrefixValue);
    if (!parentPrefix) continue;
    (unit == 0 ? letters.unit0 : letters.unit1) = ScanMountedDevices(kRemovableMediaPrefix + *parentPrefix);
  }
  return letters;
}

DriveLetters DriveFinder::FindLettersByDevicePath() const {
  DriveLetters letters;
  letters.unit0 = ScanMountedDevices(kUsbStorDevicePrefix + std::string("0#"));
  letters.unit1 = ScanMountedDevices(kUsbStorDevicePrefix + std::string("1#"));
  return letters;
}

std::string DriveFinder::ScanMountedDevices(std::string_view expected) const {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string valueName = std::string(kDosDevicesPrefix) + letter + ":";
    std::optional<std::vector<uint8_t>> data = system_.ReadValue(RegistryRoot::LocalMachine, kMountedDevicesKey, valueName);
    if (data && DevicePathStartsWith(RegistryUtf16(*data), expected)) return std::string(1, letter);
  }
  return {};
}

std::optional<std::string> DriveFinder::ReadText(RegistryRoot root, const std::string& keyPath,
                                                 const std::string& valueName) const {
  std::optional<std::vector<uint8_t>> data = system_.ReadValue(root, keyPath, valueName);
  if (!data || data->empty()) return std::nullopt;
  return RegistryText(*data);
}

}  // namespace zv
