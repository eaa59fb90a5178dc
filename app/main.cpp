// ZViewer.exe: one program, two kinds of copy (see app/viewer_app.h).
#include <windows.h>

#include "app/viewer_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  zv::CViewerApp app;
  if (!app.InitInstance(arguments)) {
    app.ExitInstance();
    return 0;
  }
  app.Run();
  return app.ExitInstance();
}
