#include "imagelib/handle_byte_source.h"

#include <algorithm>

namespace zv {

size_t HandleByteSource::ReadAt(uint64_t offset, void* out, size_t count) {
  size_t done = 0;
  while (done < count) {
    const uint64_t at = offset + done;
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(at);
    position.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file_, static_cast<uint8_t*>(out) + done, chunk, &read, &position) || read == 0) break;
    done += read;
  }
  return done;
}

win::UniqueFile OpenForSharedReading(const char* path) {
  if (path == nullptr) return win::UniqueFile();
  return win::UniqueFile(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace zv
