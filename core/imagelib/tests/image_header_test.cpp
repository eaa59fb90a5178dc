#include "core/imagelib/image_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/imagelib/byte_source.h"

namespace zv {
namespace {

using Bytes = std::vector<uint8_t>;

void PutBe16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v >> 8)); b.push_back(uint8_t(v)); }
void PutBe32(Bytes& b, uint32_t v) { PutBe16(b, v >> 16); PutBe16(b, v & 0xFFFF); }
void PutLe16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
void PutLe32(Bytes& b, uint32_t v) { PutLe16(b, v & 0xFFFF); PutLe16(b, v >> 16); }

bool Parse(const Bytes& b, ImageHeader* h) {
  MemoryByteSource source(b.data(), b.size());
  return ParseImageHeader(source, h);
}

// Every proper prefix of a valid header must be refused (and must not be
// read past: the sanitizers watch the MemoryByteSource).
void ExpectPrefixesRefused(const Bytes& full, size_t needed, const char* what) {
  for (size_t n = 0; n < needed; ++n) {
    Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    ImageHeader h;
    EXPECT_FALSE(Parse(cut, &h)) << what << " cut to " << n << " bytes";
  }
}

// ---- PNG ----

Bytes Png(uint32_t w, uint32_t h, uint8_t depth, uint8_t colorType, uint8_t interlace = 0) {
  Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  PutBe32(b, 13);
  b.insert(b.end(), {'I', 'H', 'D', 'R'});
  PutBe32(b, w);
  PutBe32(b, h);
  b.insert(b.end(), {depth, colorType, 0, 0, interlace});
  PutBe32(b, 0);  // CRC: the header reader does not judge it
  return b;
}

TEST(PngHeader, BitsPerPixelIsDepthTimesChannelsForEveryLegalCombination) {
  struct Case { uint8_t type, depth; int bits; } cases[] = {
      {0, 1, 1}, {0, 2, 2}, {0, 4, 4}, {0, 8, 8}, {0, 16, 16}, {3, 1, 1}, {3, 2, 2}, {3, 4, 4}, {3, 8, 8},
      {2, 8, 24}, {2, 16, 48}, {4, 8, 16}, {4, 16, 32}, {6, 8, 32}, {6, 16, 64}};
  for (const Case& c : cases) {
    ImageHeader h;
    ASSERT_TRUE(Parse(Png(640, 480, c.depth, c.type), &h)) << int(c.type) << "/" << int(c.depth);
    EXPECT_EQ(h.format, ImageFormat::kPng);
    EXPECT_EQ(h.width, 640);
    EXPECT_EQ(h.height, 480);
    EXPECT_EQ(h.bitsPerPixel, c.bits) << "colour type " << int(c.type) << " depth " << int(c.depth);
    EXPECT_TRUE(h.decoderCanRead);
  }
}

TEST(PngHeader, RefusesImpossibleHeaders) {
  ImageHeader h;
  EXPECT_FALSE(Parse(Png(10, 10, 16, 3), &h)) << "16-bit palette";
  EXPECT_FALSE(Parse(Png(10, 10, 4, 2), &h)) << "4-bit RGB";
  EXPECT_FALSE(Parse(Png(10, 10, 8, 5), &h)) << "colour type 5";
  EXPECT_FALSE(Parse(Png(10, 10, 8, 2, 2), &h)) << "interlace method 2";
  EXPECT_FALSE(Parse(Png(0, 10, 8, 2), &h)) << "zero width";
  EXPECT_FALSE(Parse(Png(10, 0, 8, 2), &h)) << "zero height";
  EXPECT_FALSE(Parse(Png(0x80000000u, 10, 8, 2), &h)) << "width beyond 2^31-1";
  Bytes wrongLength = Png(10, 10, 8, 2);
  wrongLength[11] = 12;
  EXPECT_FALSE(Parse(wrongLength, &h)) << "IHDR length 12";
  Bytes notFirst = Png(10, 10, 8, 2);
  notFirst[12] = 'i';
  EXPECT_FALSE(Parse(notFirst, &h)) << "first chunk not IHDR";
  ExpectPrefixesRefused(Png(10, 10, 8, 2), 29, "PNG");
}

TEST(PngHeader, ReportsAdam7Interlace) {
  ImageHeader h;
  ASSERT_TRUE(Parse(Png(7, 9, 8, 6, 1), &h));
  EXPECT_TRUE(h.progressive);
  EXPECT_EQ(h.compression, 1u);
}

// ---- BMP ----

