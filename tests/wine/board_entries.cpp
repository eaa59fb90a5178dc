#include "tests/wine/board_entries.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "tests/wine/wine_test_support.h"

namespace zv::test {

std::vector<uint8_t> Utf16Bytes(const std::wstring& text) {
  std::vector<uint8_t> bytes;
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
  }
  return bytes;
}

std::wstring Win7DevicePath(int unit) {
  return std::wstring(L"_??_USBSTOR#Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00#000000000000&") + (unit == 0 ? L"0" : L"1") +
         L"#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
}

MountedDevicesSnapshot::MountedDevicesSnapshot() {
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMountedDevices, 0, KEY_READ | KEY_WRITE, &key_);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string name = Name(letter);
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) continue;
    Saved saved{type, std::vector<uint8_t>(size)};
    RegQueryValueExA(key_, name.c_str(), nullptr, &type, saved.data.data(), &size);
    saved_[letter] = saved;
    std::vector<uint8_t> ours = Utf16Bytes(L"_??_USBSTOR#Disk&Ven_ZAMO&Prod_Q-7");
    if (size >= ours.size() && std::equal(ours.begin(), ours.end(), saved.data.begin()))
      RegDeleteValueA(key_, name.c_str());
  }
}

MountedDevicesSnapshot::~MountedDevicesSnapshot() {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    auto it = saved_.find(letter);
    if (it == saved_.end())
      RegDeleteValueA(key_, Name(letter).c_str());
    else
      RegSetValueExA(key_, Name(letter).c_str(), 0, it->second.type, it->second.data.data(),
                     static_cast<DWORD>(it->second.data.size()));
  }
  RegCloseKey(key_);
}

void MountedDevicesSnapshot::Mount(char letter, const std::vector<uint8_t>& data) {
  RegSetValueExA(key_, Name(letter).c_str(), 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

DriveLetters ScriptBoardLetters() {
  char unit0[8] = "E", unit1[8] = "F";
  const std::string given = EnvironmentValue("ZV_BOARD_LETTERS");
  if (!given.empty()) sscanf(given.c_str(), "%7s %7s", unit0, unit1);
  return {std::string(1, static_cast<char>(toupper(static_cast<unsigned char>(unit0[0])))),
          std::string(1, static_cast<char>(toupper(static_cast<unsigned char>(unit1[0]))))};
}

bool BoardMediaIn(const DriveLetters& letters) {
  return GetFileAttributesA((letters.unit0 + ":\\ZVM").c_str()) != INVALID_FILE_ATTRIBUTES;
}

BoardStateKeeper::BoardStateKeeper(const DriveLetters& letters) : letters_(letters), plugged_(BoardMediaIn(letters)) {
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMountedDevices, 0, KEY_READ | KEY_WRITE, &key_);
  values_ = Values();
}

BoardStateKeeper::~BoardStateKeeper() {
  if (BoardMediaIn(letters_) != plugged_) RunBoardScript(plugged_ ? "plug" : "unplug");
  for (const auto& [name, value] : Values())
    if (values_.count(name) == 0) RegDeleteValueA(key_, name.c_str());
  for (const auto& [name, value] : values_)
    RegSetValueExA(key_, name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
  RegCloseKey(key_);
}

std::map<std::string, BoardStateKeeper::Value> BoardStateKeeper::Values() const {
  std::map<std::string, Value> values;
  DWORD count = 0, longestName = 0, largestData = 0;
  if (RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName, &largestData,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return values;
  for (DWORD i = 0; i < count; ++i) {
    std::string name(longestName + 1, '\0');
    Value value{0, std::vector<uint8_t>(largestData)};
    DWORD nameSize = static_cast<DWORD>(name.size()), size = largestData;
    if (RegEnumValueA(key_, i, name.data(), &nameSize, nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS)
      continue;
    name.resize(nameSize);
    value.data.resize(size);
    values[name] = value;
  }
  return values;
}

}  // namespace zv::test
