#include "core/browser/listing_facts.h"

#include <cstring>

#include "core/imagelib/png_check.h"

namespace zv {

namespace {

constexpr uint32_t kMagic = 'Z' | 'V' << 8 | 'L' << 16 | 'F' << 24;  // "ZVLF" in the file
constexpr uint32_t kVersion = 1;
constexpr size_t kFixedEntryBytes = 2 + 4 + 4 + 4 + 1 + 4 + 4 + 4;  // all but the name

void PutU16(std::vector<uint8_t>* out, uint16_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<uint8_t>(v >> shift));
}

void PutBytes(std::vector<uint8_t>* out, std::string_view bytes) { out->insert(out->end(), bytes.begin(), bytes.end()); }

// Reads forward through bytes it must not trust; once a read runs past the
// end every later read fails too.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  bool U8(uint8_t* v) {
    std::string_view b;
    if (!Bytes(1, &b)) return false;
    *v = static_cast<uint8_t>(b[0]);
    return true;
  }
  bool U16(uint16_t* v) {
    std::string_view b;
    if (!Bytes(2, &b)) return false;
    *v = static_cast<uint16_t>(Byte(b, 0) | Byte(b, 1) << 8);
    return true;
  }
  bool U32(uint32_t* v) {
    std::string_view b;
    if (!Bytes(4, &b)) return false;
    *v = Byte(b, 0) | Byte(b, 1) << 8 | Byte(b, 2) << 16 | Byte(b, 3) << 24;
    return true;
  }
  bool I32(int32_t* v) {
    uint32_t u = 0;
    if (!U32(&u)) return false;
    *v = static_cast<int32_t>(u);
    return true;
  }
  bool Bytes(size_t count, std::string_view* out) {
    if (count > bytes_.size() - at_) return false;
    *out = bytes_.substr(at_, count);
    at_ += count;
    return true;
  }
  size_t left() const { return bytes_.size() - at_; }

 private:
  static uint32_t Byte(std::string_view b, size_t i) { return static_cast<uint8_t>(b[i]); }

  std::string_view bytes_;
  size_t at_ = 0;
};

bool IsColorCount(int32_t colors) {
  return colors == 2 || colors == 16 || colors == 256 || colors == 65536 || colors == 16777216;
}

bool ReadEntry(Reader& in, std::string* name, ListedFileFacts* facts) {
  uint16_t nameSize = 0;
  std::string_view nameBytes;
  uint8_t kind = 0;
  if (!in.U16(&nameSize) || !in.Bytes(nameSize, &nameBytes) || !in.U32(&facts->fileSize) ||
      !in.U32(&facts->lastWrite.low) || !in.U32(&facts->lastWrite.high) || !in.U8(&kind) || kind > 1 ||
      !in.I32(&facts->width) || !in.I32(&facts->height) || !in.I32(&facts->colors))
    return false;
  facts->isPicture = kind == 1;
  name->assign(nameBytes);
  return CanKeep(*name, *facts);
}

}  // namespace

bool CanKeep(std::string_view name, const ListedFileFacts& facts) {
  // A name is only ever compared with the names a listing gives, never made
  // into a path, so any bytes but NUL may be in it (a Shift-JIS trail byte
  // may be a backslash).
  if (name.empty() || name.size() >= kItemPathSize || name.find('\0') != name.npos) return false;
  if (!facts.isPicture) return facts.width == 0 && facts.height == 0 && facts.colors == 0;
  return facts.width > 0 && facts.height > 0 && IsColorCount(facts.colors);
}

const ListedFileFacts* ListingFacts::Find(const std::string& name, uint32_t fileSize, const FileTime& lastWrite) const {
  const auto found = byName_.find(name);
  if (found == byName_.end()) return nullptr;
  const ListedFileFacts& facts = found->second;
  const bool same = facts.fileSize == fileSize && facts.lastWrite.low == lastWrite.low &&
                    facts.lastWrite.high == lastWrite.high;
  return same ? &facts : nullptr;
}

bool ListingFacts::Put(const std::string& name, const ListedFileFacts& facts) {
  if (!CanKeep(name, facts)) return false;
  byName_[name] = facts;
  return true;
}

bool ListingFacts::PutNew(const std::string& name, const ListedFileFacts& facts) {
  return CanKeep(name, facts) && byName_.try_emplace(name, facts).second;
}

std::vector<uint8_t> WriteListingFacts(std::string_view folder, const ListingFacts& facts) {
  std::vector<uint8_t> out;
  out.reserve(16 + folder.size() + facts.size() * (kFixedEntryBytes + 16));
  PutU32(&out, kMagic);
  PutU32(&out, kVersion);
  PutU32(&out, static_cast<uint32_t>(folder.size()));
  PutBytes(&out, folder);
  PutU32(&out, static_cast<uint32_t>(facts.size()));
  for (const auto& [name, file] : facts.byName()) {
    PutU16(&out, static_cast<uint16_t>(name.size()));  // CanKeep held it under 260 bytes
    PutBytes(&out, name);
    PutU32(&out, file.fileSize);
    PutU32(&out, file.lastWrite.low);
    PutU32(&out, file.lastWrite.high);
    out.push_back(file.isPicture ? 1 : 0);
    PutU32(&out, static_cast<uint32_t>(file.width));
    PutU32(&out, static_cast<uint32_t>(file.height));
    PutU32(&out, static_cast<uint32_t>(file.colors));
  }
  PutU32(&out, Crc32(out.data(), out.size()));
  return out;
}

std::optional<ListingFacts> ReadListingFacts(std::string_view bytes, std::string_view folder) {
  if (bytes.size() < 4) return std::nullopt;
  const std::string_view body = bytes.substr(0, bytes.size() - 4);
  Reader crcReader(bytes.substr(body.size()));
  uint32_t crc = 0;
  if (!crcReader.U32(&crc) || crc != Crc32(body.data(), body.size())) return std::nullopt;

  Reader in(body);
  std::string_view storedFolder;
  uint32_t magic = 0, version = 0, folderSize = 0, count = 0;
  if (!in.U32(&magic) || magic != kMagic || !in.U32(&version) ||
      version != kVersion || !in.U32(&folderSize) || !in.Bytes(folderSize, &storedFolder) || storedFolder != folder ||
      !in.U32(&count) || count > in.left() / kFixedEntryBytes)
    return std::nullopt;
  ListingFacts facts;
  facts.Reserve(count);
  std::string name;
  for (uint32_t i = 0; i < count; ++i) {
    ListedFileFacts file;
    // A name twice is damage too: which of the two would be the file?
    if (!ReadEntry(in, &name, &file) || !facts.PutNew(name, file)) return std::nullopt;
  }
  if (in.left() != 0) return std::nullopt;
  return facts;
}

}  // namespace zv