// A file header and an information header of `infoSize` bytes with the
// common fields; Windows headers take signed 32-bit sizes.
Bytes Bmp(uint32_t infoSize, int32_t w, int32_t h, uint16_t bits, uint32_t compression = 0, uint16_t planes = 1) {
  Bytes b = {'B', 'M'};
  PutLe32(b, 0);  // file size: not trusted
  PutLe32(b, 0);
  PutLe32(b, 14 + infoSize);
  PutLe32(b, infoSize);
  if (infoSize == 12) {
    PutLe16(b, uint32_t(w));
    PutLe16(b, uint32_t(h));
    PutLe16(b, planes);
    PutLe16(b, bits);
  } else {
    PutLe32(b, uint32_t(w));
    PutLe32(b, uint32_t(h));
    PutLe16(b, planes);
    PutLe16(b, bits);
    if (infoSize >= 20) PutLe32(b, compression);
    while (b.size() < 14 + infoSize) b.push_back(0);
  }
  for (int i = 0; i < 64; ++i) b.push_back(0x55);  // pixels
  return b;
}

TEST(BmpHeader, ReadsEveryHeaderVersion) {
  for (uint32_t size : {12u, 16u, 20u, 40u, 52u, 56u, 64u, 108u, 124u}) {
    ImageHeader h;
    ASSERT_TRUE(Parse(Bmp(size, 321, 123, 24), &h)) << "header of " << size << " bytes";
    EXPECT_EQ(h.format, ImageFormat::kBmp);
    EXPECT_EQ(h.width, 321) << size;
    EXPECT_EQ(h.height, 123) << size;
    EXPECT_EQ(h.bitsPerPixel, 24) << size;
    EXPECT_FALSE(h.topDown) << size;
    EXPECT_TRUE(h.decoderCanRead) << size;
  }
  for (uint32_t size : {0u, 11u, 13u, 15u, 65u, 100u, 125u, 0xFFFFFFFFu}) {
    ImageHeader h;
    EXPECT_FALSE(Parse(Bmp(size, 10, 10, 24), &h)) << "unknown header size " << size;
  }
}

TEST(BmpHeader, Os2CoreHeaderSizesAreUnsigned) {
  ImageHeader h;
  ASSERT_TRUE(Parse(Bmp(12, 40000, 50000, 8), &h));
  EXPECT_EQ(h.width, 40000);
  EXPECT_EQ(h.height, 50000);
}

TEST(BmpHeader, TopDownHeightIsReportedPositive) {
  ImageHeader h;
  ASSERT_TRUE(Parse(Bmp(40, 64, -48, 32), &h));
  EXPECT_EQ(h.height, 48);
  EXPECT_TRUE(h.topDown);
  EXPECT_TRUE(h.decoderCanRead);
  EXPECT_FALSE(Parse(Bmp(40, 64, INT32_MIN, 32), &h)) << "height -2^31 has no positive form";
  EXPECT_FALSE(Parse(Bmp(40, -64, 48, 32), &h)) << "negative width";
  EXPECT_FALSE(Parse(Bmp(40, 0, 48, 32), &h)) << "zero width";
  ASSERT_TRUE(Parse(Bmp(40, 64, -48, 8, 1), &h));
  EXPECT_FALSE(h.decoderCanRead) << "a top-down RLE bitmap is not a legal bitmap";
}

TEST(BmpHeader, CompressionMustMatchTheBitCount) {
  ImageHeader h;
  ASSERT_TRUE(Parse(Bmp(40, 10, 10, 8, 1), &h));
  EXPECT_EQ(h.compression, 1u);
  ASSERT_TRUE(Parse(Bmp(40, 10, 10, 4, 2), &h));
  EXPECT_EQ(h.bitsPerPixel, 4);
  ASSERT_TRUE(Parse(Bmp(56, 10, 10, 16, 3), &h));
  EXPECT_TRUE(h.decoderCanRead);
  EXPECT_FALSE(Parse(Bmp(40, 10, 10, 4, 1), &h)) << "RLE8 with 4 bits";
  EXPECT_FALSE(Parse(Bmp(40, 10, 10, 8, 2), &h)) << "RLE4 with 8 bits";
  EXPECT_FALSE(Parse(Bmp(40, 10, 10, 24, 3), &h)) << "bit fields with 24 bits";
  EXPECT_FALSE(Parse(Bmp(40, 10, 10, 7), &h)) << "7 bits";
  EXPECT_FALSE(Parse(Bmp(40, 10, 10, 24, 9), &h)) << "compression 9";
  EXPECT_FALSE(Parse(Bmp(40, 10, 10, 24, 0, 2), &h)) << "two planes";
  ASSERT_TRUE(Parse(Bmp(40, 10, 10, 0, 5), &h));
  EXPECT_FALSE(h.decoderCanRead) << "PNG inside a BMP";
  ASSERT_TRUE(Parse(Bmp(64, 10, 10, 1, 3), &h));
  EXPECT_FALSE(h.decoderCanRead) << "OS/2 Huffman 1D";
  ASSERT_TRUE(Parse(Bmp(40, 10, 10, 2), &h));
  EXPECT_FALSE(h.decoderCanRead) << "2 bits per pixel";
}

