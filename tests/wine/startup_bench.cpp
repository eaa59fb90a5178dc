// Start-up benchmark: the real ZViewer.exe started on a folder whose
// thumbnails are cached, timed from CreateProcess until the grid's first
// screenful is on the screen. Not a test: figures go to docs/performance.md
// (scripts/bench-startup.sh makes the pictures and runs it).
//   startup_bench <work folder> <picture folder> <rounds> <label>=<ZViewer.exe>...
// Every program gets its own program folder <work folder>\<label> (a fresh
// copy of its exe each time, its thumbnail cache kept); the programs start
// in turns, one round after another, with the same settings. The first time,
// the last program fills the cache (it must have the step trace) and the
// other folders get a copy of it.
//
// Nothing is guessed: the bench watches the program's top-level windows
// (splash and frame visible) and reads the screen until every cell in view
// shows its picture; where the cells lie it learns once, beforehand, from a
// start left to settle (IAccessible). Then it times how soon the program
// answers a message. With ZV_STEP_TRACE set the program writes where its
// time went; the lines of the last start of each program are printed
// against the same clock.
#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/registry_profile.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/com.h"
#include "win/registry.h"
#include "win/step_trace.h"

namespace {

using zv::win::TraceClockMs;

constexpr DWORD kLimitMs = 600000;        // one start (or close, saving 1,000 thumbnails) on a loaded machine
constexpr DWORD kCacheLimitMs = 3600000;  // the first fill of 1,000 pictures

struct Program {
  std::string label, exe, folder;
  double lastStart = 0;  // the clock at its last CreateProcess
};

// What one start showed, in ms after CreateProcess; negative: never.
struct StartTimes {
  double splash = -1, frame = -1, splashGone = -1, painted = -1, answers = -1;
};

// The started process and its frame.
DWORD g_pid = 0;
HWND g_frame = nullptr;

// The screen rectangles of the cells the grid reports in view (not
// off-screen), in its order; empty while it has none.
std::vector<RECT> CellsInView(HWND grid) {
  zv::win::ComPtr<IAccessible> reader;
  if (FAILED(AccessibleObjectFromWindow(grid, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(reader.GetAddressOf()))))
    return {};
  long count = 0;
  if (reader->get_accChildCount(&count) != S_OK) return {};
  std::vector<RECT> cells;
  bool seen = false;
  for (long id = 1; id <= count; ++id) {
    VARIANT state;
    VariantInit(&state);
    if (reader->get_accState(zv::test::AccessibleChild(id), &state) != S_OK || state.vt != VT_I4) return {};
    if ((state.lVal & STATE_SYSTEM_OFFSCREEN) != 0) {
      if (seen) break;  // the cells in view are one run
      continue;
    }
    seen = true;
    long x = 0, y = 0, w = 0, h = 0;
    if (reader->accLocation(&x, &y, &w, &h, zv::test::AccessibleChild(id)) != S_OK) return {};
    cells.push_back({x, y, x + w, y + h});
  }
  return cells;
}

// True when every cell shows a picture: down the middle of its upper part
// (where the thumbnail sits, above the name) the screen holds at least 8
// different greys. A cell not painted yet is one flat colour (its panel, the
// grid's white or whatever was there before); the benchmark's pictures are
// grey gradients with noise.
bool CellsShowPictures(const std::vector<RECT>& cells, const RECT& visible) {
  if (cells.empty()) return false;
  const int width = visible.right - visible.left, height = visible.bottom - visible.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP canvas = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool all = canvas != nullptr;
  if (all) {
    HGDIOBJ old = SelectObject(memory, canvas);
    BitBlt(memory, 0, 0, width, height, screen, visible.left, visible.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (const RECT& cell : cells) {
      const int x = (cell.left + cell.right) / 2 - visible.left;
      const int cellHeight = cell.bottom - cell.top;
      const int top = std::max(0L, cell.top + cellHeight / 5 - visible.top);
      const int bottom = std::min<long>(height, cell.top + cellHeight * 3 / 5 - visible.top);
      if (x < 0 || x >= width || bottom - top < 8) continue;  // hardly in view
      std::set<uint32_t> greys;
      for (int y = top; y < bottom; ++y) {
        const uint32_t p = pixels[y * width + x] & 0xFFFFFF;
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (std::abs(r - g) <= 8 && std::abs(g - b) <= 8) greys.insert(p);
      }
      if (greys.size() < 8) {
        all = false;
        break;
      }
    }
    SelectObject(memory, old);
    DeleteObject(canvas);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return all;
}

// The screen rectangle of the grid's client area.
RECT ClientOnScreen(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

void WriteStartSettings(const std::string& pictures) {
  const auto settings = zv::win::CreateKey(HKEY_CURRENT_USER, zv::ProfileKeyPath() + "\\AppSettings");
  zv::win::WriteString(settings.get(), "m_tagEnvSet.chaLstFld", pictures);
  zv::win::WriteDword(settings.get(), "m_tagEnvSet.intSotMod", 0);
  zv::win::WriteDword(settings.get(), "m_tagEnvSet.intSotDir", static_cast<DWORD>(-1));
  zv::win::WriteDword(settings.get(), "m_tagEnvSet.dwdLstMod", 0);  // light thumbnails
  zv::win::WriteDword(settings.get(), "m_tagEnvSet.intThmSiz", 0);
  zv::win::WriteDword(settings.get(), "m_tagEnvSet.dwdExcCnt", 1);  // not a first start
  zv::win::WriteDword(settings.get(), "intTstTry", 0);
}

PROCESS_INFORMATION Launch(const Program& program) {
  std::string command = "\"" + program.exe + "\"";
  STARTUPINFOA startup{sizeof startup};
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    std::fprintf(stderr, "cannot start %s\n", program.exe.c_str());
  return process;
}

void Close(PROCESS_INFORMATION& process) {
  if (g_frame != nullptr && IsWindow(g_frame)) PostMessageA(g_frame, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kLimitMs) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

std::string TraceFile(const Program& program) { return program.folder + "\\step-trace.txt"; }

// The whole file, read while its writer keeps it open.
std::string ReadShared(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

// Whether the cache folder holds a folder's cache file beside its index.
bool HasCacheFile(const std::string& thumbs) {
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA((thumbs + "\\*.bin").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

// The cells in view as the grid lays them out in the frame's first size,
// relative to the grid's client area: read from a start of `program` left to
// settle (asking the grid through IAccessible waits for the program's user
// interface thread, so the timed starts below never ask it).
std::vector<RECT> MeasureCellsInView(Program& program) {
  SetEnvironmentVariableA("ZV_STEP_TRACE", nullptr);
  CopyFileA(program.exe.c_str(), (program.folder + "\\ZViewer.exe").c_str(), FALSE);
  PROCESS_INFORMATION process = Launch({program.label, program.folder + "\\ZViewer.exe", program.folder});
  g_pid = process.dwProcessId;
  std::vector<RECT> cells;
  const double start = TraceClockMs();
  while (cells.empty() && TraceClockMs() - start < kLimitMs &&
         WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
    g_frame = zv::test::TopWindowOf(g_pid, nullptr, "ZVMainFrame");
    const HWND grid = g_frame != nullptr ? zv::test::FindChildById(g_frame, IDW_THUMB_GRID) : nullptr;
    if (grid == nullptr || !IsWindowVisible(grid)) continue;
    const RECT origin = ClientOnScreen(grid);
    for (RECT cell : CellsInView(grid)) {
      OffsetRect(&cell, -origin.left, -origin.top);
      cells.push_back(cell);
    }
  }
  Close(process);
  return cells;
}

// One start, until the first screenful is painted and the program answers;
// then it is closed.
StartTimes TimeOneStart(Program& program, const std::vector<RECT>& cellsInView) {
  DeleteFileA(TraceFile(program).c_str());
  SetEnvironmentVariableA("ZV_STEP_TRACE", TraceFile(program).c_str());
  CopyFileA(program.exe.c_str(), (program.folder + "\\ZViewer.exe").c_str(), FALSE);
  g_frame = nullptr;
  const double start = program.lastStart = TraceClockMs();
  PROCESS_INFORMATION process = Launch({program.label, program.folder + "\\ZViewer.exe", program.folder});
  g_pid = process.dwProcessId;
  StartTimes times;
  HWND grid = nullptr;
  auto now = [&] { return TraceClockMs() - start; };
  while (process.hProcess != nullptr && now() < kLimitMs && WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) {
    const bool splash = zv::test::TopWindowOf(g_pid, nullptr, "#32770") != nullptr;  // visible ones only
    if (splash && times.splash < 0) times.splash = now();
    if (!splash && times.splash >= 0 && times.splashGone < 0) times.splashGone = now();
    if (g_frame == nullptr && (g_frame = zv::test::TopWindowOf(g_pid, nullptr, "ZVMainFrame")) != nullptr)
      times.frame = now();
    if (g_frame != nullptr && grid == nullptr) grid = zv::test::FindChildById(g_frame, IDW_THUMB_GRID);
    if (grid == nullptr || !IsWindowVisible(grid)) continue;
    const RECT origin = ClientOnScreen(grid);
    std::vector<RECT> cells = cellsInView;
    for (RECT& cell : cells) OffsetRect(&cell, origin.left, origin.top);
    if (CellsShowPictures(cells, origin)) {
      times.painted = now();
      break;
    }
  }
  // The user-interface thread takes input again (it may still be busy after the paint).
  DWORD_PTR answer = 0;
  if (times.painted >= 0 && SendMessageTimeoutA(g_frame, WM_NULL, 0, 0, SMTO_NORMAL, kLimitMs, &answer) != 0)
    times.answers = now();
  if (process.hProcess != nullptr) Close(process);
  return times;
}

// The step trace of the last start of `program`, against the bench's clock.
void PrintTrace(const Program& program) {
  FILE* file = std::fopen(TraceFile(program).c_str(), "r");
  if (file == nullptr) {
    std::printf("  (%s writes no step trace)\n", program.label.c_str());
    return;
  }
  std::printf("  step trace of %s, last round: ms after CreateProcess (ms since the step before)\n",
              program.label.c_str());
  char line[256];
  double before = 0;
  while (std::fgets(line, sizeof line, file) != nullptr) {
    char* rest = nullptr;
    const double at = std::strtod(line, &rest) - program.lastStart;
    std::printf("  %8.1f (%7.1f) %s", at, at - before, rest + 1);
    before = at;
  }
  std::fclose(file);
}

// The first time: the last program fills the thumbnail cache (until its
// step trace says every thumbnail is made) and saves it as it closes; the
// others get a copy of its Thumbs folder.
bool MakeCache(const std::string& work, const std::vector<Program>& programs) {
  const std::string done = work + "\\cache-made";
  if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const Program& maker = programs.back();
  std::printf("== filling the thumbnail cache with %s (once)\n", maker.label.c_str());
  std::fflush(stdout);
  DeleteFileA(TraceFile(maker).c_str());
  SetEnvironmentVariableA("ZV_STEP_TRACE", TraceFile(maker).c_str());
  CopyFileA(maker.exe.c_str(), (maker.folder + "\\ZViewer.exe").c_str(), FALSE);
  g_frame = nullptr;
  PROCESS_INFORMATION process = Launch({maker.label, maker.folder + "\\ZViewer.exe", maker.folder});
  g_pid = process.dwProcessId;
  const double start = TraceClockMs();
  bool made = false;
  while (!made && TraceClockMs() - start < kCacheLimitMs &&
         WaitForSingleObject(process.hProcess, 500) == WAIT_TIMEOUT) {
    made = ReadShared(TraceFile(maker)).find("grid: every thumbnail made") != std::string::npos;
  }
  g_frame = zv::test::TopWindowOf(g_pid, nullptr, "ZVMainFrame");
  Close(process);  // the folder's thumbnails are saved as the list closes
  if (!made || !HasCacheFile(maker.folder + "\\Thumbs")) return false;
  for (const Program& other : programs) {
    if (&other == &maker) continue;
    CreateDirectoryA((other.folder + "\\Thumbs").c_str(), nullptr);
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA((maker.folder + "\\Thumbs\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        CopyFileA((maker.folder + "\\Thumbs\\" + found.cFileName).c_str(),
                  (other.folder + "\\Thumbs\\" + found.cFileName).c_str(), FALSE);
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  zv::test::WriteFileBytes(done, "");
  return true;
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: startup_bench <work folder> <picture folder> <rounds> <label>=<ZViewer.exe>...\n");
    return 2;
  }
  const std::string work = argv[1], pictures = argv[2];
  const int rounds = std::atoi(argv[3]);
  std::vector<Program> programs;
  for (int i = 4; i < argc; ++i) {
    const std::string arg = argv[i];
    const size_t equals = arg.find('=');
    if (equals == std::string::npos) return 2;
    programs.push_back({arg.substr(0, equals), arg.substr(equals + 1), work + "\\" + arg.substr(0, equals)});
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA(programs.back().folder.c_str(), nullptr);
  }
  zv::win::OleSession ole;
  WriteStartSettings(pictures);
  if (!MakeCache(work, programs)) {
    std::fprintf(stderr, "the thumbnail cache was not filled\n");
    return 1;
  }
  const std::vector<RECT> cellsInView = MeasureCellsInView(programs.back());
  if (cellsInView.empty()) {
    std::fprintf(stderr, "the grid showed no cells\n");
    return 1;
  }
  std::printf("== %zu cells in view; ms after CreateProcess: splash shown, frame shown, splash gone, "
              "first screenful painted, the program answers\n", cellsInView.size());
  std::vector<std::vector<double>> painted(programs.size()), answers(programs.size());
  for (int round = 1; round <= rounds; ++round) {
    for (size_t p = 0; p < programs.size(); ++p) {
      WriteStartSettings(pictures);
      const StartTimes t = TimeOneStart(programs[p], cellsInView);
      std::printf("%s,round %d,splash %.0f,frame %.0f,splash gone %.0f,painted %.0f,answers %.0f\n",
                  programs[p].label.c_str(), round, t.splash, t.frame, t.splashGone, t.painted, t.answers);
      std::fflush(stdout);
      if (t.painted >= 0) painted[p].push_back(t.painted);
      if (t.answers >= 0) answers[p].push_back(t.answers);
    }
  }
  for (size_t p = 0; p < programs.size(); ++p) {
    std::printf("%s: median of %zu starts: first screenful painted %.0f ms, answering %.0f ms\n",
                programs[p].label.c_str(), painted[p].size(), Median(painted[p]), Median(answers[p]));
    PrintTrace(programs[p]);
  }
  return 0;
}
