#pragma once
// One line for a support engineer per failure the user sees (a message box,
// a missing picture) or that is swallowed (an exception caught at a window
// procedure): what failed, on which file, and the Win32 error or HRESULT.
// The line goes to OutputDebugStringA only, which DebugView shows on Windows
// and WINEDEBUG=+debugstr under Wine; nothing is written to disk.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace zv::win {

// The code a failed call left: a Win32 error, an HRESULT, or none.
struct FailureCode {
  enum class Kind { kNone, kWin32, kHresult };
  Kind kind = Kind::kNone;
  uint32_t value = 0;
};

// Take GetLastError() before any other call can overwrite it.
inline FailureCode Win32Error(DWORD error = GetLastError()) { return {FailureCode::Kind::kWin32, error}; }
inline FailureCode Hresult(HRESULT result) { return {FailureCode::Kind::kHresult, static_cast<uint32_t>(result)}; }

// "ZViewer: <what>: <file>: Win32 error 5 (Access is denied.)"; the file and
// the code are left out when empty or none.
std::string FailureLine(std::string_view what, std::string_view file, FailureCode code);

// Writes FailureLine. Never throws and keeps the thread's last error.
void LogFailure(std::string_view what, std::string_view file = {}, FailureCode code = {}) noexcept;

// Inside a catch block: writes the caught exception (its what() when it is a
// std::exception) as swallowed at `where`, working on `file` when given.
void LogCaughtException(std::string_view where, std::string_view file = {}) noexcept;

}  // namespace zv::win
