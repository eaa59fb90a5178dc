#include "browser/thumb_cache_store.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>
#include <vector>

#include "app/app_paths.h"
#include "core/text/ansi_path.h"
#include "win/diagnostics.h"
#include "win/file_replace.h"
#include "win/folder_listing.h"
#include "win/text_convert.h"

namespace zv {
namespace {

// An index beyond this is damage, not a list of folders; it reads as empty.
constexpr uint64_t kMaxIndexSize = uint64_t{16} << 20;
// A listing record beyond this is damage too (100,000 files take about 4 MB).
constexpr uint64_t kMaxListingFactsSize = uint64_t{64} << 20;

std::optional<std::string> ReadSmallFile(const std::string& path, uint64_t maxSize) {
  win::UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) win::LogFailure("file not read", path, win::Win32Error());
    return std::nullopt;
  }
  if (!GetFileSizeEx(file.get(), &size) || static_cast<uint64_t>(size.QuadPart) > maxSize) {
    win::LogFailure("file not read, it is too large", path);
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  HandleByteSource source(file.get());
  if (!source.ReadExact(0, bytes.data(), bytes.size())) {
    win::LogFailure("file not read whole", path, win::Win32Error());
    return std::nullopt;
  }
  return bytes;
}

bool WriteAll(HANDLE file, const void* data, size_t size) {
  DWORD written = 0;
  return WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

// "%08x.bin.tmp" or "ZVThumb.lst.tmp", the temporaries of earlier versions.
bool IsOldTemporaryName(const std::string& name) {
  if (_stricmp(name.c_str(), "ZVThumb.lst.tmp") == 0) return true;
  if (name.size() != 16 || _stricmp(name.c_str() + 8, ".bin.tmp") != 0) return false;
  return std::all_of(name.begin(), name.begin() + 8, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

bool FolderExists(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

ViewByteSource::ViewByteSource(HANDLE file, uint64_t size)
    : file_(file), mapping_(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr)), size_(size) {}

ViewByteSource::~ViewByteSource() { Unmap(); }

void ViewByteSource::Unmap() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  view_ = nullptr;
}

// Maps the window that starts at the allocation boundary at or below `offset`.
bool ViewByteSource::MapAround(uint64_t offset) {
  Unmap();
  if (!mapping_) return false;
  viewStart_ = offset & ~(kViewAlignment - 1);
  viewSize_ = static_cast<size_t>(std::min<uint64_t>(kViewSize, size_ - viewStart_));
  view_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_.get(), FILE_MAP_READ, static_cast<DWORD>(viewStart_ >> 32),
                                                    static_cast<DWORD>(viewStart_), viewSize_));
  return view_ != nullptr;
}

size_t ViewByteSource::ReadAt(uint64_t offset, void* out, size_t count) {
  if (offset >= size_) return 0;
  count = static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
  const bool inView = view_ != nullptr && offset >= viewStart_ && offset - viewStart_ + count <= viewSize_;
  if (!inView && (count > kViewSize - kViewAlignment || !MapAround(offset))) {
    HandleByteSource handle(file_);  // a read longer than a window, or no view to be had
    return handle.ReadAt(offset, out, count);
  }
  // The file is held without sharing, so nothing can shorten it under the view.
  std::memcpy(out, view_ + (offset - viewStart_), count);
  return count;
}

ThumbCacheFile::ThumbCacheFile(win::UniqueFile file, ThumbBox box, LeadBytePredicate isLead)
    : file_(std::move(file)), box_(box), isLead_(isLead) {
  LARGE_INTEGER size{};
  if (file_ && GetFileSizeEx(file_.get(), &size)) {
    // Every entry's fields are read, one small piece per entry: through a view
    // the pages come from the page cache without a system call each.
    ViewByteSource view(file_.get(), static_cast<uint64_t>(size.QuadPart));
    contents_ = ReadThumbCache(view, static_cast<uint64_t>(size.QuadPart), isLead_);
  }
  // Nothing of a damaged file or another box is ever used: let it go now.
  if (!IsUsable()) Close();
}

const ThumbCacheEntry* ThumbCacheFile::Find(const ThumbKey& record) const {
  return IsUsable() ? FindUsableThumb(contents_, box_, record, isLead_) : nullptr;
}

std::optional<PixelImage> ThumbCacheFile::Pixels(const ThumbCacheEntry& entry, std::pmr::memory_resource* memory) {
  if (!file_) return std::nullopt;
  HandleByteSource source(file_.get());
  return ReadThumbPixels(source, entry, memory);
}

void ThumbCacheFile::Close() { file_.reset(); }

ThumbCacheStore::ThumbCacheStore(std::string folder, LeadBytePredicate isLead)
    : folder_(std::move(folder)), isLead_(isLead) {}

ThumbCacheStore::ThumbCacheStore()
    : ThumbCacheStore(JoinPath(ProgramFolder(), "Thumbs", win::IsAnsiLeadByte), win::IsAnsiLeadByte) {}

ThumbIndex ThumbCacheStore::ReadIndex() const {
  const std::optional<std::string> text = ReadSmallFile(JoinPath(folder_, kIndexName, isLead_), kMaxIndexSize);
  return text ? ParseThumbIndex(*text, isLead_) : ThumbIndex{};
}

bool ThumbCacheStore::WriteIndex(const ThumbIndex& index) const {
  CreateDirectoryA(folder_.c_str(), nullptr);  // it may exist; a real failure shows at the write
  const std::string text = WriteThumbIndex(index);
  return win::SaveReplacing(JoinPath(folder_, kIndexName, isLead_),
                            [&](HANDLE file) { return WriteAll(file, text.data(), text.size()); });
}

// The cache file's name. When the index cannot be written (a full disk, a
// read-only Thumbs) only a name it already records is given: a new name not
// recorded there could be handed to another folder later.
std::string ThumbCacheStore::LookUp(const std::string& listed) {
  ThumbIndex index = ReadIndex();
  const std::string known = FindCacheName(index, listed, isLead_);
  std::string name = LookUpCacheName(index, listed, isLead_);
  return WriteIndex(index) ? name : known;
}

ThumbCacheFile ThumbCacheStore::Load(const std::string& listed, ThumbBox box) {
  return OpenCacheFile(LookUp(listed), box);
}

ThumbCacheFile ThumbCacheStore::LoadIfIndexed(const std::string& listed, ThumbBox box) {
  return OpenCacheFile(FindCacheName(ReadIndex(), listed, isLead_), box);
}

ThumbCacheFile ThumbCacheStore::OpenCacheFile(const std::string& name, ThumbBox box) const {
  if (name.empty()) return {};
  const std::string path = JoinPath(folder_, name, isLead_);
  win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) win::LogFailure("thumbnail cache not read", path, win::Win32Error());
    return {};
  }
  ThumbCacheFile loaded(std::move(file), box, isLead_);
  if (loaded.contents().error != ThumbCacheError::kNone) win::LogFailure("thumbnail cache damaged, its thumbnails are made again", path);
  return loaded;
}

