#include "win/step_trace.h"

#include <windows.h>

#include <cstdio>

namespace zv::win {

namespace {

// Opened once, at the first step; INVALID_HANDLE_VALUE when tracing is off.
HANDLE TraceFile() {
  static const HANDLE file = [] {
    char path[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA("ZV_STEP_TRACE", path, sizeof path);
    if (length == 0 || length >= sizeof path) return INVALID_HANDLE_VALUE;
    return CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }();
  return file;
}

}  // namespace

double TraceClockMs() noexcept {
  LARGE_INTEGER counter{}, frequency{};
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void TraceStep(std::string_view step) noexcept {
  const DWORD error = GetLastError();
  const HANDLE file = TraceFile();
  if (file != INVALID_HANDLE_VALUE) {
    char line[160];
    const int length = std::snprintf(line, sizeof line, "%.3f %.*s\n", TraceClockMs(),
                                     static_cast<int>(step.size() < 120 ? step.size() : 120), step.data());
    DWORD written = 0;
    // One write per line: lines of several threads do not interleave.
    if (length > 0) WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  }
  SetLastError(error);
}

}  // namespace zv::win
