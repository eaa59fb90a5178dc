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
  if (file_ == nullptr) return;
  // The probes read small pieces at scattered offsets; the stdio buffer would
  // only double the work, so reads go straight through.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  headLength_ = std::fread(head_, 1, kHeadSize, file_);
  headAtEnd_ = headLength_ < kHeadSize;
}

FileByteSource::~FileByteSource() {
  if (file_ != nullptr) std::fclose(file_);
}

size_t FileByteSource::ReadAt(uint64_t offset, void* out, size_t count) {
  if (file_ == nullptr || count == 0) return 0;
  if (offset + count <= headLength_) {
    std::memcpy(out, head_ + offset, count);
    return count;
  }
  if (headAtEnd_) {  // the whole file is in the first block
    if (offset >= headLength_) return 0;
    const size_t n = headLength_ - static_cast<size_t>(offset);
    std::memcpy(out, head_ + offset, n);
    return n;
  }
  // std::fseek takes a long, which is 32 bits on Windows: offsets beyond it
  // are treated as past the end (no header field of ours points that far).
  if (offset > static_cast<uint64_t>(LONG_MAX)) return 0;
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return 0;
  return std::fread(out, 1, count, file_);
}

}  // namespace zv
