// Long use: a resident copy and the browser it starts while the simulated
// board is pulled out and plugged in again, cycle after cycle, with new
// pictures on the board each time; between cycles the browser switches
// folders, view modes and thumbnail sizes and opens pictures. Every cycle
// samples both processes (tests/wine/process_use.h); after the warm-up no
// count may grow past its bound. ZV_SOAK_CYCLES sets the cycles (20 in CI,
// scripts/soak.sh runs 300); ZV_SOAK_TABLE names a file for the samples.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/registry_profile.h"
#include "app/single_instance.h"
#include "app/tray_frame.h"
#include "res/resource.h"
#include "tests/wine/process_use.h"
#include "tests/wine/wine_test_support.h"
#include "win/registry.h"

namespace zv {
namespace {

constexpr DWORD kStartTimeout = 60000;
constexpr DWORD kConditionTimeout = 60000;
// The board keeps its own pictures and at most this many added ones.
constexpr size_t kAddedPicturesKept = 3;

// Growth allowed after the warm-up over the warm-up's highest sample.
constexpr size_t kPrivateBytesBound = 8u << 20;
constexpr DWORD kHandleBound = 16;
constexpr int kWindowBound = 2;
constexpr int kGdiObjectBound = 16;

int Cycles() {
  const int cycles = std::atoi(test::EnvironmentValue("ZV_SOAK_CYCLES").c_str());
  return cycles > 0 ? cycles : 20;
}
// 20 cycles of warm-up, or a quarter of a shorter run.
int WarmUpCycles(int cycles) { return std::clamp(cycles / 4, 1, 20); }

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kConditionTimeout) {
  return test::WaitForWindow([&] { return condition() ? GetDesktopWindow() : nullptr; }, timeoutMs) != nullptr;
}

// A command of the program's menus, handled when the call returns.
bool Command(HWND frame, int id) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(frame, WM_COMMAND, id, 0, SMTO_NORMAL, kConditionTimeout, &result) != 0;
}

