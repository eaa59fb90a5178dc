#pragma once
// Path and icon-key rules of the folder tree that need no window: how a typed
// path is split into the display names the tree walks, how a shell path is
// reported to the owner, and the keys of the icon cache. Paths are ANSI bytes
// of the system code page; two-byte characters are never split, so the trail
// byte 0x5C of a Shift-JIS character such as "表" is never taken for '\'.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/text/ansi_text.h"

namespace zv {

// Compares two texts for equality the way the caller's platform does
// (ignoring case with the system code page's rules on Windows).
using SameTextPredicate = bool (*)(std::string_view, std::string_view);

// "C:" becomes "C:\" (the drive's root); every other path is kept.
std::string WithDriveRootBackslash(std::string_view path);

// The path a tree item reports for a file-system path of the shell: none when
// shorter than 3 bytes, otherwise without one trailing backslash (C:\ -> C:).
std::optional<std::string> ReportedFolderPath(std::string_view shellPath, LeadBytePredicate isLead);

// The names of the folders below `folder` on the way to `path`, in order:
// empty when `path` is `folder` itself, none when `path` lies elsewhere. A
// folder matches only as a whole name: "C:\Desktop2" is not below "C:\Desktop".
std::optional<std::vector<std::string>> NamesBelowFolder(std::string_view path, std::string_view folder,
                                                         SameTextPredicate same, LeadBytePredicate isLead);

// Splits at backslashes that are characters of their own; empty names (from
// "a\\b" or a trailing backslash) are dropped.
std::vector<std::string> SplitFolderNames(std::string_view rest, LeadBytePredicate isLead);

// The cache key of an icon: "<file>,<index>" in upper case (ASCII letters
// only; the bytes of two-byte characters are kept).
std::string IconCacheKey(std::string_view iconFile, int index, LeadBytePredicate isLead);

// The keys of the images of the tree's image list: image i has key i.
class IconKeyList {
 public:
  // The image index of `key`, if an image with that key is in the list.
  std::optional<int> Find(const std::string& key) const;
  // Records `key` for the next image and returns that image's index.
  int Append(const std::string& key);
  void Clear();
  size_t size() const { return keys_.size(); }

 private:
  std::vector<std::string> keys_;
  std::unordered_map<std::string, int> indexOf_;  // first image of each key
};

}  // namespace zv
