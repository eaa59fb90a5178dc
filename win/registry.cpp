#include "win/registry.h"

#include <shlwapi.h>

#include <vector>

#include "win/diagnostics.h"

namespace zv::win {

UniqueKey OpenKey(HKEY root, const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return UniqueKey();
  return UniqueKey(key);
}

UniqueKey CreateKey(HKEY root, const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return UniqueKey();
  return UniqueKey(key);
}

std::optional<DWORD> ReadDword(HKEY key, const std::string& name) {
  DWORD type = 0, value = 0, size = sizeof value;
  if (key == nullptr) return std::nullopt;
  const LSTATUS status =
      RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;  // never written: the default, quietly
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) {
    LogFailure("registry value of the wrong type or size, its default is used", name,
               status != ERROR_SUCCESS ? Win32Error(static_cast<DWORD>(status)) : FailureCode{});
    return std::nullopt;
  }
  return value;
}

std::optional<std::string> ReadString(HKEY key, const std::string& name) {
  DWORD type = 0, size = 0;
  if (key == nullptr || RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    LogFailure("registry value of the wrong type, its default is used", name);
    return std::nullopt;
  }
  std::vector<char> data(size + 1, '\0');  // one spare byte: stored strings may lack their terminator
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  data[size < data.size() ? size : data.size() - 1] = '\0';
  return std::string(data.data());
}

bool WriteDword(HKEY key, const std::string& name, DWORD value) {
  return RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

bool WriteString(HKEY key, const std::string& name, const std::string& value) {
  return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY key, const std::string& name) { return RegDeleteValueA(key, name.c_str()) == ERROR_SUCCESS; }

bool DeleteTree(HKEY root, const std::string& path) { return SHDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS; }

}  // namespace zv::win
