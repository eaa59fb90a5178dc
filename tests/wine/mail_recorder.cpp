// A Simple MAPI mail program for the tests: registered in the prefix as the
// mail client (HKLM\Software\Clients\Mail), it appends what MAPISendMail
// receives to the file named by %ZV_MAIL_LOG%, one line per field, so that
// a test sees exactly what the program sent. Every message ends with "end".
#include <windows.h>

#include <mapi.h>

#include <cstdio>
#include <string>

namespace {

std::string Text(const char* text) { return text == nullptr ? "(null)" : text; }

}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR window, lpMapiMessage message,
                                                          FLAGS flags, ULONG reserved) {
  char log[MAX_PATH] = "";
  if (GetEnvironmentVariableA("ZV_MAIL_LOG", log, sizeof log) == 0) return MAPI_E_FAILURE;
  std::string record = "session " + std::to_string(session) + "\nwindow " + std::to_string(window) + "\nflags " +
                       std::to_string(flags) + "\nreserved " + std::to_string(reserved) + "\n";
  if (message == nullptr) {
    record += "no message\n";
  } else {
    record += "subject " + Text(message->lpszSubject) + "\nnote " + Text(message->lpszNoteText) + "\nrecipients " +
              std::to_string(message->nRecipCount) + "\nfiles " + std::to_string(message->nFileCount) + "\n";
    for (ULONG i = 0; message->lpFiles != nullptr && i < message->nFileCount; ++i) {
      const MapiFileDesc& file = message->lpFiles[i];
      record += "file " + std::to_string(file.ulReserved) + " " + std::to_string(file.flFlags) + " " +
                std::to_string(file.nPosition) + " " + (file.lpFileType == nullptr ? "notype" : "type") + "\npath " +
                Text(file.lpszPathName) + "\nname " + Text(file.lpszFileName) + "\n";
    }
  }
  record += "end\n";
  HANDLE out = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return MAPI_E_FAILURE;
  DWORD written = 0;
  WriteFile(out, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(out);
  return SUCCESS_SUCCESS;
}
