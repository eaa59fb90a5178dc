#include "browser/folder_reader.h"

#include <shellapi.h>

#include <cstring>

#include "core/text/ansi_path.h"
#include "fileops/file_checks.h"
#include "win/text_convert.h"

namespace zv {

namespace {

double SecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart > 0 ? static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart : 0.0;
}

}  // namespace

PhaseTimer::PhaseTimer(double& into) : into_(into) { QueryPerformanceCounter(&start_); }
PhaseTimer::~PhaseTimer() { into_ += SecondsSince(start_); }

bool ReadImageRecord(const std::string& folder, const std::string& name, const ImageProbe& probe, FileListItem& record,
                     ListingTimes& times) {
  FileListItem item{};
  if (!SetItemPath(item, folder, name, win::IsAnsiLeadByte)) return false;
  ImageInfo info;
  {
    PhaseTimer timer(times.probe);
    if (probe.GetImageInfo(item.path, &info) != 1) return false;
  }
  FileSizeAndTime file;
  {
    PhaseTimer timer(times.fileInfo);
    if (!GetFileSizeAndTime(item.path, file)) return false;
  }
  item.lastWrite = {file.lastWrite.dwLowDateTime, file.lastWrite.dwHighDateTime};
  item.fileSize = file.sizeLow;
  item.width = info.width;
  item.height = info.height;
  item.colors = ImageProbe::ColorCountFromBits(info.bitsPerPixel);
  record = item;
  return true;
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
  // One shell call per file: the system image list's index names the icon
  // the shell shows for the file, and files with the same icon share one
  // entry of ours (asking for the icon itself would cost a second call).
  SHFILEINFOA shell{};
  auto system = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(path.c_str(), 0, &shell, sizeof shell, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
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
}

int SmallIconList::Count() const { return list_ != nullptr ? ImageList_GetImageCount(list_) : 0; }

}  // namespace zv
