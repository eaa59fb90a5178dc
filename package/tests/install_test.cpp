// The installer package under Wine's Windows Installer, as a user goes
// through it: install quietly, start the program from the Start menu
// shortcut's target, open its help, install a higher version over it, and
// uninstall. The packages come from the CTest fixture "package"
// (package/tests/make_test_packages.sh): %ZV_PACKAGE_DIR%\ZViewer.msi, made
// from the tested ZViewer.exe, and ZViewer-newer.msi, the same program with
// a higher version in its version resource.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the headers below use its types.
#include <msi.h>
#include <shlobj.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/auto_start.h"
#include "app/registry_profile.h"
#include "app/single_instance.h"
#include "core/app/startup_rules.h"
#include "core/app/text_keys.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/registry.h"

namespace zv {
namespace {

constexpr char kUpgradeCode[] = "{ED84AC82-ABC0-412E-8B8B-8DEC224FCC3E}";
constexpr DWORD kInstallerTimeout = 180000;
constexpr DWORD kStartTimeout = 30000;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string KnownFolder(int csidl) {
  char path[MAX_PATH] = "";
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)) ? path : "";
}

std::string ProgramFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\ZAMO Image Viewer"; }
std::string ShortcutPath() { return KnownFolder(CSIDL_PROGRAMS) + "\\ZAMO Image Viewer.lnk"; }

// Runs msiexec with `arguments` and gives its exit code (-1: it did not end).
int RunInstaller(const std::string& arguments) {
  std::string commandLine = "msiexec.exe " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION p{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &p))
    return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(p.hProcess, kInstallerTimeout) == WAIT_OBJECT_0) GetExitCodeProcess(p.hProcess, &code);
  CloseHandle(p.hProcess);
  CloseHandle(p.hThread);
  return static_cast<int>(code);
}

std::vector<std::string> InstalledProducts() {
  std::vector<std::string> products;
  char product[39] = "";
  for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, product) == ERROR_SUCCESS; ++i)
    products.push_back(product);
  return products;
}

std::string ProductInfo(const std::string& product, const char* property) {
  char value[MAX_PATH] = "";
  DWORD size = sizeof value;
  return MsiGetProductInfoA(product.c_str(), property, value, &size) == ERROR_SUCCESS ? value : "";
}

std::string FileVersion(const std::string& path) {
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT size = 0;
  if (data.empty() || !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &size))
    return "";
  return VersionText(info->dwFileVersionMS, info->dwFileVersionLS);
}

// The target of a shell link, as the Start menu starts it.
std::string ShortcutTarget(const std::string& link) {
  std::string target;
  IShellLinkA* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shellLink))))
    return target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    const std::wstring wide(link.begin(), link.end());  // an ASCII path
    char path[MAX_PATH] = "";
    if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) && SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
      target = path;
    file->Release();
  }
  shellLink->Release();
  return target;
}

std::optional<std::string> RunValue(HKEY root) {
  return win::ReadString(win::OpenKey(root, kRunKeyPath).get(), "ZViewer");
}

win::UniqueKey Settings() { return win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings"); }

std::string IniText(const std::string& ini, const char* section, const char* key) {
  char value[256] = "";
  GetPrivateProfileStringA(section, StoredTextKey(key).c_str(), "", value, sizeof value, ini.c_str());
  return value;
}

// Waits until `done` holds (or the limit passes); true when it held.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kStartTimeout) {
  return test::WaitForWindow([&] { return done() ? GetDesktopWindow() : nullptr; }, timeoutMs) != nullptr;
}

struct RunningProgram {
  PROCESS_INFORMATION process{};
  HWND frame = nullptr;
};

RunningProgram StartFromShortcut() {
  RunningProgram running;
  const std::string exe = ShortcutTarget(ShortcutPath());
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, ProgramFolder().c_str(),
                      &startup, &running.process))
    return running;
  running.frame = test::WaitForWindow(
      [&] { return test::TopWindowOf(running.process.dwProcessId, kBrowserCopyName); }, kStartTimeout);
  return running;
}

// Posts WM_CLOSE to a copy's window and waits until its process ended.
bool EndCopy(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  PostMessageA(window, WM_CLOSE, 0, 0);
  const bool ended = process != nullptr && WaitForSingleObject(process, kStartTimeout) == WAIT_OBJECT_0;
  if (process != nullptr) CloseHandle(process);
  return ended;
}

