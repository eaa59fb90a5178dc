// The TWAIN session of a scan: manager, source, enabling with the source's
// own user interface, and the native, file and memory transfers. Whatever a
// source reports is checked before it sizes a buffer or a copy.
#include "fileops/twain_connection.h"

#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "app/app_services.h"
#include "core/fileops/scan_dib.h"
#include "res/resource.h"

namespace zv {

namespace {

using namespace twain;

constexpr char kTransferFile[] = "tempfile.bin";
// A source that keeps reporting pending images cannot hold a scan forever.
constexpr int kMaxImagesPerScan = 10000;

// A global block from a source, locked for reading with its size.
class LockedBlock {
 public:
  explicit LockedBlock(void* handle) : handle_(static_cast<HGLOBAL>(handle)) {
    if (handle_ == nullptr) return;
    size_ = GlobalSize(handle_);
    data_ = size_ != 0 ? static_cast<const uint8_t*>(GlobalLock(handle_)) : nullptr;
  }
  ~LockedBlock() {
    if (data_ != nullptr) GlobalUnlock(handle_);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  const uint8_t* data() const { return data_; }
  size_t size() const { return data_ != nullptr ? size_ : 0; }

 private:
  HGLOBAL handle_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// The current 16-bit value of a capability container (an enumeration or a
// single value), read only where the block holds it.
std::optional<uint16_t> CurrentUint16(const Capability& capability) {
  LockedBlock block(capability.hContainer);
  if (capability.ConType == TWON_ENUMERATION && block.size() >= sizeof(EnumerationHead)) {
    EnumerationHead head;
    std::memcpy(&head, block.data(), sizeof head);
    if (head.CurrentIndex >= head.NumItems) return std::nullopt;
    const uint64_t at = sizeof head + uint64_t{head.CurrentIndex} * 2;
    if (at + 2 > block.size()) return std::nullopt;
    uint16_t value;
    std::memcpy(&value, block.data() + at, 2);
    return value;
  }
  if (capability.ConType == TWON_ONEVALUE && block.size() >= sizeof(OneValue)) {
    OneValue one;
    std::memcpy(&one, block.data(), sizeof one);
    return static_cast<uint16_t>(one.Item);
  }
  return std::nullopt;
}

HGLOBAL GlobalCopy(const std::vector<uint8_t>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
  if (block == nullptr) return nullptr;
  void* to = GlobalLock(block);
  if (to == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(to, bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}

// The whole transfer file, or nothing when it is missing or larger than any scan.
std::optional<std::vector<uint8_t>> ReadTransferFile() {
  HANDLE file = CreateFileA(kTransferFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::vector<uint8_t>> bytes;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
      static_cast<uint64_t>(size.QuadPart) <= kMaxScanBytes + kDibPaletteSpace + 1024) {
    try {
      bytes.emplace(static_cast<size_t>(size.QuadPart));
      DWORD read = 0;
      if (!ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) || read != bytes->size())
        bytes.reset();
    } catch (const std::bad_alloc&) {
      bytes.reset();
    }
  }
  CloseHandle(file);
  return bytes;
}

ScanPixelType PixelTypeOf(int16_t type) {
  switch (type) {
    case TWPT_BW: return ScanPixelType::kBlackWhite;
    case TWPT_GRAY: return ScanPixelType::kGray;
    case TWPT_RGB: return ScanPixelType::kRgb;
    default: return ScanPixelType::kOther;
  }
}

}  // namespace

TwainConnection::TwainConnection() {
  app_.Id = 0;
  app_.Version.MajorNum = 1;
  app_.Version.MinorNum = 703;
  app_.Version.Language = TWLG_USA;
  app_.Version.Country = TWCY_USA;
  app_.ProtocolMajor = 1;
  app_.ProtocolMinor = 9;
  app_.SupportedGroups = DG_CONTROL | DG_IMAGE;
}

TwainConnection::~TwainConnection() { Shutdown(); }

void TwainConnection::Start(HWND owner, int notifyId) {
  owner_ = owner;
  notifyId_ = notifyId;
  if (module_ != nullptr) return;
  module_ = LoadLibraryA("TWAIN_32.DLL");
  if (module_ == nullptr) return;
  entry_ = reinterpret_cast<DsmEntryProc>(reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(1))));
  if (entry_ == nullptr) {
    FreeLibrary(module_);
    module_ = nullptr;
  }
}

void TwainConnection::Shutdown() {
  CloseAll();
  entry_ = nullptr;
  if (module_ != nullptr) FreeLibrary(module_);
  module_ = nullptr;
}

uint16_t TwainConnection::Call(Identity* dest, uint32_t group, uint16_t dat, uint16_t msg, void* data) {
  if (entry_ == nullptr) return TWRC_FAILURE;
  return entry_(&app_, dest, group, dat, msg, data);
}

bool TwainConnection::OpenManager() {
  if (managerOpen_) return true;
  // The manager reads the window handle through the pointer.
  managerOpen_ = Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &owner_) == TWRC_SUCCESS;
  return managerOpen_;
}

void TwainConnection::CloseManager() {
  if (!managerOpen_) return;
  Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &owner_);
  managerOpen_ = false;
}

