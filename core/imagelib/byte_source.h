#pragma once
// Random-access reading of a file's bytes for the header parsers. A parser
// asks for a few bytes at an offset and is told how many exist there; it never
// learns more than that, so a truncated or lying file cannot make it read past
// what was really read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace zv {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to `count` bytes from `offset` into `out`; returns how many
  // were copied (fewer at the end of the data, 0 past it or on a read error).
  virtual size_t ReadAt(uint64_t offset, void* out, size_t count) = 0;

  // True when exactly `count` bytes were available at `offset`.
  bool ReadExact(uint64_t offset, void* out, size_t count) { return ReadAt(offset, out, count) == count; }
};

class MemoryByteSource final : public ByteSource {
 public:
  MemoryByteSource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  size_t ReadAt(uint64_t offset, void* out, size_t count) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

// Reads a file through std::FILE with the path bytes as given (the ANSI code
// page on Windows). Reads in order need no seek, so a file read from the
// start has no length limit; a jump beyond 2 GiB is read as past the end
// (std::fseek takes a long, which is 32 bits on Windows).
class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(const char* path);
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  size_t ReadAt(uint64_t offset, void* out, size_t count) override;

 private:
  std::FILE* file_ = nullptr;
  uint64_t position_ = 0;  // where the next read without a seek starts
};

// Another source with its first block kept: every header parser starts at
// offset 0 and most never leave the first few hundred bytes, so most of
// their small reads cost no system call.
class HeadKeepingSource final : public ByteSource {
 public:
  explicit HeadKeepingSource(ByteSource& inner);
  size_t ReadAt(uint64_t offset, void* out, size_t count) override;

 private:
  static constexpr size_t kHeadSize = 4096;
  ByteSource& inner_;
  uint8_t head_[kHeadSize];
  size_t headLength_ = 0;
  bool headAtEnd_ = false;  // the data ended inside the first block
};

// Reading helpers with explicit byte order; the caller has checked the length.
inline uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t Be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}
inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[1] << 8 | p[0]); }
inline uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}
inline uint64_t Le64(const uint8_t* p) { return static_cast<uint64_t>(Le32(p + 4)) << 32 | Le32(p); }
inline uint64_t Be64(const uint8_t* p) { return static_cast<uint64_t>(Be32(p)) << 32 | Be32(p + 4); }

}  // namespace zv
