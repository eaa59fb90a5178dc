#pragma once
// The log-on start of a resident copy: a value in a Run key named after the
// program file, holding "\"<program>\" i".
#include <windows.h>

#include <string>

namespace zv {

struct RunKeyLocation {
  HKEY root;
  const char* path;
};

// The machine-wide Run key, and the per-user one used when the machine-wide
// key cannot be opened for writing (a standard user).
inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const RunKeyLocation kMachineRunKey{HKEY_LOCAL_MACHINE, kRunKeyPath};
inline const RunKeyLocation kUserRunKey{HKEY_CURRENT_USER, kRunKeyPath};

// on == 1 writes the value, anything else removes it. Writing goes to the
// machine-wide key, or to the per-user key when that fails; removing clears
// both, so no stale entry is left behind.
void SetAutoStart(int on, const std::string& programPath, RunKeyLocation machine = kMachineRunKey,
                  RunKeyLocation user = kUserRunKey);

}  // namespace zv
