// Thumbnail grid benchmark: the real file list view in light mode, in a real
// 1000 x 700 window, on real folders. Not a test: figures go to
// docs/performance.md (scripts/bench-grid.sh runs every mode).
//   grid_bench thousand <folder> <empty folder> <reopens>
//       the folder's thumbnails made cold (the Thumbs cache emptied first):
//       first screenful and all; then reopened from the cache `reopens` times:
//       listing, grid, until every cell in view is ready and painted.
//   grid_bench respond <folder> <empty folder> [lower]
//       a cold fill while a second process (mode probe) sends WM_NULL to the
//       grid every 10 ms; page-downs timed during and after the fill.
//   grid_bench many <folder> <small folder> <thumbSize> <switches>
//       a large folder in one box size: every cell's state, windows, GDI
//       objects, handles and private memory during the fill, then `switches`
//       folder changes between the two folders.
//       With "lower" after them, every other thread of the process runs one
//       step below normal priority.
//   grid_bench delete <folder> <empty folder> <thumbSize> <runs>
//       the folder's thumbnails made and saved once; then `runs` times: shown
//       again from its cache, sorted (the cache file's order out of date),
//       Delete on one picture: time from the command to the shell's
//       confirmation appearing (answered No, nothing deleted).
//   grid_bench scale <folder> <side folder>
//       one pass over a folder in list mode, the cache emptied first: list it,
//       select all, sort by name, one file taken away (moved to the side
//       folder and back) and the list refreshed, switch to light thumbnails;
//       each until painted. One line "scale,<files>,<list>,<select all>,
//       <sort>,<delete one>,<thumbnails>" in ms (bench-grid.sh runs it for
//       1,000, 10,000 and 100,000 files, old and new build in turns).
//   grid_bench listing <folder> <empty folder> <runs>
//       list mode: the folder listed `runs` times after the empty one, each
//       from SetFolder until the list has nothing left to paint. One line
//       "listing,<files>,<ms>,<listing ms>,<enumerate>,<records>,<probe,
//       summed over threads>,<size and time, summed>,<icons>,<rows>" per run.
//   grid_bench cached <folder> <other folder> <runs>
//       the folder shown from its thumbnail cache `runs` times, each after
//       the other folder, small box: from SetFolder until every cell in view
//       is painted and nothing is left to make. The cache is not emptied;
//       when the folder's thumbnails are not all in it, they are made and
//       saved first (not counted). One line "cached,<files>,<ms>,<listing
//       ms>,<thumbnails made>,<enumerate ms>,<records ms>,<sort ms>,<rows
//       and icons ms>,<look-ups ms>,<of them the listing facts ms>" per run (bench-grid.sh runs it for the old and the
//       new build in turns).
//   grid_bench probe <hwnd> <tag>   (started by respond)
#include <windows.h>

#include <ole2.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/app_paths.h"
#include "browser/bench/bench_support.h"
#include "browser/file_list_view.h"
#include "imagelib/image_library.h"
#include "res/resource.h"
#include "win/window.h"

namespace {

constexpr char kHostClass[] = "ZVGridBenchHost";

class Host : public zv::win::Window {};

using zv::bench::Now;
using zv::bench::Pump;
using zv::bench::QuietHost;

// The bench's message loop: waits for input up to `milliseconds`, then
// dispatches everything that is queued.
void WaitAndPump(DWORD milliseconds) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
  Pump();
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
  return values[at];
}

void PrintSpread(const char* what, const std::vector<double>& ms) {
  std::printf("%s: n %zu, median %.2f ms, p99 %.2f ms, max %.2f ms\n", what, ms.size(), Percentile(ms, 0.5),
              Percentile(ms, 0.99), ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()));
}

