#include "core/imagelib/tiff_writer.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace zv {
namespace {

class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>* out) : out_(out) {}
  void Put(unsigned code, int width) {
    buffer_ = buffer_ << width | code;
    bits_ += width;
    while (bits_ >= 8) {
      out_->push_back(static_cast<uint8_t>(buffer_ >> (bits_ - 8)));
      bits_ -= 8;
    }
    buffer_ &= (1u << bits_) - 1;
  }
  void Flush() {
    if (bits_ > 0) out_->push_back(static_cast<uint8_t>(buffer_ << (8 - bits_)));
    bits_ = 0;
    buffer_ = 0;
  }

 private:
  std::vector<uint8_t>* out_;
  uint32_t buffer_ = 0;
  int bits_ = 0;
};

constexpr unsigned kClear = 256, kEnd = 257, kFirstFree = 258, kTableFull = 4094;

// Open-addressed table from (prefix code, next byte) to code.
class CodeTable {
 public:
  CodeTable() : keys_(kSlots), codes_(kSlots) { Clear(); }
  void Clear() { std::fill(keys_.begin(), keys_.end(), kEmpty); }
  int Find(uint32_t key) const {
    for (uint32_t slot = Hash(key);; slot = (slot + 1) & (kSlots - 1)) {
      if (keys_[slot] == kEmpty) return -1;
      if (keys_[slot] == key) return codes_[slot];
    }
  }
  void Add(uint32_t key, unsigned code) {
    uint32_t slot = Hash(key);
    while (keys_[slot] != kEmpty) slot = (slot + 1) & (kSlots - 1);
    keys_[slot] = key;
    codes_[slot] = static_cast<uint16_t>(code);
  }

 private:
  static constexpr uint32_t kSlots = 16384;  // a power of two, 4x the codes
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
  static uint32_t Hash(uint32_t key) { return (key * 2654435761u) >> 18; }
  std::vector<uint32_t> keys_;
  std::vector<uint16_t> codes_;
};

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void Patch32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> LzwCompress(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out;
  out.reserve(size / 2 + 16);
  BitWriter bits(&out);
  CodeTable table;
  int width = 9;
  unsigned next = kFirstFree;
  bits.Put(kClear, width);
  if (size == 0) {
    bits.Put(kEnd, width);
    bits.Flush();
    return out;
  }
  unsigned prefix = data[0];
  for (size_t i = 1; i < size; ++i) {
    const uint32_t key = prefix << 8 | data[i];
    const int found = table.Find(key);
    if (found >= 0) {
      prefix = static_cast<unsigned>(found);
      continue;
    }
    bits.Put(prefix, width);
    table.Add(key, next);
    ++next;
    if (next == kTableFull) {
      bits.Put(kClear, width);
      table.Clear();
      next = kFirstFree;
      width = 9;
    } else if (next > (1u << width) - 1) {
      // The reader adds each entry one code later than we do, so by its
      // count it widens one code early (after 510, 1022, 2046).
      ++width;
    }
    prefix = data[i];
  }
  bits.Put(prefix, width);
  // The reader adds one more entry on reading the last code; the end code
  // comes in the width it then expects.
  ++next;
  if (next < kTableFull && next > (1u << width) - 1) ++width;
  bits.Put(kEnd, width);
  bits.Flush();
  return out;
}

bool WriteLzwTiff(const PixelView& bgra, double dpiX, double dpiY, std::vector<uint8_t>* file) {
  if (bgra.data == nullptr || !PixelSizeIsAllowed(bgra.width, bgra.height)) return false;
  try {
    const uint32_t w = static_cast<uint32_t>(bgra.width), h = static_cast<uint32_t>(bgra.height);
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (uint32_t y = 0; y < h; ++y) {
      const uint8_t* s = reinterpret_cast<const uint8_t*>(bgra.Row(static_cast<int32_t>(y)));
      uint8_t* d = rgb.data() + static_cast<size_t>(y) * w * 3;
      for (uint32_t x = 0; x < w; ++x) {
        d[3 * x] = s[4 * x + 2];
        d[3 * x + 1] = s[4 * x + 1];
        d[3 * x + 2] = s[4 * x];
      }
    }
    const std::vector<uint8_t> strip = LzwCompress(rgb.data(), rgb.size());
    std::vector<uint8_t>& b = *file;
    b.assign(8, 0);  // "II", 42, then the IFD offset, patched below
    b[0] = b[1] = 'I';
    b[2] = 42;
    const uint32_t stripAt = static_cast<uint32_t>(b.size());
    b.insert(b.end(), strip.begin(), strip.end());
    if (b.size() % 2) b.push_back(0);  // values start on a word boundary
    const uint32_t bitsAt = static_cast<uint32_t>(b.size());
    for (int i = 0; i < 3; ++i) Put16(b, 8);
    const uint32_t resolutionAt = static_cast<uint32_t>(b.size());
    auto rational = [&](double dpi) {
      Put32(b, static_cast<uint32_t>(std::lround((dpi > 0 && dpi < 1e6 ? dpi : 96.0) * 100)));
      Put32(b, 100);
    };
    rational(dpiX);
    rational(dpiY);
    Patch32(b, 4, static_cast<uint32_t>(b.size()));
    struct Entry {
      uint16_t tag, type;
      uint32_t count, value;
    };
    const Entry entries[] = {
        {256, 4, 1, w},                                    // ImageWidth
        {257, 4, 1, h},                                    // ImageLength
        {258, 3, 3, bitsAt},                               // BitsPerSample 8, 8, 8
        {259, 3, 1, 5},                                    // Compression: LZW
        {262, 3, 1, 2},                                    // Photometric: RGB
        {273, 4, 1, stripAt},                              // StripOffsets
        {277, 3, 1, 3},                                    // SamplesPerPixel
        {278, 4, 1, h},                                    // RowsPerStrip
        {279, 4, 1, static_cast<uint32_t>(strip.size())},  // StripByteCounts
        {282, 5, 1, resolutionAt},                         // XResolution
        {283, 5, 1, resolutionAt + 8},                     // YResolution
        {284, 3, 1, 1},                                    // PlanarConfiguration: contiguous
        {296, 3, 1, 2},                                    // ResolutionUnit: inch
    };
    Put16(b, static_cast<uint32_t>(sizeof entries / sizeof entries[0]));
    for (const Entry& e : entries) {
      Put16(b, e.tag);
      Put16(b, e.type);
      Put32(b, e.count);
      if (e.type == 3 && e.count == 1) {
        Put16(b, e.value);
        Put16(b, 0);
      } else {
        Put32(b, e.value);
      }
    }
    Put32(b, 0);  // no next IFD
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace zv
