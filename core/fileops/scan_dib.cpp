#include "core/fileops/scan_dib.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace zv {

namespace {

constexpr int64_t kMaxSide = std::numeric_limits<int32_t>::max();

bool BitsAllowed(int64_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32 || bits == 48 || bits == 64;
}

uint32_t Read32(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24; }
uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// What a packed DIB's header says, checked against the bytes that follow it.
struct DibLayout {
  uint32_t headerBytes = 0;
  uint32_t colours = 0;
  uint64_t imageBytes = 0;
  uint64_t pixelsOffset() const { return uint64_t{headerBytes} + uint64_t{colours} * 4; }
};

std::optional<DibLayout> ReadDibLayout(const uint8_t* header, size_t available) {
  if (available < kDibHeaderSize) return std::nullopt;
  DibLayout layout;
  layout.headerBytes = Read32(header);
  if (layout.headerBytes < kDibHeaderSize || layout.headerBytes > available) return std::nullopt;
  const int32_t width = static_cast<int32_t>(Read32(header + 4));
  const int32_t height = static_cast<int32_t>(Read32(header + 8));
  const uint16_t bits = Read16(header + 14);
  const uint32_t compression = Read32(header + 16);
  const uint32_t used = Read32(header + 32);
  if (compression != 0 || !BitsAllowed(bits) || height == std::numeric_limits<int32_t>::min()) return std::nullopt;
  if (used > 256 || (bits <= 8 && used > (1u << bits))) return std::nullopt;
  layout.colours = used != 0 ? used : bits <= 8 ? (1u << bits) : 0;
  const std::optional<uint64_t> image = DibImageBytes(width, height < 0 ? -int64_t{height} : height, bits);
  if (!image) return std::nullopt;
  layout.imageBytes = *image;
  return layout;
}

}  // namespace

std::optional<uint64_t> DibRowBytes(int64_t width, int64_t bits) {
  if (width <= 0 || width > kMaxSide || !BitsAllowed(bits)) return std::nullopt;
  return (static_cast<uint64_t>(width) * static_cast<uint64_t>(bits) + 31) / 32 * 4;
}

std::optional<uint64_t> DibImageBytes(int64_t width, int64_t height, int64_t bits) {
  const std::optional<uint64_t> row = DibRowBytes(width, bits);
  if (!row || height <= 0 || height > kMaxSide) return std::nullopt;
  if (*row > kMaxScanBytes / static_cast<uint64_t>(height)) return std::nullopt;
  return *row * static_cast<uint64_t>(height);
}

std::optional<MemoryTransferPlan> PlanMemoryTransfer(int64_t width, int64_t height, int64_t bits,
                                                     uint64_t preferredBuffer) {
  const std::optional<uint64_t> image = DibImageBytes(width, height, bits);
  if (!image || preferredBuffer == 0 || preferredBuffer > kMaxScanBytes) return std::nullopt;
  MemoryTransferPlan plan;
  plan.imageBytes = *image;
  plan.bufferBytes = preferredBuffer * (*image / preferredBuffer + 1);  // both below 2^30: no overflow
  plan.dibBytes = plan.bufferBytes + kDibHeaderSize + kDibPaletteSpace;
  return plan;
}

bool TransferCursor::Advance(uint64_t bytesWritten) {
  if (bytesWritten > capacity_ - position_) return false;
  position_ += bytesWritten;
  return true;
}

std::vector<uint8_t> ScanColourTable(ScanPixelType type, const std::vector<PaletteEntry>* sourcePalette) {
  std::vector<uint8_t> table;
  table.reserve(kDibPaletteSpace);
  auto add = [&](uint8_t red, uint8_t green, uint8_t blue) {
    table.push_back(blue);
    table.push_back(green);
    table.push_back(red);
    table.push_back(0);
  };
  switch (type) {
    case ScanPixelType::kBlackWhite:
      add(255, 255, 255);
      add(0, 0, 0);
      return table;
    case ScanPixelType::kRgb: return table;
    case ScanPixelType::kOther:
      if (sourcePalette != nullptr) {
        const size_t count = std::min<size_t>(sourcePalette->size(), 256);
        for (size_t i = 0; i < count; ++i) add((*sourcePalette)[i].red, (*sourcePalette)[i].green, (*sourcePalette)[i].blue);
        return table;
      }
      [[fallthrough]];
    case ScanPixelType::kGray:
    default:
      for (int i = 0; i < 256; ++i) add(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i));
      return table;
  }
}

