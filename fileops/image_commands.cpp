// Print, mail and open with (commands 32861-32863) and the steps behind them.
#include "fileops/image_commands.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#include "app/app_services.h"
#include "core/fileops/print_layout.h"
#include "core/imagelib/probe_rules.h"
#include "core/text/ansi_path.h"
#include "fileops/file_commands.h"
#include "imagelib/thumbnail.h"
#include "win/diagnostics.h"
#include "win/handles.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {

namespace {

// Pixels decoded for one print at most: 64 MB at 32 bits, about 300 dpi on a
// large page. A larger print is enlarged by the printer from this.
constexpr int64_t kPrintPixelBudget = int64_t{1} << 24;
// The 24-bit DIB of one band: small enough for any printer driver to take in
// one call, large enough to keep the calls few.
constexpr size_t kBandBytes = size_t{4} << 20;

struct PageSize {
  int32_t width = 0;
  int32_t height = 0;
};

PageSize PageOf(HDC dc) { return {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)}; }

// The block a common dialog returned, locked for the scope.
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL memory)
      : memory_(memory), data_(memory != nullptr ? GlobalLock(memory) : nullptr),
        size_(data_ != nullptr ? GlobalSize(memory) : 0) {}
  ~LockedGlobal() {
    if (data_ != nullptr) GlobalUnlock(memory_);
  }
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  const BYTE* data() const { return static_cast<const BYTE*>(data_); }
  size_t size() const { return size_; }

 private:
  HGLOBAL memory_;
  void* data_;
  size_t size_;
};

// The device name of a DEVNAMES block, read within the block.
std::string DeviceNameOf(const LockedGlobal& names) {
  if (names.data() == nullptr || names.size() < sizeof(DEVNAMES)) return {};
  const auto* header = reinterpret_cast<const DEVNAMES*>(names.data());
  const size_t offset = header->wDeviceOffset;
  if (offset >= names.size()) return {};
  const char* text = reinterpret_cast<const char*>(names.data()) + offset;
  return std::string(text, strnlen(text, names.size() - offset));
}

// The whole DEVMODE block (its public part and the driver's), when its sizes
// fit the block.
std::vector<BYTE> DevModeOf(const LockedGlobal& mode) {
  if (mode.data() == nullptr || mode.size() < offsetof(DEVMODEA, dmFields) + sizeof(DWORD)) return {};
  const auto* header = reinterpret_cast<const DEVMODEA*>(mode.data());
  const size_t total = size_t{header->dmSize} + header->dmDriverExtra;
  if (header->dmSize < offsetof(DEVMODEA, dmOrientation) + sizeof(short) || total > mode.size()) return {};
  std::vector<BYTE> copy(std::max(total, sizeof(DEVMODEA)), 0);
  std::copy(mode.data(), mode.data() + total, copy.begin());
  return copy;
}

// Draws `picture` into `place`, band by band.
bool DrawInBands(HDC dc, const PixelImage& picture, const PrintRect& place) {
  const PixelSize shown{picture.width, picture.height};
  if (picture.pixels.size() < static_cast<size_t>(shown.width) * static_cast<size_t>(shown.height)) return false;
  const size_t stride = (static_cast<size_t>(shown.width) * 3 + 3) & ~size_t{3};
  const int32_t rowsPerBand = static_cast<int32_t>(std::max<size_t>(1, kBandBytes / stride));
  const std::vector<PrintBand> bands = PrintBands(shown.height, place.top, place.height, rowsPerBand);
  std::vector<BYTE> bits;
  try {
    bits.resize(stride * static_cast<size_t>(std::min(rowsPerBand, shown.height)));
  } catch (const std::bad_alloc&) {
    return false;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = shown.width;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  for (const PrintBand& band : bands) {
    // Bottom-up: the band's first row is the DIB's last.
    for (int32_t r = 0; r < band.sourceRows; ++r) {
      const uint32_t* row = &picture.pixels[static_cast<size_t>(band.sourceTop + r) * static_cast<size_t>(shown.width)];
      BYTE* out = bits.data() + static_cast<size_t>(band.sourceRows - 1 - r) * stride;
      for (int32_t x = 0; x < shown.width; ++x) {
        const uint32_t pixel = row[x];
        *out++ = static_cast<BYTE>(pixel);
        *out++ = static_cast<BYTE>(pixel >> 8);
        *out++ = static_cast<BYTE>(pixel >> 16);
      }
    }
    info.bmiHeader.biHeight = band.sourceRows;
    if (StretchDIBits(dc, place.left, band.pageTop, place.width, band.pageRows, 0, 0, shown.width, band.sourceRows,
                      bits.data(), &info, DIB_RGB_COLORS, SRCCOPY) == 0)
      return false;
  }
  return true;
}

// Turns the DC's page to `orientation` (DMORIENT_PORTRAIT or _LANDSCAPE).
bool TurnPage(HDC dc, DEVMODEA& mode, short orientation) {
  mode.dmOrientation = orientation;
  mode.dmFields |= DM_ORIENTATION;
  return ResetDCA(dc, &mode) != nullptr;
}

}  // namespace

std::optional<PrinterChoice> ChoosePrinter(HWND owner) {
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.Flags = PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE;
  dialog.nCopies = 1;
  const BOOL chosen = PrintDlgA(&dialog);
  win::UniqueGlobal names(dialog.hDevNames), mode(dialog.hDevMode);
  if (!chosen) return std::nullopt;
  PrinterChoice choice;
  choice.device = DeviceNameOf(LockedGlobal(names.get()));
  choice.mode = DevModeOf(LockedGlobal(mode.get()));
  if (choice.device.empty() || choice.mode.empty()) return std::nullopt;
  return choice;
}

