#include "tests/wine/process_use.h"

#include <winternl.h>

#include <vector>

namespace zv::test {

namespace {

// GetProcessMemoryInfo's PrivateUsage is Wine's VmSwap of the process (0
// without swap), so the private memory is added up region by region.
size_t CommittedPrivateBytes(HANDLE process) {
  size_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

struct WindowCount {
  DWORD pid;
  int count;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++reinterpret_cast<WindowCount*>(count)->count;
  return TRUE;
}

void CountWindowAndChildren(HWND window, WindowCount& count) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != count.pid) return;
  ++count.count;
  EnumChildWindows(window, &CountChild, reinterpret_cast<LPARAM>(&count));
}

// Includes hidden and message-only windows, which EnumWindows leaves out.
int WindowsOf(DWORD pid) {
  WindowCount count{pid, 0};
  for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
    CountWindowAndChildren(w, count);
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w != nullptr;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
    CountWindowAndChildren(w, count);
  return count.count;
}

// SystemHandleInformation lists the handles of every process with its
// owner; GetProcessHandleCount answers 0 for every process under Wine 8.
struct SystemHandleEntry {
  ULONG ownerPid;
  UCHAR objectType;
  UCHAR flags;
  USHORT handle;
  void* object;
  ACCESS_MASK access;
};
constexpr ULONG kSystemHandleInformation = 16;

DWORD HandlesOf(DWORD pid) {
  using QuerySystem = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<QuerySystem>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  std::vector<ULONG_PTR> buffer(1 << 18);
  for (ULONG needed = 0;; buffer.resize(buffer.size() * 2)) {
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR));
    const NTSTATUS status = query(kSystemHandleInformation, buffer.data(), size, &needed);
    if (status == 0) break;
    if (buffer.size() > (1u << 24)) return 0;
  }
  const ULONG count = static_cast<ULONG>(buffer[0]);
  const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + 1);
  DWORD owned = 0;
  for (ULONG i = 0; i < count; ++i)
    if (entries[i].ownerPid == pid) ++owned;
  return owned;
}

// GetGuiResources answers 0 under Wine 8, whose GDI objects another process
// cannot see at all; on Windows it counts them.
int GdiObjectsOf(HANDLE process) {
  const DWORD count = GetGuiResources(process, GR_GDIOBJECTS);
  return count != 0 ? static_cast<int>(count) : -1;
}

}  // namespace

ProcessUse UseOf(HANDLE process) {
  ProcessUse use;
  use.privateBytes = CommittedPrivateBytes(process);
  use.handles = HandlesOf(GetProcessId(process));
  use.windows = WindowsOf(GetProcessId(process));
  use.gdiObjects = GdiObjectsOf(process);
  return use;
}

}  // namespace zv::test
