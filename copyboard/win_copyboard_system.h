#pragma once
// The copyboard finder's view of the real system: GetVersionExA, the
// registry, the current directory and the drive list.
#include <windows.h>

#include "core/copyboard/copyboard_system.h"

namespace zv {

// Where the finder's two registry roots are. The program always uses the
// real ones; tests point them at scratch keys to replay recorded entries.
struct RegistryRoots {
  HKEY localMachine = HKEY_LOCAL_MACHINE;
  HKEY dynData = HKEY_DYN_DATA;
};

class Win32CopyboardSystem : public CopyboardSystem {
 public:
  Win32CopyboardSystem() = default;
  explicit Win32CopyboardSystem(const RegistryRoots& roots) : roots_(roots) {}

  std::optional<OsVersion> Version() const override;
  std::optional<std::vector<uint8_t>> ReadValue(RegistryRoot root, const std::string& keyPath,
                                                const std::string& valueName) const override;
  std::optional<std::vector<std::string>> SubkeyNames(RegistryRoot root, const std::string& keyPath) const override;
  std::string CurrentDirectory() const override;
  bool TrySetCurrentDirectory(const std::string& path) override;
  std::vector<std::string> LogicalDriveRoots() const override;

 private:
  HKEY Root(RegistryRoot root) const { return root == RegistryRoot::DynData ? roots_.dynData : roots_.localMachine; }

  RegistryRoots roots_;
};

}  // namespace zv
