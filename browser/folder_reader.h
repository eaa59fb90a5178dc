#pragma once
// Reading a folder for the file list view: the names a listing considers,
// one record per recognised image (type, size and colours from the headers,
// size and time from the file; a whole folder's on all cores), the files'
// small shell icons, and the local time a record's date column shows.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "browser/image_probe.h"
#include "core/text/ansi_path.h"
#include "core/browser/cell_texts.h"
#include "core/browser/file_list_item.h"
#include "core/browser/listing_facts.h"

namespace zv {

// Where the time of a full listing went (seconds), for the listing benchmark.
struct ListingTimes {
  double enumerate = 0;  // FindFirstFile / FindNextFile
  double lookups = 0;    // what the listing may take without reading files: the cache file, the listing facts
  double recall = 0;     // of it: the listing facts read
  double records = 0;    // ReadImageRecords: probe, size and time of all names on all cores (wall time)
  double probe = 0;      // ImageProbe::GetImageInfo (the headers; whole PNG files for their check), summed over threads
  double fileInfo = 0;   // GetFileSizeAndTime, summed over threads
  double icons = 0;      // SHGetFileInfo and the image list
  double sort = 0;
  double rows = 0;       // the list control's rows
  double total = 0;
  int namesSeen = 0;     // plain files the folder held
  int listed = 0;
  int recalled = 0;      // files taken from the last listing's facts, not opened
};

// Accumulates the time of one phase into a ListingTimes field.
class PhaseTimer {
 public:
  explicit PhaseTimer(double& into);
  ~PhaseTimer();
  PhaseTimer(const PhaseTimer&) = delete;
  PhaseTimer& operator=(const PhaseTimer&) = delete;

 private:
  double& into_;
  LARGE_INTEGER start_{};
};

// Whether a file of the folder is known to have been listed before with this
// size and last-write time (its thumbnail is in the folder's cache file):
// then the listing reads its headers only and skips the PNG check over the
// whole file, as the file has passed it unchanged. Called from the listing's
// worker threads at once, so it may only read.
using KnownFile = std::function<bool(const std::string& name, uint32_t fileSize, const FileTime& lastWrite)>;

// What a listing may take without reading a file. Both are only read, by
// all the listing's workers at once.
struct ListingShortcuts {
  // The facts the folder's last listing learned: a file with the same name,
  // size and time is not opened at all.
  const ListingFacts* recalled = nullptr;
  // Files the thumbnail cache knows (see above): headers only.
  KnownFile known;
};

// What a listing learned, for the next listing of the folder.
struct LearnedFacts {
  // False when every file was recalled and every recalled file is still
  // there: the recalled facts stand as they are, and `facts` stays empty.
  bool changed = false;
  // When changed: the facts of every file recalled or read, a file turned
  // down included when its bytes were read (not one that could not be opened).
  ListingFacts facts;
};

// A record for folder\name when the probe recognises the file and its size
// and time can be read; false (nothing listed) otherwise, also when the path
// does not fit the record.
bool ReadImageRecord(const std::string& folder, const std::string& name, const ImageProbe& probe, FileListItem& record,
                     ListingTimes& times, const KnownFile& known = {});

// The records of the names ReadImageRecord accepts, in the order of the
// names, read on worker threads (one per core). The workers only read files:
// no window, image list or other user-interface object.
std::vector<FileListItem> ReadImageRecords(const std::string& folder, const std::vector<std::string>& names,
                                           ListingTimes& times, const ListingShortcuts& shortcuts = {},
                                           LearnedFacts* learned = nullptr);
// The same for the entries of a folder listing (win::ListedFiles), taking
// each file's size and time from its entry: one open of the file fewer,
// which under Wine is a third of a listing's time.
std::vector<FileListItem> ReadImageRecords(const std::string& folder, const std::vector<FolderEntry>& files,
                                           ListingTimes& times, const ListingShortcuts& shortcuts = {},
                                           LearnedFacts* learned = nullptr);

// The facts a listed record shows, to be kept for the next listing.
ListedFileFacts FactsOf(const FileListItem& record);

// Whether a listed file is still there. Files that another program holds
// open count as present (the check does not open the file).
bool StillExists(const std::string& path);

LocalDateTime LocalTimeOf(const FileTime& utc);

// The view's small-icon image list: 16 x 16, 8-bit colour, white background.
// It holds each file's associated shell icon; files whose icon is the same
// (the same entry of the system image list) share one entry. The shell is
// asked once per file type (extension, any case), except for types whose
// icon is drawn from each file itself.
class SmallIconList {
 public:
  SmallIconList() = default;
  ~SmallIconList();
  SmallIconList(const SmallIconList&) = delete;
  SmallIconList& operator=(const SmallIconList&) = delete;

  bool Create();
  HIMAGELIST get() const { return list_; }
  // The index of the file's associated icon, or I_IMAGENONE when the shell gives none.
  int AddIconOf(const std::string& path);
  void RemoveAll();
  int Count() const;

 private:
  struct TypeIcon {
    bool perFile = false;
    int index = 0;  // ours, when the type has one icon
  };
  // typeOnly: the icon of the file's type, asked by name.
  int AddShellIcon(const std::string& path, bool typeOnly);

  HIMAGELIST list_ = nullptr;
  std::unordered_map<int, int> bySystemIndex_;        // system image list index -> ours
  std::unordered_map<std::string, TypeIcon> byType_;  // folded extension -> its icon
};

}  // namespace zv
