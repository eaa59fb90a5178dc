// Picture view benchmark: the real file list view in a real 1000 x 700
// window, on a folder of same-sized scans of one format. Not a test: figures
// go to docs/performance.md (scripts/bench-picture.sh runs JPEG and PNG).
//   picture_bench <folder> <steps>
// For the folder's pictures, in one run:
//   - decode: the picture view's decode from the file (what a move to a
//     picture not read ahead costs on the user-interface thread);
//   - next without read-ahead: the command to the painted picture, with the
//     neighbours dropped first;
//   - next and previous with the neighbours read ahead;
//   - zoom in, zoom out, turn right and mirror on the picture shown.
#include <windows.h>

#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "browser/bench/bench_support.h"
#include "browser/file_list_view.h"
#include "imagelib/image_library.h"
#include "res/resource.h"
#include "win/window.h"

namespace {

constexpr char kHostClass[] = "ZVPictureBenchHost";

using zv::bench::Now;
using zv::bench::Pump;
using zv::bench::QuietHost;

class Host : public zv::win::Window {};

struct Figures {
  std::vector<double> ms;
  void Add(double seconds) { ms.push_back(seconds * 1000); }
  double Median() const {
    std::vector<double> v = ms;
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
  }
  double Max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

void Print(const char* what, const Figures& f) {
  std::printf("%-34s median %7.1f ms  max %7.1f ms  (%zu)\n", what, f.Median(), f.Max(), f.ms.size());
}

class Bench {
 public:
  bool Open(const std::string& folder) {
    if (!zv::win::Window::RegisterClass(kHostClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)) ||
        !host_.Create({.className = kHostClass, .title = "picture bench", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                       .rect = {0, 0, 1000, 700}}))
      return false;
    settings_.dwdLstMod = 0;
    view_ = std::make_unique<zv::CFileListView>(settings_);
    if (!view_->CreatePane(host_.hwnd(), 59648, quiet_)) return false;
    RECT client{};
    GetClientRect(host_.hwnd(), &client);
    MoveWindow(view_->hwnd(), 0, 0, client.right, client.bottom, TRUE);
    view_->SetFolder(folder.c_str());
    Pump();
    std::printf("%zu pictures listed\n", view_->ItemCount());
    if (view_->ItemCount() < 3) return false;
    view_->SelectAll();  // the last is current
    return view_->ExecuteCommand(ID_VIEW_SHOWPICTURE) && view_->pictureMode().view().shown();
  }
  void Close() {
    view_.reset();
    host_.Destroy();
  }
  // Until both neighbours are read ahead (the thumbnails, made meanwhile, are done too).
  void WaitForNeighbours() {
    const double until = Now() + 30;
    while (view_->pictureMode().readAhead().KeptPaths().size() < 2 && Now() < until) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      Pump();
    }
  }
  // One command, then the view painted.
  double Timed(int command) {
    const double start = Now();
    view_->ExecuteCommand(command);
    commandSeconds += Now() - start;
    UpdateWindow(view_->pictureMode().window());
    UpdateWindow(view_->pictureMode().view().imageChild());
    GdiFlush();
    return Now() - start;
  }
  zv::CFileListView& view() { return *view_; }
  double commandSeconds = 0;  // of Timed, up to the painting

 private:
  Host host_;
  QuietHost quiet_;
  zv::EnvSet settings_;
  std::unique_ptr<zv::CFileListView> view_;
};

int Run(const std::string& folder, int steps) {
  Bench bench;
  if (!bench.Open(folder)) {
    std::fprintf(stderr, "cannot open %s\n", folder.c_str());
    return 1;
  }
  zv::CFileListView& view = bench.view();
  const zv::KeptPicture& kept = view.pictureMode().view().kept();
  std::printf("%zu pictures of %d x %d, kept as %d x %d, shown at %d x %d\n", view.ItemCount(), kept.full.width,
              kept.full.height, kept.pixels.width, kept.pixels.height, view.pictureMode().view().displayedSize().width,
              view.pictureMode().view().displayedSize().height);

  Figures decode, cold, ahead, zoomIn, zoomOut, turn, mirror;
  for (int i = 0; i < steps; ++i) {
    const zv::FileListItem* item = view.Item(static_cast<size_t>(i) % view.ItemCount());
    const double start = Now();
    const zv::DecodeOutcome outcome = zv::DecodeForView(item->path);
    decode.Add(Now() - start);
    if (!outcome.picture) return 1;
  }
  for (int i = 0; i < steps; ++i) {
    bench.WaitForNeighbours();
    view.pictureMode().readAhead().CancelAndWait();
    cold.Add(bench.Timed(ID_VIEW_NEXTPICTURE));
  }
  for (int i = 0; i < steps; ++i) {
    bench.WaitForNeighbours();
    ahead.Add(bench.Timed(i % 3 == 2 ? ID_VIEW_PREVPICTURE : ID_VIEW_NEXTPICTURE));
  }
  // The user looks at a picture before zooming it: its neighbours are read by then.
  bench.WaitForNeighbours();
  const int decodesBefore = view.pictureMode().view().decodeCount();
  double commandIn = 0;
  for (int i = 0; i < steps; ++i) {
    const double before = bench.commandSeconds;
    zoomIn.Add(bench.Timed(ID_VIEW_ZOOMIN));
    commandIn += bench.commandSeconds - before;
    zoomOut.Add(bench.Timed(ID_VIEW_ZOOMOUT));
    turn.Add(bench.Timed(ID_IMAGE_ROTATERIGHT));
    mirror.Add(bench.Timed(ID_IMAGE_REFLECTH));
  }
  Print("decode from the file", decode);
  Print("next, not read ahead", cold);
  Print("next/previous, read ahead", ahead);
  Print("zoom in", zoomIn);
  Print("zoom out", zoomOut);
  std::printf("%-34s mean %7.1f ms\n", "  of zoom in, before painting", commandIn * 1000 / steps);
  Print("turn right", turn);
  Print("mirror left-right", mirror);
  std::printf("ratios to the decode (median): read ahead %.3f, zoom in %.3f, zoom out %.3f, turn %.3f, mirror %.3f\n",
              ahead.Median() / decode.Median(), zoomIn.Median() / decode.Median(), zoomOut.Median() / decode.Median(),
              turn.Median() / decode.Median(), mirror.Median() / decode.Median());
  std::printf("decodes on the user-interface thread during zoom/turn: %d\n", view.pictureMode().view().decodeCount() - decodesBefore);
  bench.Close();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: picture_bench <folder> <steps>\n");
    return 2;
  }
  OleInitialize(nullptr);
  if (!zv::imagelib::Bind()) return 1;
  const int result = Run(argv[1], std::max(3, std::atoi(argv[2])));
  zv::imagelib::Unbind();
  OleUninitialize();
  std::fflush(stdout);
  return result;
}