TEST(BmpHeader, Os2BitmapArrayGivesItsFirstBitmap) {
  Bytes b = {'B', 'A'};
  PutLe32(b, 40);
  PutLe32(b, 0);
  PutLe16(b, 1024);
  PutLe16(b, 768);
  Bytes inner = Bmp(12, 33, 44, 8);
  b.insert(b.end(), inner.begin(), inner.end());
  ImageHeader h;
  ASSERT_TRUE(Parse(b, &h));
  EXPECT_EQ(h.width, 33);
  EXPECT_EQ(h.height, 44);
  b[14] = 'C';  // an icon, not a bitmap
  EXPECT_FALSE(Parse(b, &h));
}

TEST(BmpHeader, TruncatedHeadersAreRefused) {
  ExpectPrefixesRefused(Bmp(124, 10, 10, 24), 14 + 64, "BMP V5");
  ExpectPrefixesRefused(Bmp(12, 10, 10, 24), 14 + 12, "BMP core");
}

// ---- JPEG ----

void PutSegment(Bytes& b, uint8_t marker, size_t dataLength, uint8_t fill = 0) {
  b.push_back(0xFF);
  b.push_back(marker);
  PutBe16(b, uint32_t(dataLength + 2));
  b.insert(b.end(), dataLength, fill);
}

void PutFrame(Bytes& b, uint8_t marker, uint16_t w, uint16_t h, uint8_t components, uint8_t precision = 8) {
  b.push_back(0xFF);
  b.push_back(marker);
  PutBe16(b, 8u + 3u * components);
  b.push_back(precision);
  PutBe16(b, h);
  PutBe16(b, w);
  b.push_back(components);
  for (uint8_t c = 0; c < components; ++c) b.insert(b.end(), {uint8_t(c + 1), 0x11, 0});
}

Bytes JpegStart() { return {0xFF, 0xD8}; }

TEST(JpegHeader, FindsTheFrameBehindApplicationAndCommentSegments) {
  Bytes b = JpegStart();
  PutSegment(b, 0xE0, 14);          // JFIF
  PutSegment(b, 0xE1, 65000, 0xFF); // a large Exif block full of 0xFF bytes
  PutSegment(b, 0xFE, 3);           // comment
  PutSegment(b, 0xDB, 65);          // quantisation table
  PutSegment(b, 0xC4, 30);          // Huffman table: not a frame
  b.insert(b.end(), {0xFF, 0xFF, 0xFF});  // fill bytes before a marker
  b.pop_back();
  PutFrame(b, 0xC0, 4000, 3000, 3);
  ImageHeader h;
  ASSERT_TRUE(Parse(b, &h));
  EXPECT_EQ(h.format, ImageFormat::kJpeg);
  EXPECT_EQ(h.width, 4000);
  EXPECT_EQ(h.height, 3000);
  EXPECT_EQ(h.bitsPerPixel, 24);
  EXPECT_TRUE(h.decoderCanRead);
}

TEST(JpegHeader, EveryFrameMarkerIsReadAndTheOthersAreSkipped) {
  for (int m = 0xC0; m <= 0xCF; ++m) {
    Bytes b = JpegStart();
    PutFrame(b, uint8_t(m), 17, 19, 1);
    PutFrame(b, 0xC0, 100, 200, 3);
    ImageHeader h;
    ASSERT_TRUE(Parse(b, &h)) << std::hex << m;
    const bool isFrame = m != 0xC4 && m != 0xC8 && m != 0xCC;
    EXPECT_EQ(h.width, isFrame ? 17 : 100) << std::hex << m;
    EXPECT_EQ(h.compression, isFrame ? unsigned(m - 0xC0) : 0u) << std::hex << m;
    EXPECT_EQ(h.progressive, m == 0xC2 || m == 0xC6 || m == 0xCA || m == 0xCE) << std::hex << m;
    EXPECT_EQ(h.decoderCanRead, !isFrame || m <= 0xC2) << std::hex << m;
  }
}

TEST(JpegHeader, GreyAndCmykDepths) {
  ImageHeader h;
  Bytes grey = JpegStart();
  PutFrame(grey, 0xC0, 8, 8, 1);
  ASSERT_TRUE(Parse(grey, &h));
  EXPECT_EQ(h.bitsPerPixel, 8);
  Bytes cmyk = JpegStart();
  PutSegment(cmyk, 0xEE, 12);  // Adobe
  PutFrame(cmyk, 0xC2, 8, 8, 4);
  ASSERT_TRUE(Parse(cmyk, &h));
  EXPECT_EQ(h.bitsPerPixel, 32);
  Bytes twelve = JpegStart();
  PutFrame(twelve, 0xC1, 8, 8, 3, 12);
  ASSERT_TRUE(Parse(twelve, &h));
  EXPECT_EQ(h.bitsPerPixel, 36);
  EXPECT_FALSE(h.decoderCanRead) << "12-bit samples";
}

