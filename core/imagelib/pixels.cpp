#include "core/imagelib/pixels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zv {
namespace {

// One output pixel's source pixels along an axis: `count` taps from `first`,
// weights at `weights[offset..]`, summing to 1.
struct Taps {
  int32_t first;
  int32_t count;
  size_t offset;
};

struct AxisFilter {
  std::vector<Taps> taps;
  std::vector<float> weights;
};

void BuildAxisFilter(int32_t sourceSize, int32_t outSize, AxisFilter* filter) {
  filter->taps.resize(static_cast<size_t>(outSize));
  filter->weights.clear();
  const double scale = static_cast<double>(sourceSize) / outSize;
  for (int32_t i = 0; i < outSize; ++i) {
    Taps& t = filter->taps[static_cast<size_t>(i)];
    t.offset = filter->weights.size();
    if (outSize < sourceSize) {
      // Footprint [lo, hi) in source pixels; exact ends from integers.
      const double lo = static_cast<double>(i) * sourceSize / outSize;
      const double hi = static_cast<double>(i + 1) * sourceSize / outSize;
      int32_t first = static_cast<int32_t>(std::floor(lo));
      int32_t last = static_cast<int32_t>(std::ceil(hi)) - 1;
      if (last > sourceSize - 1) last = sourceSize - 1;
      if (first > last) first = last;
      t.first = first;
      t.count = last - first + 1;
      double sum = 0;
      for (int32_t j = first; j <= last; ++j) {
        const double a = j > lo ? j : lo;
        const double b = j + 1 < hi ? j + 1 : hi;
        const double w = b > a ? b - a : 0.0;
        filter->weights.push_back(static_cast<float>(w));
        sum += w;
      }
      for (size_t k = t.offset; k < filter->weights.size(); ++k) filter->weights[k] = static_cast<float>(filter->weights[k] / sum);
    } else if (outSize == sourceSize) {
      t.first = i;
      t.count = 1;
      filter->weights.push_back(1.0f);
    } else {
      double x = (i + 0.5) * scale - 0.5;
      if (x < 0) x = 0;
      if (x > sourceSize - 1) x = sourceSize - 1;
      const int32_t j0 = static_cast<int32_t>(std::floor(x));
      const double f = x - j0;
      if (j0 + 1 < sourceSize && f > 0) {
        t.first = j0;
        t.count = 2;
        filter->weights.push_back(static_cast<float>(1.0 - f));
        filter->weights.push_back(static_cast<float>(f));
      } else {
        t.first = j0;
        t.count = 1;
        filter->weights.push_back(1.0f);
      }
    }
  }
}

uint8_t ToByte(float v) {
  if (v <= 0.0f) return 0;
  if (v >= 255.0f) return 255;
  return static_cast<uint8_t>(v + 0.5f);
}

// The second pass of both resamplers: one output row from one summed row of
// source values (4 floats a pixel).
void SumAcross(const float* sum, const AxisFilter& across, int32_t newWidth, uint32_t* row) {
  uint8_t* dst = reinterpret_cast<uint8_t*>(row);
  for (int32_t x = 0; x < newWidth; ++x) {
    const Taps& tx = across.taps[static_cast<size_t>(x)];
    float c0 = 0, c1 = 0, c2 = 0, c3 = 0;
    const float* s = sum + static_cast<size_t>(tx.first) * 4;
    const float* wts = across.weights.data() + tx.offset;
    for (int32_t k = 0; k < tx.count; ++k, s += 4) {
      c0 += wts[k] * s[0];
      c1 += wts[k] * s[1];
      c2 += wts[k] * s[2];
      c3 += wts[k] * s[3];
    }
    dst[4 * x + 0] = ToByte(c0);
    dst[4 * x + 1] = ToByte(c1);
    dst[4 * x + 2] = ToByte(c2);
    dst[4 * x + 3] = ToByte(c3);
  }
}

// acc += w * row, value by value.
void AddWeighted(float* acc, const uint8_t* row, float w, size_t count) {
  for (size_t i = 0; i < count; ++i) acc[i] += w * static_cast<float>(row[i]);
}


// The fixed-point form of an axis filter: weights in units of 2^-14, each
// output pixel's summing to exactly 2^14 (the rounding remainder goes to its
// largest weight), so a flat picture stays flat.
constexpr int kWeightBits = 14;
constexpr int kRowBits = 7;  // the summed rows keep 7 bits below the byte: 255 << 7 fits an int16

struct FixedAxis {
  std::vector<Taps> taps;
  std::vector<int16_t> weights;
};

void ToFixed(const AxisFilter& filter, FixedAxis* out) {
  out->taps = filter.taps;
  out->weights.resize(filter.weights.size());
  for (const Taps& t : filter.taps) {
    int sum = 0;
    size_t largest = t.offset;
    for (size_t k = t.offset; k < t.offset + static_cast<size_t>(t.count); ++k) {
      out->weights[k] = static_cast<int16_t>(std::lround(filter.weights[k] * (1 << kWeightBits)));
      sum += out->weights[k];
      if (out->weights[k] > out->weights[largest]) largest = k;
    }
    out->weights[largest] = static_cast<int16_t>(out->weights[largest] + (1 << kWeightBits) - sum);
  }
}

// One summed row: the source rows of output row `t`, weighted, as values
// << kRowBits.
void SumRowsFixed(const PixelView& source, const Taps& t, const int16_t* weights, int16_t* sum) {
  const size_t values = static_cast<size_t>(source.width) * 4;
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_set1_epi32(1 << (kWeightBits - kRowBits - 1));
  for (; i + 16 <= values; i += 16) {
    __m128i a0 = _mm_setzero_si128(), a1 = a0, a2 = a0, a3 = a0;
    for (int32_t k = 0; k < t.count; k += 2) {
      const bool pair = k + 1 < t.count;
      const __m128i w = _mm_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(weights[k])) |
                                       (pair ? static_cast<int32_t>(weights[k + 1]) << 16 : 0));
      const auto* r0 = reinterpret_cast<const uint8_t*>(source.Row(t.first + k)) + i;
      const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0));
      const __m128i q = pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                   reinterpret_cast<const uint8_t*>(source.Row(t.first + k + 1)) + i))
                             : zero;
      const __m128i plo = _mm_unpacklo_epi8(p, zero), phi = _mm_unpackhi_epi8(p, zero);
      const __m128i qlo = _mm_unpacklo_epi8(q, zero), qhi = _mm_unpackhi_epi8(q, zero);
      a0 = _mm_add_epi32(a0, _mm_madd_epi16(_mm_unpacklo_epi16(plo, qlo), w));
      a1 = _mm_add_epi32(a1, _mm_madd_epi16(_mm_unpackhi_epi16(plo, qlo), w));
      a2 = _mm_add_epi32(a2, _mm_madd_epi16(_mm_unpacklo_epi16(phi, qhi), w));
      a3 = _mm_add_epi32(a3, _mm_madd_epi16(_mm_unpackhi_epi16(phi, qhi), w));
    }
    const int shift = kWeightBits - kRowBits;
    a0 = _mm_srai_epi32(_mm_add_epi32(a0, half), shift);
    a1 = _mm_srai_epi32(_mm_add_epi32(a1, half), shift);
    a2 = _mm_srai_epi32(_mm_add_epi32(a2, half), shift);
    a3 = _mm_srai_epi32(_mm_add_epi32(a3, half), shift);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sum + i), _mm_packs_epi32(a0, a1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sum + i + 8), _mm_packs_epi32(a2, a3));
  }
