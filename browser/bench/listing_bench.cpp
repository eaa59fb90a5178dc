// Listing benchmark: a folder listed in list mode, in a real window, the old
// way and the new way side by side in one process, several times each; every
// listing prints where its time went, then the minimum and median of each.
//   listing_bench.exe <folder> [runs (3)] [both|old|new]
// "new" is the real CFileListView (SetFolder). "old" is the listing as it was
// before records were read on all cores and icons asked once per type: one
// serial loop of probe (with the PNG check as it was: stdio-buffered reads,
// CRC sliced by 8), size and time, and one SHGetFileInfoA per file, into a
// list control of its own. It lives here only, to be measured against.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "browser/bench/bench_support.h"
#include "browser/file_list_view.h"
#include "browser/folder_reader.h"
#include "browser/list_control.h"
#include "core/browser/sort_rules.h"
#include "core/imagelib/image_header.h"
#include "core/imagelib/png_check.h"
#include "core/imagelib/probe_rules.h"
#include "fileops/file_checks.h"
#include "imagelib/image_library.h"
#include "win/folder_listing.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace {

constexpr char kHostClass[] = "ZVListingBenchHost";

class Host : public zv::win::Window {};

using zv::bench::Now;
using zv::bench::Pump;
using zv::bench::QuietHost;

// The PNG check before: chunk fields and data through stdio's buffer, the
// data in 64 KiB pieces, the CRC sliced by 8.
size_t OldReadFully(std::FILE* file, uint8_t* out, size_t count) {
  size_t got = 0;
  while (got < count) {
    const size_t n = std::fread(out + got, 1, count - got, file);
    if (n == 0) break;
    got += n;
  }
  return got;
}

uint32_t Be32(const uint8_t* p) { return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }

bool OldPngChunks(std::FILE* file) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  uint8_t head[8];
  if (OldReadFully(file, head, 8) != 8 || std::memcmp(head, kSignature, 8) != 0) return false;
  std::vector<uint8_t> buffer(64 * 1024);
  unsigned seen = 0;
  for (;;) {
    uint8_t frame[8];
    const size_t got = OldReadFully(file, frame, 4);
    if (got == 0) return seen == 7;
    if (got != 4 || OldReadFully(file, frame + 4, 4) != 4) return false;
    const uint64_t length = Be32(frame);
    if (length + 8 > zv::PngCheck::kMaxChunkSpan) return false;
    if (std::memcmp(frame + 4, "IHDR", 4) == 0) seen |= 1;
    else if (std::memcmp(frame + 4, "IEND", 4) == 0) seen |= 2;
    else if (std::memcmp(frame + 4, "IDAT", 4) == 0) seen |= 4;
    uint32_t crc = zv::Crc32UpdateSliced(0xFFFFFFFFu, frame + 4, 4);
    for (uint64_t left = length; left != 0;) {
      const size_t piece = left < buffer.size() ? static_cast<size_t>(left) : buffer.size();
      if (OldReadFully(file, buffer.data(), piece) != piece) return false;
      crc = zv::Crc32UpdateSliced(crc, buffer.data(), piece);
      left -= piece;
    }
    uint8_t stored[4];
    if (OldReadFully(file, stored, 4) != 4 || ~crc != Be32(stored)) return false;
  }
}

bool OldPngCheck(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  const bool valid = OldPngChunks(file);
  std::fclose(file);
  return valid;
}

// ImageProbe::GetImageInfo with the old PNG check.
bool OldProbe(const char* path, zv::ImageInfo& info) {
  const int type = zv::ImageTypeFromPath(path);
  if (type < 0 || (type == 0 && !OldPngCheck(path))) return false;
  uint8_t record[zv::imagelib::kInfoRecordSize];
  if (zv::imagelib::IKFileType(path, 0, record) != 1) return false;
  namespace fi = zv::file_info;
  if (type == 1 && zv::RecordInt16(record, fi::kDecoderSupport) == fi::kDecoderCannotRead) return false;
  info = {zv::RecordInt32(record, fi::kWidth), zv::RecordInt32(record, fi::kHeight), zv::RecordInt16(record, fi::kBits)};
  return true;
}

// ReadImageRecord with the old probe.
bool OldRecord(const std::string& folder, const std::string& name, zv::FileListItem& item, zv::ListingTimes& times) {
  if (!zv::SetItemPath(item, folder, name, zv::win::IsAnsiLeadByte)) return false;
  zv::ImageInfo info;
  {
    zv::PhaseTimer timer(times.probe);
    if (!OldProbe(item.path, info)) return false;
  }
  zv::FileSizeAndTime file;
  {
    zv::PhaseTimer timer(times.fileInfo);
    if (!zv::GetFileSizeAndTime(item.path, file)) return false;
  }
  item.lastWrite = {file.lastWrite.dwLowDateTime, file.lastWrite.dwHighDateTime};
  item.fileSize = file.sizeLow;
  item.width = info.width;
  item.height = info.height;
  item.colors = zv::ColorCountFromBits(info.bitsPerPixel);
  return true;
}

