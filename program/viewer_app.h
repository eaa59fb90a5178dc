#pragma once
// The composition root: the object that starts a copy of the program, builds
// its windows (the main frame with its panes, or the tray frame, and the
// splash) and shuts it down. Only main.cpp includes this header; every other
// part reaches the application services through app/app_services.h.
#include <windows.h>

#include <memory>

#include "app/app_services.h"
#include "mainwnd/main_frame.h"
#include "win/com.h"

namespace zv {

class CTrayFrame;
class CSplashDlg;

// The program's own panes and scanner connection for the main frame.
FrameParts DefaultFrameParts();

class CViewerApp {
 public:
  CViewerApp();
  ~CViewerApp();

  // Start-up; false ends the process at once.
  bool InitInstance(const char* arguments);
  int Run();
  int ExitInstance();

 private:
  bool InitBrowserCopy(CSplashDlg& splash, ULONGLONG splashShown);
  bool InitResidentCopy();
  void ListStartFolder();
  bool PreTranslateMessage(MSG& msg);

  std::unique_ptr<AppServices> services_;
  std::unique_ptr<win::OleSession> ole_;
  std::unique_ptr<CMainFrame> mainFrame_;
  std::unique_ptr<CTrayFrame> trayFrame_;
};

}  // namespace zv
