#include "tests/wine/wine_test_support.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "app/registry_profile.h"
#include "res/resource.h"
#include "win/registry.h"

namespace zv::test {

VARIANT AccessibleChild(long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

TempFolder::TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  static int counter = 0;
  for (;;) {
    path_ = std::string(base) + "zvtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

TempFolder::~TempFolder() {
  std::string from = path_ + '\0';  // SHFileOperation wants a double-terminated list
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationA(&op);
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

std::string EnvironmentValue(const char* name) {
  char value[1024] = "";
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

ProgramCopy::ProgramCopy() : exe_(folder_.File("ZViewer.exe")) {
  CopyFileA(EnvironmentValue("ZV_EXE").c_str(), exe_.c_str(), FALSE);
}

ProgramCopy::~ProgramCopy() {
  for (PROCESS_INFORMATION& p : started_) {
    if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(p.hProcess, 1);
      WaitForSingleObject(p.hProcess, 5000);
    }
    CloseHandle(p.hProcess);
    CloseHandle(p.hThread);
  }
}

PROCESS_INFORMATION ProgramCopy::Launch(const std::string& arguments) {
  std::string commandLine = "\"" + exe_ + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder().c_str(), &startup,
                     &process))
    started_.push_back(process);
  return process;
}

HWND WaitForWindow(const std::function<HWND()>& found, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND w = found()) return w;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
}

HWND TopWindowOf(DWORD pid, const char* prop, const char* className) {
  for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != pid) continue;
    if (prop != nullptr && GetPropA(w, prop) == nullptr) continue;
    if (prop == nullptr && !IsWindowVisible(w)) continue;
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    if (className != nullptr && std::string(name) != className) continue;
    return w;
  }
  return nullptr;
}

bool WaitForExit(const PROCESS_INFORMATION& process, DWORD timeoutMs) {
  return process.hProcess != nullptr && WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

MessageBoxWatcher::MessageBoxWatcher() {
  InitializeCriticalSection(&lock_);
  thread_ = std::thread([this] { Watch(); });
}

MessageBoxWatcher::~MessageBoxWatcher() {
  stop_ = true;
  thread_.join();
  DeleteCriticalSection(&lock_);
}

std::vector<std::string> MessageBoxWatcher::Texts() {
  EnterCriticalSection(&lock_);
  std::vector<std::string> copy = texts_;
  LeaveCriticalSection(&lock_);
  return copy;
}

void MessageBoxWatcher::Watch() {
  while (!stop_) {
    HWND box = TopWindowOf(GetCurrentProcessId(), nullptr, "#32770");
    if (box != nullptr) {
      char text[2048] = "";
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message static of a message box
      EnterCriticalSection(&lock_);
      texts_.push_back(text);
      LeaveCriticalSection(&lock_);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      while (!stop_ && IsWindow(box)) Sleep(10);
    }
    Sleep(20);
  }
}

// Wine's Z: drive is the Linux root.
std::string WindowsPathOfLinux(const std::string& path) {
  std::string windows = "Z:" + path;
  for (char& c : windows)
    if (c == '/') c = '\\';
  return windows;
}

bool RunLinuxCommand(const std::string& command, std::string* output) {
  // "start /wait /unix" returns as soon as a Linux program is spawned, so a
  // wrapper leaves the command's exit status in a file, which is awaited here.
  // The names are reserved with GetTempFileName: a process id alone is not
  // unique, as every wineserver (the soak's rig runs beside the tests')
  // numbers its processes from the same start.
  char reserved[MAX_PATH] = "";
  if (GetTempFileNameA("Z:\\tmp", "zvl", 0, reserved) == 0) return false;
  std::string base = reserved + 2;  // without "Z:"
  for (char& c : base)
    if (c == '\\') c = '/';
  const std::string wrapper = base + ".sh", status = base + ".status", out = base + ".out";
  WriteFileBytes(WindowsPathOfLinux(wrapper), "{\n" + command + "\n} > '" + out + "'\necho $? > '" + status +
                                                  ".part'\nmv '" + status + ".part' '" + status + "'\n");
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, sizeof system);
  std::string commandLine = std::string("\"") + system + "\\start.exe\" /unix /bin/bash " + wrapper;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    DeleteFileA(WindowsPathOfLinux(wrapper).c_str());
    DeleteFileA(reserved);
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const std::string statusFile = WindowsPathOfLinux(status);
  for (int i = 0; i < 1200 && GetFileAttributesA(statusFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  const std::string exitCode = ReadFileBytes(statusFile);
  if (output != nullptr) *output = ReadFileBytes(WindowsPathOfLinux(out));
  DeleteFileA(statusFile.c_str());
  DeleteFileA(WindowsPathOfLinux(out).c_str());
  DeleteFileA(WindowsPathOfLinux(wrapper).c_str());
  DeleteFileA(reserved);
  return exitCode == "0\n";
}

bool RunBoardScript(const std::string& verb) {
  // The sources are seen as Z:\...; the script runs with their Linux path.
  std::string script = EnvironmentValue("ZV_SOURCE_DIR");
  if (script.size() < 3 || script.compare(0, 2, "Z:") != 0) return false;
  script = script.substr(2) + "\\scripts\\copyboard.sh";
  for (char& c : script)
    if (c == '\\') c = '/';
  return RunLinuxCommand("bash '" + script + "' " + verb);
}

namespace {
struct ChildSearch {
  int id;
  HWND found;
};
BOOL CALLBACK MatchChildId(HWND child, LPARAM search) {
  auto* s = reinterpret_cast<ChildSearch*>(search);
  if (GetDlgCtrlID(child) != s->id) return TRUE;
  s->found = child;
  return FALSE;
}
}  // namespace

HWND FindChildById(HWND parent, int id) {
  ChildSearch search{id, nullptr};
  EnumChildWindows(parent, &MatchChildId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {
struct DialogAnswer {
  const std::function<void(HWND)>* answer = nullptr;
  bool answered = false;
  bool forced = false;
  DWORD answeredAt = 0;
};
DialogAnswer g_dialogAnswer;

BOOL CALLBACK MatchVisibleDialog(HWND window, LPARAM found) {
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK AnswerOnTimer(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &MatchVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
  if (dialog == nullptr) return;
  DialogAnswer& state = g_dialogAnswer;
  if (!state.answered) {
    state.answered = true;
    state.answeredAt = GetTickCount();
    (*state.answer)(dialog);
  } else if (GetTickCount() - state.answeredAt > 5000) {
    state.forced = true;
    EndDialog(dialog, IDABORT);
  }
}
}  // namespace

// May be called from inside an answer (a message box the answer brings up):
// the outer dialog's state is put back when the inner one is done.
bool AnswerModalDialog(const std::function<void()>& open, const std::function<void(HWND dialog)>& answer) {
  const DialogAnswer outer = g_dialogAnswer;
  g_dialogAnswer = DialogAnswer{&answer};
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &AnswerOnTimer);
  open();
  KillTimer(nullptr, timer);
  const bool closedByAnswer = g_dialogAnswer.answered && !g_dialogAnswer.forced;
  g_dialogAnswer = outer;
  return closedByAnswer;
}

void DeleteProgramSettings() { win::DeleteTree(HKEY_CURRENT_USER, "Software\\ZAMO Kivon software"); }

// The icon is loaded shared: every load of resource 128 gives the same handle.
bool HasProgramIcon(HWND window) {
  const auto program =
      reinterpret_cast<LRESULT>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)));
  return program != 0 && SendMessageA(window, WM_GETICON, ICON_BIG, 0) == program &&
         SendMessageA(window, WM_GETICON, ICON_SMALL, 0) == program;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    Pump();
    Sleep(10);
  }
  Pump();
}

