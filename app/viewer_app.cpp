#include "app/viewer_app.h"

#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/app_paths.h"
#include "app/auto_start.h"
#include "app/registry_profile.h"
#include "app/single_instance.h"
#include "app/tray_frame.h"
#include "app/ui_text_table.h"
#include "copyboard/win_copyboard_system.h"
#include "core/app/startup_rules.h"
#include "core/copyboard/drive_finder.h"
#include "dialogs/splash_dlg.h"
#include "imagelib/image_library.h"
#include "mainwnd/main_frame.h"
#include "res/app_identity.h"
#include "win/message_loop.h"
#include "win/text_convert.h"

namespace zv {

namespace {

CViewerApp* g_app = nullptr;

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

CViewerApp::CViewerApp() { g_app = this; }
CViewerApp::~CViewerApp() {
  if (g_app == this) g_app = nullptr;
}

CViewerApp& TheApp() { return *g_app; }

HWND CViewerApp::MainWindow() const {
  if (mainFrame_) return mainFrame_->hwnd();
  if (trayFrame_) return trayFrame_->hwnd();
  return nullptr;
}

bool CViewerApp::InitInstance(const char* arguments) {
  resident_ = IsResidentCommandLine(arguments);
  CSplashDlg splash;
  if (IsOtherInstanceRunning(resident_)) return false;

  if (FAILED(OleInitialize(nullptr))) {
    MessageBoxA(nullptr, "OLE could not be initialised.", ZV_APP_TITLE, MB_OK);
    return false;
  }
  oleInitialised_ = true;
  imagelib::Bind();  // its result is not needed here: unbound operations just fail

  LoadEnvSet(settings_);
  settingsLoaded_ = true;
  CreateProgramFolders();
  LoadMapi();
  if (resident_) return InitResidentCopy();

  splash.CreateModeless(nullptr);
  Sleep(1000);
  // The thumbnail cache prunes its index here, while the splash is up.
  return InitBrowserCopy(splash);
}

bool CViewerApp::InitResidentCopy() {
  trayFrame_ = std::make_unique<CTrayFrame>();
  if (!trayFrame_->CreateInvisible()) return false;
  SetPropA(trayFrame_->hwnd(), kResidentCopyName, reinterpret_cast<HANDLE>(1));
  return true;
}

bool CViewerApp::InitBrowserCopy(CSplashDlg& splash) {
  CheckVersion(ProgramFolder() + "\\String.ini", GetVersionString());
  FontSetting font = GetFontSetting();
  font_.reset(CreatePointFont(static_cast<int>(static_cast<uint32_t>(font.points) * 10u), font.faceName));

  mainFrame_ = std::make_unique<CMainFrame>();
  if (!mainFrame_->CreateFrame()) return false;
  ShowWindow(mainFrame_->hwnd(), SW_SHOW);
  UpdateWindow(mainFrame_->hwnd());
  splash.Destroy();
  UpdateWindow(mainFrame_->hwnd());
  SelectStartFolder();
  if (GetTrayStart() == 1) {
    SetAutoStart(1, ProgramPath());
    LaunchInstance(1);
  }
  SetPropA(mainFrame_->hwnd(), kBrowserCopyName, reinterpret_cast<HANDLE>(1));
  // While the program has never ended normally (dwdExcCnt 0), the first-run
  // setup dialog is shown here.
  return true;
}

// The copyboard's folder when the board is connected, else the last folder;
// the tree's selection then lists it.
void CViewerApp::SelectStartFolder() {
  Win32CopyboardSystem system;
  const std::string folder = DriveFinder(system).StartFolder(settings_);
  if (CFolderTreePane* tree = mainFrame_->FolderTreeBar()) tree->SelectPath(folder);
}

void CViewerApp::CreateProgramFolders() {
  const std::string folder = ProgramFolder();
  for (const char* name : {"Q7IF", "Q7CF", "Thumbs"}) CreateDirectoryA((folder + "\\" + name).c_str(), nullptr);
}

void CViewerApp::LoadMapi() {
  mapiModule_.reset(LoadLibraryA("MAPI32.DLL"));
  if (mapiModule_)
    mapiSendMail_ = reinterpret_cast<LPMAPISENDMAIL>(
        reinterpret_cast<void*>(GetProcAddress(mapiModule_.get(), "MAPISendMail")));
}

bool CViewerApp::PreTranslateMessage(MSG& msg) {
  if (mainFrame_ && mainFrame_->hwnd() != nullptr) return mainFrame_->PreTranslateMessage(msg);
  return false;
}

int CViewerApp::Run() {
  return win::RunMessageLoop([this](MSG& msg) { return PreTranslateMessage(msg); },
                             [this] {
                               if (mainFrame_) mainFrame_->OnIdle();
                             });
}

int CViewerApp::ExitInstance() {
  mapiSendMail_ = nullptr;
  mapiModule_.reset();
  // A copy that stopped before loading the record (another copy runs) must
  // not overwrite the stored settings with defaults.
  if (settingsLoaded_) {
    settings_.dwdExcCnt += 1;
    SaveEnvSet(settings_);
  }
  mainFrame_.reset();
  trayFrame_.reset();
  font_.reset();
  imagelib::Unbind();
  if (oleInitialised_) OleUninitialize();
  return 0;
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

// ---- services --------------------------------------------------------------

EnvSet& GetEnvSet() { return TheApp().GetEnvSet(); }
HFONT GetAppFont() { return g_app ? g_app->GetAppFont() : nullptr; }

win::Window* GetPane(int index) {
  CMainFrame* frame = g_app != nullptr ? g_app->MainFrame() : nullptr;
  return frame != nullptr ? frame->GetPane(index) : nullptr;
}

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

HFONT CreatePointFont(int tenths, const std::string& faceName) {
  LOGFONTA font{};
  font.lfCharSet = DEFAULT_CHARSET;
  CopyToField(font.lfFaceName, faceName, win::IsAnsiLeadByte);
  HDC screen = GetDC(nullptr);
  // Tenths of a point to pixels of the screen; the 64-bit product and the
  // clamp keep an odd size text from overflowing.
  long long pixels = static_cast<long long>(GetDeviceCaps(screen, LOGPIXELSY)) * tenths / 720;
  ReleaseDC(nullptr, screen);
  font.lfHeight = -static_cast<LONG>(std::min<long long>(std::llabs(pixels), 0x7FFF));
  return CreateFontIndirectA(&font);
}

}  // namespace zv
