#pragma once
// Reading an image file's size and bit depth from its headers, without
// decoding a pixel: PNG (IHDR), BMP (every Windows and OS/2 header version),
// JPEG (the first SOFn frame header, behind any APPn/COM segments and the
// bytes a decoder skips before a marker) and TIFF (both byte orders and
// BigTIFF, first IFD). The parsers also judge whether the Windows decoder
// (WIC) reads what the headers describe, so that a file it cannot read is
// turned away before anything is decoded.
#include <cstddef>
#include <cstdint>

#include "core/imagelib/byte_source.h"

namespace zv {

// Numbered as the image type codes of the file list (PNG < TIFF < BMP < JPEG).
enum class ImageFormat : int16_t { kNone = -1, kPng = 0, kTiff = 1, kBmp = 2, kJpeg = 3 };

struct ImageHeader {
  ImageFormat format = ImageFormat::kNone;
  int32_t width = 0;   // always 1 .. INT32_MAX after a successful parse
  int32_t height = 0;  // the same; a top-down BMP gives its height as positive
  int bitsPerPixel = 0;
  // The format's own code: BMP biCompression, TIFF tag 259, JPEG the n of
  // SOFn, PNG the interlace method.
  uint32_t compression = 0;
  bool topDown = false;        // BMP rows stored first row first
  bool progressive = false;    // PNG Adam7, JPEG SOF2/SOF6/SOF10/SOF14
  bool morePages = false;      // TIFF: a second IFD follows
  bool decoderCanRead = true;  // false: the layout or compression is one WIC cannot decode
};

// Each returns false when the data is not of that format or its headers are
// malformed (zero or negative size, impossible depth, truncated header).
bool ParsePngHeader(ByteSource& source, ImageHeader* header);
bool ParseBmpHeader(ByteSource& source, ImageHeader* header);
bool ParseJpegHeader(ByteSource& source, ImageHeader* header);
bool ParseTiffHeader(ByteSource& source, ImageHeader* header);

// Tries the four formats by their signatures.
bool ParseImageHeader(ByteSource& source, ImageHeader* header);
// Opens `path` (bytes as given) and parses it; false when it cannot be opened.
bool ProbeImageFile(const char* path, ImageHeader* header);

// The information record filled by the library's file-type query (1064
// bytes). The program reads the bit depth as a signed 16-bit value at 0, the
// width at 12, the height at 16 (32-bit), and rejects a TIFF whose 16-bit
// value at 28 is kDecoderCannotRead. All values are little-endian.
namespace file_info {
constexpr size_t kSize = 1064;
constexpr size_t kBits = 0;          // int16
constexpr size_t kFormat = 2;        // int16, ImageFormat
constexpr size_t kFlags = 4;         // uint32, kFlag* below
constexpr size_t kWidth = 12;        // int32
constexpr size_t kHeight = 16;       // int32
constexpr size_t kCompression = 20;  // uint32, ImageHeader::compression
constexpr size_t kDecoderSupport = 28;  // int16: 0, or kDecoderCannotRead
constexpr int16_t kDecoderCannotRead = 14;
constexpr uint32_t kFlagTopDown = 1, kFlagProgressive = 2, kFlagMorePages = 4;
}  // namespace file_info

// Zeroes the record (file_info::kSize bytes) and stores the header in it.
void StoreFileInfoRecord(const ImageHeader& header, uint8_t* record);

// Little-endian field access for the records of the image library.
void StoreRecordInt16(uint8_t* record, size_t offset, int16_t value);
void StoreRecordInt32(uint8_t* record, size_t offset, int32_t value);
int16_t RecordInt16(const uint8_t* record, size_t offset);
int32_t RecordInt32(const uint8_t* record, size_t offset);

}  // namespace zv
