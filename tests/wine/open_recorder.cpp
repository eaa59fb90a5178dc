// The application a test associates with a picture type: it appends its
// command line (after its own name) to the file named by %ZV_OPEN_LOG%, one
// line per start, and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  char log[MAX_PATH] = "";
  if (GetEnvironmentVariableA("ZV_OPEN_LOG", log, sizeof log) == 0) return 1;
  const std::string line = std::string(arguments) + "\n";
  // Several copies may start at once: retry while another one appends.
  for (int attempt = 0; attempt < 100; ++attempt) {
    HANDLE out = CreateFileA(log, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(out);
      return 0;
    }
    Sleep(20);
  }
  return 2;
}
