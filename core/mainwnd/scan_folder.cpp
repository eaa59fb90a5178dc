#include "core/mainwnd/scan_folder.h"

namespace zv {

std::string ChooseScanFolder(const std::string& saved, const ScanFolderProbes& probes) {
  if (probes.writable(saved)) return saved;
  if (auto documents = probes.documents()) return *documents;
  if (auto desktop = probes.desktop()) return *desktop;
  return probes.programFolder;
}

}  // namespace zv
