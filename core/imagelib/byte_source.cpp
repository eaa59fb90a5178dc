#include "core/imagelib/byte_source.h"

#include <climits>
#include <cstring>

namespace zv {

size_t MemoryByteSource::ReadAt(uint64_t offset, void* out, size_t count) {
  if (offset >= size_) return 0;
  const size_t available = size_ - static_cast<size_t>(offset);
  const size_t n = count < available ? count : available;
  if (n != 0) std::memcpy(out, data_ + offset, n);
  return n;
}

FileByteSource::FileByteSource(const char* path) {
  if (path == nullptr) return;
  file_ = std::fopen(path, "rb");
  // Reads go straight into the caller's buffer: the callers read either
  // small pieces at scattered offsets or large pieces in order, and the
  // stdio buffer would only copy the bytes once more.
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);
}

FileByteSource::~FileByteSource() {
  if (file_ != nullptr) std::fclose(file_);
}

size_t FileByteSource::ReadAt(uint64_t offset, void* out, size_t count) {
  if (file_ == nullptr || count == 0) return 0;
  if (offset != position_) {
    if (offset > static_cast<uint64_t>(LONG_MAX) || std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
      position_ = UINT64_MAX;  // unknown: the next read seeks
      return 0;
    }
    position_ = offset;
  }
  const size_t got = std::fread(out, 1, count, file_);
  position_ = got == count ? position_ + got : UINT64_MAX;
  return got;
}

HeadKeepingSource::HeadKeepingSource(ByteSource& inner) : inner_(inner) {
  headLength_ = inner_.ReadAt(0, head_, kHeadSize);
  headAtEnd_ = headLength_ < kHeadSize;
}

size_t HeadKeepingSource::ReadAt(uint64_t offset, void* out, size_t count) {
  if (count == 0) return 0;
  if (offset + count <= headLength_) {
    std::memcpy(out, head_ + offset, count);
    return count;
  }
  if (headAtEnd_) {  // the whole data is in the first block
    if (offset >= headLength_) return 0;
    const size_t n = headLength_ - static_cast<size_t>(offset);
    std::memcpy(out, head_ + offset, n);
    return n;
  }
  return inner_.ReadAt(offset, out, count);
}

}  // namespace zv