int ListedRows(HWND browser) {
  HWND list = test::FindChildById(browser, IDW_FILE_LIST);
  return list != nullptr ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

int FilesIn(const std::string& folder) {
  int count = 0;
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.') ++count;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return count;
}

struct Sample {
  test::ProcessUse browser;
  test::ProcessUse resident;
};

// The highest value of each count over `samples`.
test::ProcessUse Highest(const std::vector<Sample>& samples, test::ProcessUse Sample::*which) {
  test::ProcessUse top{};
  for (const Sample& s : samples) {
    const test::ProcessUse& u = s.*which;
    top.privateBytes = std::max(top.privateBytes, u.privateBytes);
    top.handles = std::max(top.handles, u.handles);
    top.windows = std::max(top.windows, u.windows);
    top.gdiObjects = std::max(top.gdiObjects, u.gdiObjects);
  }
  return top;
}

void ExpectWithinBounds(const char* who, int cycle, const test::ProcessUse& use, const test::ProcessUse& warm) {
  EXPECT_LE(use.privateBytes, warm.privateBytes + kPrivateBytesBound) << who << " private memory, cycle " << cycle;
  EXPECT_LE(use.handles, warm.handles + kHandleBound) << who << " handles, cycle " << cycle;
  EXPECT_LE(use.windows, warm.windows + kWindowBound) << who << " windows, cycle " << cycle;
  if (warm.gdiObjects >= 0) {
    EXPECT_LE(use.gdiObjects, warm.gdiObjects + kGdiObjectBound) << who << " GDI objects, cycle " << cycle;
  }
}

void WriteTable(const std::vector<Sample>& samples) {
  const std::string path = test::EnvironmentValue("ZV_SOAK_TABLE");
  if (path.empty()) return;
  std::string text = "cycle,browser_private_kb,browser_handles,browser_windows,browser_gdi,"
                     "resident_private_kb,resident_handles,resident_windows,resident_gdi\n";
  char line[200];
  for (size_t i = 0; i < samples.size(); ++i) {
    const test::ProcessUse& b = samples[i].browser;
    const test::ProcessUse& r = samples[i].resident;
    std::snprintf(line, sizeof line, "%zu,%zu,%lu,%d,%d,%zu,%lu,%d,%d\n", i + 1, b.privateBytes >> 10,
                  static_cast<unsigned long>(b.handles), b.windows, b.gdiObjects, r.privateBytes >> 10,
                  static_cast<unsigned long>(r.handles), r.windows, r.gdiObjects);
    text += line;
  }
  test::WriteFileBytes(path, text);
}

class Soak : public ::testing::Test {
 protected:
  void SetUp() override {
    test::DeleteProgramSettings();
    win::UniqueKey settings = win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings");
    win::WriteDword(settings.get(), "m_tagEnvSet.dwdLstMod", 2);  // list mode, so rows can be counted
    win::WriteDword(settings.get(), "m_tagEnvSet.dwdExcCnt", 1);  // not a first run: no setup dialog
    ASSERT_TRUE(test::RunBoardScript("unplug"));
  }
  void TearDown() override {
    if (HWND browser = FindWindowWithProperty(kBrowserCopyName)) PostMessageA(browser, WM_CLOSE, 0, 0);
    if (browserProcess_ != nullptr) {
      if (WaitForSingleObject(browserProcess_, 20000) != WAIT_OBJECT_0) TerminateProcess(browserProcess_, 1);
      CloseHandle(browserProcess_);
    }
    for (const std::string& name : added_) {
      DeleteFileA(("E:\\ZVM\\" + name).c_str());
      DeleteFileA(("F:\\ZVM\\" + name).c_str());
    }
    test::RunBoardScript("unplug");
    test::DeleteProgramSettings();
  }

  // The resident copy's poll, run at once: the call returns after it.
  void Poll() {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(tray_, WM_TIMER, IDT_TRAY_POLL, 0, SMTO_NORMAL, kConditionTimeout, &result);
  }

  // A new picture on both units; the oldest added one goes beyond the few kept.
  void AddPicture(int cycle) {
    const std::string name = "soak" + std::to_string(cycle) + ".bmp";
    for (const char* unit : {"E:\\ZVM\\", "F:\\ZVM\\"}) test::WriteGreyBmp(unit + name, 64 + cycle % 7, 48);
    added_.push_back(name);
    if (added_.size() > kAddedPicturesKept) {
      DeleteFileA(("E:\\ZVM\\" + added_.front()).c_str());
      DeleteFileA(("F:\\ZVM\\" + added_.front()).c_str());
      added_.pop_front();
    }
  }

  // Board out and in: the resident copy sees both, and the connection
  // brings the minimised browser back (a second copy activates it).
  void ReconnectBoard(int cycle) {
    ShowWindow(browser_, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(browser_) != FALSE; }));
    ASSERT_TRUE(test::RunBoardScript("pull"));
    Poll();
    ASSERT_TRUE(test::RunBoardScript("insert"));
    AddPicture(cycle);
    Poll();
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(browser_) == FALSE; })) << "cycle " << cycle;
  }

  // The folder tree goes to the board folder's parent and back; coming
  // back fills the mirror again, new pictures included.
  void SwitchFolders(int cycle) {
    ASSERT_TRUE(Command(browser_, ID_VIEW_LIST));
    HWND tree = test::FindChildById(browser_, IDW_FOLDER_TREE);
    ASSERT_NE(tree, nullptr);
    const LRESULT boardItem = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    const LRESULT parent = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, boardItem);
    ASSERT_NE(parent, 0);
    const int onBoard = FilesIn("F:\\ZVM");
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, parent);
    ASSERT_TRUE(WaitUntil([&] { return ListedRows(browser_) == 0; })) << "the drive's root holds no pictures";
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, boardItem);
    ASSERT_TRUE(WaitUntil([&] { return ListedRows(browser_) == onBoard; }))
        << "cycle " << cycle << ": rows " << ListedRows(browser_) << ", board files " << onBoard;
  }

  void SwitchViewsAndOpenPictures() {
    for (int mode : {ID_VIEW_LIGHTTHUMB, ID_VIEW_DETAILTHUMB})
      for (int size : {ID_VIEW_THUMBSMALL, ID_VIEW_THUMBMEDIUM, ID_VIEW_THUMBLARGE}) {
        ASSERT_TRUE(Command(browser_, mode));
        ASSERT_TRUE(Command(browser_, size));
      }
    ASSERT_TRUE(Command(browser_, ID_VIEW_LIST));
    for (int id : {ID_EDIT_SELECTALL, ID_VIEW_SHOWPICTURE, ID_VIEW_NEXTPICTURE, ID_VIEW_NEXTPICTURE,
                   ID_VIEW_PREVPICTURE, ID_VIEW_RETURNLIST})
      ASSERT_TRUE(Command(browser_, id));
    ASSERT_NE(IsWindowVisible(test::FindChildById(browser_, IDW_FILE_LIST)), FALSE) << "back in the list";
  }

  test::ProgramCopy program_;
  HWND tray_ = nullptr;
  HWND browser_ = nullptr;
  HANDLE browserProcess_ = nullptr;
  std::deque<std::string> added_;
};

