// Another program on the clipboard, for the Wine tests of the file transfer:
//   clipboard_peer read <file>             writes the CF_HDROP block on the clipboard to <file>
//   clipboard_peer write-narrow <path>...  puts a CF_HDROP list with narrow names (fWide 0)
// Exit code 0 when done, 2 when there was nothing to read, 3 on a failure.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool OpenTheClipboard() {
  for (int attempt = 0; attempt < 100; ++attempt) {  // another process may hold it a moment
    if (OpenClipboard(nullptr)) return true;
    Sleep(20);
  }
  return false;
}

int Read(const char* file) {
  if (!OpenTheClipboard()) return 3;
  int code = 2;
  if (HANDLE data = GetClipboardData(CF_HDROP)) {
    const SIZE_T size = GlobalSize(data);
    if (const void* bytes = GlobalLock(data)) {
      if (FILE* out = std::fopen(file, "wb")) {
        code = std::fwrite(bytes, 1, size, out) == size ? 0 : 3;
        std::fclose(out);
      } else {
        code = 3;
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return code;
}

int WriteNarrow(int count, char** paths) {
  std::string names;
  for (int i = 0; i < count; ++i) names += std::string(paths[i]) + '\0';
  names += '\0';
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 20 + names.size());
  if (block == nullptr) return 3;
  auto* bytes = static_cast<char*>(GlobalLock(block));
  const DWORD first = 20;
  std::memcpy(bytes, &first, 4);  // pFiles; pt, fNC and fWide stay 0
  std::memcpy(bytes + 20, names.data(), names.size());
  GlobalUnlock(block);
  if (!OpenTheClipboard()) return 3;
  EmptyClipboard();
  const bool put = SetClipboardData(CF_HDROP, block) != nullptr;
  CloseClipboard();
  return put ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "read") == 0) return Read(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "write-narrow") == 0) return WriteNarrow(argc - 2, argv + 2);
  return 3;
}
