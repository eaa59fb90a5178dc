#pragma once
// The persistent thumbnail cache on disk: the index ZVThumb.lst and one
// "%08x.bin" file per folder in the cache folder (Thumbs beside the
// program). The byte rules are in core/browser; this is the file side:
// opening, reading, writing through a temporary name, deleting.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory_resource>
#include <optional>
#include <string>

#include "core/browser/listing_facts.h"
#include "core/browser/thumb_cache_format.h"
#include "core/browser/thumb_index.h"
#include "core/imagelib/byte_source.h"
#include "core/imagelib/pixels.h"
#include "imagelib/handle_byte_source.h"
#include "win/handles.h"

namespace zv {

// Reads a file of `size` bytes through a read-only view of a window of it,
// moved along as reads leave it: many small reads spread over a file too
// large to map whole in a 32-bit process, without a system call each. A read
// longer than a window, or one no view can be had for, goes through the
// handle. The file must not shrink meanwhile (it is held without sharing).
class ViewByteSource final : public ByteSource {
 public:
  static constexpr size_t kViewSize = 16 * 1024 * 1024;  // a window

  ViewByteSource(HANDLE file, uint64_t size);
  ~ViewByteSource() override;
  ViewByteSource(const ViewByteSource&) = delete;
  ViewByteSource& operator=(const ViewByteSource&) = delete;
  size_t ReadAt(uint64_t offset, void* out, size_t count) override;

 private:
  static constexpr uint64_t kViewAlignment = 64 * 1024;  // the allocation granularity
  bool MapAround(uint64_t offset);
  void Unmap();

  HANDLE file_;
  win::UniqueKernelHandle mapping_;
  uint64_t size_;
  const uint8_t* view_ = nullptr;
  uint64_t viewStart_ = 0;
  size_t viewSize_ = 0;
};

// A folder's cache file as Load found it. The file stays open, without
// sharing, as long as this object lives: the grid reads single thumbnails
// from it when cells need them again, and no other copy of the program may
// rewrite it meanwhile. An object without a usable file finds nothing.
class ThumbCacheFile {
 public:
  ThumbCacheFile() = default;
  ThumbCacheFile(win::UniqueFile file, ThumbBox box, LeadBytePredicate isLead);
  ThumbCacheFile(ThumbCacheFile&&) = default;
  ThumbCacheFile& operator=(ThumbCacheFile&&) = default;

  // True when a file was read without damage for this box.
  bool IsUsable() const { return file_ && contents_.error == ThumbCacheError::kNone && contents_.box == box_; }
  const ThumbCacheContents& contents() const { return contents_; }

  // The load rule for one record: its entry, or null (FindUsableThumb).
  const ThumbCacheEntry* Find(const ThumbKey& record) const;
  // The entry's pixels, top down, in memory from `memory`; nothing when the
  // file is closed or short.
  std::optional<PixelImage> Pixels(const ThumbCacheEntry& entry,
                                   std::pmr::memory_resource* memory = std::pmr::get_default_resource());
  // Ends reading; Find gives nothing afterwards.
  void Close();

 private:
  win::UniqueFile file_;
  ThumbBox box_;
  LeadBytePredicate isLead_ = nullptr;
  ThumbCacheContents contents_;
};

// One thumbnail to save, asked for by its position when its entry is
// written, so that a save holds one thumbnail at a time (the grid may read
// a dropped one back from the folder's open ThumbCacheFile). False skips it.
using ThumbFetch = std::function<bool(size_t index, ThumbKey* key, PixelImage* pixels)>;

class ThumbCacheStore {
 public:
  static constexpr const char* kIndexName = "ZVThumb.lst";

  // `folder` holds the index and the cache files; made when first written.
  explicit ThumbCacheStore(std::string folder, LeadBytePredicate isLead);
  // The program's own: Thumbs in the program folder, the ANSI code page.
  ThumbCacheStore();

  const std::string& folder() const { return folder_; }

  // The cache of `listed` for `box`: looks its name up in the index (the
  // line moves to the front and the index is rewritten), then opens and
  // reads the file. A missing or damaged file gives an object that finds
  // nothing.
  ThumbCacheFile Load(const std::string& listed, ThumbBox box);
  // The same for a folder the index names already, without changing the
  // index; a folder it does not name gives an object that finds nothing.
  ThumbCacheFile LoadIfIndexed(const std::string& listed, ThumbBox box);
  // The lookup alone: `listed`'s line goes first (made when missing) and
  // the index is rewritten.
  void PutFirst(const std::string& listed) { LookUp(listed); }

  // Writes `count` thumbnails of `listed` for `box` to a temporary file
  // beside the cache file, then renames it over the cache file. `previous`,
  // the folder's loaded file, is closed just before the rename, because a
  // file open without sharing cannot be replaced. False when anything
  // failed; the old cache file is then left as it was.
  bool Save(const std::string& listed, ThumbBox box, size_t count, const ThumbFetch& fetch,
            ThumbCacheFile* previous = nullptr);

  // What the last listing of `listed` learned from its files, kept beside
  // its cache file: only for a folder the index names (the index is not
  // changed), and only a record that reads back whole for that folder.
  std::optional<ListingFacts> LoadListingFacts(const std::string& listed) const;
  // Writes the record whole through a temporary. False, nothing written,
  // for a folder the index does not name: its record would have no owner.
  bool SaveListingFacts(const std::string& listed, const ListingFacts& facts) const;

  // The start-up pass: deletes the temporaries of saves that were cut off
  // (DeleteLeftovers), drops the lines of folders that no longer exist,
  // deletes their cache files and rewrites the index when a line went.
  void PruneIndex();

  // Deletes the temporaries of interrupted saves: "~zvtmp.*", and the
  // "<cache file>.tmp" and "ZVThumb.lst.tmp" earlier versions left. Only
  // names of that form go; returns how many.
  size_t DeleteLeftovers() const;

  // The index as on disk; missing or unreadable is empty.
  ThumbIndex ReadIndex() const;

 private:
  bool WriteIndex(const ThumbIndex& index) const;
  ThumbCacheFile OpenCacheFile(const std::string& name, ThumbBox box) const;
  std::string LookUp(const std::string& listed);

  std::string folder_;
  LeadBytePredicate isLead_;
};

}  // namespace zv
