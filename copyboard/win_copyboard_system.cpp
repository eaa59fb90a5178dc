#include "copyboard/win_copyboard_system.h"

#include <cstring>

#include "core/copyboard/drive_finder.h"
#include "win/handles.h"

namespace zv {

std::optional<OsVersion> Win32CopyboardSystem::Version() const {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;  // 148: the ANSI form without the service pack fields
  if (!GetVersionExA(&info)) return std::nullopt;
  return AsSeenWithoutManifest(OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion});
}

std::optional<std::vector<uint8_t>> Win32CopyboardSystem::ReadValue(RegistryRoot root, const std::string& keyPath,
                                                                    const std::string& valueName) const {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(Root(root), keyPath.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
  win::UniqueKey key(opened);
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
    return std::nullopt;
  std::vector<uint8_t> data(size);
  // The type is not checked: the callers take texts up to their NUL and
  // device paths as UTF-16, whatever the writer declared.
  if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;  // also when the value grew in between
  data.resize(size);
  if (data.empty()) return std::nullopt;
  return data;
}

std::optional<std::vector<std::string>> Win32CopyboardSystem::SubkeyNames(RegistryRoot root,
                                                                          const std::string& keyPath) const {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(Root(root), keyPath.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
  win::UniqueKey key(opened);
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[260];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length < sizeof name ? length : sizeof name - 1);
  }
  return names;
}

std::string Win32CopyboardSystem::CurrentDirectory() const {
  char path[260];
  DWORD length = GetCurrentDirectoryA(sizeof path, path);
  if (length == 0 || length >= sizeof path) return {};  // too long for the buffer: not restorable
  return std::string(path, length);
}

bool Win32CopyboardSystem::TrySetCurrentDirectory(const std::string& path) {
  return ::SetCurrentDirectoryA(path.c_str()) != 0;
}

std::vector<std::string> Win32CopyboardSystem::LogicalDriveRoots() const {
  char buffer[256] = {};
  // The length excludes the list's final NUL, so one byte is kept for it.
  DWORD length = GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
  std::vector<std::string> roots;
  if (length == 0 || length >= sizeof buffer) return roots;
  for (const char* root = buffer; root < buffer + length && *root != '\0';) {
    size_t size = strnlen(root, static_cast<size_t>(buffer + length - root));
    roots.emplace_back(root, size);
    root += size + 1;
  }
  return roots;
}

}  // namespace zv
