#pragma once
// What the copyboard drive finder asks of the operating system: the version,
// a few registry reads, the process's current directory and the drive list.
// The program runs on the Win32 implementation (copyboard/win_copyboard_system.h);
// tests stand in with recorded registry contents.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zv {

// The two registry roots the finder reads. Local machine holds the device
// entries of every Windows family; the dynamic data root (Windows 98 and Me
// only) lists the devices that are present right now.
enum class RegistryRoot { LocalMachine, DynData };

// The numbers GetVersionExA reports.
struct OsVersion {
  uint32_t platformId = 0;
  uint32_t major = 0;
  uint32_t minor = 0;
};

class CopyboardSystem {
 public:
  virtual ~CopyboardSystem() = default;

  // Nothing when the version cannot be read.
  virtual std::optional<OsVersion> Version() const = 0;

  // The raw bytes of a value, whatever its type. Nothing when the key or the
  // value is missing or the value is empty (size 0).
  virtual std::optional<std::vector<uint8_t>> ReadValue(RegistryRoot root, const std::string& keyPath,
                                                        const std::string& valueName) const = 0;

  // The names of the subkeys of a key in enumeration order, up to the first
  // name that cannot be enumerated. Nothing when the key cannot be opened.
  virtual std::optional<std::vector<std::string>> SubkeyNames(RegistryRoot root,
                                                              const std::string& keyPath) const = 0;

  // The process's current directory; empty when it cannot be read into a
  // buffer of 260 characters.
  virtual std::string CurrentDirectory() const = 0;
  // SetCurrentDirectoryA: true when the folder could be made current, which
  // is also how the finder tells that a drive holds a readable medium.
  virtual bool TrySetCurrentDirectory(const std::string& path) = 0;

  // The drive roots ("A:\", "C:\", ...) in the order the system lists them.
  virtual std::vector<std::string> LogicalDriveRoots() const = 0;
};

}  // namespace zv
