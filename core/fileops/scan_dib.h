#pragma once
// The packed device-independent bitmaps a scanner delivers, and the sizes
// they are built from. Everything a scanner driver reports is untrusted:
// sizes are computed with checked arithmetic and refused when they would
// not fit, so that no transfer can overrun its buffers.
//
// A packed DIB here is a 40-byte BITMAPINFOHEADER, its colour table, then
// the rows bottom-up, each padded to 4 bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zv {

inline constexpr size_t kDibHeaderSize = 40;
inline constexpr size_t kDibPaletteSpace = 256 * 4;  // room reserved for any colour table
inline constexpr size_t kBmpFileHeaderSize = 14;
// The largest picture a scan may bring: a 32-bit process must still hold it
// (twice, while it is converted).
inline constexpr uint64_t kMaxScanBytes = uint64_t{512} << 20;

// Bytes of one row of `width` pixels of `bits` each, padded to 4 bytes.
std::optional<uint64_t> DibRowBytes(int64_t width, int64_t bits);
// Rows x row bytes; nothing past kMaxScanBytes or for a size <= 0.
std::optional<uint64_t> DibImageBytes(int64_t width, int64_t height, int64_t bits);

// The buffers of a memory transfer: the image's bytes, the transfer buffer
// (the smallest multiple of the preferred size above them) and the DIB
// block (the buffer and room for the header and any colour table).
struct MemoryTransferPlan {
  uint64_t imageBytes = 0;
  uint64_t bufferBytes = 0;
  uint64_t dibBytes = 0;
};
// Nothing for a preferred size of 0, a size the DIB could not hold, or bits
// per pixel other than 1, 4, 8, 16, 24, 32, 48 or 64.
std::optional<MemoryTransferPlan> PlanMemoryTransfer(int64_t width, int64_t height, int64_t bits,
                                                     uint64_t preferredBuffer);

// The rows of a memory transfer, gathered strip by strip into rows padded
// to 4 bytes as the DIB wants them, whatever row length (BytesPerRow) the
// source sends: a source may send rows without padding (an odd width at 8
// or 24 bits). Every size the source reports is checked before a byte is
// copied.
class ScanRowGatherer {
 public:
  // Not ok() for sizes DibImageBytes refuses or when memory runs short.
  ScanRowGatherer(int64_t width, int64_t height, int64_t bits);
  bool ok() const { return !rows_.empty(); }
  // A strip of `rows` rows, each `bytesPerRow` bytes after the one before,
  // in `written` bytes. False, with nothing taken, when a row is shorter
  // than the picture's row data, the strip holds fewer bytes than its rows,
  // or it goes past the last row.
  bool Add(const uint8_t* strip, uint64_t written, uint64_t bytesPerRow, uint64_t rows);
  bool complete() const { return ok() && filled_ == height_; }
  // The padded rows, top down as the source sent them.
  const std::vector<uint8_t>& rows() const { return rows_; }

 private:
  uint64_t dataBytes_ = 0;  // of one row's pixels, unpadded
  uint64_t rowBytes_ = 0;   // padded to 4 bytes
  uint64_t height_ = 0;
  uint64_t filled_ = 0;
  std::vector<uint8_t> rows_;
};

// Where the next strip of a memory transfer goes; refuses a strip that
// would end past the buffer.
class TransferCursor {
 public:
  explicit TransferCursor(uint64_t bufferBytes) : capacity_(bufferBytes) {}
  // True, and the position advanced, when `bytesWritten` fits the rest.
  bool Advance(uint64_t bytesWritten);
  uint64_t position() const { return position_; }
  uint64_t capacity() const { return capacity_; }

 private:
  uint64_t capacity_;
  uint64_t position_ = 0;
};

// The scanner's pixel types that decide the colour table.
enum class ScanPixelType { kBlackWhite = 0, kGray = 1, kRgb = 2, kOther = 3 };

// The colour table as B, G, R, 0 quads: black and white (0 white, 1 black),
// a 256-step grey ramp, none for RGB, else the source's palette (red,
// green, blue per entry, at most 256 entries) or, without one, the grey ramp.
struct PaletteEntry {
  uint8_t red, green, blue;
};
std::vector<uint8_t> ScanColourTable(ScanPixelType type, const std::vector<PaletteEntry>* sourcePalette);

// Pixels per metre from a resolution (whole part and 1/65536ths) in the
// scanner's units: 0 inches, 1 centimetres, else 0.
int32_t PixelsPerMetre(int units, int32_t whole, uint16_t fraction);

struct ScanImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 0;
  ScanPixelType type = ScanPixelType::kRgb;
  int32_t xPelsPerMetre = 0;
  int32_t yPelsPerMetre = 0;
};
// The packed DIB of a memory transfer: header, colour table, and the
// transferred rows (top-down, as the scanner sends them) in reverse order,
// RGB turned into BGR for 24 and 32-bit RGB. Nothing when `rows` holds less
// than the image or the sizes do not fit.
std::optional<std::vector<uint8_t>> AssembleScanDib(const ScanImage& image, const std::vector<uint8_t>& colours,
                                                    const uint8_t* rows, uint64_t rowBytesAvailable);

// A scanner's file transfer ("tempfile.bin", a BMP file): the packed DIB
// after its 14-byte file header. Nothing unless the file is a BMP whose
// 40-byte (or longer) header, colour table and rows all lie inside it.
std::optional<std::vector<uint8_t>> DibFromBmpFile(const uint8_t* data, size_t size);

// The BMP file of a packed DIB: the 14-byte file header (colours from the
// header's count, or 2, 16, 256 for 1, 4, 8 bits; the pixels after them)
// and then the DIB. Nothing when the DIB block is shorter than its header
// says.
std::optional<std::vector<uint8_t>> BmpFileFromDib(const uint8_t* dib, size_t size);

}  // namespace zv
