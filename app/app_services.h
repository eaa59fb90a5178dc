#pragma once
// The application services that every subsystem may use: the settings
// record, the application font and its setting, the default folder name,
// the program version, cursors by resource id, starting and closing the
// other kind of copy, the tray-start value, the mail entry and the panes of
// the main window. The state behind them lives in one AppServices object,
// which the program makes at start-up (tests make their own).
#include <windows.h>

#include <mapi.h>

#include <functional>
#include <string>

#include "core/app/envset.h"
#include "win/handles.h"
#include "win/window.h"

namespace zv {

struct FontSetting {
  std::string faceName;
  int points;
};

class AppServices {
 public:
  // The new object serves the process until it is destroyed.
  explicit AppServices(bool resident = false);
  ~AppServices();
  AppServices(const AppServices&) = delete;
  AppServices& operator=(const AppServices&) = delete;

  bool resident() const { return resident_; }
  EnvSet& settings() { return settings_; }
  // Reads the record from the registry.
  void LoadSettings();
  // What a normal exit stores, once: a browser copy counts the exit and
  // writes its record; a resident copy only counts the exit, because its
  // record is the one it read at log-on and a browser copy may have saved
  // newer values since. Nothing is written when the record was never read.
  void SaveSettingsAtExit();

  HFONT font() const { return font_.get(); }
  // Makes the application font for a screen of `dpi` (0: the system's).
  // A frame moved to another screen makes it again and sets it on its windows.
  void CreateAppFont(int dpi = 0);
  int fontDpi() const { return fontDpi_; }
  void LoadMapi();
  void UnloadMapi();
  LPMAPISENDMAIL mapiSendMail() const { return mapiSendMail_; }
  // Who answers GetPane: the main frame of a browser copy.
  void SetPaneSource(std::function<win::Window*(int)> source) { paneSource_ = std::move(source); }
  win::Window* Pane(int index) const { return paneSource_ ? paneSource_(index) : nullptr; }

 private:
  bool resident_;
  bool settingsLoaded_ = false;
  bool settingsSaved_ = false;
  EnvSet settings_;
  win::UniqueFont font_;
  int fontDpi_ = 0;
  win::UniqueModule mapiModule_;
  LPMAPISENDMAIL mapiSendMail_ = nullptr;
  std::function<win::Window*(int)> paneSource_;
};

// The services of the process's AppServices object.
EnvSet& GetEnvSet();
HFONT GetAppFont();  // null without an AppServices object
LPMAPISENDMAIL GetMapiSendMail();
FontSetting GetFontSetting();
std::string GetDefaultFolderName();
std::string GetVersionString();
// -1 sets the standard arrow.
void SetCursorById(int cursorId);
// -1 closes the resident copy, 0 starts a browser copy, 1 a resident copy.
void LaunchInstance(int mode);
// 0 the file list view, 1 the folder tree pane, 2 the preview pane; null in
// a resident copy or for any other index.
win::Window* GetPane(int index);
int GetTrayStart();
void SetTrayStart(int value);
// Saves what a normal exit saves (see AppServices::SaveSettingsAtExit);
// the end of a Windows session calls it too.
void SaveSettingsAtExit();

// The record in the registry, read or written as a whole.
void LoadEnvSet(EnvSet& settings);
void SaveEnvSet(const EnvSet& settings);

// A point font of `tenths` tenths of a point, as the framework makes one,
// for a screen of `dpi` (0: the system's).
HFONT CreatePointFont(int tenths, const std::string& faceName, int dpi = 0);
// The application font of the AppServices object, made again for a screen of
// `dpi` when it was made for another; false when there is none to make again.
bool UseAppFontFor(int dpi);

// An exclamation box with the text of `key` in `section` of String.ini,
// then the focus back on `field` (may be null).
void ReportErrorText(HWND owner, HWND field, const char* section, const char* key, const char* defaultUtf8);

}  // namespace zv