#endif
  for (; i < values; ++i) {
    int32_t acc = 0;
    for (int32_t k = 0; k < t.count; ++k)
      acc += weights[k] * reinterpret_cast<const uint8_t*>(source.Row(t.first + k))[i];
    sum[i] = static_cast<int16_t>((acc + (1 << (kWeightBits - kRowBits - 1))) >> (kWeightBits - kRowBits));
  }
}

// One output row across one summed row (4 values a pixel).
void SumAcrossFixed(const int16_t* sum, const FixedAxis& across, int32_t newWidth, uint8_t* dst) {
  constexpr int kShift = kWeightBits + kRowBits;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_set1_epi32(1 << (kShift - 1));
  for (int32_t x = 0; x < newWidth; ++x) {
    const Taps& t = across.taps[static_cast<size_t>(x)];
    const int16_t* w = across.weights.data() + t.offset;
    const int16_t* s = sum + static_cast<size_t>(t.first) * 4;
    __m128i acc = half;
    for (int32_t k = 0; k < t.count; k += 2, s += 8) {
      const bool pair = k + 1 < t.count;
      const __m128i wk = _mm_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(w[k])) |
                                        (pair ? static_cast<int32_t>(w[k + 1]) << 16 : 0));
      const __m128i p = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
      const __m128i q = pair ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 4)) : zero;
      acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_unpacklo_epi16(p, q), wk));
    }
    const __m128i v = _mm_srai_epi32(acc, kShift);  // can dip below 0 by rounding only: saturated below
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(v, zero), zero);
    const uint32_t pixel = static_cast<uint32_t>(_mm_cvtsi128_si32(bytes));
    std::memcpy(dst + 4 * static_cast<size_t>(x), &pixel, 4);
  }
