#include "app/app_services.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/app_paths.h"
#include "app/registry_profile.h"
#include "app/single_instance.h"
#include "app/ui_text_table.h"
#include "core/app/startup_rules.h"
#include "res/app_identity.h"
#include "win/dpi.h"
#include "win/error_report.h"
#include "win/gdi.h"
#include "win/text_convert.h"

namespace zv {

namespace {

AppServices* g_services = nullptr;

std::string DocumentsFolder() {
  char path[MAX_PATH] = "";
  if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, FALSE)) path[0] = '\0';
  return path;
}

void StartProcess(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

}  // namespace

AppServices::AppServices(bool resident) : resident_(resident) { g_services = this; }

AppServices::~AppServices() {
  if (g_services == this) g_services = nullptr;
}

void AppServices::LoadSettings() {
  zv::LoadEnvSet(settings_);
  settingsLoaded_ = true;
}

void AppServices::SaveSettingsAtExit() {
  // A copy that stopped before reading the record (another copy runs) must
  // not overwrite the stored settings with defaults; and an exit is counted once.
  if (!settingsLoaded_ || settingsSaved_) return;
  settingsSaved_ = true;
  if (resident_) {
    RegistryProfileSection profile(kSettingsSection);
    CountNormalExit(profile);
    return;
  }
  settings_.dwdExcCnt = static_cast<int32_t>(static_cast<uint32_t>(settings_.dwdExcCnt) + 1u);
  zv::SaveEnvSet(settings_);
}

void AppServices::CreateAppFont(int dpi) {
  const FontSetting font = GetFontSetting();
  fontDpi_ = dpi > 0 ? dpi : win::Dpi::OfSystem().dpi;
  font_.reset(CreatePointFont(static_cast<int>(static_cast<uint32_t>(font.points) * 10u), font.faceName, fontDpi_));
}

void AppServices::LoadMapi() {
  mapiModule_.reset(LoadLibraryA("MAPI32.DLL"));
  if (mapiModule_)
    mapiSendMail_ = reinterpret_cast<LPMAPISENDMAIL>(
        reinterpret_cast<void*>(GetProcAddress(mapiModule_.get(), "MAPISendMail")));
}

void AppServices::UnloadMapi() {
  mapiSendMail_ = nullptr;
  mapiModule_.reset();
}

// ---- settings --------------------------------------------------------------

void LoadEnvSet(EnvSet& settings) {
  RegistryProfileSection profile(kSettingsSection);
  zv::LoadEnvSet(settings, profile, DocumentsFolder(), win::IsAnsiLeadByte);
}

void SaveEnvSet(const EnvSet& settings) {
  RegistryProfileSection profile(kSettingsSection);
  zv::SaveEnvSet(settings, profile);
}

int GetTrayStart() { return RegistryProfileSection(kSettingsSection).ReadInt(kTrayStartValue, 0); }
void SetTrayStart(int value) { RegistryProfileSection(kSettingsSection).WriteInt(kTrayStartValue, value); }

void SaveSettingsAtExit() {
  if (g_services != nullptr) g_services->SaveSettingsAtExit();
}

// ---- services --------------------------------------------------------------

EnvSet& GetEnvSet() {
  // A window tested on its own may run without the program's services; it
  // then reads and changes a record of defaults that nobody saves.
  static EnvSet unsaved;
  return g_services != nullptr ? g_services->settings() : unsaved;
}

HFONT GetAppFont() { return g_services != nullptr ? g_services->font() : nullptr; }
LPMAPISENDMAIL GetMapiSendMail() { return g_services != nullptr ? g_services->mapiSendMail() : nullptr; }
win::Window* GetPane(int index) { return g_services != nullptr ? g_services->Pane(index) : nullptr; }

FontSetting GetFontSetting() {
  CUiTextTable texts;
  FontSetting setting;
  setting.faceName = texts.GetText("Main", "DefaultFontName", "ＭＳ ゴシック");
  setting.points = FontPointsFromText(texts.GetText("Main", "DefaultFontSize", "10"));
  return setting;
}

std::string GetDefaultFolderName() { return CUiTextTable().GetText("Main", "DefaultFolderName", "新しいフォルダ"); }

std::string GetVersionString() {
  // The program's own file, found by the usual search as "<name>.exe".
  std::string file = ProgramBaseName() + ".exe";
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) || infoSize < sizeof *info)
    return {};
  return VersionText(info->dwFileVersionMS, info->dwFileVersionLS);
}

void SetCursorById(int cursorId) {
  if (cursorId == -1) {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return;
  }
  SetCursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(cursorId)));
}

void LaunchInstance(int mode) {
  if (mode == -1) {
    if (HWND tray = FindWindowWithProperty(kResidentCopyName)) PostMessageA(tray, WM_CLOSE, 0, 0);
  } else if (mode == 0 || mode == 1) {
    std::string commandLine = "\"";
    commandLine += ProgramPath();
    commandLine += mode == 1 ? "\" i" : "\"";
    StartProcess(commandLine);
  }
}

bool UseAppFontFor(int dpi) {
  if (g_services == nullptr || g_services->font() == nullptr) return false;
  if (g_services->fontDpi() != dpi) g_services->CreateAppFont(dpi);
  return true;
}

HFONT CreatePointFont(int tenths, const std::string& faceName, int dpi) {
  LOGFONTA font{};
  font.lfCharSet = DEFAULT_CHARSET;
  CopyToField(font.lfFaceName, faceName, win::IsAnsiLeadByte);
  // Tenths of a point to pixels of the screen; the 64-bit product and the
  // clamp keep an odd size text from overflowing.
  const long long pixels = static_cast<long long>(dpi > 0 ? dpi : win::Dpi::OfSystem().dpi) * tenths / 720;
  font.lfHeight = -static_cast<LONG>(std::min<long long>(std::llabs(pixels), 0x7FFF));
  return CreateFontIndirectA(&font);
}

void ReportErrorText(HWND owner, HWND field, const char* section, const char* key, const char* defaultUtf8) {
  win::ReportError(owner, field, CUiTextTable().GetText(section, key, defaultUtf8), ZV_APP_TITLE);
}

}  // namespace zv
