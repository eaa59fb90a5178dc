#pragma once
// Where scanned images go: the save folder while it can be written to, else
// the user's documents folder, else the desktop, else the program folder.
#include <functional>
#include <optional>
#include <string>

namespace zv {

struct ScanFolderProbes {
  std::function<bool(const std::string&)> writable;
  std::function<std::optional<std::string>()> documents;  // empty when the shell query fails
  std::function<std::optional<std::string>()> desktop;
  std::string programFolder;
};

// The folder to scan into; equal to `saved` when that one is still usable.
std::string ChooseScanFolder(const std::string& saved, const ScanFolderProbes& probes);

// Both scanner commands are offered only while the scanner connection loaded
// TWAIN_32.DLL and no scan is running.
inline bool ScannerCommandsEnabled(bool twainLoaded, bool scanning) { return twainLoaded && !scanning; }

}  // namespace zv