TEST(JpegHeader, RefusesFilesWithoutAUsableFrame) {
  ImageHeader h;
  Bytes scanFirst = JpegStart();
  PutSegment(scanFirst, 0xDA, 8);
  PutFrame(scanFirst, 0xC0, 8, 8, 3);
  EXPECT_FALSE(Parse(scanFirst, &h)) << "scan before any frame";
  Bytes dnl = JpegStart();
  PutFrame(dnl, 0xC0, 8, 0, 3);
  EXPECT_FALSE(Parse(dnl, &h)) << "height left to a DNL segment";
  Bytes zeroLength = JpegStart();
  zeroLength.insert(zeroLength.end(), {0xFF, 0xE0, 0x00, 0x01});
  EXPECT_FALSE(Parse(zeroLength, &h)) << "segment length 1";
  Bytes noMarker = JpegStart();
  PutSegment(noMarker, 0xE0, 4);
  noMarker.push_back(0x00);
  EXPECT_FALSE(Parse(noMarker, &h)) << "bytes where a marker belongs";
  Bytes tooManyComponents = JpegStart();
  PutFrame(tooManyComponents, 0xC0, 8, 8, 5);
  EXPECT_FALSE(Parse(tooManyComponents, &h));
  Bytes segmentPastEnd = JpegStart();
  PutSegment(segmentPastEnd, 0xE1, 100);
  segmentPastEnd[5] = 0xFF;  // length 0xFF66: jumps past the end
  EXPECT_FALSE(Parse(segmentPastEnd, &h));
  Bytes full = JpegStart();
  PutSegment(full, 0xE0, 14);
  PutFrame(full, 0xC0, 8, 8, 3);
  ExpectPrefixesRefused(full, full.size() - 9, "JPEG");  // frame length says 17 but 6 bytes suffice
}

// Real files with bytes before a marker, which libjpeg-class decoders skip
// with a warning: the frame behind them is found, as the decoder finds it.
TEST(JpegHeader, SkipsBytesBeforeAMarkerAsTheDecoderDoes) {
  auto withFrame = [](Bytes b) {
    PutFrame(b, 0xC0, 640, 480, 3);
    return b;
  };
  Bytes stuffed = JpegStart();
  PutSegment(stuffed, 0xE0, 14);
  stuffed.insert(stuffed.end(), {0xFF, 0x00});  // a stuffed zero between two segments
  PutSegment(stuffed, 0xDB, 65);
  Bytes junk = JpegStart();
  PutSegment(junk, 0xFE, 5);
  junk.insert(junk.end(), {'j', 'u', 'n', 'k', 0x00, 0x7F, 0xFF, 0xFF, 0x00});  // and fill and a stuffed zero
  // Photoshop's APP13 and Adobe's APP14 with a length that ends short of
  // their data: the walk lands inside it and goes on to the next marker.
  Bytes app13 = JpegStart();
  app13.insert(app13.end(), {0xFF, 0xED, 0x00, 0x10});
  for (const char* text : {"Photoshop 3.0", "8BIM", "resource data"}) app13.insert(app13.end(), text, text + std::strlen(text) + 1);
  Bytes app14 = JpegStart();
  app14.insert(app14.end(), {0xFF, 0xEE, 0x00, 0x07, 'A', 'd', 'o', 'b', 'e', 0x00, 0x64, 0x80, 0x00, 0x00, 0x00, 0x00, 0x01});
  Bytes afterStart = JpegStart();
  afterStart.insert(afterStart.end(), 3, 0x20);
  Bytes acrossBlocks = JpegStart();  // the 0xFF ends one block of the walk's reads, its code starts the next
  PutSegment(acrossBlocks, 0xE0, 14);
  acrossBlocks.insert(acrossBlocks.end(), 4095, 0x55);
  for (const auto& [what, bytes] : {std::pair<const char*, Bytes>{"stuffed zero", stuffed}, {"junk after a comment", junk},
                                    {"short APP13", app13}, {"short APP14", app14}, {"junk after SOI", afterStart},
                                    {"junk across read blocks", acrossBlocks}}) {
    const Bytes file = withFrame(bytes);
    ImageHeader h;
    ASSERT_TRUE(Parse(file, &h)) << what;
    EXPECT_EQ(h.format, ImageFormat::kJpeg) << what;
    EXPECT_EQ(h.width, 640) << what;
    EXPECT_EQ(h.height, 480) << what;
    EXPECT_TRUE(h.decoderCanRead) << what;
    ExpectPrefixesRefused(file, file.size() - 9, what);  // the frame header needs 10 of its 19 bytes
  }

  // Skipping never invents a frame: without one, or behind a scan, the file is refused.
  ImageHeader h;
  Bytes noFrame = junk;
  noFrame.insert(noFrame.end(), {0x12, 0xFF, 0x00, 0xFF});
  EXPECT_FALSE(Parse(noFrame, &h)) << "junk up to the end of the file";
  Bytes scan = stuffed;
  scan.insert(scan.end(), {0xFF, 0x00, 0x33, 0xFF, 0xDA, 0x00, 0x08});
  EXPECT_FALSE(Parse(withFrame(scan), &h)) << "a scan before the frame";
  Bytes end = junk;
  end.insert(end.end(), {0xFF, 0xD9});
  EXPECT_FALSE(Parse(withFrame(end), &h)) << "the end of the picture before the frame";
}

