#include "win/diagnostics.h"

#include <exception>

#include "res/app_identity.h"

namespace zv::win {

namespace {

// The system's own text for the code, without its line end; "" when it has none.
std::string SystemText(uint32_t code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result(text != nullptr ? text : "", length);
  LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
    result.pop_back();
  return result;
}

std::string CodeText(FailureCode code) {
  char number[40] = "";
  switch (code.kind) {
    case FailureCode::Kind::kNone:
      return {};
    case FailureCode::Kind::kWin32:
      wsprintfA(number, "Win32 error %lu", static_cast<unsigned long>(code.value));
      break;
    case FailureCode::Kind::kHresult:
      wsprintfA(number, "HRESULT 0x%08lX", static_cast<unsigned long>(code.value));
      break;
  }
  const std::string text = SystemText(code.value);
  return text.empty() ? std::string(number) : std::string(number) + " (" + text + ")";
}

}  // namespace

std::string FailureLine(std::string_view what, std::string_view file, FailureCode code) {
  std::string line = ZV_APP_TITLE ": ";
  line += what;
  if (!file.empty()) line.append(": ").append(file);
  const std::string codeText = CodeText(code);
  if (!codeText.empty()) line.append(": ").append(codeText);
  line += '\n';
  return line;
}

void LogFailure(std::string_view what, std::string_view file, FailureCode code) noexcept {
  const DWORD lastError = GetLastError();
  try {
    OutputDebugStringA(FailureLine(what, file, code).c_str());
  } catch (...) {  // no memory for the line: at least say that something failed
    OutputDebugStringA(ZV_APP_TITLE ": a failure could not be described\n");
  }
  SetLastError(lastError);
}

void LogCaughtException(std::string_view where, std::string_view file) noexcept {
  try {
    try {
      throw;
    } catch (const std::exception& caught) {
      LogFailure(std::string("exception swallowed in ").append(where).append(": ").append(caught.what()), file);
    } catch (...) {
      LogFailure(std::string("exception swallowed in ").append(where), file);
    }
  } catch (...) {  // no memory to build the line
    LogFailure("exception swallowed");
  }
}

}  // namespace zv::win