void WriteGreyBmp(const std::string& path, int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  std::string bytes(54 + static_cast<size_t>(stride) * height, '\x40');
  auto put = [&](size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, static_cast<uint32_t>(bytes.size()));
  put(6, 0);
  put(10, 54);
  put(14, 40);
  put(18, static_cast<uint32_t>(width));
  put(22, static_cast<uint32_t>(height));
  put(26, 1 | (24 << 16));
  for (size_t at : {30u, 34u, 38u, 42u, 46u, 50u}) put(at, 0);
  WriteFileBytes(path, bytes);
}

std::string TrashFile(const std::string& name, const char* part, const char* ending) {
  std::string folder = EnvironmentValue("XDG_DATA_HOME");
  for (char& c : folder)
    if (c == '/') c = '\\';
  return "Z:" + folder + "\\Trash\\" + part + "\\" + name + ending;
}

void EmptyTrashOf(const std::string& name) {
  DeleteFileA(TrashFile(name).c_str());
  DeleteFileA(TrashFile(name, "info", ".trashinfo").c_str());
}

SmallDisk::SmallDisk(const char* size) {
  linux_ = "/tmp/zv-small-disk-" + std::to_string(GetCurrentProcessId());
  mounted_ = RunLinuxCommand("mkdir -p " + linux_ + " && mount -t tmpfs -o size=" + size + " tmpfs " + linux_);
}

SmallDisk::~SmallDisk() { RunLinuxCommand("umount " + linux_ + "; rmdir " + linux_); }

bool SmallDisk::Fill() const {
  HANDLE filler = CreateFileA(File("filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (filler == INVALID_HANDLE_VALUE) return true;
  const std::string block(4096, 'f');
  bool refused = false;
  for (int i = 0; i < 100000 && !refused; ++i) {
    DWORD written = 0;
    refused = !WriteFile(filler, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) ||
              written != block.size();
  }
  CloseHandle(filler);
  return refused;
}

}  // namespace zv::test