#else
  for (int32_t x = 0; x < newWidth; ++x) {
    const Taps& t = across.taps[static_cast<size_t>(x)];
    const int16_t* w = across.weights.data() + t.offset;
    for (int c = 0; c < 4; ++c) {
      int32_t acc = 1 << (kShift - 1);
      for (int32_t k = 0; k < t.count; ++k) acc += w[k] * sum[(static_cast<size_t>(t.first) + k) * 4 + c];
      dst[4 * static_cast<size_t>(x) + c] = static_cast<uint8_t>(std::clamp(acc >> kShift, 0, 255));
    }
  }
#endif
}

// Runs `band(first, last)` over `bands` bands of `rows` output rows, the
// caller's thread among them; a band that cannot get a thread runs here.
template <typename Band>
void RunInBands(int32_t rows, int bands, const Band& band) {
  bands = std::clamp(bands, 1, std::min(rows, 16));
  const auto bandStart = [&](int i) { return static_cast<int32_t>(int64_t{rows} * i / bands); };
  std::vector<std::thread> helpers;
  helpers.reserve(static_cast<size_t>(bands));
  for (int i = 1; i < bands; ++i) {
    try {
      helpers.emplace_back(band, bandStart(i), bandStart(i + 1));
    } catch (const std::system_error&) {
      band(bandStart(i), bandStart(i + 1));
    }
  }
  band(0, bandStart(1));
  for (std::thread& helper : helpers) helper.join();
}

bool ResizeArgumentsAllowed(const PixelView& source, const PixelTarget& out) {
  return source.data != nullptr && out.data != nullptr && PixelSizeIsAllowed(source.width, source.height) &&
         PixelSizeIsAllowed(out.width, out.height) && out.stride >= static_cast<size_t>(out.width) * 4;
}

}  // namespace

bool PixelSizeIsAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPixelSide && height <= kMaxPixelSide &&
         width * height <= kMaxPixelCount;
}

bool StreamedSizeIsAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPixelSide && height <= kMaxPixelSide &&
         width * height <= kMaxStreamedPixelCount;
}

PixelView ViewOf(const PixelImage& image) {
  PixelView v;
  v.data = reinterpret_cast<const uint8_t*>(image.pixels.data());
  v.width = image.width;
  v.height = image.height;
  v.stride = static_cast<size_t>(image.width) * 4;
  return v;
}

bool AllocatePixels(PixelImage* image, int32_t width, int32_t height) {
  image->width = image->height = 0;
  image->pixels.clear();
  if (!PixelSizeIsAllowed(width, height)) return false;
  try {
    image->pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    image->pixels.shrink_to_fit();
    return false;
  }
  image->width = width;
  image->height = height;
  return true;
}

