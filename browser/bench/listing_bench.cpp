// Listing benchmark: the file list view in list mode, in a real window,
// lists a folder several times; each run prints where its time went.
//   listing_bench.exe <folder> [runs]
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "browser/file_list_view.h"
#include "imagelib/image_library.h"
#include "win/window.h"

namespace {

constexpr char kHostClass[] = "ZVListingBenchHost";

class Host : public zv::win::Window {};

double Now() {
  LARGE_INTEGER counter{}, frequency{};
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: listing_bench <folder> [runs]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  OleInitialize(nullptr);
  if (!zv::imagelib::Bind()) return 1;
  Host host;
  if (!zv::win::Window::RegisterClass(kHostClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)) ||
      !host.Create({.className = kHostClass, .title = "listing bench", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                    .rect = {0, 0, 1000, 700}}))
    return 1;
  zv::EnvSet settings;
  settings.dwdLstMod = zv::kListMode;
  auto view = std::make_unique<zv::CFileListView>(settings);
  if (!view->CreatePane(host.hwnd(), 59648)) return 1;
  MoveWindow(view->hwnd(), 0, 0, 980, 660, TRUE);
  Pump();

  std::printf("run,wall_ms,total_ms,enumerate_ms,probe_ms,fileinfo_ms,icons_ms,sort_ms,rows_ms,names,listed,rows,live_images\n");
  for (int run = 1; run <= runs; ++run) {
    const double start = Now();
    view->SetFolder(argv[1]);
    const double wall = Now() - start;
    const zv::ListingTimes& t = view->lastListingTimes();
    const int rows = static_cast<int>(SendMessageA(view->listControl(), LVM_GETITEMCOUNT, 0, 0));
    std::printf("%d,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%d,%d,%d,%ld\n", run, wall * 1e3, t.total * 1e3,
                t.enumerate * 1e3, t.probe * 1e3, t.fileInfo * 1e3, t.icons * 1e3, t.sort * 1e3, t.rows * 1e3,
                t.namesSeen, t.listed, rows, zv::imagelib::LiveImageCount());
    Pump();
  }
  view.reset();
  host.Destroy();
  zv::imagelib::Unbind();
  OleUninitialize();
  return 0;
}