// The program's thumbnail cache (Thumbs beside the exe) emptied: the next
// fill is cold. No cache file may be open (show an empty folder first).
void ClearThumbCache() {
  const std::string folder = zv::ProgramFolder() + "\\Thumbs";
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      if (!DeleteFileA((folder + "\\" + found.cFileName).c_str()))
        std::printf("warning: %s stays in the cache\n", found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

// ---- what the process holds ----

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// Wine 8's GetGuiResources answers 0. Wine's GDI handle table is in the
// process, and GetObjectType takes a handle given by its index alone (upper
// word 0): so every index is probed. CheckGdiProbe shows that it counts.
int GdiObjects() {
  const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (counted != 0) return static_cast<int>(counted);
  int objects = 0;
  for (UINT_PTR index = 1; index < 0x10000; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++objects;
  return objects;
}

// Committed private memory, summed over the address space (a measure that
// does not depend on how Wine fills the memory counters).
size_t CommittedPrivateBytes() {
  size_t bytes = 0;
  MEMORY_BASIC_INFORMATION info{};
  for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) bytes += info.RegionSize;
    const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return bytes;
}

// Wine 8's GetProcessHandleCount answers 0: then every handle value up to
// 64 Ki is asked with GetHandleInformation (Wine hands out the lowest free
// multiple of 4).
DWORD KernelHandles() {
  DWORD counted = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted != 0) return counted;
  DWORD flags = 0;
  for (UINT_PTR value = 4; value < 0x10000; value += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++counted;
  return counted;
}

struct Resources {
  int windows = 0;  // the top window and all its descendants
  int gdi = 0;
  DWORD handles = 0;
  double privateMiB = 0;    // PROCESS_MEMORY_COUNTERS_EX::PrivateUsage
  double committedMiB = 0;  // CommittedPrivateBytes
  double workingSetMiB = 0;

  static Resources Of(HWND top) {
    Resources r;
    EnumChildWindows(top, CountChild, reinterpret_cast<LPARAM>(&r.windows));
    ++r.windows;
    r.gdi = GdiObjects();
    r.handles = KernelHandles();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
      r.privateMiB = static_cast<double>(memory.PrivateUsage) / 1048576.0;
      r.workingSetMiB = static_cast<double>(memory.WorkingSetSize) / 1048576.0;
    }
    r.committedMiB = static_cast<double>(CommittedPrivateBytes()) / 1048576.0;
    return r;
  }
  void Print(const char* when) const {
    std::printf("%s: windows %d, GDI objects %d, handles %lu, private %.1f MiB (counters), committed private "
                "%.1f MiB (VirtualQuery), working set %.1f MiB\n",
                when, windows, gdi, static_cast<unsigned long>(handles), privateMiB, committedMiB, workingSetMiB);
  }
};

void CheckGdiProbe() {
  const int before = GdiObjects();
  std::vector<HBRUSH> brushes;
  for (int i = 0; i < 50; ++i) brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
  const int during = GdiObjects();
  for (HBRUSH brush : brushes) DeleteObject(brush);
  std::printf("GDI count check: GetGuiResources says %lu; the count is %d, %d with 50 more brushes, %d after\n",
              GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before, during, GdiObjects());
  DWORD counted = 0;
  GetProcessHandleCount(GetCurrentProcess(), &counted);
  const DWORD handlesBefore = KernelHandles();
  std::vector<HANDLE> events;
  for (int i = 0; i < 50; ++i) events.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  const DWORD handlesDuring = KernelHandles();
  for (HANDLE event : events) CloseHandle(event);
  std::printf("handle count check: GetProcessHandleCount says %lu; the count is %lu, %lu with 50 more events, %lu "
              "after\n",
              static_cast<unsigned long>(counted), static_cast<unsigned long>(handlesBefore),
              static_cast<unsigned long>(handlesDuring), static_cast<unsigned long>(KernelHandles()));
}

// ---- the view in a window ----

class Bench {
 public:
  bool Open(int thumbSize, int viewMode = 0) {
    if (!zv::win::Window::RegisterClass(kHostClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)) ||
        !host_.Create({.className = kHostClass, .title = "grid bench", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                       .rect = {0, 0, 1000, 700}}))
      return false;
    settings_.dwdLstMod = viewMode;  // light thumbnails unless said
    settings_.intThmSiz = thumbSize;
    view_ = std::make_unique<zv::CFileListView>(settings_);
    if (!view_->CreatePane(host_.hwnd(), 59648, quiet_)) return false;
    RECT client{};
    GetClientRect(host_.hwnd(), &client);
    MoveWindow(view_->hwnd(), 0, 0, client.right, client.bottom, TRUE);
    Pump();
    RECT grid{};
    GetClientRect(view_->grid(), &grid);
    std::printf("grid client area %ld x %ld\n", grid.right, grid.bottom);
    return view_->grid() != nullptr;
  }
  void Close() {
    view_.reset();
    host_.Destroy();
  }

  zv::CFileListView& view() { return *view_; }
  zv::GridPresenter& presenter() { return view_->gridPresenter(); }
  const zv::CThumbnailGrid& grid() { return view_->gridPresenter().grid(); }
  HWND top() const { return host_.hwnd(); }

  // Every cell in view has its thumbnail (or failed for good).
  bool InViewDone() {
    const zv::GridLayout::Span span = grid().CellsInView();
    for (size_t i = span.first; i < span.last; ++i)
      if (grid().Cell(i)->state == zv::ThumbState::kWaiting) return false;
    return span.first < span.last;
  }
  // Pumps until InViewDone, then paints what is left to paint; false when
  // the grid still had something to paint afterwards.
  bool WaitInViewPainted() {
    while (!InViewDone()) WaitAndPump(2);
    UpdateWindow(view_->grid());
    return GetUpdateRect(view_->grid(), nullptr, FALSE) == FALSE;
  }
  void WaitAllMade() {
    while (presenter().outstanding() > 0) WaitAndPump(20);
    Pump();
  }
  struct States {
    size_t ready = 0, failed = 0, waiting = 0;
  };
  States CountStates() {
    States s;
    for (size_t i = 0; i < grid().size(); ++i) {
      switch (grid().Cell(i)->state) {
        case zv::ThumbState::kReady: ++s.ready; break;
        case zv::ThumbState::kFailed: ++s.failed; break;
        default: ++s.waiting; break;
      }
    }
    return s;
  }
  // One page down, painted; at the bottom it goes back to the top first (untimed).
  double TimedPageDown() {
    HWND g = view_->grid();
    if (grid().scrollPosition() >= grid().layout().scrollMax) {
      SendMessageA(g, WM_VSCROLL, SB_TOP, 0);
      UpdateWindow(g);
    }
    const double start = Now();
    SendMessageA(g, WM_VSCROLL, SB_PAGEDOWN, 0);
    UpdateWindow(g);
    return (Now() - start) * 1000;
  }

 private:
  Host host_;
  zv::EnvSet settings_;
  QuietHost quiet_;
  std::unique_ptr<zv::CFileListView> view_;
};