bool TurnAndMirror(const PixelView& source, int angle, bool mirrorLeftRight, bool mirrorTopBottom, PixelImage* out) {
  if (angle % 9000 != 0 || source.data == nullptr || !PixelSizeIsAllowed(source.width, source.height)) return false;
  const int quarter = ((angle / 9000) % 4 + 4) % 4;  // turns to the left
  const int32_t w = source.width, h = source.height;
  const bool sideways = quarter == 1 || quarter == 3;
  PixelImage result;
  if (!AllocatePixels(&result, sideways ? h : w, sideways ? w : h)) return false;
  const int32_t ow = result.width, oh = result.height;
  for (int32_t y = 0; y < oh; ++y) {
    const int32_t ty = mirrorTopBottom ? oh - 1 - y : y;  // position in the turned picture
    uint32_t* row = result.pixels.data() + static_cast<size_t>(y) * ow;
    for (int32_t x = 0; x < ow; ++x) {
      const int32_t tx = mirrorLeftRight ? ow - 1 - x : x;
      int32_t sx, sy;
      switch (quarter) {
        case 0: sx = tx; sy = ty; break;
        case 1: sx = w - 1 - ty; sy = tx; break;          // left: the top row becomes the left column
        case 2: sx = w - 1 - tx; sy = h - 1 - ty; break;
        default: sx = ty; sy = h - 1 - tx; break;         // right: the top row becomes the right column
      }
      row[x] = source.Row(sy)[sx];
    }
  }
  *out = std::move(result);
  return true;
}

bool ResizePixels(const PixelView& source, int32_t newWidth, int32_t newHeight, PixelImage* out, int bands) {
  PixelImage result;
  if (source.data == nullptr || !PixelSizeIsAllowed(source.width, source.height) ||
      !AllocatePixels(&result, newWidth, newHeight))
    return false;
  const PixelTarget target{reinterpret_cast<uint8_t*>(result.pixels.data()), newWidth, newHeight,
                           static_cast<size_t>(newWidth) * 4};
  if (!ResizePixelsInto(source, target, bands)) return false;
  *out = std::move(result);
  return true;
}

