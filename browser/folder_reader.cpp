#include "browser/folder_reader.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>

#include "core/text/ansi_path.h"
#include "fileops/file_checks.h"
#include "imagelib/handle_byte_source.h"
#include "win/handles.h"
#include "win/registry.h"
#include "win/text_convert.h"

namespace zv {

namespace {

double SecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart > 0 ? static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart : 0.0;
}

// One file of a listing: its name and, when the folder listing gave them,
// its size and time.
struct ListedFile {
  std::string name;
  const FolderEntry* found = nullptr;
};

// Whether a file the probe turned down opens as the probe opens it: only
// then was it its bytes that were turned down, and the verdict may be kept
// (a file held without sharing is listed once it is let go).
bool OpensForReading(const char* path) { return static_cast<bool>(OpenForSharedReading(path)); }

// What ReadRecord learned of a file: nothing, or its facts.
using Learned = std::optional<ListedFileFacts>;

bool ReadRecord(const std::string& folder, const ListedFile& file, const ImageProbe& probe, FileListItem& record,
                ListingTimes& times, const ListingShortcuts& shortcuts, Learned& learned) {
  FileListItem item{};
  if (!SetItemPath(item, folder, file.name, win::IsAnsiLeadByte) || probe.GetImageType(item.path) < 0) return false;
  if (file.found != nullptr) {
    item.lastWrite = {file.found->writeTimeLow, file.found->writeTimeHigh};
    item.fileSize = file.found->sizeLow;
  } else {
    PhaseTimer timer(times.fileInfo);
    // Shared: the listing's own threads may have another name of the same
    // file (a hard link) open, and the thumbnail workers may be reading it.
    FileSizeAndTime info;
    if (!GetSharedFileSizeAndTime(item.path, info)) return false;
    item.lastWrite = {info.lastWrite.dwLowDateTime, info.lastWrite.dwHighDateTime};
    item.fileSize = info.sizeLow;
  }
  if (shortcuts.recalled != nullptr) {
    if (const ListedFileFacts* facts = shortcuts.recalled->Find(file.name, item.fileSize, item.lastWrite)) {
      ++times.recalled;
      learned = *facts;
      if (!facts->isPicture) return false;
      item.width = facts->width;
      item.height = facts->height;
      item.colors = facts->colors;
      record = item;
      return true;
    }
  }
  ImageInfo info;
  {
    // The probe opens the file: one held open without sharing is not listed.
    PhaseTimer timer(times.probe);
    const KnownFile& known = shortcuts.known;
    const bool unchanged = known && known(file.name, item.fileSize, item.lastWrite);
    if ((unchanged ? probe.GetHeaderInfo(item.path, &info) : probe.GetImageInfo(item.path, &info)) != 1) {
      if (OpensForReading(item.path)) learned = ListedFileFacts{item.fileSize, item.lastWrite};
      return false;
    }
  }
  item.width = info.width;
  item.height = info.height;
  item.colors = ImageProbe::ColorCountFromBits(info.bitsPerPixel);
  learned = FactsOf(item);
  record = item;
  return true;
}

// The shared state of ReadImageRecords' workers; each takes the next file
// until none is left and writes only its files' slots and its own times.
struct RecordWork {
  RecordWork(const std::string& inFolder, const std::vector<ListedFile>& inFiles,
             const ListingShortcuts& inShortcuts, size_t workers)
      : folder(inFolder), files(inFiles), shortcuts(inShortcuts), records(files.size()), found(files.size()),
        learned(files.size()), times(workers), failures(workers) {}

  void Run(size_t worker) {
    try {
      const ImageProbe probe(display);
      for (size_t i; (i = next.fetch_add(1)) < files.size();)
        found[i] = ReadRecord(folder, files[i], probe, records[i], times[worker], shortcuts, learned[i]);
    } catch (...) {
      failures[worker] = std::current_exception();
      next = files.size();  // the others stop too; the caller rethrows
    }
  }