// The counters read what they should under this Wine: this process's own
// handles, windows, GDI objects and memory, grown by a known amount.
TEST(ProcessUse, EachCountFollowsWhatTheProcessMakes) {
  constexpr int kSlack = 4;
  // The first window of a thread brings the thread's own (IME window, desktop handles).
  DestroyWindow(CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
  const test::ProcessUse before = test::UseOf(GetCurrentProcess());
  std::vector<HANDLE> events;
  std::vector<HGDIOBJ> brushes;
  std::vector<HWND> windows;
  for (int i = 0; i < 25; ++i) {
    events.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    windows.push_back(CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
  }
  void* block = VirtualAlloc(nullptr, 16u << 20, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const test::ProcessUse after = test::UseOf(GetCurrentProcess());
  // Wine makes a few objects of its own on the way (a thread's IME window,
  // handles it caches), hence the small slack.
  EXPECT_GE(after.handles, before.handles + 25);
  EXPECT_LE(after.handles, before.handles + 25 + static_cast<DWORD>(kSlack));
  EXPECT_GE(after.windows, before.windows + 25);
  EXPECT_LE(after.windows, before.windows + 25 + kSlack);
  if (before.gdiObjects >= 0) {  // not readable under Wine 8
    EXPECT_EQ(after.gdiObjects, before.gdiObjects + 25);
  }
  EXPECT_GE(after.privateBytes, before.privateBytes + (16u << 20));
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  std::printf("PrivateUsage %zu KB, WorkingSetSize %zu KB, GetGuiResources GDI %lu USER %lu\n",
              static_cast<size_t>(counters.PrivateUsage >> 10), static_cast<size_t>(counters.WorkingSetSize >> 10),
              GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  VirtualFree(block, 0, MEM_RELEASE);
  for (HWND w : windows) DestroyWindow(w);
  for (HGDIOBJ b : brushes) DeleteObject(b);
  for (HANDLE e : events) CloseHandle(e);
  const test::ProcessUse end = test::UseOf(GetCurrentProcess());
  EXPECT_LE(end.handles, before.handles + static_cast<DWORD>(kSlack));
  EXPECT_LE(end.windows, before.windows + kSlack);
  EXPECT_LT(end.privateBytes, after.privateBytes - (16u << 20) + (1u << 20));
  if (before.gdiObjects >= 0) {
    EXPECT_EQ(end.gdiObjects, before.gdiObjects);
  }
}

TEST_F(Soak, BoardCyclesAndBrowsingLeaveTheCountsFlat) {
  // Nothing in it depends on the code page: CTest's short form runs once.
  if (GetACP() != 932 && test::EnvironmentValue("ZV_SOAK_CYCLES").empty()) GTEST_SKIP() << "runs under code page 932";
  const int cycles = Cycles();
  const int warmUp = WarmUpCycles(cycles);
  PROCESS_INFORMATION resident = program_.Launch("i");
  tray_ = test::WaitForWindow([&] { return test::TopWindowOf(resident.dwProcessId, kResidentCopyName); },
                              kStartTimeout);
  ASSERT_NE(tray_, nullptr);
  ASSERT_TRUE(test::RunBoardScript("plug"));
  Poll();
  browser_ = test::WaitForWindow([] { return FindWindowWithProperty(kBrowserCopyName); }, kStartTimeout);
  ASSERT_NE(browser_, nullptr) << "plugging the board in starts the browser";
  DWORD browserPid = 0;
  GetWindowThreadProcessId(browser_, &browserPid);
  browserProcess_ = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE | PROCESS_TERMINATE,
                                FALSE, browserPid);
  ASSERT_NE(browserProcess_, nullptr);

  std::vector<Sample> samples;
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    ASSERT_NO_FATAL_FAILURE(ReconnectBoard(cycle));
    ASSERT_NO_FATAL_FAILURE(SwitchFolders(cycle));
    ASSERT_NO_FATAL_FAILURE(SwitchViewsAndOpenPictures());
    samples.push_back({test::UseOf(browserProcess_), test::UseOf(resident.hProcess)});
    const Sample& s = samples.back();
    std::printf("cycle %3d  browser %6zu KB %4lu handles %3d windows %4d GDI  resident %6zu KB %4lu handles "
                "%3d windows %4d GDI\n",
                cycle, s.browser.privateBytes >> 10, static_cast<unsigned long>(s.browser.handles), s.browser.windows,
                s.browser.gdiObjects, s.resident.privateBytes >> 10, static_cast<unsigned long>(s.resident.handles),
                s.resident.windows, s.resident.gdiObjects);
    std::fflush(stdout);
  }
  WriteTable(samples);
  const std::vector<Sample> warm(samples.begin(), samples.begin() + warmUp);
  const test::ProcessUse browserWarm = Highest(warm, &Sample::browser);
  const test::ProcessUse residentWarm = Highest(warm, &Sample::resident);
  for (size_t i = warmUp; i < samples.size(); ++i) {
    ExpectWithinBounds("browser", static_cast<int>(i + 1), samples[i].browser, browserWarm);
    ExpectWithinBounds("resident copy", static_cast<int>(i + 1), samples[i].resident, residentWarm);
  }
}

}  // namespace
}  // namespace zv
