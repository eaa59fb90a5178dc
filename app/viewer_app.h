#pragma once
// The application object: start-up, the single-copy rule, shutdown, and the
// application-wide services that the other subsystems call.
#include <windows.h>

#include <mapi.h>

#include <memory>
#include <string>

#include "core/app/envset.h"
#include "win/handles.h"
#include "win/window.h"

namespace zv {

class CMainFrame;
class CTrayFrame;
class CSplashDlg;

struct FontSetting {
  std::string faceName;
  int points;
};

class CViewerApp {
 public:
  CViewerApp();
  ~CViewerApp();

  // Start-up; false ends the process at once.
  bool InitInstance(const char* arguments);
  int Run();
  int ExitInstance();

  bool IsResident() const { return resident_; }
  EnvSet& GetEnvSet() { return settings_; }
  HFONT GetAppFont() const { return font_.get(); }
  LPMAPISENDMAIL GetMapiSendMail() const { return mapiSendMail_; }
  HWND MainWindow() const;
  CMainFrame* MainFrame() const { return mainFrame_.get(); }

 private:
  bool InitBrowserCopy(CSplashDlg& splash);
  bool InitResidentCopy();
  void SelectStartFolder();
  void CreateProgramFolders();
  void LoadMapi();
  bool PreTranslateMessage(MSG& msg);

  bool resident_ = false;
  bool settingsLoaded_ = false;
  EnvSet settings_;
  win::UniqueFont font_;
  win::UniqueModule mapiModule_;
  LPMAPISENDMAIL mapiSendMail_ = nullptr;
  bool oleInitialised_ = false;
  std::unique_ptr<CMainFrame> mainFrame_;
  std::unique_ptr<CTrayFrame> trayFrame_;
};

// The one application object of the process.
CViewerApp& TheApp();

// Application services (see CViewerApp): reached from every subsystem.
EnvSet& GetEnvSet();
HFONT GetAppFont();
FontSetting GetFontSetting();
std::string GetDefaultFolderName();
std::string GetVersionString();
void SetCursorById(int cursorId);
// -1 closes the resident copy, 0 starts a browser copy, 1 a resident copy.
void LaunchInstance(int mode);
// 0 the file list view, 1 the folder tree pane, 2 the preview pane; null in
// a resident copy or for any other index.
win::Window* GetPane(int index);
int GetTrayStart();
void SetTrayStart(int value);

// Loads the settings record from the registry, or writes it back.
void LoadEnvSet(EnvSet& settings);
void SaveEnvSet(const EnvSet& settings);

// A point font of `tenths` tenths of a point, as the framework makes one.
HFONT CreatePointFont(int tenths, const std::string& faceName);

}  // namespace zv
