#pragma once
// Small typed access to registry keys. Reads check type and length at the
// edge: a value of the wrong type, or a string without its terminator, reads
// as missing or is terminated here, never overrun.
#include <windows.h>

#include <optional>
#include <string>

#include "win/handles.h"

namespace zv::win {

// Opens an existing key; null on failure.
UniqueKey OpenKey(HKEY root, const std::string& path, REGSAM access = KEY_READ);
// Opens or creates a key (and the keys above it); null on failure.
UniqueKey CreateKey(HKEY root, const std::string& path, REGSAM access = KEY_READ | KEY_WRITE);

std::optional<DWORD> ReadDword(HKEY key, const std::string& name);
std::optional<std::string> ReadString(HKEY key, const std::string& name);
bool WriteDword(HKEY key, const std::string& name, DWORD value);
bool WriteString(HKEY key, const std::string& name, const std::string& value);
bool DeleteValue(HKEY key, const std::string& name);
// Deletes a key with everything below it.
bool DeleteTree(HKEY root, const std::string& path);

}  // namespace zv::win