bool TwainConnection::OpenSource() {
  if (!managerOpen_ || sourceOpen_) return sourceOpen_;
  sourceOpen_ = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_) == TWRC_SUCCESS;
  return sourceOpen_;
}

// A source chosen by the user serves one scan; the next one takes the
// default again unless a source is chosen anew.
void TwainConnection::CloseSource() {
  if (!sourceOpen_) return;
  Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
  sourceOpen_ = false;
  source_.Id = 0;
  std::memset(source_.ProductName, 0, sizeof source_.ProductName);
}

bool TwainConnection::EnableSource(HWND parent) {
  if (!sourceOpen_) return false;
  ui_ = {1, 1, parent};
  sourceEnabled_ = Call(&source_, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui_) == TWRC_SUCCESS;
  return sourceEnabled_;
}

void TwainConnection::DisableSource() {
  if (!sourceEnabled_) return;
  ui_.ShowUI = 255;
  Call(&source_, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui_);
  sourceEnabled_ = false;
}

void TwainConnection::CloseAll() {
  DisableSource();
  CloseSource();
  CloseManager();
}

void TwainConnection::SelectSource() {
  if (sourceOpen_ || !OpenManager()) return;
  Identity chosen = source_;
  if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen) == TWRC_SUCCESS ||
      Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &chosen) == TWRC_SUCCESS)
    source_ = chosen;
  CloseManager();
}

std::string TwainConnection::DefaultSourceName() {
  const bool wasOpen = managerOpen_;
  if (!OpenManager()) return {};
  Identity found{};
  std::string name;
  if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &found) == TWRC_SUCCESS)
    name.assign(found.ProductName, strnlen(found.ProductName, sizeof found.ProductName));
  if (!wasOpen) CloseManager();
  return name;
}

bool TwainConnection::Acquire(HWND owner) {
  if (entry_ == nullptr || sourceOpen_) return false;
  if (owner != nullptr) owner_ = owner;
  if (OpenManager() && OpenSource() && EnableSource(owner_)) return true;
  // Nothing stays open, so the next scan starts from the beginning.
  CloseAll();
  return false;
}

