#pragma once
// What a folder's listing learned from the bytes of its files, kept beside
// the folder's thumbnail cache file in Thumbs ("%08x.rec" next to
// "%08x.bin") so that a later listing of the folder opens only the files
// that changed. Each file is keyed by name, size (low 32 bits) and both
// halves of its last-write time, as the thumbnail cache keys its entries.
//
// The file, little-endian: "ZVLF", version 1, the folder (length u32 and
// its bytes), the entry count u32, then per entry: name length u16 and the
// name, size u32, time low u32, time high u32, kind u8 (1 a listed picture,
// 0 a file the listing turned down), width, height, colours (i32 each; 0 for
// a file turned down); last the CRC-32 of every byte before it.
//
// The reader takes bytes it must not trust: anything that is not exactly
// such a file, for the folder asked about, reads as nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/browser/file_list_item.h"

namespace zv {

struct ListedFileFacts {
  uint32_t fileSize = 0;
  FileTime lastWrite;
  bool isPicture = false;  // the listing accepted it (headers readable, PNG check passed)
  int32_t width = 0;
  int32_t height = 0;
  int32_t colors = 0;      // as the record shows them: 2, 16, 256, 65536 or 16777216
};

// A file of the folder as the listing saw it: its facts when they can be
// kept (see CanKeep), or the same facts of a file turned down.
class ListingFacts {
 public:
  // The facts of `name` when its size and both halves of its time are the
  // ones given; null when it is unknown or has changed since.
  const ListedFileFacts* Find(const std::string& name, uint32_t fileSize, const FileTime& lastWrite) const;
  // Adds or replaces. False, with nothing kept, for facts no file can have
  // (CanKeep), so that what is written always reads back.
  bool Put(const std::string& name, const ListedFileFacts& facts);
  // The same for a name not there yet; false, nothing changed, when it is.
  bool PutNew(const std::string& name, const ListedFileFacts& facts);
  void Reserve(size_t count) { byName_.reserve(count); }
  size_t size() const { return byName_.size(); }
  const std::unordered_map<std::string, ListedFileFacts>& byName() const { return byName_; }

 private:
  std::unordered_map<std::string, ListedFileFacts> byName_;
};

// A name of 1 to 259 bytes without NUL; a picture
// of a positive size with one of the five colour counts; a file turned down
// with width, height and colours 0.
bool CanKeep(std::string_view name, const ListedFileFacts& facts);

// The file's bytes for `folder`.
std::vector<uint8_t> WriteListingFacts(std::string_view folder, const ListingFacts& facts);

// The facts of a file's bytes, when they are a whole, undamaged file written
// for `folder` (compared byte for byte); nothing otherwise.
std::optional<ListingFacts> ReadListingFacts(std::string_view bytes, std::string_view folder);

}  // namespace zv