// Ends the resident copy the browser started (first: its poll starts a
// browser whenever it finds the board) and then every browser copy, each
// as a user closes it. True when the resident copy was there and all ended.
bool CloseNormally(RunningProgram& running) {
  HWND tray = test::WaitForWindow([] { return FindWindowWithProperty(kResidentCopyName); }, kStartTimeout);
  bool ended = tray != nullptr && EndCopy(tray);
  ended = EndCopy(running.frame) && ended;
  for (int i = 0; i < 5; ++i) {
    if (HWND another = FindWindowWithProperty(kBrowserCopyName)) ended = EndCopy(another) && ended;
  }
  CloseHandle(running.process.hProcess);
  CloseHandle(running.process.hThread);
  return ended && FindWindowWithProperty(kBrowserCopyName) == nullptr;
}

// Where Programs and Features finds an installed product.
bool ProgramsEntryExists(const std::string& product) {
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product;
  return win::OpenKey(HKEY_CURRENT_USER, key) || win::OpenKey(HKEY_LOCAL_MACHINE, key);
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    RemoveEverything();
  }
  void TearDown() override {
    RemoveEverything();
    CoUninitialize();
  }
  // A clean machine: no installed version, no settings, no folder left.
  static void RemoveEverything() {
    for (const std::string& product : InstalledProducts()) RunInstaller("/x " + product + " /qn");
    test::DeleteProgramSettings();
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
      win::DeleteValue(win::OpenKey(root, kRunKeyPath, KEY_SET_VALUE).get(), "ZViewer");
    DeleteFileA((ProgramFolder() + "\\String.ini").c_str());
    RemoveDirectoryA(ProgramFolder().c_str());
  }
  const std::string packages = test::EnvironmentValue("ZV_PACKAGE_DIR");
};