// The listing's own part of SetFolder (the model: enumeration, records,
// sort), apart from the presenters (list rows, icons, grid fill).
double ListingSeconds(const zv::ListingTimes& t) { return t.total - t.rows - t.icons; }

int Thousand(const char* folder, const char* empty, int reopens) {
  Bench bench;
  if (!bench.Open(0)) return 1;
  bench.view().SetFolder(empty);
  ClearThumbCache();

  const double start = Now();
  bench.view().SetFolder(folder);
  const double listed = Now();
  const double listing = ListingSeconds(bench.view().lastListingTimes());
  const bool painted = bench.WaitInViewPainted();
  const double screen = Now();
  bench.WaitAllMade();
  const double all = Now();
  const Bench::States states = bench.CountStates();
  std::printf("cold: %zu cells (%zu made of %zu requested); SetFolder %.3f s (listing %.3f s), first screenful "
              "(%zu cells) %.3f s%s, all %.3f s (%.1f thumbnails/s); ready %zu, failed %zu\n",
              bench.grid().size(), states.ready, bench.presenter().requested(), listed - start, listing,
              bench.grid().CellsInView().last - bench.grid().CellsInView().first, screen - start,
              painted ? "" : " (not all painted)", all - start,
              static_cast<double>(bench.presenter().requested()) / (all - start), states.ready, states.failed);
  double t = Now();
  bench.view().SetFolder(empty);  // saves the cache
  std::printf("cache saved on leaving: %.3f s\n", Now() - t);

  // Reopened from the cache, each time after the empty folder.
  std::vector<double> totals, listings, grids;
  for (int run = 0; run <= reopens; ++run) {
    bench.view().SetFolder(empty);
    Pump();
    t = Now();
    bench.view().SetFolder(folder);
    const double set = Now() - t;
    const bool ok = bench.WaitInViewPainted();
    const double total = Now() - t;
    const zv::ListingTimes& times = bench.view().lastListingTimes();
    const double list = ListingSeconds(times);
    std::printf("reopen %d: total %.3f s = listing %.3f s + grid %.3f s (SetFolder %.3f s of which list rows and "
                "icons %.3f s; %zu requested)%s\n",
                run, total, list, total - list, set, times.rows + times.icons, bench.presenter().requested(),
                ok ? "" : " (not all painted)");
    if (run == 0) continue;  // the first one after the save is not counted
    totals.push_back(total * 1000);
    listings.push_back(list * 1000);
    grids.push_back((total - list) * 1000);
  }
  PrintSpread("reopen total", totals);
  PrintSpread("reopen listing", listings);
  PrintSpread("reopen grid (to painted)", grids);
  // The grid's own share: its fill from the cache file and the paint, without the list's rows.
  std::vector<double> fills;
  for (int run = 0; run < 10; ++run) {
    t = Now();
    bench.presenter().Rebuild();
    bench.WaitInViewPainted();
    fills.push_back((Now() - t) * 1000);
  }
  PrintSpread("grid alone (Rebuild from the cache file, to painted)", fills);
  // Scrolling through thumbnails read back from the cache file.
  std::vector<double> scrolls;
  for (int i = 0; i < 40; ++i) scrolls.push_back(bench.TimedPageDown());
  PrintSpread("page down after a reopen", scrolls);
  bench.view().SetFolder(empty);
  bench.Close();
  return 0;
}