bool TwainConnection::PreTranslate(MSG& msg) {
  if (!managerOpen_ || !sourceOpen_ || !sourceEnabled_) return false;
  Event event{&msg, MSG_NULL};
  const uint16_t result = Call(&source_, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
  switch (event.TWMessage) {
    case MSG_XFERREADY:
      Transfer();
      break;
    case MSG_CLOSEDSREQ:
    case MSG_CLOSEDSOK:
      CloseAll();
      SendEnded();
      break;
    default:
      break;
  }
  return result == TWRC_DSEVENT;
}

// Each transfer loop says whether the source ended its images itself (none
// pending: back to an enabled source). When it could not go on, the scan is
// abandoned: a source left with images pending would keep the scan running
// and both scanner commands disabled.
void TwainConnection::Transfer() {
  Capability mechanism{ICAP_XFERMECH, TWON_DONTCARE16, nullptr};
  std::optional<uint16_t> chosen;
  if (Call(&source_, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &mechanism) == TWRC_SUCCESS) {
    chosen = CurrentUint16(mechanism);
    if (mechanism.hContainer != nullptr) GlobalFree(static_cast<HGLOBAL>(mechanism.hContainer));
  }
  bool ended = false;
  if (chosen == TWSX_NATIVE) ended = NativeTransfers();
  if (chosen == TWSX_FILE) ended = FileTransfers();
  if (chosen == TWSX_MEMORY) ended = MemoryTransfers();
  if (!ended) Abandon();
}

// The images still pending after this one; nothing when the source refused.
std::optional<uint16_t> TwainConnection::EndTransfer() {
  PendingXfers pending{};
  if (Call(&source_, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS) return std::nullopt;
  return pending.Count;
}

// The pending images are dropped, the source is disabled and closed, the
// scan ends and the user is told.
void TwainConnection::Abandon() {
  PendingXfers pending{};
  Call(&source_, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
  CloseAll();
  SendEnded();
  ReportErrorText(owner_, nullptr, "Scan", "ErrorMsg0003", "スキャナーから画像を受け取れませんでした。");
}

bool TwainConnection::NativeTransfers() {
  for (int image = 0; image < kMaxImagesPerScan; ++image) {
    // The source writes a handle, whose size is the platform's.
    HGLOBAL dib = nullptr;
    if (Call(&source_, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib) == TWRC_XFERDONE && dib != nullptr) SendImage(dib);
    const std::optional<uint16_t> pending = EndTransfer();
    if (!pending) return false;
    if (*pending == 0) return true;
  }
  return false;
}

bool TwainConnection::FileTransfers() {
  bool ended = false;
  for (int image = 0; image < kMaxImagesPerScan; ++image) {
    SetupFileXfer setup{};
    std::memcpy(setup.FileName, kTransferFile, sizeof kTransferFile);
    setup.Format = TWFF_BMP;
    setup.VRefNum = 0;
    if (Call(&source_, DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) != TWRC_SUCCESS) break;
    if (Call(&source_, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr) == TWRC_XFERDONE) {
      // Only a whole BMP file becomes an image; a short or foreign file is dropped.
      if (std::optional<std::vector<uint8_t>> file = ReadTransferFile()) {
        if (std::optional<std::vector<uint8_t>> dib = DibFromBmpFile(file->data(), file->size())) {
          if (HGLOBAL block = GlobalCopy(*dib)) SendImage(block);
        }
      }
    }
    const std::optional<uint16_t> pending = EndTransfer();
    if (!pending) break;
    if (*pending == 0) {
      ended = true;
      break;
    }
  }
  DeleteFileA(kTransferFile);
  return ended;
}

ScanImage TwainConnection::ShapeOf(const ImageInfo& info) {
  ScanImage shape;
  shape.width = info.ImageWidth;
  shape.height = info.ImageLength;
  shape.bits = info.BitsPerPixel;
  shape.type = PixelTypeOf(info.PixelType);
  Capability units{ICAP_UNITS, TWON_DONTCARE16, nullptr};
  int unit = 5;
  if (Call(&source_, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &units) == TWRC_SUCCESS) {
    if (units.ConType == TWON_ONEVALUE) unit = CurrentUint16(units).value_or(5);
    if (units.hContainer != nullptr) GlobalFree(static_cast<HGLOBAL>(units.hContainer));
  }
  shape.xPelsPerMetre = PixelsPerMetre(unit, info.XResolution.Whole, info.XResolution.Frac);
  shape.yPelsPerMetre = PixelsPerMetre(unit, info.YResolution.Whole, info.YResolution.Frac);
  return shape;
}

std::vector<uint8_t> TwainConnection::ColoursOf(ScanPixelType type) {
  std::vector<PaletteEntry> sourcePalette;
  bool havePalette = false;
  if (type == ScanPixelType::kOther) {
    Palette8 palette{};
    if (Call(&source_, DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette) == TWRC_SUCCESS) {
      havePalette = true;
      const int count = palette.NumColors < 256 ? palette.NumColors : 256;
      for (int i = 0; i < count; ++i)
        sourcePalette.push_back({palette.Colors[i].Channel1, palette.Colors[i].Channel2, palette.Colors[i].Channel3});
    }
  }
  return ScanColourTable(type, havePalette ? &sourcePalette : nullptr);
}

// One image's strips: each lands in the strip buffer and is gathered into
// padded rows, whatever row length the source uses and whatever sizes it
// reports. True when the source said the image is done and every row came.
bool TwainConnection::MemoryStrips(std::vector<uint8_t>& strip, ScanRowGatherer& rows) {
  for (;;) {
    ImageMemXfer got;
    std::memset(&got, 0xff, sizeof got);
    got.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    got.Memory.Length = static_cast<uint32_t>(strip.size());
    got.Memory.TheMem = strip.data();
    const uint16_t result = Call(&source_, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &got);
    if (result != TWRC_SUCCESS && result != TWRC_XFERDONE) return false;
    if (got.BytesWritten > got.Memory.Length || !rows.Add(strip.data(), got.BytesWritten, got.BytesPerRow, got.Rows))
      return false;
    if (result == TWRC_XFERDONE) return rows.complete();
    if (got.Rows == 0) return false;  // a source that sends nothing would never end
  }
}

bool TwainConnection::MemoryTransfers() {
  for (int image = 0; image < kMaxImagesPerScan; ++image) {
    ImageInfo info{};
    SetupMemXfer setup{};
    const bool described = Call(&source_, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) == TWRC_SUCCESS &&
                           Call(&source_, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) == TWRC_SUCCESS;
    const std::optional<MemoryTransferPlan> plan =
        described ? PlanMemoryTransfer(info.ImageWidth, info.ImageLength, info.BitsPerPixel, setup.Preferred)
                  : std::nullopt;
    std::vector<uint8_t> strip;
    std::optional<ScanRowGatherer> rows;
    try {
      if (plan) {
        strip.resize(setup.Preferred);
        rows.emplace(info.ImageWidth, info.ImageLength, info.BitsPerPixel);
      }
    } catch (const std::bad_alloc&) {
      strip.clear();
    }
    if (strip.empty() || !rows || !rows->ok()) {
      // This image cannot be taken; the scan ends here, and with images
      // still pending it is abandoned.
      return EndTransfer() == uint16_t{0};
    }
    const ScanImage shape = ShapeOf(info);
    const std::vector<uint8_t> colours = ColoursOf(shape.type);
    if (MemoryStrips(strip, *rows)) {
      const std::vector<uint8_t>& gathered = rows->rows();
      if (std::optional<std::vector<uint8_t>> dib = AssembleScanDib(shape, colours, gathered.data(), gathered.size())) {
        if (HGLOBAL block = GlobalCopy(*dib)) SendImage(block);
      }
    }
    const std::optional<uint16_t> pending = EndTransfer();
    if (!pending) return false;
    if (*pending == 0) return true;
  }
  return false;
}

void TwainConnection::SendImage(HGLOBAL dib) {
  ScanNotify notify{{owner_, static_cast<UINT_PTR>(notifyId_), ZV_SCAN_IMAGE}, dib};
  if (owner_ == nullptr || !IsWindow(owner_)) {
    GlobalFree(dib);
    return;
  }
  SendMessageA(owner_, WM_NOTIFY, notifyId_, reinterpret_cast<LPARAM>(&notify));
}

void TwainConnection::SendEnded() {
  NMHDR ended{owner_, static_cast<UINT_PTR>(notifyId_), ZV_SCAN_ENDED};
  if (owner_ != nullptr) SendMessageA(owner_, WM_NOTIFY, notifyId_, reinterpret_cast<LPARAM>(&ended));
}

}  // namespace zv