// ---- TIFF ----

struct Entry {
  uint16_t tag;
  uint16_t type;  // 3 SHORT, 4 LONG
  std::vector<uint32_t> values;
};

// A one-page TIFF: header, values that do not fit an entry, then the IFD
// (deliberately after the data, as libtiff writes it).
Bytes Tiff(bool bigEndian, std::vector<Entry> entries, uint32_t nextIfd = 0) {
  Bytes b;
  auto u16 = [&](Bytes& o, uint32_t v) { bigEndian ? PutBe16(o, v) : PutLe16(o, v); };
  auto u32 = [&](Bytes& o, uint32_t v) { bigEndian ? PutBe32(o, v) : PutLe32(o, v); };
  b.push_back(bigEndian ? 'M' : 'I');
  b.push_back(bigEndian ? 'M' : 'I');
  u16(b, 42);
  u32(b, 0);  // IFD offset, patched below
  std::vector<uint32_t> outOfLine(entries.size(), 0);
  for (size_t i = 0; i < entries.size(); ++i) {
    const size_t width = entries[i].type == 3 ? 2 : 4;
    if (entries[i].values.size() * width > 4) {
      outOfLine[i] = uint32_t(b.size());
      for (uint32_t v : entries[i].values) width == 2 ? u16(b, v) : u32(b, v);
    }
  }
  const uint32_t ifd = uint32_t(b.size());
  Bytes off;
  u32(off, ifd);
  std::copy(off.begin(), off.end(), b.begin() + 4);
  u16(b, uint32_t(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    u16(b, e.tag);
    u16(b, e.type);
    u32(b, uint32_t(e.values.size()));
    if (outOfLine[i] != 0) {
      u32(b, outOfLine[i]);
    } else {
      Bytes field;
      for (uint32_t v : e.values) e.type == 3 ? u16(field, v) : u32(field, v);
      field.resize(4, 0);
      b.insert(b.end(), field.begin(), field.end());
    }
  }
  u32(b, nextIfd);
  return b;
}

std::vector<Entry> RgbEntries(uint32_t compression = 5) {
  return {{256, 4, {1200}}, {257, 3, {900}}, {258, 3, {8, 8, 8}}, {259, 3, {compression}},
          {262, 3, {2}},    {277, 3, {3}},   {284, 3, {1}}};
}

TEST(TiffHeader, ReadsBothByteOrders) {
  for (bool be : {false, true}) {
    ImageHeader h;
    ASSERT_TRUE(Parse(Tiff(be, RgbEntries()), &h)) << (be ? "MM" : "II");
    EXPECT_EQ(h.format, ImageFormat::kTiff);
    EXPECT_EQ(h.width, 1200);
    EXPECT_EQ(h.height, 900);
    EXPECT_EQ(h.bitsPerPixel, 24) << "bits per sample stored out of line";
    EXPECT_EQ(h.compression, 5u);
    EXPECT_TRUE(h.decoderCanRead);
    EXPECT_FALSE(h.morePages);
  }
}

TEST(TiffHeader, BitsPerSampleDefaultsAndInlineValues) {
  ImageHeader h;
  ASSERT_TRUE(Parse(Tiff(false, {{256, 3, {10}}, {257, 3, {10}}, {259, 3, {4}}, {262, 3, {0}}}), &h));
  EXPECT_EQ(h.bitsPerPixel, 1) << "no BitsPerSample: 1 bit, 1 sample";
  EXPECT_TRUE(h.decoderCanRead) << "G4 bilevel";
  ASSERT_TRUE(Parse(Tiff(true, {{256, 3, {10}}, {257, 3, {10}}, {258, 3, {16, 16}}, {262, 3, {1}}, {277, 3, {2}}}), &h));
  EXPECT_EQ(h.bitsPerPixel, 32) << "two SHORTs inline";
  ASSERT_TRUE(Parse(Tiff(false, {{256, 3, {10}}, {257, 3, {10}}, {258, 3, {8}}, {262, 3, {2}}, {277, 3, {4}}}), &h));
  EXPECT_EQ(h.bitsPerPixel, 32) << "one value for all four samples";
}

// The set Microsoft documents for the Windows TIFF decoder (see WicReadsTiff).
TEST(TiffHeader, MarksWhatTheWindowsDecoderCannotRead) {
  auto canRead = [](std::vector<Entry> e) {
    ImageHeader h;
    EXPECT_TRUE(Parse(Tiff(false, e), &h));
    return h.decoderCanRead;
  };
  for (uint32_t c : {1u, 5u, 8u, 32946u, 32773u}) EXPECT_TRUE(canRead(RgbEntries(c))) << "compression " << c;
  for (uint32_t c : {2u, 3u, 4u, 6u, 7u, 34712u, 34925u, 50000u, 50001u})
    EXPECT_FALSE(canRead(RgbEntries(c))) << "compression " << c;
  auto bilevel = [](uint32_t compression) {
    return std::vector<Entry>{{256, 3, {9}}, {257, 3, {9}}, {259, 3, {compression}}, {262, 3, {0}}};
  };
  for (uint32_t c : {2u, 3u, 4u}) EXPECT_TRUE(canRead(bilevel(c))) << "CCITT " << c << " of a bilevel image";
  auto planar = RgbEntries();
  planar[6].values = {2};
  EXPECT_TRUE(canRead(planar)) << "separate planes";
  auto differenced = RgbEntries();
  differenced.push_back({317, 3, {2}});
  EXPECT_TRUE(canRead(differenced)) << "LZW with horizontal differencing";
  differenced.back().values = {3};
  EXPECT_FALSE(canRead(differenced)) << "floating-point predictor";
  auto ycbcr = RgbEntries(1);
  ycbcr[4].values = {6};
  EXPECT_FALSE(canRead(ycbcr)) << "YCbCr";
  auto floats = RgbEntries(1);
  floats[2].values = {32, 32, 32};
  floats.push_back({339, 3, {3, 3, 3}});
  EXPECT_FALSE(canRead(floats)) << "96-bit float RGB: newer Windows only";
  floats[2].values = {32, 32, 32, 32};
  floats[5].values = {4};
  floats.back().values = {3, 3, 3, 3};
  EXPECT_TRUE(canRead(floats)) << "128-bit float RGBA";
  auto sixteen = RgbEntries(1);
  sixteen[2].values = {16, 16, 16};
  EXPECT_TRUE(canRead(sixteen)) << "48-bit RGB";
  sixteen.push_back({339, 3, {2, 2, 2}});
  EXPECT_FALSE(canRead(sixteen)) << "signed samples";
  auto twelve = RgbEntries(1);
  twelve[2].values = {12, 12, 12};
  EXPECT_FALSE(canRead(twelve)) << "12 bits per sample";
  auto mixed = RgbEntries(1);
  mixed[2].values = {5, 6, 5};
  EXPECT_FALSE(canRead(mixed)) << "unequal samples";
  auto grey = [](uint32_t bits, uint32_t format) {
    return std::vector<Entry>{{256, 3, {9}}, {257, 3, {9}}, {258, 3, {bits}}, {262, 3, {1}}, {339, 3, {format}}};
  };
  for (uint32_t bits : {1u, 4u, 8u, 16u}) EXPECT_TRUE(canRead(grey(bits, 1))) << bits << "-bit grey";
  EXPECT_FALSE(canRead(grey(2, 1))) << "2-bit grey";
  EXPECT_TRUE(canRead(grey(32, 3))) << "float grey";
  EXPECT_FALSE(canRead(grey(32, 1))) << "32-bit integer grey";
  EXPECT_TRUE(canRead({{256, 3, {9}}, {257, 3, {9}}, {258, 3, {4}}, {262, 3, {3}}})) << "4-bit palette";
  EXPECT_FALSE(canRead({{256, 3, {9}}, {257, 3, {9}}, {258, 3, {2}}, {262, 3, {3}}})) << "2-bit palette";
  auto cmyk = [](uint32_t bits, uint32_t samples) {
    return std::vector<Entry>{{256, 3, {9}}, {257, 3, {9}}, {258, 3, {bits}}, {262, 3, {5}}, {277, 3, {samples}}};
  };
  EXPECT_TRUE(canRead(cmyk(8, 4))) << "CMYK";
  EXPECT_TRUE(canRead(cmyk(16, 4))) << "64-bit CMYK";
  EXPECT_TRUE(canRead(cmyk(8, 5))) << "CMYK and alpha";
  EXPECT_FALSE(canRead(cmyk(8, 3))) << "three inks";
  EXPECT_FALSE(canRead({{256, 3, {9}}, {257, 3, {9}}, {258, 3, {8}}})) << "no photometric interpretation";
}

TEST(TiffHeader, ReportsASecondPage) {
  ImageHeader h;
  ASSERT_TRUE(Parse(Tiff(false, RgbEntries(), 8), &h));
  EXPECT_TRUE(h.morePages);
}

TEST(TiffHeader, RefusesDamagedDirectories) {
  ImageHeader h;
  EXPECT_FALSE(Parse(Tiff(false, {{257, 3, {10}}, {258, 3, {8}}}), &h)) << "no width";
  EXPECT_FALSE(Parse(Tiff(false, {{256, 3, {0}}, {257, 3, {10}}}), &h)) << "zero width";
  EXPECT_FALSE(Parse(Tiff(false, {{256, 4, {0x80000000u}}, {257, 3, {10}}}), &h)) << "width beyond 2^31-1";
  EXPECT_FALSE(Parse(Tiff(false, {{256, 3, {10}}, {257, 3, {10}}, {277, 3, {0}}}), &h)) << "no samples";
  EXPECT_FALSE(Parse(Tiff(false, {{256, 3, {10}}, {257, 3, {10}}, {258, 3, {0}}}), &h)) << "0 bits";
  EXPECT_FALSE(Parse(Tiff(false, {{256, 2, {10}}, {257, 3, {10}}}), &h)) << "width as ASCII";
  Bytes b = Tiff(false, RgbEntries());
  Bytes farIfd = b;
  farIfd[4] = 0xF0;
  farIfd[7] = 0x7F;
  EXPECT_FALSE(Parse(farIfd, &h)) << "IFD beyond the end";
  Bytes badMagic = b;
  badMagic[2] = 41;
  EXPECT_FALSE(Parse(badMagic, &h));
  Bytes noEntries = Tiff(false, {});
  EXPECT_FALSE(Parse(noEntries, &h));
  Bytes bitsPastEnd = b;
  // BitsPerSample values live at offset 8; point them past the end.
  const uint32_t ifd = Le32(b.data() + 4);
  bitsPastEnd[ifd + 2 + 2 * 12 + 8] = 0xFF;
  EXPECT_FALSE(Parse(bitsPastEnd, &h)) << "BitsPerSample values past the end";
  // Cut anywhere inside the IFD's entries.
  for (size_t n = ifd; n < ifd + 2 + 7 * 12; ++n) {
    Bytes cut(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(Parse(cut, &h)) << "cut to " << n;
  }
}

TEST(TiffHeader, BigTiffIsReadButMarkedUnreadable) {
  Bytes b = {'I', 'I', 43, 0, 8, 0, 0, 0};
  for (int i = 0; i < 8; ++i) b.push_back(i == 0 ? 16 : 0);  // IFD at 16
  for (int i = 0; i < 8; ++i) b.push_back(i == 0 ? 2 : 0);   // two entries
  auto entry = [&](uint16_t tag, uint32_t v) {
    PutLe16(b, tag);
    PutLe16(b, 4);
    for (int i = 0; i < 8; ++i) b.push_back(i == 0 ? 1 : 0);
    PutLe32(b, v);
    PutLe32(b, 0);
  };
  entry(256, 70000);
  entry(257, 5);
  for (int i = 0; i < 8; ++i) b.push_back(0);
  ImageHeader h;
  ASSERT_TRUE(Parse(b, &h));
  EXPECT_EQ(h.width, 70000);
  EXPECT_EQ(h.height, 5);
  EXPECT_FALSE(h.decoderCanRead);
}

// ---- record and files ----

TEST(FileInfoRecord, HoldsTheFieldsAtTheirOffsets) {
  ImageHeader h;
  h.format = ImageFormat::kTiff;
  h.width = 0x01020304;
  h.height = 70000;
  h.bitsPerPixel = 48;
  h.compression = 7;
  h.decoderCanRead = false;
  std::vector<uint8_t> record(file_info::kSize + 8, 0xAB);
  StoreFileInfoRecord(h, record.data());
  EXPECT_EQ(RecordInt16(record.data(), 0), 48);
  EXPECT_EQ(record[12], 0x04) << "little-endian width";
  EXPECT_EQ(RecordInt32(record.data(), 12), 0x01020304);
  EXPECT_EQ(RecordInt32(record.data(), 16), 70000);
  EXPECT_EQ(RecordInt16(record.data(), 28), 14);
  EXPECT_EQ(record[file_info::kSize - 1], 0) << "the whole record is cleared";
  EXPECT_EQ(record[file_info::kSize], 0xAB) << "and nothing after it is touched";
  h.decoderCanRead = true;
  StoreFileInfoRecord(h, record.data());
  EXPECT_EQ(RecordInt16(record.data(), 28), 0);
}

class TempFolder {
 public:
  TempFolder() {
    path_ = std::filesystem::temp_directory_path() / ("zv_header_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                      "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  std::string Write(const std::string& name, const Bytes& b) const {
    const std::string p = (path_ / name).string();
    std::FILE* f = std::fopen(p.c_str(), "wb");
    if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return p;
  }

 private:
  std::filesystem::path path_;
};

// A file read through stdio seeks only when a read does not start where
// the last one ended; with the first block kept in front or not, every read
// (in order, backwards, across the block's end, past the end of the file)
// must give the file's own bytes.
TEST(FileByteSource, EveryReadGivesTheFilesBytesWithOrWithoutTheHeadKept) {
  TempFolder dir;
  for (const size_t size : {size_t{100}, size_t{10000}}) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 7 + i / 251);
    const std::string path = dir.Write("bytes" + std::to_string(size), bytes);
    const std::pair<uint64_t, size_t> reads[] = {{0, 10},    {10, 4000}, {4010, 200}, {5, 3},     {4090, 12},
                                                 {9990, 20}, {20000, 4}, {4096, 1},   {0, 20000}, {96, 8}};
    for (const bool keepHead : {false, true}) {
      FileByteSource file(path.c_str());
      ASSERT_TRUE(file.IsOpen());
      HeadKeepingSource head(file);
      ByteSource& source = keepHead ? static_cast<ByteSource&>(head) : file;
      for (const auto& [offset, count] : reads) {
        Bytes got(count, 0xEE);
        const size_t expected = offset < size ? std::min(count, size_t(size - offset)) : 0;
        ASSERT_EQ(source.ReadAt(offset, got.data(), count), expected) << size << " at " << offset << " head " << keepHead;
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + expected, bytes.begin() + std::min<uint64_t>(offset, size)))
            << size << " at " << offset << " head " << keepHead;
      }
    }
  }
}

