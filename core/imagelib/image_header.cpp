#include "core/imagelib/image_header.h"

#include <climits>
#include <cstring>
#include <vector>

namespace zv {
namespace {

bool SizeIsValid(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= INT32_MAX && height <= INT32_MAX;
}

// ---- PNG -------------------------------------------------------------------

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

int PngChannels(uint8_t colorType, uint8_t depth) {
  switch (colorType) {
    case 0:  // grey
      return (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16) ? 1 : 0;
    case 3:  // palette
      return (depth == 1 || depth == 2 || depth == 4 || depth == 8) ? 1 : 0;
    case 2:  // RGB
      return (depth == 8 || depth == 16) ? 3 : 0;
    case 4:  // grey + alpha
      return (depth == 8 || depth == 16) ? 2 : 0;
    case 6:  // RGBA
      return (depth == 8 || depth == 16) ? 4 : 0;
    default:
      return 0;
  }
}

// ---- BMP -------------------------------------------------------------------

enum : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiJpeg = 4, kBiPng = 5 };

bool BmpInfoSizeIsKnown(uint32_t size) {
  // 12: BITMAPCOREHEADER / OS/2 1.x; 16..64: OS/2 2.x (which may be cut short
  // after any field) and BITMAPINFOHEADER (40), V2 (52), V3 (56);
  // 108: V4; 124: V5.
  return size == 12 || (size >= 16 && size <= 64) || size == 108 || size == 124;
}

bool IsOs2InfoSize(uint32_t size) { return size >= 16 && size <= 64 && size != 40 && size != 52 && size != 56; }

// ---- TIFF ------------------------------------------------------------------

enum : uint16_t {
  kTagImageWidth = 256,
  kTagImageLength = 257,
  kTagBitsPerSample = 258,
  kTagCompression = 259,
  kTagPhotometric = 262,
  kTagSamplesPerPixel = 277,
  kTagPlanarConfig = 284,
  kTagPredictor = 317,
  kTagSampleFormat = 339,
};

class TiffReader {
 public:
  TiffReader(ByteSource& source, bool bigEndian, bool bigTiff)
      : source_(source), bigEndian_(bigEndian), bigTiff_(bigTiff) {}

  uint16_t U16(const uint8_t* p) const { return bigEndian_ ? Be16(p) : Le16(p); }
  uint32_t U32(const uint8_t* p) const { return bigEndian_ ? Be32(p) : Le32(p); }
  uint64_t U64(const uint8_t* p) const { return bigEndian_ ? Be64(p) : Le64(p); }
  size_t EntrySize() const { return bigTiff_ ? 20 : 12; }

  // Value `index` of an integer entry (BYTE, SHORT, LONG, LONG8), inline or
  // at its offset; false for other types or an index past the count.
  bool Value(const uint8_t* entry, uint64_t index, uint64_t* value) {
    const uint16_t type = U16(entry + 2);
    const uint64_t count = bigTiff_ ? U64(entry + 4) : U32(entry + 4);
    if (index >= count) return false;
    size_t width;
    switch (type) {
      case 1: width = 1; break;   // BYTE
      case 3: width = 2; break;   // SHORT
      case 4: width = 4; break;   // LONG
      case 16: width = 8; break;  // LONG8
      default: return false;
    }
    const size_t inlineSpace = bigTiff_ ? 8 : 4;
    const uint8_t* field = entry + (bigTiff_ ? 12 : 8);
    uint8_t bytes[8];
    if (count <= inlineSpace / width) {
      std::memcpy(bytes, field + index * width, width);
    } else {
      const uint64_t offset = bigTiff_ ? U64(field) : U32(field);
      if (!source_.ReadExact(offset + index * width, bytes, width)) return false;
    }
    switch (width) {
      case 1: *value = bytes[0]; break;
      case 2: *value = U16(bytes); break;
      case 4: *value = U32(bytes); break;
      default: *value = U64(bytes); break;
    }
    return true;
  }

  uint64_t Count(const uint8_t* entry) const { return bigTiff_ ? U64(entry + 4) : U32(entry + 4); }