  // After the workers ended: the records found, in the order of the files.
  std::vector<FileListItem> Collect(ListingTimes& into, LearnedFacts* outLearned) const {
    for (const std::exception_ptr& failure : failures)
      if (failure) std::rethrow_exception(failure);
    int recalled = 0;
    for (const ListingTimes& t : times) {
      into.probe += t.probe;
      into.fileInfo += t.fileInfo;
      recalled += t.recalled;
    }
    into.recalled += recalled;
    if (outLearned != nullptr) CollectLearned(recalled, *outLearned);
    std::vector<FileListItem> kept;
    kept.reserve(static_cast<size_t>(std::count(found.begin(), found.end(), 1)));
    for (size_t i = 0; i < files.size(); ++i)
      if (found[i]) kept.push_back(records[i]);
    return kept;
  }

  // Only a listing that read a file, or that found a recalled file gone,
  // has facts to keep; otherwise the recalled ones stand.
  void CollectLearned(int recalled, LearnedFacts& out) const {
    const size_t all = static_cast<size_t>(std::count_if(learned.begin(), learned.end(),
                                                         [](const Learned& facts) { return facts.has_value(); }));
    const size_t before = shortcuts.recalled != nullptr ? shortcuts.recalled->size() : 0;
    out.changed = shortcuts.recalled == nullptr || static_cast<size_t>(recalled) != all ||
                  static_cast<size_t>(recalled) != before;
    out.facts = ListingFacts();
    if (!out.changed) return;
    for (size_t i = 0; i < files.size(); ++i)
      if (learned[i]) out.facts.Put(files[i].name, *learned[i]);
  }

  const std::string& folder;
  const std::vector<ListedFile>& files;
  const ListingShortcuts& shortcuts;
  // Read before the workers start: the probe's display facts ask for the screen's DC.
  const DisplayFacts display = DisplayFacts::FromSystem();
  std::atomic<size_t> next{0};
  std::vector<FileListItem> records;  // one slot per file
  std::vector<char> found;            // whether slot i holds a record
  std::vector<Learned> learned;       // what the listing learned of file i
  std::vector<ListingTimes> times;    // one per worker
  std::vector<std::exception_ptr> failures;
};

std::vector<FileListItem> ReadAll(const std::string& folder, const std::vector<ListedFile>& files,
                                  ListingTimes& times, const ListingShortcuts& shortcuts, LearnedFacts* learned) {
  PhaseTimer wall(times.records);
  const size_t workers = std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), files.size());
  RecordWork work(folder, files, shortcuts, workers);
  std::vector<std::thread> threads;
  threads.reserve(workers);
  try {
    // The calling thread is a worker too: it would only wait otherwise.
    for (size_t w = 1; w < workers; ++w) threads.emplace_back(&RecordWork::Run, &work, w);
  } catch (const std::system_error&) {
    // Fewer threads than cores: the ones made and this one share the files.
  }
  if (workers > 0) work.Run(0);
  for (std::thread& thread : threads) thread.join();
  return work.Collect(times, learned);
}

// Whether the shell draws each file of the type with an icon of its own: the
// type's DefaultIcon is "%1" (.ico, .exe: the icon inside the file), or an
// icon handler chooses per file. Other types show one icon for all files.
bool IconIsPerFile(std::string_view extension) {
  std::string type(1, '.');
  type.append(extension);
  if (const win::UniqueKey key = win::OpenKey(HKEY_CLASSES_ROOT, type)) {
    const std::optional<std::string> progId = win::ReadString(key.get(), "");
    if (progId && !progId->empty()) type = *progId;
  }
  const std::optional<std::string> icon =
      win::ReadString(win::OpenKey(HKEY_CLASSES_ROOT, type + "\\DefaultIcon").get(), "");
  if (icon && icon->find("%1") != std::string::npos) return true;
  return static_cast<bool>(win::OpenKey(HKEY_CLASSES_ROOT, type + "\\shellex\\IconHandler"));
}

}  // namespace

PhaseTimer::PhaseTimer(double& into) : into_(into) { QueryPerformanceCounter(&start_); }
PhaseTimer::~PhaseTimer() { into_ += SecondsSince(start_); }

bool ReadImageRecord(const std::string& folder, const std::string& name, const ImageProbe& probe, FileListItem& record,
                     ListingTimes& times, const KnownFile& known) {
  Learned learned;
  return ReadRecord(folder, {name}, probe, record, times, {nullptr, known}, learned);
}