// Every other thread of the process (the thumbnail workers among them) one
// step below normal priority: how much of the UI thread's waiting is for the CPU.
void LowerOtherThreads() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int lowered = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId() || entry.th32ThreadID == GetCurrentThreadId()) continue;
    if (HANDLE thread = OpenThread(THREAD_SET_INFORMATION, FALSE, entry.th32ThreadID)) {
      lowered += SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL) ? 1 : 0;
      CloseHandle(thread);
    }
  }
  CloseHandle(snapshot);
  std::printf("%d other threads below normal priority\n", lowered);
}

int Respond(const char* exe, const char* folder, const char* empty, bool lower) {
  Bench bench;
  if (!bench.Open(0)) return 1;
  if (lower) LowerOtherThreads();
  bench.view().SetFolder(empty);
  ClearThumbCache();
  const std::string tag = std::to_string(GetCurrentProcessId());
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, ("ZVGridBenchReady" + tag).c_str());
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, ("ZVGridBenchGo" + tag).c_str());
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, ("ZVGridBenchStop" + tag).c_str());
  std::string command = std::string("\"") + exe + "\" probe " +
                        std::to_string(reinterpret_cast<UINT_PTR>(bench.view().grid())) + " " + tag;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION prober{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &prober)) {
    std::printf("the prober did not start (%lu)\n", GetLastError());
    return 1;
  }
  // The prober's start-up (about a second under Wine) is not the fill's.
  while (WaitForSingleObject(ready, 0) != WAIT_OBJECT_0) WaitAndPump(10);

  const double start = Now();
  bench.view().SetFolder(folder);
  std::printf("SetFolder (listing and grid fill, the UI thread busy): %.3f s\n", Now() - start);
  SetEvent(go);
  std::vector<double> during, after;
  double nextScroll = Now() + 0.25;
  while (bench.presenter().outstanding() > 0) {
    WaitAndPump(10);
    if (Now() >= nextScroll) {
      during.push_back(bench.TimedPageDown());
      nextScroll = Now() + 0.25;
    }
  }
  const double filled = Now();
  Pump();
  for (int i = 0; i < 100; ++i) {
    after.push_back(bench.TimedPageDown());
    WaitAndPump(10);
  }
  SetEvent(stop);
  while (WaitForSingleObject(prober.hProcess, 0) != WAIT_OBJECT_0) WaitAndPump(10);
  std::fflush(stdout);
  std::printf("fill: %.3f s for %zu thumbnails\n", filled - start, bench.presenter().requested());
  PrintSpread("page down during the fill", during);
  PrintSpread("page down after the fill", after);
  CloseHandle(prober.hProcess);
  CloseHandle(prober.hThread);
  bench.view().SetFolder(empty);
  bench.Close();
  return 0;
}