namespace {

// The header, then every thumbnail fetch gives; when some were skipped the
// header is written again with the count that really follows it.
bool WriteEntries(HANDLE file, const std::string& listed, ThumbBox box, size_t count, const ThumbFetch& fetch,
                  LeadBytePredicate isLead) {
  std::vector<uint8_t> bytes;
  AppendThumbCacheHeader(&bytes, listed, box, static_cast<uint32_t>(count), isLead);
  if (!WriteAll(file, bytes.data(), bytes.size())) return false;
  uint32_t written = 0;
  for (size_t i = 0; i < count; ++i) {
    ThumbKey key;
    PixelImage pixels;
    bytes.clear();
    if (!fetch(i, &key, &pixels) || !AppendThumbCacheEntry(&bytes, box, key, pixels, isLead)) continue;
    if (!WriteAll(file, bytes.data(), bytes.size())) return false;
    ++written;
  }
  if (written == count) return true;
  bytes.clear();
  AppendThumbCacheHeader(&bytes, listed, box, written, isLead);
  LARGE_INTEGER start{};
  return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && WriteAll(file, bytes.data(), bytes.size());
}

}  // namespace

bool ThumbCacheStore::Save(const std::string& listed, ThumbBox box, size_t count, const ThumbFetch& fetch,
                           ThumbCacheFile* previous) {
  if (ThumbEntrySize(box) == 0) return false;
  const std::string name = LookUp(listed);
  if (name.empty()) return false;
  return win::SaveReplacing(
      JoinPath(folder_, name, isLead_),
      [&](HANDLE file) { return WriteEntries(file, listed, box, count, fetch, isLead_); }, true,
      [previous] {
        if (previous) previous->Close();
      });
}

std::optional<ListingFacts> ThumbCacheStore::LoadListingFacts(const std::string& listed) const {
  const std::string name = ListingFactsNameOf(FindCacheName(ReadIndex(), listed, isLead_));
  if (name.empty()) return std::nullopt;
  const std::string path = JoinPath(folder_, name, isLead_);
  const std::optional<std::string> bytes = ReadSmallFile(path, kMaxListingFactsSize);
  if (!bytes) return std::nullopt;
  std::optional<ListingFacts> facts = ReadListingFacts(*bytes, listed);
  if (!facts) win::LogFailure("listing record damaged or of another folder, its files are read again", path);
  return facts;
}

bool ThumbCacheStore::SaveListingFacts(const std::string& listed, const ListingFacts& facts) const {
  const std::string name = ListingFactsNameOf(FindCacheName(ReadIndex(), listed, isLead_));
  if (name.empty()) return false;
  const std::vector<uint8_t> bytes = WriteListingFacts(listed, facts);
  return win::SaveReplacing(JoinPath(folder_, name, isLead_),
                            [&](HANDLE file) { return WriteAll(file, bytes.data(), bytes.size()); });
}

size_t ThumbCacheStore::DeleteLeftovers() const {
  size_t deleted = win::DeleteLeftoverTemporaries(folder_);
  for (const std::string& name : win::ListedFileNames(folder_)) {
    if (!IsOldTemporaryName(name)) continue;
    const std::string path = JoinPath(folder_, name, isLead_);
    if (DeleteFileA(path.c_str())) {
      ++deleted;
      win::LogFailure("leftover temporary of an interrupted save deleted", path);
    } else {
      win::LogFailure("leftover temporary of an interrupted save not deleted", path, win::Win32Error());
    }
  }
  return deleted;
}

void ThumbCacheStore::PruneIndex() {
  DeleteLeftovers();
  ThumbIndex index = ReadIndex();
  const bool dropped = PruneThumbIndex(index, FolderExists, [this](const std::string& name) {
    // A file already gone is what we want.
    DeleteFileA(JoinPath(folder_, name, isLead_).c_str());
    DeleteFileA(JoinPath(folder_, ListingFactsNameOf(name), isLead_).c_str());
  });
  if (dropped) WriteIndex(index);
}

}  // namespace zv
