#pragma once
// The thumbnail cache's index, ZVThumb.lst in the folder Thumbs: one
// "folder|name" line per cached folder, most recently used first, each line
// ended by CR LF; name is the folder's cache file "%08x.bin". These are the
// rules over its text; reading and writing the file, and deleting cache
// files, are the caller's.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/ansi_text.h"

namespace zv {

struct ThumbIndexLine {
  std::string folder;  // the listed folder's text, exactly as it was looked up
  std::string name;    // its cache file in Thumbs

  bool operator==(const ThumbIndexLine&) const = default;
};

// Most recently used first.
using ThumbIndex = std::vector<ThumbIndexLine>;

// The lines of the index file's bytes. Lines end at LF (a CR before it is
// part of the line end); each is split at its first '|' that is a character
// of its own. A line without '|', or with it at position 0 or 1, is ignored.
ThumbIndex ParseThumbIndex(std::string_view text, LeadBytePredicate isLead);

// The file's bytes: "folder|name" and CR LF per line, in the index's order.
std::string WriteThumbIndex(const ThumbIndex& index);

// True for "%08x.bin" names (eight hexadecimal digits, any case, ".bin"):
// only such a name is ever joined to the Thumbs folder, so that a damaged
// index cannot make the program write or delete a file elsewhere.
bool IsCacheFileName(std::string_view name);

// The listing's record file kept beside a cache file (ListingFacts): the
// same eight digits with ".rec"; "" for a name IsCacheFileName refuses.
std::string ListingFactsNameOf(std::string_view cacheName);

// "%08x.bin" of the smallest n >= 0 that no line's name uses (ignoring case).
std::string SmallestFreeCacheName(const ThumbIndex& index, LeadBytePredicate isLead);

// The lookup of a folder's cache file: the first line of that folder
// (ignoring case) moves to the front with its name; a folder without a line
// (or whose line has no usable name) gets a new front line with the smallest
// free name. Returns the name; the caller rewrites the index every time.
std::string LookUpCacheName(ThumbIndex& index, std::string_view folder, LeadBytePredicate isLead);

// The name of a folder's cache file when the index has a line for it (the
// first, ignoring case) with a usable name; "" otherwise. The index is not
// changed: a read-only look before a folder is known to need a cache.
std::string FindCacheName(const ThumbIndex& index, std::string_view folder, LeadBytePredicate isLead);

// The start-up pass: from the last line to the first, a line whose folder
// does not exist is dropped and its cache file deleted (deleteCacheFile gets
// the name; its errors are the caller's to ignore). Returns true when a line
// was dropped, that is when the index must be rewritten.
bool PruneThumbIndex(ThumbIndex& index, const std::function<bool(const std::string& folder)>& folderExists,
                     const std::function<void(const std::string& name)>& deleteCacheFile);

}  // namespace zv
