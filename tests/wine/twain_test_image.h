#pragma once
// The pictures the project's test TWAIN source sends, so that a test can
// compare what was saved pixel by pixel with what the source meant.
#include <cstdint>

namespace zv::test {

enum class TestPixels { kBlackWhite, kGray, kRgb, kPalette };

inline constexpr int kTestImageWidth = 37;  // rows need padding at every depth
inline constexpr int kTestImageHeight = 23;

inline int TestBits(TestPixels type) {
  switch (type) {
    case TestPixels::kBlackWhite: return 1;
    case TestPixels::kRgb: return 24;
    default: return 8;
  }
}

// The colour of palette entry `i` of the palette picture (red, green, blue).
inline void TestPaletteColour(int i, uint8_t rgb[3]) {
  rgb[0] = static_cast<uint8_t>(i * 16);
  rgb[1] = static_cast<uint8_t>(255 - i * 16);
  rgb[2] = static_cast<uint8_t>(i * 3);
}

// Pixel (x, y), y counted from the top, of picture `image` (0, 1, ...): the
// sample as the source sends it (0 or 1, a grey, a palette index), or for
// RGB red, green and blue.
inline void TestPixel(TestPixels type, int image, int x, int y, uint8_t out[3]) {
  switch (type) {
    case TestPixels::kBlackWhite: out[0] = (x + y + image) % 3 == 0 ? 1 : 0; break;
    case TestPixels::kGray: out[0] = static_cast<uint8_t>(x * 6 + y * 3 + image * 40); break;
    case TestPixels::kPalette: out[0] = static_cast<uint8_t>((x + 2 * y + image) % 16); break;
    case TestPixels::kRgb:
      out[0] = static_cast<uint8_t>(x * 7 + image * 50);
      out[1] = static_cast<uint8_t>(y * 11);
      out[2] = static_cast<uint8_t>(200 - x - y);
      break;
  }
}

}  // namespace zv::test