bool PrintPicture(HDC dc, DEVMODEA& mode, const std::string& path) {
  // Each picture is judged against the page of the dialog's orientation.
  const PageSize page = PageOf(dc);
  if (page.width <= 0 || page.height <= 0) return false;
  const short dialogOrientation = mode.dmOrientation;
  const DWORD dialogFields = mode.dmFields;
  const short turnedOrientation = page.height >= page.width ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;

  // Decoded in strips straight to about the printed size: a scan too large
  // to hold whole at 32 bits still prints.
  const auto printSize = [&](int32_t width, int32_t height) {
    const bool turn = PageTurnsFor(page.width, page.height, width, height);
    const PrintRect place = turn ? PlaceOnPage(page.height, page.width, width, height)
                                 : PlaceOnPage(page.width, page.height, width, height);
    return PrintDecodeSize(width, height, place.width, place.height, kPrintPixelBudget);
  };
  std::optional<imagelib::Thumbnail> picture =
      imagelib::DecodeScaled(path.c_str(), ImageTypeFromPath(path), printSize);
  if (!picture || picture->info.width <= 0 || picture->info.height <= 0) {
    win::LogFailure("picture not printed, it does not decode", path);
    return false;
  }
  const PixelSize shown{picture->info.width, picture->info.height};

  const bool turn = PageTurnsFor(page.width, page.height, shown.width, shown.height);
  bool printed = false;
  if (!turn || TurnPage(dc, mode, turnedOrientation)) {
    const PageSize turnedPage = PageOf(dc);
    const PrintRect place = PlaceOnPage(turnedPage.width, turnedPage.height, shown.width, shown.height);
    const std::string name(NameOfPath(path, win::IsAnsiLeadByte));
    DOCINFOA document{};
    document.cbSize = sizeof document;
    document.lpszDocName = name.c_str();
    if (StartDocA(dc, &document) > 0) {
      if (StartPage(dc) > 0 && DrawInBands(dc, picture->pixels, place) && EndPage(dc) > 0) {
        printed = EndDoc(dc) > 0;
      } else {
        AbortDoc(dc);
      }
    }
  }
  if (!printed) win::LogFailure("picture not printed, the printer refused it", path, win::Win32Error());
  // Back to the dialog's choice for the next picture.
  if (turn) {
    mode.dmFields = dialogFields | DM_ORIENTATION;
    TurnPage(dc, mode, dialogOrientation != 0 ? dialogOrientation : static_cast<short>(DMORIENT_PORTRAIT));
    mode.dmFields = dialogFields;
    mode.dmOrientation = dialogOrientation;
  }
  return printed;
}

bool SendFilesByMail(LPMAPISENDMAIL sendMail, const std::vector<std::string>& paths) {
  if (sendMail == nullptr) win::LogFailure("mail not sent, MAPISendMail is not available");
  if (sendMail == nullptr || paths.empty()) return false;
  std::vector<std::string> names;
  names.reserve(paths.size());
  std::vector<MapiFileDesc> files(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) names.emplace_back(NameOfPath(paths[i], win::IsAnsiLeadByte));
  for (size_t i = 0; i < paths.size(); ++i) {
    files[i].ulReserved = 0;
    files[i].flFlags = 0;
    files[i].nPosition = static_cast<ULONG>(-1);  // no place in the text
    files[i].lpszPathName = const_cast<char*>(paths[i].c_str());
    files[i].lpszFileName = const_cast<char*>(names[i].c_str());
    files[i].lpFileType = nullptr;
  }
  MapiMessage message{};
  message.nFileCount = static_cast<ULONG>(files.size());
  message.lpFiles = files.data();
  const ULONG result = sendMail(0, 0, &message, MAPI_LOGON_UI | MAPI_DIALOG, 0);
  // The user closing the mail window is no failure.
  if (result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT) {
    char code[40];
    wsprintfA(code, "MAPI error %lu", static_cast<unsigned long>(result));
    win::LogFailure(std::string("mail not sent: ") + code, paths.front());
  }
  return true;
}

void OpenWithApplications(HWND owner, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) win::LogFailure("no application opened the file", path, win::Win32Error(static_cast<DWORD>(result)));
  }
}

// ---- the commands ------------------------------------------------------------

void CFileCommands::OnPrint(int) {
  const std::vector<std::string> files = host_.SelectedFiles();
  if (files.empty()) return;
  std::optional<PrinterChoice> printer = ChoosePrinter(host_.CommandWindow());
  if (!printer) return;
  // The dialog's place on screen is painted again before the long work.
  if (HWND frame = GetAncestor(host_.CommandWindow(), GA_ROOT))
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  win::WaitCursor wait;
  // The copies stay in the device mode: the driver makes them.
  win::UniqueDeviceContext dc(CreateDCA("WINSPOOL", printer->device.c_str(), nullptr, printer->devMode()));
  if (!dc) {
    win::LogFailure("printer not opened", printer->device, win::Win32Error());
    return;
  }
  // The files are printed as stored: a turn in the picture view is for viewing only.
  for (const std::string& path : files) PrintPicture(dc.get(), *printer->devMode(), path);
}

// The mirror's own files are attached: they are the board's, copied.
void CFileCommands::OnSendMail(int) { SendFilesByMail(GetMapiSendMail(), host_.SelectedFiles()); }

// The application gets the board's own file while the mirror is shown, so
// that what it changes is what the board holds.
void CFileCommands::OnOpenWith(int) {
  std::vector<std::string> files = host_.SelectedFiles();
  const MirrorState mirror = host_.OperationSite().mirror;
  if (mirror.active)
    for (std::string& path : files) path = MapToDevice(mirror, path, win::IsAnsiLeadByte);
  OpenWithApplications(host_.CommandWindow(), files);
}

}  // namespace zv
