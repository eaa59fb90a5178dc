#include "app/app_paths.h"

#include <windows.h>

#include <vector>

#include "core/app/startup_rules.h"

namespace zv {

std::string ProgramPath() {
  // Start with 1024 bytes and grow by 256 until the path fits.
  std::vector<char> buffer(1024);
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() + 256);
  }
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ProgramBaseName() { return AutoStartValueName(ProgramPath()); }

}  // namespace zv
