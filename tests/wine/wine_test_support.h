#pragma once
// Helpers of the Wine tests: temporary folders, copies of ZViewer.exe in
// their own program folders, windows of other processes, message boxes.
#include <windows.h>

#include <oleauto.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace zv::test {

// The VARIANT that names child `id` of an IAccessible (1 is the first).
VARIANT AccessibleChild(long id);

// A fresh folder under %TEMP%, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// A 24-bit BMP of width x height in one grey (0x40), written byte by byte.
void WriteGreyBmp(const std::string& path, int width, int height);
std::string EnvironmentValue(const char* name);
// Where Wine's shell puts what it moves to the recycle bin: the file, and
// beside it its record, whose name the next file of that name would avoid.
std::string TrashFile(const std::string& name, const char* part = "files", const char* ending = "");
// Both of them gone, so that a test leaves nothing behind.
void EmptyTrashOf(const std::string& name);

// A copy of ZViewer.exe (from %ZV_EXE%) in its own program folder.
class ProgramCopy {
 public:
  ProgramCopy();
  ~ProgramCopy();  // ends every process it started that still runs
  const std::string& folder() const { return folder_.path(); }
  const std::string& exe() const { return exe_; }
  // Starts the program with `arguments` after the quoted program path.
  PROCESS_INFORMATION Launch(const std::string& arguments);

 private:
  TempFolder folder_;
  std::string exe_;
  std::vector<PROCESS_INFORMATION> started_;
};

// Polls `found` every 50 ms until it gives a window or `timeoutMs` passes.
HWND WaitForWindow(const std::function<HWND()>& found, DWORD timeoutMs = 10000);
// The first top-level window of process `pid` with property `prop` (null: any visible).
HWND TopWindowOf(DWORD pid, const char* prop = nullptr, const char* className = nullptr);
// Waits for the process to end; false on timeout.
bool WaitForExit(const PROCESS_INFORMATION& process, DWORD timeoutMs = 10000);

// Answers every message box of this process that appears while it lives:
// records its text and presses OK.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  std::vector<std::string> Texts();

 private:
  void Watch();
  CRITICAL_SECTION lock_;
  std::vector<std::string> texts_;
  volatile bool stop_ = false;
  std::thread thread_;
};

// Runs `command` with bash on the Linux side through Wine's "start /unix"
// and waits until it ends (at most 2 minutes); true when it exited with 0.
// Its standard output goes to `output` when given.
bool RunLinuxCommand(const std::string& command, std::string* output = nullptr);
// "Z:\..." for a Linux path: Wine's Z: drive is the Linux root.
std::string WindowsPathOfLinux(const std::string& path);

// A small file system of its own (a tmpfs, mounted as root), reached through
// Wine's Z: drive; unmounted with everything in it at the end. Where mount
// is not allowed, mounted() is false and the test says it skips.
class SmallDisk {
 public:
  explicit SmallDisk(const char* size);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  std::string File(const std::string& name) const { return WindowsPathOfLinux(linux_) + "\\" + name; }
  // Takes every byte left; true when the disk then refused a write.
  bool Fill() const;
  void Free() const { DeleteFileA(File("filler").c_str()); }

 private:
  std::string linux_;
  bool mounted_ = false;
};

// Runs scripts/copyboard.sh <verb> (plug, unplug) on the Linux side through
// Wine's "start /unix" and waits until it ends; false when it could not run
// or failed.
bool RunBoardScript(const std::string& verb);

// The first child (at any depth) of `parent` with control id `id`.
HWND FindChildById(HWND parent, int id);

// Runs `open`, which shows a modal dialog of this thread and returns when it
// ends, and meanwhile answers the dialog with `answer` from a timer inside
// the dialog's own message loop, as a user would (BM_CLICK on its buttons).
// A dialog still open 5 s after its answer is ended with IDABORT. False when
// no dialog showed or the answer did not close it.
bool AnswerModalDialog(const std::function<void()>& open, const std::function<void(HWND dialog)>& answer);

// Whether `window` carries the program's icon (resource 128) as its large
// and its small icon.
bool HasProgramIcon(HWND window);

// Pumps the messages of this thread.
void Pump();
// Pumps messages for `milliseconds` (timers fire meanwhile).
void PumpFor(DWORD milliseconds);

// The profile key of the program under HKCU, removed for a clean start.
void DeleteProgramSettings();

}  // namespace zv::test