int Probe(HWND target, const std::string& tag) {
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, ("ZVGridBenchReady" + tag).c_str());
  HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, ("ZVGridBenchGo" + tag).c_str());
  HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, ("ZVGridBenchStop" + tag).c_str());
  if (ready == nullptr || go == nullptr || stop == nullptr) return 1;
  SetEvent(ready);
  WaitForSingleObject(go, INFINITE);
  std::vector<double> latencies;
  size_t timedOut = 0;
  while (WaitForSingleObject(stop, 0) != WAIT_OBJECT_0 && IsWindow(target)) {
    const double start = Now();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) ++timedOut;
    latencies.push_back((Now() - start) * 1000);
    const double left = 0.010 - (Now() - start);
    if (left > 0) Sleep(static_cast<DWORD>(left * 1000));
  }
  PrintSpread("WM_NULL from another process, every 10 ms during the fill and the scrolls after it", latencies);
  std::printf("answers over 50 ms: %zu; timed out (5 s): %zu\n",
              static_cast<size_t>(std::count_if(latencies.begin(), latencies.end(), [](double ms) { return ms > 50; })),
              timedOut);
  std::fflush(stdout);
  return 0;
}

int Many(const char* folder, const char* small, int thumbSize, int switches) {
  CheckGdiProbe();
  Bench bench;
  if (!bench.Open(thumbSize)) return 1;
  bench.view().SetFolder(small);
  bench.WaitAllMade();
  Resources::Of(bench.top()).Print("small folder shown");

  const double start = Now();
  bench.view().SetFolder(folder);
  std::printf("SetFolder: %.3f s (listing %.3f s), %zu cells, %zu requested\n", Now() - start,
              ListingSeconds(bench.view().lastListingTimes()), bench.grid().size(), bench.presenter().requested());
  Resources peak = Resources::Of(bench.top());
  peak.Print("listed, before the first thumbnail");
  double nextSample = Now() + 1;
  while (bench.presenter().outstanding() > 0) {
    WaitAndPump(20);
    if (Now() >= nextSample) {
      const Resources r = Resources::Of(bench.top());
      peak.windows = std::max(peak.windows, r.windows);
      peak.gdi = std::max(peak.gdi, r.gdi);
      peak.handles = std::max(peak.handles, r.handles);
      peak.privateMiB = std::max(peak.privateMiB, r.privateMiB);
      peak.committedMiB = std::max(peak.committedMiB, r.committedMiB);
      peak.workingSetMiB = std::max(peak.workingSetMiB, r.workingSetMiB);
      nextSample = Now() + 1;
    }
  }
  const double made = Now() - start;
  Pump();
  const Bench::States states = bench.CountStates();
  std::printf("box %d: %zu cells, ready %zu, failed %zu, waiting %zu; filled in %.1f s (%.0f thumbnails/s)\n",
              thumbSize, bench.grid().size(), states.ready, states.failed, states.waiting, made,
              static_cast<double>(bench.presenter().requested()) / made);
  peak.Print("peak during the fill (sampled every second)");
  Resources::Of(bench.top()).Print("filled");
  std::vector<double> scrolls;
  for (int i = 0; i < 40; ++i) scrolls.push_back(bench.TimedPageDown());
  PrintSpread("page down, filled", scrolls);

  double t = Now();
  bench.view().SetFolder(small);
  std::printf("left (cache saved): %.1f s\n", Now() - t);
  const Resources first = Resources::Of(bench.top());
  first.Print("after leaving");
  Resources low = first, high = first;
  std::vector<double> bigOpens;
  for (int i = 0; i < switches; ++i) {
    const bool big = i % 2 == 0;
    t = Now();
    bench.view().SetFolder(big ? folder : small);
    bench.WaitAllMade();
    UpdateWindow(bench.view().grid());
    if (big) bigOpens.push_back((Now() - t) * 1000);
    const Resources r = Resources::Of(bench.top());
    low.windows = std::min(low.windows, r.windows), high.windows = std::max(high.windows, r.windows);
    low.gdi = std::min(low.gdi, r.gdi), high.gdi = std::max(high.gdi, r.gdi);
    low.handles = std::min(low.handles, r.handles), high.handles = std::max(high.handles, r.handles);
    low.committedMiB = std::min(low.committedMiB, r.committedMiB);
    high.committedMiB = std::max(high.committedMiB, r.committedMiB);
  }
  if (switches > 0) {
    bench.view().SetFolder(small);
    bench.WaitAllMade();
    PrintSpread("switch to the large folder (from the cache, until drawn)", bigOpens);
    std::printf("over %d switches: windows %d..%d, GDI objects %d..%d, handles %lu..%lu, committed private "
                "%.1f..%.1f MiB\n",
                switches, low.windows, high.windows, low.gdi, high.gdi, static_cast<unsigned long>(low.handles),
                static_cast<unsigned long>(high.handles), low.committedMiB, high.committedMiB);
    Resources::Of(bench.top()).Print("after the switches, small folder shown");
  }
  bench.Close();
  return 0;
}