// The listing before: the same records, sort and rows, read serially with
// one shell icon lookup per file.
class OldListing {
 public:
  bool Create(HWND parent, const zv::EnvSet& settings) {
    icons_ = ImageList_Create(16, 16, ILC_COLOR8, 0, 64);
    if (icons_ == nullptr) return false;
    ImageList_SetBkColor(icons_, RGB(255, 255, 255));
    // A list that holds its rows' texts, as the product's list did before its rows were virtual.
    list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(1001), GetModuleHandleA(nullptr), nullptr);
    if (list_ == nullptr) return false;
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons_));
    const zv::ColumnLayout layout = zv::ColumnLayoutOf(settings);
    for (int k = 0; k < zv::kColumnCount; ++k) {
      const std::string caption = zv::win::Utf8ToAnsi(zv::ColumnCaptions()[static_cast<size_t>(k)].defaultUtf8);
      LVCOLUMNA column{};
      column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
      column.cx = layout.widths[static_cast<size_t>(k)];
      column.pszText = const_cast<char*>(caption.c_str());
      column.iSubItem = k;
      SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(&column));
    }
    return true;
  }
  ~OldListing() {
    if (list_ != nullptr) DestroyWindow(list_);
    if (icons_ != nullptr) ImageList_Destroy(icons_);
  }
  HWND hwnd() const { return list_; }
  int IconCount() const { return ImageList_GetImageCount(icons_); }

  void List(const std::string& folder, int sortKey, int sortDir) {
    times_ = {};
    zv::PhaseTimer total(times_.total);
    SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    ImageList_RemoveAll(icons_);
    bySystemIndex_.clear();
    entries_.clear();
    std::vector<std::string> names;
    {
      zv::PhaseTimer timer(times_.enumerate);
      names = zv::win::ListedFileNames(folder);
    }
    times_.namesSeen = static_cast<int>(names.size());
    for (const std::string& name : names) {
      Entry entry{std::make_unique<zv::FileListItem>(), -1};
      if (!OldRecord(folder, name, *entry.record, times_)) continue;
      {
        zv::PhaseTimer timer(times_.icons);
        entry.icon = IconOf(entry.record->path);
      }
      entries_.push_back(std::move(entry));
    }
    times_.listed = static_cast<int>(entries_.size());
    Sort(sortKey, sortDir);
    zv::PhaseTimer timer(times_.rows);
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list_, LVM_SETITEMCOUNT, entries_.size(), 0);
    for (size_t i = 0; i < entries_.size(); ++i) InsertRow(static_cast<int>(i), *entries_[i].record, entries_[i].icon);
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
  }
  const zv::ListingTimes& times() const { return times_; }

 private:
  struct Entry {
    std::unique_ptr<zv::FileListItem> record;
    int icon = -1;
  };

  void InsertRow(int row, const zv::FileListItem& item, int icon) {
    std::string text = zv::CellText(item, 0);
    LVITEMA entry{};
    entry.mask = LVIF_TEXT | LVIF_IMAGE;
    entry.iItem = row;
    entry.pszText = text.data();
    entry.iImage = icon;
    const int at = static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
    for (int k = 1; at >= 0 && k < zv::kColumnCount; ++k) {
      text = zv::CellText(item, k);
      LVITEMA cell{};
      cell.iSubItem = k;
      cell.pszText = text.data();
      SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&cell));
    }
  }

  void Sort(int key, int dir) {
    zv::PhaseTimer timer(times_.sort);
    std::vector<const zv::FileListItem*> records;
    for (const Entry& entry : entries_) records.push_back(entry.record.get());
    zv::ApplyPermutation(entries_, zv::SortPermutation(records, key, dir, zv::win::IsAnsiLeadByte));
  }

  int IconOf(const std::string& path) {
    SHFILEINFOA shell{};
    auto system = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(path.c_str(), 0, &shell, sizeof shell, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (system == nullptr) return I_IMAGENONE;
    auto known = bySystemIndex_.find(shell.iIcon);
    if (known != bySystemIndex_.end()) return known->second;
    HICON icon = ImageList_GetIcon(system, shell.iIcon, ILD_NORMAL);
    if (icon == nullptr) return I_IMAGENONE;
    const int index = ImageList_ReplaceIcon(icons_, -1, icon);
    DestroyIcon(icon);
    if (index < 0) return I_IMAGENONE;
    bySystemIndex_[shell.iIcon] = index;
    return index;
  }

  HWND list_ = nullptr;
  HIMAGELIST icons_ = nullptr;
  std::unordered_map<int, int> bySystemIndex_;
  std::vector<Entry> entries_;
  zv::ListingTimes times_;
};

struct Listing {
  const char* way;
  double wall = 0;
  zv::ListingTimes times;
  int rows = 0;
  int icons = 0;
};

