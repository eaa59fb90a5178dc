#include "core/imagelib/tiff_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/imagelib/image_header.h"

namespace zv {
namespace {

using Bytes = std::vector<uint8_t>;

// A reader of TIFF LZW written from the format's rules (codes MSB first,
// 9-12 bits, widening when the next free code reaches 511, 1023, 2047).
bool LzwDecode(const Bytes& in, Bytes* out) {
  size_t bitPos = 0;
  auto read = [&](int width, unsigned* code) {
    if (bitPos + width > in.size() * 8) return false;
    unsigned v = 0;
    for (int i = 0; i < width; ++i, ++bitPos) v = v << 1 | ((in[bitPos / 8] >> (7 - bitPos % 8)) & 1);
    *code = v;
    return true;
  };
  std::vector<Bytes> table;
  auto reset = [&] {
    table.assign(258, {});
    for (int i = 0; i < 256; ++i) table[i] = {uint8_t(i)};
  };
  reset();
  int width = 9;
  int old = -1;
  for (;;) {
    unsigned code;
    if (!read(width, &code)) return false;
    if (code == 257) return true;
    if (code == 256) {
      reset();
      width = 9;
      old = -1;
      continue;
    }
    Bytes entry;
    if (code < table.size()) {
      entry = table[code];
      if (old >= 0) {
        Bytes added = table[old];
        added.push_back(entry[0]);
        table.push_back(added);
      }
    } else if (code == table.size() && old >= 0) {
      entry = table[old];
      entry.push_back(table[old][0]);
      table.push_back(entry);
    } else {
      return false;
    }
    out->insert(out->end(), entry.begin(), entry.end());
    old = int(code);
    if (table.size() >= (1u << width) - 1 && width < 12) ++width;
  }
}

TEST(LzwCompress, RoundTripsAcrossCodeWidthsAndTableResets) {
  std::mt19937 random(11);
  std::vector<Bytes> inputs = {{}, {7}, {1, 1}, Bytes(100000, 0x41)};
  for (size_t n : {300u, 5000u, 70000u, 400000u}) {
    Bytes noisy(n);
    for (auto& b : noisy) b = uint8_t(random() % 7 == 0 ? random() : 'a' + random() % 3);
    inputs.push_back(noisy);
  }
  Bytes text;
  for (int i = 0; i < 20000; ++i) text.push_back(uint8_t("the quick brown fox "[i % 20]));
  inputs.push_back(text);
  for (const Bytes& in : inputs) {
    const Bytes packed = LzwCompress(in.data(), in.size());
    Bytes back;
    ASSERT_TRUE(LzwDecode(packed, &back)) << "input of " << in.size() << " bytes";
    EXPECT_TRUE(back == in) << "input of " << in.size() << " bytes";
  }
  const Bytes same(100000, 0x41);
  EXPECT_LT(LzwCompress(same.data(), same.size()).size(), 2000u) << "runs compress";
}

TEST(WriteLzwTiff, WritesAReadableRgbFile) {
  PixelImage p;
  ASSERT_TRUE(AllocatePixels(&p, 5, 3));
  for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = 0xFF000000u | uint32_t(i * 0x010203);
  Bytes file;
  ASSERT_TRUE(WriteLzwTiff(ViewOf(p), 150, 75, &file));
  MemoryByteSource source(file.data(), file.size());
  ImageHeader h;
  ASSERT_TRUE(ParseTiffHeader(source, &h));
  EXPECT_EQ(h.width, 5);
  EXPECT_EQ(h.height, 3);
  EXPECT_EQ(h.bitsPerPixel, 24);
  EXPECT_EQ(h.compression, 5u);
  EXPECT_TRUE(h.decoderCanRead);
  // The strip follows the 8-byte header and holds R, G, B per pixel.
  const uint32_t ifd = Le32(file.data() + 4);
  uint32_t stripAt = 0, stripBytes = 0;
  for (uint32_t i = 0; i < Le16(file.data() + ifd); ++i) {
    const uint8_t* e = file.data() + ifd + 2 + 12 * i;
    if (Le16(e) == 273) stripAt = Le32(e + 8);
    if (Le16(e) == 279) stripBytes = Le32(e + 8);
  }
  ASSERT_EQ(stripAt, 8u);
  Bytes strip(file.begin() + stripAt, file.begin() + stripAt + stripBytes), rgb;
  ASSERT_TRUE(LzwDecode(strip, &rgb));
  ASSERT_EQ(rgb.size(), 45u);
  for (size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(rgb[3 * i], uint8_t(p.pixels[i] >> 16)) << i;
    EXPECT_EQ(rgb[3 * i + 2], uint8_t(p.pixels[i])) << i;
  }
  EXPECT_FALSE(WriteLzwTiff(PixelView{}, 96, 96, &file));
}

}  // namespace
}  // namespace zv