TEST(ProbeImageFile, ReadsHeadersBeyondTheFirstBlockOfAFile) {
  TempFolder dir;
  // The TIFF's IFD sits after 100 kB of strip data, as libtiff writes it.
  auto entries = RgbEntries();
  Bytes t = Tiff(true, entries);
  Bytes big(t.begin(), t.begin() + 8);
  big.resize(100000, 0x11);
  const uint32_t shift = uint32_t(big.size() - 8);
  Bytes rest(t.begin() + 8, t.end());
  big.insert(big.end(), rest.begin(), rest.end());
  const uint32_t ifd = Be32(t.data() + 4) + shift;
  big[4] = uint8_t(ifd >> 24); big[5] = uint8_t(ifd >> 16); big[6] = uint8_t(ifd >> 8); big[7] = uint8_t(ifd);
  const uint32_t bitsAt = ifd + 2 + 2 * 12 + 8;  // out-of-line BitsPerSample offset moves too
  const uint32_t bitsOffset = Be32(big.data() + bitsAt) + shift;
  big[bitsAt] = uint8_t(bitsOffset >> 24); big[bitsAt + 1] = uint8_t(bitsOffset >> 16);
  big[bitsAt + 2] = uint8_t(bitsOffset >> 8); big[bitsAt + 3] = uint8_t(bitsOffset);
  ImageHeader h;
  ASSERT_TRUE(ProbeImageFile(dir.Write("far.tif", big).c_str(), &h));
  EXPECT_EQ(h.width, 1200);
  EXPECT_EQ(h.bitsPerPixel, 24);

  Bytes jpeg = JpegStart();
  PutSegment(jpeg, 0xE1, 60000);
  PutFrame(jpeg, 0xC2, 640, 480, 3);
  ASSERT_TRUE(ProbeImageFile(dir.Write("exif.jpg", jpeg).c_str(), &h));
  EXPECT_EQ(h.height, 480);
  Bytes cut(jpeg.begin(), jpeg.end() - 12);
  EXPECT_FALSE(ProbeImageFile(dir.Write("cut.jpg", cut).c_str(), &h)) << "frame header cut off";

  EXPECT_FALSE(ProbeImageFile((dir.Write("x", {}) + "_missing").c_str(), &h));
  EXPECT_FALSE(ProbeImageFile(dir.Write("empty.png", {}).c_str(), &h));
  EXPECT_FALSE(ProbeImageFile(nullptr, &h));
}

}  // namespace
}  // namespace zv