int32_t PixelsPerMetre(int units, int32_t whole, uint16_t fraction) {
  const double value = whole + fraction / 65536.0;
  double perMetre = 0;
  if (units == 0) perMetre = value * 10000 / 254;
  if (units == 1) perMetre = value * 100;
  if (!(perMetre > 0) || perMetre > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(perMetre);
}

ScanRowGatherer::ScanRowGatherer(int64_t width, int64_t height, int64_t bits) {
  const std::optional<uint64_t> row = DibRowBytes(width, bits);
  const std::optional<uint64_t> total = DibImageBytes(width, height, bits);
  if (!row || !total) return;
  dataBytes_ = (static_cast<uint64_t>(width) * static_cast<uint64_t>(bits) + 7) / 8;
  rowBytes_ = *row;
  height_ = static_cast<uint64_t>(height);
  try {
    rows_.assign(static_cast<size_t>(*total), 0);
  } catch (const std::bad_alloc&) {
    rows_.clear();
  }
}

bool ScanRowGatherer::Add(const uint8_t* strip, uint64_t written, uint64_t bytesPerRow, uint64_t rows) {
  if (!ok() || strip == nullptr || bytesPerRow < dataBytes_ || rows > height_ - filled_) return false;
  if (rows == 0) return true;
  // The last row need not be padded; the others are bytesPerRow apart.
  if (written < dataBytes_ || (rows - 1) > (written - dataBytes_) / bytesPerRow) return false;
  for (uint64_t r = 0; r < rows; ++r)
    std::memcpy(rows_.data() + (filled_ + r) * rowBytes_, strip + r * bytesPerRow, static_cast<size_t>(dataBytes_));
  filled_ += rows;
  return true;
}

std::optional<std::vector<uint8_t>> AssembleScanDib(const ScanImage& image, const std::vector<uint8_t>& colours,
                                                    const uint8_t* rows, uint64_t rowBytesAvailable) {
  const std::optional<uint64_t> row = DibRowBytes(image.width, image.bits);
  const std::optional<uint64_t> total = DibImageBytes(image.width, image.height, image.bits);
  if (!row || !total || rows == nullptr || rowBytesAvailable < *total || colours.size() > kDibPaletteSpace ||
      colours.size() % 4 != 0)
    return std::nullopt;
  std::vector<uint8_t> dib(kDibHeaderSize + colours.size() + *total, 0);
  uint8_t* h = dib.data();
  Put32(h, kDibHeaderSize);
  Put32(h + 4, static_cast<uint32_t>(image.width));
  Put32(h + 8, static_cast<uint32_t>(image.height));
  Put16(h + 12, 1);
  Put16(h + 14, static_cast<uint16_t>(image.bits));
  Put32(h + 20, static_cast<uint32_t>(*total));
  Put32(h + 24, static_cast<uint32_t>(image.xPelsPerMetre));
  Put32(h + 28, static_cast<uint32_t>(image.yPelsPerMetre));
  Put32(h + 32, static_cast<uint32_t>(colours.size() / 4));
  std::copy(colours.begin(), colours.end(), dib.begin() + kDibHeaderSize);
  uint8_t* pixels = dib.data() + kDibHeaderSize + colours.size();
  const size_t rowSize = static_cast<size_t>(*row);
  const bool swap = image.type == ScanPixelType::kRgb && (image.bits == 24 || image.bits == 32);
  const size_t step = static_cast<size_t>(image.bits) / 8;
  for (int32_t y = 0; y < image.height; ++y) {
    uint8_t* out = pixels + static_cast<size_t>(image.height - 1 - y) * rowSize;  // the first row is the last
    std::memcpy(out, rows + static_cast<size_t>(y) * rowSize, rowSize);
    if (swap)
      for (size_t x = 0; x + 2 < rowSize && x / step < static_cast<size_t>(image.width); x += step)
        std::swap(out[x], out[x + 2]);
  }
  return dib;
}

std::optional<std::vector<uint8_t>> DibFromBmpFile(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kBmpFileHeaderSize + kDibHeaderSize || data[0] != 'B' || data[1] != 'M')
    return std::nullopt;
  const uint8_t* header = data + kBmpFileHeaderSize;
  const size_t available = size - kBmpFileHeaderSize;
  const std::optional<DibLayout> layout = ReadDibLayout(header, available);
  if (!layout || layout->pixelsOffset() > available) return std::nullopt;
  // The rows start where the file header says, at or after the colour table.
  const uint64_t offset = Read32(data + 10);
  if (offset < kBmpFileHeaderSize + layout->pixelsOffset() || offset > size || size - offset < layout->imageBytes)
    return std::nullopt;
  std::vector<uint8_t> dib(header, header + layout->pixelsOffset());
  dib.insert(dib.end(), data + offset, data + offset + layout->imageBytes);
  return dib;
}

std::optional<std::vector<uint8_t>> BmpFileFromDib(const uint8_t* dib, size_t size) {
  if (dib == nullptr) return std::nullopt;
  const std::optional<DibLayout> layout = ReadDibLayout(dib, size);
  if (!layout) return std::nullopt;
  const uint64_t dibBytes = layout->pixelsOffset() + layout->imageBytes;
  if (dibBytes > size) return std::nullopt;
  std::vector<uint8_t> file(kBmpFileHeaderSize, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file.data() + 2, static_cast<uint32_t>(kBmpFileHeaderSize + dibBytes));
  Put32(file.data() + 10, static_cast<uint32_t>(kBmpFileHeaderSize + layout->pixelsOffset()));
  file.insert(file.end(), dib, dib + dibBytes);
  return file;
}

}  // namespace zv
