#include "imagelib/thumbnail.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "core/imagelib/image_header.h"
#include "core/imagelib/probe_rules.h"
#include "imagelib/wic_decode.h"
#include "win/diagnostics.h"

namespace zv::imagelib {

using Microsoft::WRL::ComPtr;

namespace {

// About 256 KiB of 32-bit rows a strip: large enough that the per-call cost
// of the decoder and converter vanishes, small enough to stay in the cache
// between the converter writing it and the resampler reading it.
constexpr size_t kStripBytes = 256 * 1024;

// Where the strips come from: the frame itself when it is 24-bit BGR (most
// JPEG, PNG, TIFF and BMP files), expanded to BGRA here, which spares the
// converter's own buffer and pass; else the 32-bit BGRA form of the frame
// as ConvertTo32Bits makes it after a load: CMYK through our own copy (as
// the loader keeps it), every other format through WIC's converter. Where
// the decoder scales while it decodes (IWICBitmapSourceTransform: Windows'
// JPEG decoder offers 1/2, 1/4 and 1/8), a 24- or 32-bit frame is read
// through that at `size`, the smallest size it offers that the result does
// not outgrow; `size` is the frame's own otherwise.
struct StripSource {
  ComPtr<IWICBitmapSource> source;
  ComPtr<IWICBitmapSourceTransform> scaler;
  PixelSize size;
  WICPixelFormatGUID format{};
  bool bgr24 = false;

  HRESULT Read(const WICRect& rect, UINT stride, UINT bytes, BYTE* buffer) {
    if (scaler == nullptr) return source->CopyPixels(&rect, stride, bytes, buffer);
    WICPixelFormatGUID wanted = format;
    return scaler->CopyPixels(&rect, static_cast<UINT>(size.width), static_cast<UINT>(size.height), &wanted,
                              WICBitmapTransformRotate0, stride, bytes, buffer);
  }
};

// The smallest size of `w` x `h` halved one or more times that the decoder
// offers and that is at least `need` both ways; `w` x `h` when none is.
PixelSize SmallestOfferedSize(IWICBitmapSourceTransform* scaler, int32_t w, int32_t h, PixelSize need) {
  PixelSize best{w, h};
  for (int32_t d = 2; d <= 64; d *= 2) {
    UINT ow = static_cast<UINT>((w + d - 1) / d), oh = static_cast<UINT>((h + d - 1) / d);
    if (static_cast<int32_t>(ow) < need.width || static_cast<int32_t>(oh) < need.height) break;
    if (FAILED(scaler->GetClosestSize(&ow, &oh))) break;
    const bool fits = static_cast<int32_t>(ow) >= need.width && static_cast<int32_t>(oh) >= need.height &&
                      static_cast<int32_t>(ow) <= w && static_cast<int32_t>(oh) <= h;
    if (fits && int64_t{ow} * oh < int64_t{best.width} * best.height)
      best = PixelSize{static_cast<int32_t>(ow), static_cast<int32_t>(oh)};
  }
  return best;
}

void UseDecoderScaling(IWICBitmapSource* frame, const WICPixelFormatGUID& format, PixelSize need, StripSource* out) {
  ComPtr<IWICBitmapSourceTransform> scaler;
  if (need.width >= out->size.width && need.height >= out->size.height) return;
  if (FAILED(frame->QueryInterface(IID_PPV_ARGS(&scaler)))) return;  // Wine's decoders: not offered
  WICPixelFormatGUID closest = format;
  BOOL plain = FALSE;
  if (FAILED(scaler->GetClosestPixelFormat(&closest)) || !IsEqualGUID(closest, format) ||
      FAILED(scaler->DoesSupportTransform(WICBitmapTransformRotate0, &plain)) || !plain)
    return;
  const PixelSize size = SmallestOfferedSize(scaler.Get(), out->size.width, out->size.height, need);
  if (size.width == out->size.width && size.height == out->size.height) return;
  out->scaler = std::move(scaler);
  out->size = size;
}

bool OpenStrips(IWICBitmapSource* frame, PixelSize frameSize, PixelSize need, StripSource* out) {
  WICPixelFormatGUID format{};
  if (FAILED(frame->GetPixelFormat(&format))) return false;
  out->size = frameSize;
  out->format = format;
  if (HoldsCmyk(format)) {
    out->source = ConvertedCopy(frame, GUID_WICPixelFormat32bppBGRA);
    return out->source != nullptr;
  }
  if (IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) || IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    out->source = frame;
    out->bgr24 = IsEqualGUID(format, GUID_WICPixelFormat24bppBGR);
    UseDecoderScaling(frame, format, need, out);
    return true;
  }
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(Factory()->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return false;
  out->source = std::move(converter);
  return true;
}

// B, G, R bytes to B, G, R, A pixels with A = 255, as WIC's converter does.
void ExpandBgr(const uint8_t* bgr, size_t count, uint32_t* out) {
  for (size_t i = 0; i < count; ++i, bgr += 3)
    out[i] = 0xFF000000u | uint32_t{bgr[0]} | uint32_t{bgr[1]} << 8 | uint32_t{bgr[2]} << 16;
}

// Where the strips go: summed into the resampler, or, at the picture's own
// size, copied straight into the result.
class StripSink {
 public:
  bool Start(int32_t w, int32_t h, PixelSize size) {
    copy_ = size.width == w && size.height == h;
    return copy_ ? AllocatePixels(&whole_, w, h) : resampler_.Start(w, h, size.width, size.height);
  }
  // The buffer the next strip of `rows` rows starting at row `y` is expanded into.
  uint32_t* Target(uint32_t* strip, int32_t y) {
    return copy_ ? whole_.pixels.data() + static_cast<size_t>(y) * whole_.width : strip;
  }
  bool Add(const uint32_t* rows, int32_t width, int32_t count) {
    if (copy_) return true;
    const PixelView view{reinterpret_cast<const uint8_t*>(rows), width, count, static_cast<size_t>(width) * 4};
    return resampler_.AddRows(view);
  }
  bool Finish(PixelImage* out) {
    if (!copy_) return resampler_.Finish(out);
    *out = std::move(whole_);
    return true;
  }

