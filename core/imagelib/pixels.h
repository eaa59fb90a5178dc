#pragma once
// 32-bit pixel pictures (B, G, R, A bytes, rows top to bottom) and the
// transforms the library does itself: quarter turns, mirroring, and
// resampling (area averaging to shrink, bilinear to enlarge).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <vector>

namespace zv {

// The largest picture the library makes: 2^26 pixels (256 MiB at 32 bits),
// which a 32-bit process can still hold next to its source.
constexpr int64_t kMaxPixelCount = int64_t{1} << 26;
constexpr int32_t kMaxPixelSide = 65535;

// True when a picture of this size may be allocated.
bool PixelSizeIsAllowed(int64_t width, int64_t height);

// The largest source read a few rows at a time (RowResampler): 2^27 pixels,
// so that a 12,000 x 9,000 scan can still be shown reduced, although no
// whole 32-bit copy of it is ever made.
constexpr int64_t kMaxStreamedPixelCount = int64_t{1} << 27;
bool StreamedSizeIsAllowed(int64_t width, int64_t height);

struct PixelImage {
  int32_t width = 0;
  int32_t height = 0;
  // width * height, no row padding. From the memory resource the vector was
  // made with: the default one, or an owner's own (the thumbnails' store keeps
  // its pixels apart from the decoders' short-lived buffers). Copies and
  // AllocatePixels keep the resource of the image they fill.
  std::pmr::vector<uint32_t> pixels;

  uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Pixels owned elsewhere (a locked WIC bitmap): `stride` bytes per row.
struct PixelView {
  const uint8_t* data = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;

  const uint32_t* Row(int32_t y) const { return reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride); }
};

PixelView ViewOf(const PixelImage& image);

// Makes `image` width x height (contents unspecified) from its pixels' memory
// resource; false, with the image left empty, when the size is not allowed or
// memory runs out.
bool AllocatePixels(PixelImage* image, int32_t width, int32_t height);

// Turns by `angle` hundredths of a degree (0, 9000 = a quarter turn to the
// left, 18000, 27000 = a quarter turn to the right; other multiples of 9000
// are taken modulo a full turn), then mirrors the turned picture left-right
// and/or top-bottom. False for any other angle or when memory runs out.
bool TurnAndMirror(const PixelView& source, int angle, bool mirrorLeftRight, bool mirrorTopBottom, PixelImage* out);

// Resamples to newWidth x newHeight. Along an axis that shrinks, each output
// pixel is the average of its exact footprint in the source (partial source
// pixels weighted by their covered fraction); along an axis that grows, it is
// interpolated bilinearly between the two nearest source pixels (centres
// aligned, edges clamped). The four bytes of a pixel are filtered alike.
// With `bands` above 1, that many bands of output rows are made on as many
// threads at once (the caller's among them); the result is the same.
bool ResizePixels(const PixelView& source, int32_t newWidth, int32_t newHeight, PixelImage* out, int bands = 1);

// Memory owned elsewhere that a transform writes into (a DIB section's bits):
// `stride` bytes per row.
struct PixelTarget {
  uint8_t* data = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
};
// ResizePixels writing straight into `out`, at out's size.
bool ResizePixelsInto(const PixelView& source, const PixelTarget& out, int bands = 1);

// ResizePixelsInto for a picture the user waits for (the picture view's
// zoom): the same filter in 16-bit fixed point, eight values at a time with
// SSE2 where the processor has it (always in our builds). Every byte is
// within 1 of ResizePixelsInto's; thumbnails keep the exact float filter,
// which RowResampler must equal.
bool ResizePixelsFast(const PixelView& source, const PixelTarget& out, int bands = 1);

// ResizePixels for a source that arrives a few rows at a time, top to bottom
// (a decoder read in strips), so that no whole 32-bit copy of it need exist.
// The result equals ResizePixels' exactly: every output row sums the same
// source rows with the same weights in the same order, only the loop runs
// over source rows instead of output rows.
class RowResampler {
 public:
  RowResampler();
  ~RowResampler();
  RowResampler(const RowResampler&) = delete;
  RowResampler& operator=(const RowResampler&) = delete;

  // Begins a picture (dropping any earlier one); false when a size is not
  // allowed or memory runs out.
  bool Start(int32_t sourceWidth, int32_t sourceHeight, int32_t newWidth, int32_t newHeight);
  // Takes the next source rows: `rows` must be sourceWidth wide and no higher
  // than the rows still missing. False for any other strip, before Start, or
  // when memory runs out; after a failure the picture is lost.
  bool AddRows(const PixelView& rows);
  int32_t RowsMissing() const;
  // Hands over the result once every source row was taken; false before.
  bool Finish(PixelImage* out);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace zv
