#include "tests/wine/board_entries.h"

#include <algorithm>

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

}  // namespace zv::test