 private:
  bool copy_ = false;
  PixelImage whole_;
  RowResampler resampler_;
};

std::optional<Thumbnail> DecodeSource(IWICBitmapSource* frame, PictureInfo info, const ScaleChoice& choose,
                                      const DecodeCancel& cancelled) {
  const PixelSize fitted = choose(info.width, info.height);
  StripSource strips;
  if (!OpenStrips(frame, PixelSize{info.width, info.height}, fitted, &strips)) return std::nullopt;

  const int32_t w = strips.size.width, h = strips.size.height;
  StripSink sink;
  if (!sink.Start(w, h, fitted)) return std::nullopt;
  const size_t rowBytes = static_cast<size_t>(w) * 4;
  const int32_t stripRows = static_cast<int32_t>(std::clamp<size_t>(kStripBytes / rowBytes, 1, static_cast<size_t>(h)));
  const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(stripRows);
  std::vector<uint32_t> strip(pixels);
  std::vector<uint8_t> bgr(strips.bgr24 ? pixels * 3 : 0);
  for (int32_t y = 0; y < h; y += stripRows) {
    if (cancelled && cancelled()) return std::nullopt;
    const int32_t rows = std::min(stripRows, h - y);
    const WICRect rect{0, y, w, rows};
    uint32_t* target = sink.Target(strip.data(), y);
    // A decoder that opens a file but cannot decode its strips (Wine's TIFF
    // with JPEG or LZMA) fails here, as the loader's full copy would.
    const size_t readBytes = strips.bgr24 ? static_cast<size_t>(w) * 3 : rowBytes;
    BYTE* read = strips.bgr24 ? bgr.data() : reinterpret_cast<BYTE*>(target);
    if (FAILED(strips.Read(rect, static_cast<UINT>(readBytes), static_cast<UINT>(readBytes * rows), read)))
      return std::nullopt;
    if (strips.bgr24) ExpandBgr(bgr.data(), static_cast<size_t>(w) * rows, target);
    if (!sink.Add(target, w, rows)) return std::nullopt;
  }
  Thumbnail made;
  if (!sink.Finish(&made.pixels)) return std::nullopt;
  made.info = info;
  return made;
}

std::optional<Thumbnail> Decode(const char* path, int type, const ScaleChoice& choose, const DecodeCancel& cancelled) {
  if (type < static_cast<int>(ImageFormat::kPng) || type > static_cast<int>(ImageFormat::kJpeg)) return std::nullopt;
  DecodedFrame decoded;
  if (!OpenFrame(path, static_cast<ImageFormat>(type), 0, &decoded, StreamedSizeIsAllowed)) return std::nullopt;
  return DecodeSource(decoded.frame.Get(), PictureInfo{decoded.width, decoded.height, decoded.bits}, choose, cancelled);
}

}  // namespace

std::optional<Thumbnail> DecodeScaled(const char* path, int type, const ScaleChoice& choose,
                                      const DecodeCancel& cancelled) {
  try {
    return Decode(path, type, choose, cancelled);
  } catch (...) {  // bad_alloc from a vector: no picture
    win::LogCaughtException("decoding a picture", path);
    return std::nullopt;
  }
}

std::optional<Thumbnail> DecodeScaled(IWICBitmapSource* frame, PictureInfo info, const ScaleChoice& choose,
                                      const DecodeCancel& cancelled) {
  try {
    return DecodeSource(frame, info, choose, cancelled);
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<Thumbnail> MakeThumbnail(const char* path, int type, int32_t boxWidth, int32_t boxHeight,
                                       const DecodeCancel& cancelled) {
  return DecodeScaled(
      path, type,
      [boxWidth, boxHeight](int32_t w, int32_t h) {
        return boxWidth > 0 && boxHeight > 0 ? FitIntoBox(w, h, boxWidth, boxHeight) : PixelSize{w, h};
      },
      cancelled);
}

ThreadImaging::ThreadImaging() : com_(COINIT_MULTITHREADED) {
  if (!com_.ok() || FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_PPV_ARGS(&factory_))))
    return;
  previous_ = SetThreadFactory(factory_.Get());
}

ThreadImaging::~ThreadImaging() {
  if (factory_ != nullptr) SetThreadFactory(previous_);
}

}  // namespace zv::imagelib