void PrintHeader() {
  std::printf("way,run,wall_ms,total_ms,enumerate_ms,records_ms,probe_ms,fileinfo_ms,icons_ms,sort_ms,rows_ms,"
              "names,listed,rows,icons,live_images\n");
}

void PrintListing(const Listing& l, int run) {
  const zv::ListingTimes& t = l.times;
  std::printf("%s,%d,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%d,%d,%d,%d,%ld\n", l.way, run, l.wall * 1e3,
              t.total * 1e3, t.enumerate * 1e3, t.records * 1e3, t.probe * 1e3, t.fileInfo * 1e3, t.icons * 1e3,
              t.sort * 1e3, t.rows * 1e3, t.namesSeen, t.listed, l.rows, l.icons, zv::imagelib::LiveImageCount());
  std::fflush(stdout);
}

int RowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Minimum and median of one figure over the listings of one way, in milliseconds.
template <class F>
void PrintSpread(const std::vector<Listing>& listings, const char* way, const char* what, F figure) {
  std::vector<double> v;
  for (const Listing& l : listings)
    if (std::strcmp(l.way, way) == 0) v.push_back(figure(l) * 1e3);
  if (v.empty()) return;
  std::printf("%s,%s,%.1f,%.1f\n", way, what, *std::min_element(v.begin(), v.end()), Median(v));
}

void PrintSummary(const std::vector<Listing>& listings) {
  std::printf("== min and median over the counted listings, milliseconds\nway,figure,min_ms,median_ms\n");
  for (const char* way : {"old", "new"}) {
    PrintSpread(listings, way, "wall", [](const Listing& l) { return l.wall; });
    PrintSpread(listings, way, "total", [](const Listing& l) { return l.times.total; });
    PrintSpread(listings, way, "enumerate", [](const Listing& l) { return l.times.enumerate; });
    PrintSpread(listings, way, "records", [](const Listing& l) { return l.times.records; });
    PrintSpread(listings, way, "probe", [](const Listing& l) { return l.times.probe; });
    PrintSpread(listings, way, "fileinfo", [](const Listing& l) { return l.times.fileInfo; });
    PrintSpread(listings, way, "icons", [](const Listing& l) { return l.times.icons; });
    PrintSpread(listings, way, "sort", [](const Listing& l) { return l.times.sort; });
    PrintSpread(listings, way, "rows", [](const Listing& l) { return l.times.rows; });
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: listing_bench <folder> [runs] [both|old|new]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::string ways = argc > 3 ? argv[3] : "both";
  const bool old = ways != "new", fresh = ways != "old";
  OleInitialize(nullptr);
  if (!zv::imagelib::Bind()) return 1;
  Host host;
  if (!zv::win::Window::RegisterClass(kHostClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)) ||
      !host.Create({.className = kHostClass, .title = "listing bench", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                    .rect = {0, 0, 1000, 700}}))
    return 1;
  zv::EnvSet settings;
  settings.dwdLstMod = zv::kListMode;
  auto view = std::make_unique<zv::CFileListView>(settings);
  QuietHost quiet;
  if (!view->CreatePane(host.hwnd(), 59648, quiet)) return 1;
  MoveWindow(view->hwnd(), 0, 0, 980, 660, TRUE);
  OldListing before;
  if (!before.Create(host.hwnd(), settings)) return 1;
  MoveWindow(before.hwnd(), 0, 0, 980, 660, TRUE);
  Pump();

  // Both ways take turns, so that both meet the same page cache and load.
  // With more than one run, one listing of each goes first uncounted (the
  // first listing in a process also loads the shell's and codecs' parts).
  PrintHeader();
  std::vector<Listing> listings;
  for (int run = runs > 1 ? 0 : 1; run <= runs; ++run) {
    if (old) {
      ShowWindow(view->hwnd(), SW_HIDE);
      ShowWindow(before.hwnd(), SW_SHOW);
      Listing l{"old"};
      const double start = Now();
      before.List(argv[1], view->sortKey(), view->sortDir());
      l.wall = Now() - start;
      l.times = before.times();
      l.rows = RowCount(before.hwnd());
      l.icons = before.IconCount();
      PrintListing(l, run);
      if (run > 0) listings.push_back(l);
      Pump();
    }
    if (fresh) {
      ShowWindow(before.hwnd(), SW_HIDE);
      ShowWindow(view->hwnd(), SW_SHOW);
      Listing l{"new"};
      const double start = Now();
      view->SetFolder(argv[1]);
      l.wall = Now() - start;
      l.times = view->lastListingTimes();
      l.rows = RowCount(view->listControl());
      l.icons = ImageList_GetImageCount(
          reinterpret_cast<HIMAGELIST>(SendMessageA(view->listControl(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)));
      PrintListing(l, run);
      if (run > 0) listings.push_back(l);
      Pump();
    }
  }
  PrintSummary(listings);
  view.reset();
  host.Destroy();
  zv::imagelib::Unbind();
  OleUninitialize();
  return 0;
}