struct DialogSearch {
  DWORD process;
  HWND found;
};

// A named CALLBACK function: a lambda does not convert to the stdcall WNDENUMPROC of 32-bit Windows.
BOOL CALLBACK MatchOwnDialog(HWND w, LPARAM p) {
  auto* search = reinterpret_cast<DialogSearch*>(p);
  DWORD process = 0;
  GetWindowThreadProcessId(w, &process);
  char name[16] = "";
  GetClassNameA(w, name, sizeof name);
  if (process != search->process || std::string(name) != "#32770" || !IsWindowVisible(w)) return TRUE;
  search->found = w;
  return FALSE;
}

// A dialog of this process: the shell's confirmation.
HWND FindOwnDialog() {
  DialogSearch search{GetCurrentProcessId(), nullptr};
  EnumWindows(MatchOwnDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int DeleteAnswer(const char* folder, const char* empty, int thumbSize, int runs) {
  Bench bench;
  if (!bench.Open(thumbSize)) return 1;
  bench.view().SetFolder(folder);
  bench.WaitAllMade();
  bench.view().SetFolder(empty);
  std::vector<double> answers;
  size_t pictures = 0;
  for (int run = 0; run < runs; ++run) {
    bench.view().SetFolder(folder);
    pictures = bench.grid().size();
    bench.view().SortAndApply(0, run % 2 == 0 ? 1 : -1);
    std::vector<char> one(bench.grid().size(), 0);
    one.at(one.size() / 2) = 1;
    bench.presenter().grid().SetSelection(one);
    Pump();
    std::atomic<bool> stop = false;
    std::atomic<double> appeared = 0;
    std::thread watcher([&] {
      while (!stop) {
        if (HWND dialog = FindOwnDialog()) {
          appeared = Now();
          PostMessageA(dialog, WM_COMMAND, IDNO, 0);
          return;
        }
        Sleep(1);
      }
    });
    const double start = Now();
    bench.view().ExecuteCommand(ID_EDIT_DELETE);
    stop = true;
    watcher.join();
    if (appeared > 0) answers.push_back((appeared - start) * 1000);
    bench.view().SetFolder(empty);
  }
  std::printf("%zu pictures, box %d: ", pictures, thumbSize);
  PrintSpread("delete to confirmation", answers);
  bench.Close();
  return 0;
}

// The time `step` takes until `window` has nothing left to paint, in ms.
template <class Step>
double PaintedMs(HWND window, Step step) {
  const double start = Now();
  step();
  UpdateWindow(window);
  return (Now() - start) * 1000;
}

int Listing(const char* folder, const char* empty, int runs) {
  Bench bench;
  if (!bench.Open(0, 2)) return 1;
  zv::CFileListView& view = bench.view();
  for (int run = 0; run < runs; ++run) {
    view.SetFolder(empty);
    Pump();
    const double ms = PaintedMs(view.listControl(), [&] { view.SetFolder(folder); });
    const zv::ListingTimes& t = view.lastListingTimes();
    std::printf("listing,%zu,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f\n", view.ItemCount(), ms, t.total * 1000,
                t.enumerate * 1000, t.records * 1000, t.probe * 1000, t.fileInfo * 1000, t.icons * 1000, t.rows * 1000);
  }
  bench.Close();
  return 0;
}

int Scale(const char* folder, const char* side) {
  Bench bench;
  if (!bench.Open(0, 2)) return 1;
  bench.view().SetFolder(side);
  ClearThumbCache();
  zv::CFileListView& view = bench.view();
  const HWND list = view.listControl();
  const double listed = PaintedMs(list, [&] { view.SetFolder(folder); });
  const size_t files = view.ItemCount();
  const double selected = PaintedMs(list, [&] { view.SelectAll(); });
  const double sorted = PaintedMs(list, [&] { view.SortAndApply(0, 1); });
  // One file goes as a delete takes it (the shell's part not counted): the list is refreshed.
  const std::string name = files > 0 ? view.Item(files / 2)->name : "";
  const std::string from = std::string(folder) + "\\" + name, to = std::string(side) + "\\" + name;
  double deleted = -1;
  if (files > 0 && MoveFileA(from.c_str(), to.c_str())) {
    deleted = PaintedMs(list, [&] { view.RefreshList(); });
    if (view.ItemCount() != files - 1) std::printf("warning: %zu files after the delete\n", view.ItemCount());
    MoveFileA(to.c_str(), from.c_str());
  }
  const double thumbnails = PaintedMs(view.grid(), [&] { view.ExecuteCommand(ID_VIEW_LIGHTTHUMB); });
  view.SetFolder(side);
  ClearThumbCache();
  std::printf("scale,%zu,%.1f,%.1f,%.1f,%.1f,%.1f\n", files, listed, selected, sorted, deleted, thumbnails);
  bench.Close();
  return 0;
}

// The time of the listing's look-ups and of the listing facts among them,
// in builds whose ListingTimes has them (0 in others).
template <typename Times>
double LookupSeconds(const Times& t) {
  if constexpr (requires { t.lookups; })
    return t.lookups;
  else
    return 0;
}
template <typename Times>
double RecallSeconds(const Times& t) {
  if constexpr (requires { t.recall; })
    return t.recall;
  else
    return 0;
}

int Cached(const char* folder, const char* other, int runs) {
  Bench bench;
  if (!bench.Open(0)) return 1;
  bench.view().SetFolder(other);
  bench.WaitAllMade();
  bench.view().SetFolder(folder);
  if (bench.presenter().requested() > 0) {
    const double start = Now();
    bench.WaitAllMade();
    std::printf("made %zu thumbnails first: %.1f s\n", bench.presenter().requested(), Now() - start);
  }
  for (int run = 0; run < runs; ++run) {
    bench.view().SetFolder(other);
    bench.WaitAllMade();
    Pump();
    const double start = Now();
    bench.view().SetFolder(folder);
    bench.WaitInViewPainted();
    bench.WaitAllMade();
    UpdateWindow(bench.view().grid());
    const double ms = (Now() - start) * 1000;
    const zv::ListingTimes& t = bench.view().lastListingTimes();
    std::printf("cached,%zu,%.1f,%.1f,%zu,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f\n", bench.grid().size(), ms,
                ListingSeconds(t) * 1000, bench.presenter().requested(), t.enumerate * 1000, t.records * 1000,
                t.sort * 1000, (t.rows + t.icons) * 1000, LookupSeconds(t) * 1000, RecallSeconds(t) * 1000);
  }
  bench.view().SetFolder(other);
  bench.Close();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "probe" && argc > 3) return Probe(reinterpret_cast<HWND>(std::strtoul(argv[2], nullptr, 10)), argv[3]);
  if (!((mode == "thousand" && argc > 4) || (mode == "respond" && argc > 3) || (mode == "many" && argc > 5) ||
        (mode == "delete" && argc > 5) || (mode == "scale" && argc > 3) || (mode == "listing" && argc > 4) || (mode == "cached" && argc > 4))) {
    std::fprintf(stderr,
                 "usage: grid_bench thousand <folder> <empty> <reopens> | respond <folder> <empty> | "
                 "many <folder> <small> <thumbSize> <switches> | delete <folder> <empty> <thumbSize> <runs> | "
                 "scale <folder> <side> | listing <folder> <empty> <runs> | cached <folder> <other> <runs>\n");
    return 2;
  }
  OleInitialize(nullptr);
  if (!zv::imagelib::Bind()) return 1;
  int result = 2;
  if (mode == "thousand") result = Thousand(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
  if (mode == "respond") {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    result = Respond(exe, argv[2], argv[3], argc > 4 && std::string(argv[4]) == "lower");
  }
  if (mode == "many") result = Many(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  if (mode == "scale") result = Scale(argv[2], argv[3]);
  if (mode == "listing") result = Listing(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
  if (mode == "cached") result = Cached(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
  if (mode == "delete") result = DeleteAnswer(argv[2], argv[3], std::atoi(argv[4]), std::max(1, std::atoi(argv[5])));
  zv::imagelib::Unbind();
  OleUninitialize();
  std::fflush(stdout);
  return result;
}
