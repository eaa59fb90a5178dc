// ZViewer.exe: one program, two kinds of copy (see program/viewer_app.h).
#include <windows.h>

#include "core/app/startup_rules.h"
#include "program/viewer_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // WinMain's own argument pointer has its leading blanks skipped; the kind
  // of copy is decided on the arguments exactly as given.
  zv::CViewerApp app;
  if (!app.InitInstance(zv::ArgumentsAfterProgramName(GetCommandLineA()))) {
    app.ExitInstance();
    return 0;
  }
  app.Run();
  return app.ExitInstance();
}