 private:
  ByteSource& source_;
  bool bigEndian_;
  bool bigTiff_;
};

// What a TIFF's first directory says of its pixels (TIFF 6.0 tag values).
struct TiffLayout {
  uint32_t compression = 1;
  uint32_t photometric = 0;
  uint32_t planar = 1;
  uint32_t predictor = 1;
  uint32_t sampleFormat = 1;
  uint32_t bitsPerSample = 1;  // of the first sample
  uint32_t samples = 1;
  bool bitsDiffer = false;     // the samples are not all of one size
};

// Which TIFF images the Windows TIFF decoder reads, as Microsoft documents
// that codec (docs/imagelib.md has the table, with the source of each row):
//  [Codec]   "TIFF Format Overview" (learn.microsoft.com/windows/win32/wic/
//            tiff-format-overview): the codec supports "TIFF Specification
//            6.0", so its file structure (both byte orders, strips, tiles,
//            planar configuration 1 and 2, the horizontal predictor 2) and
//            the Baseline compressions every 6.0 reader reads: none (1),
//            CCITT modified Huffman (2, bilevel) and PackBits (32773);
//  [Options] "WICTiffCompressionOption" (.../api/wincodec/
//            ne-wincodec-wictiffcompressionoption): the codec's own
//            compressions CCITT3 (3) and CCITT4 (4) for 1 bpp, LZW (5), LZW
//            with horizontal differencing, and ZIP (Deflate: 8, and its
//            older code 32946);
//  [Formats] "Native Pixel Formats Overview", TIFF Native Codec (.../wic/
//            -wic-codec-native-pixel-formats): the decoder's pixel formats.
//            A layout is read when one of them holds it as stored:
//            BlackWhite, 4/8/16bppGray, 32bppGrayFloat; 1/4/8bppIndexed;
//            24bppBGR, 32bppBGRA/PBGRA, 48bppRGB, 64bppRGBA/PRGBA,
//            128bppRGBA(P)Float; 32/64bppCMYK, 40/80bppCMYKAlpha.
// The same page says data stored in another layout is "converted to a
// supported format" without saying which layouts; that is too vague to
// promise a picture, so these are not read: 2- and 12-bit samples, signed
// integers, grey with alpha, YCbCr, CIE L*a*b*. Nor is what no page names:
// JPEG (6 and 7), JPEG 2000, LZMA, ZSTD, WebP, the floating-point predictor
// (3), BigTIFF, and 96-bit float RGB (Windows 8 and the Windows 7 platform
// update only). Wine's decoder reads less than this (docs/imagelib.md).
bool WicReadsTiff(const TiffLayout& t) {
  const bool bilevel = (t.photometric == 0 || t.photometric == 1) && t.samples == 1 && t.bitsPerSample == 1;
  switch (t.compression) {
    case 1: case 5: case 8: case 32946: case 32773: break;
    case 2: case 3: case 4:  // the CCITT codings are defined for bilevel images only
      if (!bilevel) return false;
      break;
    default: return false;
  }
  if (t.planar != 1 && t.planar != 2) return false;
  if (t.predictor != 1 && t.predictor != 2) return false;
  if (t.bitsDiffer) return false;
  const bool integer = t.sampleFormat == 1, real = t.sampleFormat == 3;
  const uint32_t bits = t.bitsPerSample, samples = t.samples;
  switch (t.photometric) {
    case 0: case 1:  // grey, white or black is zero
      if (samples != 1) return false;
      return integer ? bits == 1 || bits == 4 || bits == 8 || bits == 16 : real && bits == 32;
    case 2:  // RGB, RGBA
      if (integer) return (samples == 3 || samples == 4) && (bits == 8 || bits == 16);
      return real && samples == 4 && bits == 32;
    case 3:  // palette
      return integer && samples == 1 && (bits == 1 || bits == 4 || bits == 8);
    case 5:  // separated: CMYK, CMYK and alpha
      return integer && (samples == 4 || samples == 5) && (bits == 8 || bits == 16);
    default:
      return false;
  }
}

// Finds the next JPEG marker at or after *offset the way libjpeg's
// next_marker() does, so that every file a libjpeg-class decoder opens is
// read here too: bytes that are not 0xFF are skipped (junk after a segment,
// or the rest of one whose length field ends short), 0xFF fill bytes are
// skipped, and 0xFF 0x00 (a stuffed zero) is skipped as junk. Like the
// decoder's walk, it ends only at the end of the file. On success *marker
// is the marker's code and *offset the byte after it.
bool NextJpegMarker(ByteSource& source, uint64_t* offset, uint8_t* marker) {
  uint8_t block[4096];
  uint64_t at = *offset;  // the offset of block[0]
  size_t length = 0, i = 0;
  bool afterFF = false;  // the byte before block[i] was 0xFF
  for (;;) {
    if (i == length) {
      at += length;
      length = source.ReadAt(at, block, sizeof block);
      i = 0;
      if (length == 0) return false;
    }
    const uint8_t c = block[i++];
    if (afterFF && c != 0xFF && c != 0x00) {
      *marker = c;
      *offset = at + i;
      return true;
    }
    afterFF = c == 0xFF;
  }
}

}  // namespace