std::vector<FileListItem> ReadImageRecords(const std::string& folder, const std::vector<std::string>& names,
                                           ListingTimes& times, const ListingShortcuts& shortcuts,
                                           LearnedFacts* learned) {
  std::vector<ListedFile> files;
  files.reserve(names.size());
  for (const std::string& name : names) files.push_back({name});
  return ReadAll(folder, files, times, shortcuts, learned);
}

std::vector<FileListItem> ReadImageRecords(const std::string& folder, const std::vector<FolderEntry>& entries,
                                           ListingTimes& times, const ListingShortcuts& shortcuts,
                                           LearnedFacts* learned) {
  std::vector<ListedFile> files;
  files.reserve(entries.size());
  for (const FolderEntry& entry : entries) files.push_back({entry.name, &entry});
  return ReadAll(folder, files, times, shortcuts, learned);
}

ListedFileFacts FactsOf(const FileListItem& record) {
  return {record.fileSize, record.lastWrite, true, record.width, record.height, record.colors};
}

bool StillExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

LocalDateTime LocalTimeOf(const FileTime& utc) {
  FILETIME file{utc.low, utc.high}, local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&file, &local) || !FileTimeToSystemTime(&local, &time)) return {};
  return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

SmallIconList::~SmallIconList() {
  if (list_ != nullptr) ImageList_Destroy(list_);
}

bool SmallIconList::Create() {
  if (list_ == nullptr) list_ = ImageList_Create(16, 16, ILC_COLOR8, 0, 64);
  if (list_ == nullptr) return false;
  ImageList_SetBkColor(list_, RGB(255, 255, 255));
  return true;
}

int SmallIconList::AddIconOf(const std::string& path) {
  if (list_ == nullptr) return I_IMAGENONE;
  // The shell's icon lookup is its slowest call per file, and a type's icon
  // is the same for all its files: one lookup per type and listing.
  const std::string_view extension = ExtensionOfPath(path, win::IsAnsiLeadByte);
  if (extension.empty()) return AddShellIcon(path, false);
  const std::string key = FoldedName(extension, win::IsAnsiLeadByte);
  auto known = byType_.find(key);
  if (known == byType_.end()) {
    if (IconIsPerFile(extension)) {
      byType_[key] = {true, I_IMAGENONE};
      return AddShellIcon(path, false);
    }
    const int index = AddShellIcon(path, true);
    // A failed lookup is not kept: the next file of the type asks again.
    if (index != I_IMAGENONE) byType_[key] = {false, index};
    return index;
  }
  return known->second.perFile ? AddShellIcon(path, false) : known->second.index;
}

int SmallIconList::AddShellIcon(const std::string& path, bool typeOnly) {
  // The system image list's index names the icon the shell shows for the
  // file, and files with the same icon share one entry of ours (asking for
  // the icon itself would cost a second call). For the type's icon the shell
  // goes by the name alone and need not look at the file.
  const UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | (typeOnly ? SHGFI_USEFILEATTRIBUTES : 0);
  SHFILEINFOA shell{};
  auto system = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(path.c_str(), FILE_ATTRIBUTE_NORMAL, &shell, sizeof shell, flags));
  if (system == nullptr) return I_IMAGENONE;
  auto known = bySystemIndex_.find(shell.iIcon);
  if (known != bySystemIndex_.end()) return known->second;
  HICON icon = ImageList_GetIcon(system, shell.iIcon, ILD_NORMAL);
  if (icon == nullptr) return I_IMAGENONE;
  int index = ImageList_ReplaceIcon(list_, -1, icon);
  DestroyIcon(icon);
  if (index < 0) return I_IMAGENONE;
  bySystemIndex_[shell.iIcon] = index;
  return index;
}

void SmallIconList::RemoveAll() {
  if (list_ != nullptr) ImageList_RemoveAll(list_);
  bySystemIndex_.clear();
  byType_.clear();  // associations may have changed by the next listing
}

int SmallIconList::Count() const { return list_ != nullptr ? ImageList_GetImageCount(list_) : 0; }

}  // namespace zv
