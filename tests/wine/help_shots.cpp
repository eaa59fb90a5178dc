// Pictures of the real program for the help file: starts ZViewer.exe (from
// %ZV_EXE%, copied into a program folder of its own) on the simulated
// board, and saves the main window, the picture view and the setup dialog
// as BMP files into %ZV_SHOT_DIR% (scripts/make-help.sh converts them to
// PNG). Run it inside a Wine virtual desktop, so that the windows have
// their captions. Exit code 0 when every picture was written.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/registry_profile.h"
#include "app/single_instance.h"
#include "res/resource.h"
#include "tests/wine/window_shot.h"
#include "tests/wine/wine_test_support.h"
#include "win/registry.h"

namespace {

using namespace zv;

constexpr DWORD kStartTimeout = 30000;

bool Fail(const char* what) {
  std::fprintf(stderr, "help_shots: %s\n", what);
  return false;
}

struct ClassSearch {
  const char* name;
  HWND found;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ClassSearch*>(param);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, search->name) != 0 || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

// The first visible child (at any depth) of `parent` of class `className`.
HWND ChildOfClass(HWND parent, const char* className) {
  ClassSearch search{className, nullptr};
  EnumChildWindows(parent, MatchClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Lets the program finish what it started (thumbnails are made on worker
// threads and painted when they arrive): these are pictures, not tests.
void Settle(const PROCESS_INFORMATION& p) {
  WaitForInputIdle(p.hProcess, 10000);
  test::PumpFor(3000);
}

bool TakeShots() {
  // Not a first start: the setup dialog is opened below, on purpose.
  win::WriteDword(win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings").get(),
                  "m_tagEnvSet.dwdExcCnt", 1);
  test::ProgramCopy program;
  PROCESS_INFORMATION p = program.Launch("");
  HWND frame =
      test::WaitForWindow([&] { return test::TopWindowOf(p.dwProcessId, kBrowserCopyName); }, kStartTimeout);
  if (frame == nullptr) return Fail("the main window did not show");
  SetWindowPos(frame, HWND_TOP, 40, 30, 860, 600, SWP_SHOWWINDOW);
  SetForegroundWindow(frame);
  Settle(p);
  if (!test::SaveWindowShot(frame, "shot_main")) return Fail("no picture of the main window");

  // The setup dialog, from the Tools menu's command; Cancel stores nothing.
  PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_TOOL_APPSETTING, 0), 0);
  HWND setup = test::WaitForWindow([&] { return test::TopWindowOf(p.dwProcessId, nullptr, "#32770"); });
  if (setup == nullptr) return Fail("the setup dialog did not open");
  Settle(p);
  const bool setupShot = test::SaveWindowShot(setup, "shot_setup");
  PostMessageA(setup, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  if (!test::WaitForWindow([&] { return IsWindow(setup) ? nullptr : frame; })) return Fail("setup stayed open");
  if (!setupShot) return Fail("no picture of the setup dialog");

  // The picture view: a double click on the first thumbnail.
  HWND grid = ChildOfClass(frame, "ZVThumbnailGrid");
  if (grid == nullptr) return Fail("no thumbnail grid");
  const LPARAM firstCell = MAKELPARAM(40, 40);
  PostMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, firstCell);
  PostMessageA(grid, WM_LBUTTONUP, 0, firstCell);
  PostMessageA(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, firstCell);
  PostMessageA(grid, WM_LBUTTONUP, 0, firstCell);
  if (!test::WaitForWindow([&] { return ChildOfClass(frame, "ZVPictureView"); }))
    return Fail("the picture view did not open (is the board plugged in?)");
  Settle(p);
  if (!test::SaveWindowShot(frame, "shot_picture")) return Fail("no picture of the picture view");

  PostMessageA(frame, WM_CLOSE, 0, 0);
  return test::WaitForExit(p, kStartTimeout) || Fail("the program did not end");
}

}  // namespace

int main() {
  if (test::EnvironmentValue("ZV_SHOT_DIR").empty()) return Fail("set ZV_SHOT_DIR"), 2;
  return TakeShots() ? 0 : 1;
}