bool ParsePngHeader(ByteSource& source, ImageHeader* header) {
  uint8_t b[33];
  if (!source.ReadExact(0, b, sizeof b)) return false;
  if (std::memcmp(b, kPngSignature, 8) != 0) return false;
  if (Be32(b + 8) != 13 || std::memcmp(b + 12, "IHDR", 4) != 0) return false;
  const uint32_t width = Be32(b + 16), height = Be32(b + 20);
  const uint8_t depth = b[24], colorType = b[25], interlace = b[28];
  const int channels = PngChannels(colorType, depth);
  if (channels == 0 || !SizeIsValid(width, height)) return false;
  if (b[26] != 0 || b[27] != 0 || interlace > 1) return false;  // compression, filter method
  ImageHeader h;
  h.format = ImageFormat::kPng;
  h.width = static_cast<int32_t>(width);
  h.height = static_cast<int32_t>(height);
  h.bitsPerPixel = depth * channels;
  h.compression = interlace;
  h.progressive = interlace == 1;
  *header = h;
  return true;
}

bool ParseBmpHeader(ByteSource& source, ImageHeader* header) {
  uint64_t start = 0;
  uint8_t b[14 + 64];
  if (!source.ReadExact(0, b, 18)) return false;
  // An OS/2 bitmap array: its first 14-byte array header is followed by an
  // ordinary bitmap file header; the first bitmap of the array is the image.
  if (b[0] == 'B' && b[1] == 'A') {
    start = 14;
    if (!source.ReadExact(start, b, 18)) return false;
  }
  if (b[0] != 'B' || b[1] != 'M') return false;
  const uint32_t infoSize = Le32(b + 14);
  if (!BmpInfoSizeIsKnown(infoSize)) return false;
  const size_t have = infoSize < 64 ? infoSize : 64;
  if (!source.ReadExact(start + 14, b + 14, have)) return false;
  const uint8_t* info = b + 14;

  int64_t width, height;
  uint16_t planes, bits;
  uint32_t compression = kBiRgb;
  if (infoSize == 12) {
    width = Le16(info + 4);
    height = Le16(info + 6);
    planes = Le16(info + 8);
    bits = Le16(info + 10);
  } else {
    width = static_cast<int32_t>(Le32(info + 4));
    height = static_cast<int32_t>(Le32(info + 8));
    planes = Le16(info + 12);
    bits = Le16(info + 14);
    if (infoSize >= 20) compression = Le32(info + 16);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;  // INT32_MIN becomes 2^31 and fails the size test
  if (planes != 1 || !SizeIsValid(width, height)) return false;

  const bool os2 = IsOs2InfoSize(infoSize);
  bool canRead;
  switch (compression) {
    case kBiRgb:
      if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
      canRead = bits != 2;
      break;
    case kBiRle8:
      if (bits != 8) return false;
      canRead = !topDown;  // run-length bitmaps are bottom-up by definition
      break;
    case kBiRle4:
      if (bits != 4) return false;
      canRead = !topDown;
      break;
    case kBiBitfields:  // OS/2: Huffman 1D, 1 bit
      if (os2 ? bits != 1 : (bits != 16 && bits != 32)) return false;
      canRead = !os2;
      break;
    case kBiJpeg:  // OS/2: RLE24
    case kBiPng:
      if (bits != 0 && bits != 24) return false;
      canRead = false;
      break;
    default:
      return false;
  }
  ImageHeader h;
  h.format = ImageFormat::kBmp;
  h.width = static_cast<int32_t>(width);
  h.height = static_cast<int32_t>(height);
  h.bitsPerPixel = bits != 0 ? bits : 24;
  h.compression = compression;
  h.topDown = topDown;
  h.decoderCanRead = canRead;
  *header = h;
  return true;
}

bool ParseJpegHeader(ByteSource& source, ImageHeader* header) {
  uint8_t b[10];
  if (!source.ReadExact(0, b, 2) || b[0] != 0xFF || b[1] != 0xD8) return false;
  uint64_t offset = 2;
  for (;;) {
    uint8_t marker;
    if (!NextJpegMarker(source, &offset, &marker)) return false;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // TEM, RSTn, SOI: no length
    if (marker == 0xD9 || marker == 0xDA) return false;  // EOI or scan before any frame
    if (!source.ReadExact(offset, b, 2)) return false;
    const uint16_t length = Be16(b);
    if (length < 2) return false;
    const bool isFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (isFrame) {
      if (length < 8 || !source.ReadExact(offset + 2, b, 6)) return false;
      const uint8_t precision = b[0];
      const uint16_t height = Be16(b + 1), width = Be16(b + 3);
      const uint8_t components = b[5];
      // A height of 0 is given later by a DNL segment; we do not chase it.
      if (width == 0 || height == 0 || components == 0 || components > 4) return false;
      if (precision < 2 || precision > 16) return false;
      if (length < 8 + 3 * components) return false;
      ImageHeader h;
      h.format = ImageFormat::kJpeg;
      h.width = width;
      h.height = height;
      h.bitsPerPixel = precision * components;
      h.compression = marker - 0xC0u;
      h.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
      // Baseline, extended and progressive Huffman frames of 8-bit samples;
      // not lossless, hierarchical, arithmetic-coded or 12-bit frames.
      h.decoderCanRead = (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) && precision == 8 && components != 2;
      *header = h;
      return true;
    }
    offset += length;
  }
}

bool ParseTiffHeader(ByteSource& source, ImageHeader* header) {
  uint8_t b[16];
  if (!source.ReadExact(0, b, 8)) return false;
  bool bigEndian;
  if (b[0] == 'I' && b[1] == 'I') bigEndian = false;
  else if (b[0] == 'M' && b[1] == 'M') bigEndian = true;
  else return false;
  const uint16_t magic = bigEndian ? Be16(b + 2) : Le16(b + 2);
  const bool bigTiff = magic == 43;
  if (magic != 42 && !bigTiff) return false;
  TiffReader tiff(source, bigEndian, bigTiff);

  uint64_t ifdOffset;
  uint64_t entryCount;
  if (bigTiff) {
    if (!source.ReadExact(8, b + 8, 8) || tiff.U16(b + 4) != 8 || tiff.U16(b + 6) != 0) return false;
    ifdOffset = tiff.U64(b + 8);
    if (!source.ReadExact(ifdOffset, b, 8)) return false;
    entryCount = tiff.U64(b);
  } else {
    ifdOffset = tiff.U32(b + 4);
    if (!source.ReadExact(ifdOffset, b, 2)) return false;
    entryCount = tiff.U16(b);
  }
  // Real files have a few dozen entries; a count beyond this is damage.
  constexpr uint64_t kMaxEntries = 4096;
  if (entryCount == 0 || entryCount > kMaxEntries) return false;
  const size_t entrySize = tiff.EntrySize();
  const uint64_t entriesAt = ifdOffset + (bigTiff ? 8 : 2);
  const size_t entryBytes = static_cast<size_t>(entryCount) * entrySize;
  std::vector<uint8_t> entries(entryBytes + (bigTiff ? 8 : 4));
  if (!source.ReadExact(entriesAt, entries.data(), entryBytes)) return false;
  // The offset of the next IFD follows the entries; a file cut right after
  // them simply has no second page.
  const size_t nextBytes = bigTiff ? 8 : 4;
  bool morePages = false;
  if (source.ReadExact(entriesAt + entryBytes, entries.data() + entryBytes, nextBytes)) {
    morePages = (bigTiff ? tiff.U64(entries.data() + entryBytes) : tiff.U32(entries.data() + entryBytes)) != 0;
  }

  uint64_t width = 0, height = 0, compression = 1, photometric = UINT32_MAX, samples = 1, planar = 1,
           predictor = 1, sampleFormat = 1;
  uint64_t firstBits = 1;
  uint64_t totalBits = 0;
  bool haveBits = false, bitsDiffer = false;
  const uint8_t* bitsEntry = nullptr;
  for (uint64_t i = 0; i < entryCount; ++i) {
    const uint8_t* e = entries.data() + i * entrySize;
    uint64_t v = 0;
    switch (tiff.U16(e)) {
      case kTagImageWidth:
        if (!tiff.Value(e, 0, &width)) return false;
        break;
      case kTagImageLength:
        if (!tiff.Value(e, 0, &height)) return false;
        break;
      case kTagBitsPerSample:
        bitsEntry = e;
        break;
      case kTagCompression:
        if (tiff.Value(e, 0, &v)) compression = v;
        break;
      case kTagPhotometric:
        if (tiff.Value(e, 0, &v)) photometric = v;
        break;
      case kTagSamplesPerPixel:
        if (!tiff.Value(e, 0, &samples)) return false;
        break;
      case kTagPlanarConfig:
        if (tiff.Value(e, 0, &v)) planar = v;
        break;
      case kTagPredictor:
        if (tiff.Value(e, 0, &v)) predictor = v;
        break;
      case kTagSampleFormat:
        if (tiff.Value(e, 0, &v)) sampleFormat = v;
        break;
      default:
        break;
    }
  }
  if (!SizeIsValid(static_cast<int64_t>(width > INT32_MAX ? 0 : width), static_cast<int64_t>(height > INT32_MAX ? 0 : height)))
    return false;
  if (samples == 0 || samples > 16) return false;
  if (bitsEntry != nullptr) {
    // One value per sample; writers that give one value for all are common.
    const uint64_t count = tiff.Count(bitsEntry);
    for (uint64_t s = 0; s < samples; ++s) {
      uint64_t v = 0;
      if (s < count) {
        if (!tiff.Value(bitsEntry, s, &v)) return false;
      } else {
        v = firstBits;
      }
      if (v == 0 || v > 64) return false;
      if (!haveBits) firstBits = v;
      else if (v != firstBits) bitsDiffer = true;
      haveBits = true;
      totalBits += v;
    }
  } else {
    totalBits = samples;  // the default is 1 bit per sample
  }
  if (totalBits > 1024) return false;

  ImageHeader h;
  h.format = ImageFormat::kTiff;
  h.width = static_cast<int32_t>(width);
  h.height = static_cast<int32_t>(height);
  h.bitsPerPixel = static_cast<int>(totalBits);
  h.compression = static_cast<uint32_t>(compression > UINT32_MAX ? UINT32_MAX : compression);
  h.morePages = morePages;
  // Values past 32 bits are no value the rule takes; they stay unreadable.
  const auto small = [](uint64_t v) { return static_cast<uint32_t>(v > UINT32_MAX ? UINT32_MAX : v); };
  TiffLayout layout;
  layout.compression = h.compression;
  layout.photometric = small(photometric);
  layout.planar = small(planar);
  layout.predictor = small(predictor);
  layout.sampleFormat = small(sampleFormat);
  layout.bitsPerSample = small(firstBits);
  layout.samples = small(samples);
  layout.bitsDiffer = bitsDiffer;
  h.decoderCanRead = !bigTiff && photometric < UINT32_MAX && WicReadsTiff(layout);
  *header = h;
  return true;
}

bool ParseImageHeader(ByteSource& source, ImageHeader* header) {
  uint8_t b[2];
  if (!source.ReadExact(0, b, 2)) return false;
  switch (b[0]) {
    case 0x89: return ParsePngHeader(source, header);
    case 'B': return ParseBmpHeader(source, header);
    case 0xFF: return ParseJpegHeader(source, header);
    case 'I': case 'M': return ParseTiffHeader(source, header);
    default: return false;
  }
}

bool ProbeImageFile(const char* path, ImageHeader* header) {
  FileByteSource file(path);
  if (!file.IsOpen()) return false;
  HeadKeepingSource source(file);
  return ParseImageHeader(source, header);
}

void StoreRecordInt16(uint8_t* record, size_t offset, int16_t value) {
  const auto v = static_cast<uint16_t>(value);
  record[offset] = static_cast<uint8_t>(v);
  record[offset + 1] = static_cast<uint8_t>(v >> 8);
}

void StoreRecordInt32(uint8_t* record, size_t offset, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

int16_t RecordInt16(const uint8_t* record, size_t offset) { return static_cast<int16_t>(Le16(record + offset)); }
int32_t RecordInt32(const uint8_t* record, size_t offset) { return static_cast<int32_t>(Le32(record + offset)); }

void StoreFileInfoRecord(const ImageHeader& header, uint8_t* record) {
  std::memset(record, 0, file_info::kSize);
  StoreRecordInt16(record, file_info::kBits, static_cast<int16_t>(header.bitsPerPixel));
  StoreRecordInt16(record, file_info::kFormat, static_cast<int16_t>(header.format));
  uint32_t flags = 0;
  if (header.topDown) flags |= file_info::kFlagTopDown;
  if (header.progressive) flags |= file_info::kFlagProgressive;
  if (header.morePages) flags |= file_info::kFlagMorePages;
  StoreRecordInt32(record, file_info::kFlags, static_cast<int32_t>(flags));
  StoreRecordInt32(record, file_info::kWidth, header.width);
  StoreRecordInt32(record, file_info::kHeight, header.height);
  StoreRecordInt32(record, file_info::kCompression, static_cast<int32_t>(header.compression));
  StoreRecordInt16(record, file_info::kDecoderSupport, header.decoderCanRead ? 0 : file_info::kDecoderCannotRead);
}

}  // namespace zv
