#include "imagelib/handle_byte_source.h"

#include <algorithm>

namespace zv {

size_t HandleByteSource::ReadAt(uint64_t offset, void* out, size_t count) {
  if (offset != position_) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (offset > static_cast<uint64_t>(INT64_MAX) || !SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) {
      position_ = UINT64_MAX;
      return 0;
    }
    position_ = offset;
  }
  size_t done = 0;
  while (done < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file_, static_cast<uint8_t*>(out) + done, chunk, &read, nullptr)) {
      position_ = UINT64_MAX;
      break;
    }
    done += read;
    position_ += read;
    if (read < chunk) break;  // the end of the file
  }
  return done;
}

win::UniqueFile OpenForSharedReading(const char* path) {
  if (path == nullptr) return win::UniqueFile();
  return win::UniqueFile(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace zv