TEST_F(InstallerTest, InstallUpgradeAndUninstallAsAUserWould) {
  ASSERT_TRUE(Exists(packages + "\\ZViewer.msi") && Exists(packages + "\\ZViewer-newer.msi")) << packages;
  const std::string folder = ProgramFolder();
  const std::string exe = folder + "\\ZViewer.exe";
  const std::string ini = folder + "\\String.ini";

  // Install, quietly and without administrator rights.
  ASSERT_EQ(RunInstaller("/i \"" + packages + "\\ZViewer.msi\" /qn"), 0);
  std::vector<std::string> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u);
  const std::string first = products[0];
  const std::string firstVersion = FileVersion(exe);
  ASSERT_FALSE(firstVersion.empty()) << "the program is in " << folder;
  EXPECT_EQ(ProductInfo(first, INSTALLPROPERTY_VERSIONSTRING), firstVersion)
      << "Programs and Features shows the program's own version";
  EXPECT_TRUE(ProgramsEntryExists(first));
  EXPECT_TRUE(Exists(folder + "\\ZVHelp.chm"));
  EXPECT_FALSE(Exists(ini)) << "String.ini is the program's to write";
  ASSERT_EQ(ShortcutTarget(ShortcutPath()), exe) << "the Start menu starts the installed program";

  // The user's settings before the first start: resident mode on (the
  // program writes the Run value), a save folder of their own.
  win::WriteDword(Settings().get(), "intTstTry", 1);
  win::WriteDword(Settings().get(), "m_tagEnvSet.dwdExcCnt", 1);
  win::WriteString(Settings().get(), "m_tagEnvSet.chaSavFol", "C:\\users\\Public\\Scans");

  RunningProgram running = StartFromShortcut();
  ASSERT_NE(running.frame, nullptr) << "the installed program starts";
  PostMessageA(running.frame, WM_COMMAND, MAKEWPARAM(ID_HELP_INDEX, 0), 0);
  HWND help = test::WaitForWindow([] { return FindWindowA("HH Parent", nullptr); }, kStartTimeout);
  ASSERT_NE(help, nullptr) << "Help opens a help window";
  wchar_t title[128] = L"";
  GetWindowTextW(help, title, 128);
  // The help file's window title, "ZAMO Image Viewer ヘルプ" in code page 932,
  // as the viewer reads it: in the system's ANSI code page.
  const char titleBytes[] = "ZAMO Image Viewer \x83\x77\x83\x8B\x83\x76";
  wchar_t expected[128] = L"";
  MultiByteToWideChar(CP_ACP, 0, titleBytes, -1, expected, 128);
  EXPECT_EQ(std::wstring(title), std::wstring(expected)) << "showing the installed ZVHelp.chm";
  PostMessageA(help, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(help); })) << "the help window closes";
  ASSERT_TRUE(CloseNormally(running));
  const DWORD exitsBeforeUpgrade = win::ReadDword(Settings().get(), "m_tagEnvSet.dwdExcCnt").value_or(0);
  const std::string runCommand = AutoStartCommand(exe);
  EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE).value_or(RunValue(HKEY_CURRENT_USER).value_or("")), runCommand);
  for (const char* made : {"Q7IF", "Q7CF", "Thumbs"}) ASSERT_TRUE(Exists(folder + "\\" + made)) << made;

  // What a user has by now: a cache file, texts edited for this version.
  test::WriteFileBytes(folder + "\\Thumbs\\cache-kept.bin", "cache");
  test::WriteFileBytes(folder + "\\Q7IF\\20240501_093000.png", "mirror copy");
  test::WriteFileBytes(ini, "[version]\r\nversion_____________=" + firstVersion +
                                "\r\n[Main]\r\nDefaultFontSize_____=12\r\n");

  // A higher version over it.
  ASSERT_EQ(RunInstaller("/i \"" + packages + "\\ZViewer-newer.msi\" /qn"), 0);
  products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u) << "the newer version replaced the older one";
  const std::string second = products[0];
  const std::string secondVersion = FileVersion(exe);
  EXPECT_NE(second, first);
  EXPECT_NE(secondVersion, firstVersion);
  EXPECT_EQ(ProductInfo(second, INSTALLPROPERTY_VERSIONSTRING), secondVersion);
  EXPECT_FALSE(ProgramsEntryExists(first)) << "one entry in Programs and Features";
  EXPECT_TRUE(Exists(folder + "\\Thumbs\\cache-kept.bin")) << "the thumbnail cache stays";
  EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE).value_or(RunValue(HKEY_CURRENT_USER).value_or("")), runCommand)
      << "resident mode stays on";
  EXPECT_EQ(ShortcutTarget(ShortcutPath()), exe);

  running = StartFromShortcut();
  ASSERT_NE(running.frame, nullptr) << "the upgraded program starts";
  ASSERT_TRUE(CloseNormally(running));
  EXPECT_EQ(IniText(ini, "Main", "DefaultFontSize"), "12") << "the upgraded program kept the edited texts";
  EXPECT_EQ(IniText(ini, "version", "version"), secondVersion);
  EXPECT_GT(win::ReadDword(Settings().get(), "m_tagEnvSet.dwdExcCnt").value_or(0), exitsBeforeUpgrade)
      << "the settings went on from the older version's";
  EXPECT_EQ(win::ReadString(Settings().get(), "m_tagEnvSet.chaSavFol").value_or(""), "C:\\users\\Public\\Scans");

  // Uninstall.
  ASSERT_EQ(RunInstaller("/x " + second + " /qn"), 0);
  EXPECT_TRUE(InstalledProducts().empty());
  EXPECT_FALSE(ProgramsEntryExists(second));
  EXPECT_FALSE(Exists(exe));
  EXPECT_FALSE(Exists(folder + "\\ZVHelp.chm"));
  EXPECT_FALSE(Exists(ShortcutPath()));
  for (const char* made : {"Q7IF", "Q7CF", "Thumbs"}) EXPECT_FALSE(Exists(folder + "\\" + made)) << made;
  EXPECT_FALSE(RunValue(HKEY_LOCAL_MACHINE).has_value()) << "no resident copy at the next log-on";
  EXPECT_FALSE(RunValue(HKEY_CURRENT_USER).has_value());
  EXPECT_EQ(IniText(ini, "Main", "DefaultFontSize"), "12") << "edited texts stay, like the settings";
  EXPECT_EQ(win::ReadString(Settings().get(), "m_tagEnvSet.chaSavFol").value_or(""), "C:\\users\\Public\\Scans")
      << "the user's settings stay for a later installation";
}

}  // namespace
}  // namespace zv