bool ResizePixelsInto(const PixelView& source, const PixelTarget& out, int bands) {
  const int32_t newWidth = out.width, newHeight = out.height;
  if (!ResizeArgumentsAllowed(source, out)) return false;
  try {
    AxisFilter across, down;
    BuildAxisFilter(source.width, newWidth, &across);
    BuildAxisFilter(source.height, newHeight, &down);
    // Rows first: each output row is a weighted sum of whole source rows,
    // a straight pass over memory; then across the one summed row. Output
    // rows are independent, so bands of them can run side by side.
    const size_t rowValues = static_cast<size_t>(source.width) * 4;
    std::atomic<bool> failed = false;
    // Never throws: a band that runs out of memory marks the whole as failed.
    RunInBands(newHeight, bands, [&](int32_t first, int32_t last) {
      try {
        std::vector<float> sum(rowValues);
        for (int32_t y = first; y < last; ++y) {
          const Taps& ty = down.taps[static_cast<size_t>(y)];
          std::fill(sum.begin(), sum.end(), 0.0f);
          for (int32_t k = 0; k < ty.count; ++k) {
            const float w = down.weights[ty.offset + static_cast<size_t>(k)];
            AddWeighted(sum.data(), reinterpret_cast<const uint8_t*>(source.Row(ty.first + k)), w, rowValues);
          }
          SumAcross(sum.data(), across, newWidth,
                    reinterpret_cast<uint32_t*>(out.data + static_cast<size_t>(y) * out.stride));
        }
      } catch (const std::bad_alloc&) {
        failed = true;
      }
    });
    if (failed) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool ResizePixelsFast(const PixelView& source, const PixelTarget& out, int bands) {
  if (!ResizeArgumentsAllowed(source, out)) return false;
  try {
    AxisFilter across, down;
    BuildAxisFilter(source.width, out.width, &across);
    BuildAxisFilter(source.height, out.height, &down);
    FixedAxis fixedAcross, fixedDown;
    ToFixed(across, &fixedAcross);
    ToFixed(down, &fixedDown);
    std::atomic<bool> failed = false;
    RunInBands(out.height, bands, [&](int32_t first, int32_t last) {
      try {
        std::vector<int16_t> sum(static_cast<size_t>(source.width) * 4);
        for (int32_t y = first; y < last; ++y) {
          const Taps& ty = fixedDown.taps[static_cast<size_t>(y)];
          SumRowsFixed(source, ty, fixedDown.weights.data() + ty.offset, sum.data());
          SumAcrossFixed(sum.data(), fixedAcross, out.width, out.data + static_cast<size_t>(y) * out.stride);
        }
      } catch (const std::bad_alloc&) {
        failed = true;
      }
    });
    return !failed;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

struct RowResampler::State {
  int32_t sourceWidth = 0;
  int32_t sourceHeight = 0;
  int32_t newWidth = 0;
  int32_t newHeight = 0;
  AxisFilter across, down;
  int32_t rowsTaken = 0;
  // Output rows [finished, opened) are being summed, one accumulator each,
  // front first; a source row belongs to two of them when shrinking, to a
  // few more when enlarging.
  int32_t finished = 0;
  int32_t opened = 0;
  std::deque<std::vector<float>> open;
  std::vector<std::vector<float>> spare;  // finished accumulators, reused
  PixelImage result;
  bool failed = false;

  void TakeRow(const uint8_t* row) {
    const int32_t j = rowsTaken++;
    const size_t values = static_cast<size_t>(sourceWidth) * 4;
    while (opened < newHeight && down.taps[static_cast<size_t>(opened)].first <= j) {
      if (spare.empty()) {
        open.emplace_back(values, 0.0f);
      } else {
        open.push_back(std::move(spare.back()));
        spare.pop_back();
        std::fill(open.back().begin(), open.back().end(), 0.0f);
      }
      ++opened;
    }
    for (int32_t y = finished; y < opened; ++y) {
      const Taps& t = down.taps[static_cast<size_t>(y)];
      if (j < t.first || j >= t.first + t.count) continue;
      AddWeighted(open[static_cast<size_t>(y - finished)].data(), row,
                  down.weights[t.offset + static_cast<size_t>(j - t.first)], values);
    }
    while (finished < opened) {
      const Taps& t = down.taps[static_cast<size_t>(finished)];
      if (t.first + t.count - 1 > j) break;
      SumAcross(open.front().data(), across, newWidth, result.pixels.data() + static_cast<size_t>(finished) * newWidth);
      spare.push_back(std::move(open.front()));
      open.pop_front();
      ++finished;
    }
  }
};

RowResampler::RowResampler() = default;
RowResampler::~RowResampler() = default;

bool RowResampler::Start(int32_t sourceWidth, int32_t sourceHeight, int32_t newWidth, int32_t newHeight) {
  state_.reset();
  if (!StreamedSizeIsAllowed(sourceWidth, sourceHeight) || !PixelSizeIsAllowed(newWidth, newHeight)) return false;
  try {
    auto state = std::make_unique<State>();
    if (!AllocatePixels(&state->result, newWidth, newHeight)) return false;
    state->sourceWidth = sourceWidth;
    state->sourceHeight = sourceHeight;
    state->newWidth = newWidth;
    state->newHeight = newHeight;
    BuildAxisFilter(sourceWidth, newWidth, &state->across);
    BuildAxisFilter(sourceHeight, newHeight, &state->down);
    state_ = std::move(state);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool RowResampler::AddRows(const PixelView& rows) {
  if (state_ == nullptr || state_->failed) return false;
  State& s = *state_;
  if (rows.height == 0) return true;
  if (rows.data == nullptr || rows.width != s.sourceWidth || rows.height < 0 ||
      rows.height > s.sourceHeight - s.rowsTaken || rows.stride < static_cast<size_t>(rows.width) * 4)
    return false;
  try {
    for (int32_t y = 0; y < rows.height; ++y) s.TakeRow(reinterpret_cast<const uint8_t*>(rows.Row(y)));
  } catch (const std::bad_alloc&) {
    s.failed = true;
    return false;
  }
  return true;
}

int32_t RowResampler::RowsMissing() const { return state_ == nullptr ? 0 : state_->sourceHeight - state_->rowsTaken; }

bool RowResampler::Finish(PixelImage* out) {
  if (state_ == nullptr || state_->failed || state_->rowsTaken != state_->sourceHeight ||
      state_->finished != state_->newHeight)
    return false;
  *out = std::move(state_->result);
  state_.reset();
  return true;
}

}  // namespace zv
