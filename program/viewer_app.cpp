#include "program/viewer_app.h"

#include "app/app_paths.h"
#include "app/app_services.h"
#include "app/auto_start.h"
#include "app/single_instance.h"
#include "app/tray_frame.h"
#include "app/ui_text_table.h"
#include "browser/file_list_view.h"
#include "browser/thumb_cache_store.h"
#include "copyboard/win_copyboard_system.h"
#include "core/app/startup_rules.h"
#include "core/copyboard/drive_finder.h"
#include "dialogs/splash_dlg.h"
#include "fileops/twain_connection.h"
#include "foldertree/folder_tree_bar.h"
#include "imagelib/image_library.h"
#include "res/resource.h"
#include "win/file_replace.h"
#include "win/message_loop.h"
#include "win/step_trace.h"

namespace zv {

namespace {

constexpr ULONGLONG kSplashMinimumMs = 1000;

}  // namespace

FrameParts DefaultFrameParts() {
  return {[] { return std::make_unique<CFileListView>(GetEnvSet()); },
          [] { return std::make_unique<FolderTreeBar>(); },
          [] { return std::make_unique<CPreviewBar>(); },
          [] { return std::unique_ptr<ScannerConnection>(std::make_unique<TwainConnection>()); }};
}

CViewerApp::CViewerApp() = default;
CViewerApp::~CViewerApp() = default;

bool CViewerApp::InitInstance(const char* arguments) {
  win::TraceStep("start: InitInstance");
  const bool resident = IsResidentCommandLine(arguments);
  services_ = std::make_unique<AppServices>(resident);
  CSplashDlg splash;
  if (IsOtherInstanceRunning(resident)) return false;
  win::TraceStep("start: single copy checked");

  ole_ = std::make_unique<win::OleSession>();
  if (!ole_->ok()) {
    ReportErrorText(nullptr, nullptr, "Main", "OleInitError", "OLE を初期化できませんでした。");
    return false;
  }
  imagelib::Bind();  // its result is not needed here: unbound operations just fail
  win::TraceStep("start: OLE and image library");

  services_->LoadSettings();
  const std::string folder = ProgramFolder();
  for (const char* name : {"Q7IF", "Q7CF", "Thumbs"}) CreateDirectoryA((folder + "\\" + name).c_str(), nullptr);
  services_->LoadMapi();
  win::TraceStep("start: settings, program folders, MAPI");
  if (resident) return InitResidentCopy();

  splash.CreateModeless(nullptr);
  const ULONGLONG splashShown = GetTickCount64();
  win::TraceStep("start: splash shown");
  ThumbCacheStore().PruneIndex();
  // A scan cut off by the end of the process left its temporary there.
  win::DeleteLeftoverTemporaries(GetEnvSet().chaSavFol);
  win::TraceStep("start: cache index pruned, leftovers deleted");
  return InitBrowserCopy(splash, splashShown);
}

bool CViewerApp::InitResidentCopy() {
  trayFrame_ = std::make_unique<CTrayFrame>();
  if (!trayFrame_->CreateInvisible()) return false;
  SetPropA(trayFrame_->hwnd(), kResidentCopyName, reinterpret_cast<HANDLE>(1));
  return true;
}

// While the splash shows its second, the frame is made hidden and the start
// folder listed, so that the frame's first paint shows the folder; what that
// paint does not need (the tree finding the folder) follows it.
bool CViewerApp::InitBrowserCopy(CSplashDlg& splash, ULONGLONG splashShown) {
  CheckVersion(ProgramFolder() + "\\String.ini", GetVersionString());
  services_->CreateAppFont();
  win::TraceStep("start: String.ini checked, font made");

  mainFrame_ = std::make_unique<CMainFrame>(DefaultFrameParts());
  services_->SetPaneSource([this](int index) { return mainFrame_ ? mainFrame_->GetPane(index) : nullptr; });
  if (!mainFrame_->CreateFrame()) return false;
  win::TraceStep("start: frame made");
  ListStartFolder();
  win::TraceStep("start: start folder listed");

  const ULONGLONG splashMs = GetTickCount64() - splashShown;
  if (splashMs < kSplashMinimumMs) Sleep(static_cast<DWORD>(kSplashMinimumMs - splashMs));
  win::TraceStep("start: splash second over");
  ShowWindow(mainFrame_->hwnd(), SW_SHOW);
  mainFrame_->OnIdle();  // the toolbar's first paint shows which commands work
  // Every pane paints now, the grid of the listed folder included, before
  // the tree catches up from the message loop.
  RedrawWindow(mainFrame_->hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  win::TraceStep("start: frame shown and painted");
  splash.Destroy();
  UpdateWindow(mainFrame_->hwnd());
  win::TraceStep("start: splash gone");
  PostMessageA(mainFrame_->hwnd(), WM_ZV_CATCH_UP_TREE, 0, 0);
  if (GetTrayStart() == 1) {
    SetAutoStart(1, ProgramPath());
    LaunchInstance(1);
  }
  SetPropA(mainFrame_->hwnd(), kBrowserCopyName, reinterpret_cast<HANDLE>(1));
  // While the program has never ended normally, the setup dialog opens over
  // the shown frame, from the message loop, once start-up is complete.
  if (services_->settings().dwdExcCnt == 0) PostMessageA(mainFrame_->hwnd(), WM_ZV_FIRST_RUN_SETUP, 0, 0);
  return true;
}

// The copyboard's folder when the board is connected, else the last folder.
void CViewerApp::ListStartFolder() {
  Win32CopyboardSystem system;
  const std::string folder = DriveFinder(system).StartFolder(services_->settings());
  win::TraceStep("start: start folder found");
  mainFrame_->ListStartFolder(folder);
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
  // The windows go first: the file list view writes its columns and modes
  // into the record as it is destroyed.
  mainFrame_.reset();
  trayFrame_.reset();
  if (services_) {
    services_->UnloadMapi();
    services_->SaveSettingsAtExit();
    services_->SetPaneSource(nullptr);
  }
  imagelib::Unbind();
  ole_.reset();
  return 0;
}

}  // namespace zv
