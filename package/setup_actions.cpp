// The custom actions of the installer package (package/ZViewer.wxs), a DLL
// in the package's Binary table. They run as the installing user.
//
// RemoveProgramData (after InstallFinalize of an uninstall that is not the
// removal of an older version during an upgrade): what the program made
// beside itself and in the registry goes with it.
//   - the auto-start Run value, per user and machine-wide, when it starts
//     this program (another copy's value is left alone);
//   - the mirror folders Q7IF and Q7CF: copies of the board's scans, emptied
//     and refilled at every listing of the board, never the only copy;
//   - the thumbnail cache Thumbs (made again from the pictures);
//   - String.ini unless it carries a [version] entry: without one the program
//     rebuilds it from its defaults at every start, so only a file with one
//     holds texts a user edited;
//   - the program folder, when nothing else is left in it.
// Only plain files are deleted, and only those folders; a folder that still
// holds something (a subfolder someone made) stays. The settings under
// HKCU\Software\ZAMO Kivon software stay for a later installation.
//
// An upgrade removes the older version (RemoveExistingProducts) before it
// installs the new one, and that removal must keep all of this. Windows
// tells the older version's session through UPGRADINGPRODUCTCODE; Wine's
// installer does not, so the new version also leaves a mark for it:
// MarkUpgrade (just before RemoveExistingProducts) writes it, the older
// version's RemoveProgramData takes it away and keeps the data.
//
// FinishUpgrade (after InstallFinalize of an upgrade): a String.ini whose
// [version] entry tied its edits to the old version is tied to the new one,
// because the program deletes a String.ini of another version at start-up;
// and a mark that no older version took (it had none of this) is removed.
#include <windows.h>
// windows.h first: the installer headers use its types.
#include <msiquery.h>

#include <optional>
#include <string>
#include <vector>

#include "app/auto_start.h"
#include "core/app/startup_rules.h"
#include "core/app/text_keys.h"
#include "win/registry.h"

namespace {

namespace win = zv::win;

std::string Property(MSIHANDLE install, const char* name) {
  DWORD size = 0;
  char empty[1] = "";
  if (MsiGetPropertyA(install, name, empty, &size) != ERROR_MORE_DATA) return {};
  std::vector<char> value(size + 1);
  size = static_cast<DWORD>(value.size());
  if (MsiGetPropertyA(install, name, value.data(), &size) != ERROR_SUCCESS) return {};
  return std::string(value.data(), size);
}

// The program folder without its trailing backslash.
std::string ProgramFolder(MSIHANDLE install) {
  std::string folder = Property(install, "ProductFolder");
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

constexpr char kInstallKey[] = "Software\\ZAMO Kivon software\\ZAMO Image Viewer\\Install";
constexpr char kUpgradeMark[] = "Upgrading";

// Takes the mark of an upgrade away; true when there was one.
bool TakeUpgradeMark() {
  win::UniqueKey key = win::OpenKey(HKEY_CURRENT_USER, kInstallKey, KEY_READ | KEY_SET_VALUE);
  return key && win::DeleteValue(key.get(), kUpgradeMark);
}

bool SameText(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

void RemoveRunValue(HKEY root, const std::string& programPath) {
  win::UniqueKey key = win::OpenKey(root, zv::kRunKeyPath, KEY_READ | KEY_SET_VALUE);
  if (!key) return;  // a standard user may not open the machine-wide key
  const std::string name = zv::AutoStartValueName(programPath);
  const std::optional<std::string> command = win::ReadString(key.get(), name);
  if (command && SameText(*command, zv::AutoStartCommand(programPath))) win::DeleteValue(key.get(), name);
}

// Deletes the plain files directly in `folder`, then the folder if that left
// it empty.
void RemoveMadeFolder(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::string file = folder + "\\" + found.cFileName;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(file.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

const std::string& VersionKey() {
  static const std::string key = zv::StoredTextKey("version");
  return key;
}

bool HasVersionEntry(const std::string& ini) {
  char value[50] = "";
  return GetPrivateProfileStringA("version", VersionKey().c_str(), "", value, sizeof value, ini.c_str()) > 0;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall MarkUpgrade(MSIHANDLE install) {
  win::UniqueKey key = win::CreateKey(HKEY_CURRENT_USER, kInstallKey, KEY_READ | KEY_SET_VALUE);
  if (key) win::WriteString(key.get(), kUpgradeMark, Property(install, "ProductVersion"));
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall RemoveProgramData(MSIHANDLE install) {
  const bool markedUpgrade = TakeUpgradeMark();
  const std::string folder = ProgramFolder(install);
  if (markedUpgrade || !Property(install, "UPGRADINGPRODUCTCODE").empty() || folder.empty()) return ERROR_SUCCESS;
  const std::string program = folder + "\\ZViewer.exe";
  RemoveRunValue(HKEY_CURRENT_USER, program);
  RemoveRunValue(HKEY_LOCAL_MACHINE, program);
  for (const char* made : {"Q7IF", "Q7CF", "Thumbs"}) RemoveMadeFolder(folder + "\\" + made);
  const std::string ini = folder + "\\String.ini";
  if (!HasVersionEntry(ini)) DeleteFileA(ini.c_str());
  RemoveDirectoryA(folder.c_str());
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall FinishUpgrade(MSIHANDLE install) {
  TakeUpgradeMark();
  const std::string folder = ProgramFolder(install);
  const std::string version = Property(install, "ProductVersion");
  if (folder.empty() || version.empty()) return ERROR_SUCCESS;
  const std::string ini = folder + "\\String.ini";
  if (HasVersionEntry(ini)) WritePrivateProfileStringA("version", VersionKey().c_str(), version.c_str(), ini.c_str());
  return ERROR_SUCCESS;
}
