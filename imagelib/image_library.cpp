#include "imagelib/image_library.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <atomic>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "core/imagelib/byte_source.h"
#include "core/imagelib/image_header.h"
#include "core/imagelib/pixels.h"
#include "core/imagelib/tiff_writer.h"
#include "imagelib/handle_byte_source.h"
#include "imagelib/wic_decode.h"
#include "win/diagnostics.h"
#include "win/file_replace.h"
#include "win/gdi.h"
#include "win/text_convert.h"

using Microsoft::WRL::ComPtr;

namespace zv::imagelib {

struct ImageObject {
  ComPtr<IWICBitmap> bitmap;
  WICPixelFormatGUID format{};
  int width = 0;
  int height = 0;
  int bits = 0;  // as loaded: the file's bit depth; after a conversion, the new one
  double dpiX = 96.0;
  double dpiY = 96.0;
};

namespace {

// Made and released by the user-interface thread (Bind, Unbind); a worker
// thread uses its own factory (ThreadImaging), so only that thread reads it.
ComPtr<IWICImagingFactory> g_factory;
thread_local IWICImagingFactory* t_threadFactory = nullptr;
// Handles are made and freed on worker threads too (the thumbnail maker's
// callers may use the library there).
std::atomic<long> g_liveImages{0};

}  // namespace

IWICImagingFactory* Factory() { return t_threadFactory != nullptr ? t_threadFactory : g_factory.Get(); }

IWICImagingFactory* SetThreadFactory(IWICImagingFactory* factory) {
  return std::exchange(t_threadFactory, factory);
}

namespace {

bool SameFormat(const WICPixelFormatGUID& a, const WICPixelFormatGUID& b) { return IsEqualGUID(a, b) != FALSE; }

bool Is32BitColour(const WICPixelFormatGUID& f) {
  return SameFormat(f, GUID_WICPixelFormat32bppBGRA) || SameFormat(f, GUID_WICPixelFormat32bppBGR);
}

ImageHandle NewObject(ComPtr<IWICBitmap> bitmap, int bits, double dpiX, double dpiY) {
  UINT w = 0, h = 0;
  WICPixelFormatGUID format{};
  if (FAILED(bitmap->GetSize(&w, &h)) || FAILED(bitmap->GetPixelFormat(&format))) return nullptr;
  auto* object = new (std::nothrow) ImageObject;
  if (object == nullptr) return nullptr;
  object->bitmap = std::move(bitmap);
  object->format = format;
  object->width = static_cast<int>(w);
  object->height = static_cast<int>(h);
  object->bits = bits;
  object->dpiX = dpiX > 0 ? dpiX : 96.0;
  object->dpiY = dpiY > 0 ? dpiY : 96.0;
  ++g_liveImages;
  return object;
}

// CMYK to BGR by the simple complement rule, for the CMYK layouts that
// Wine's format converter does not take (64-bit CMYK TIFF). 32-bit CMYK is
// converted the same way when the converter refuses it.
ComPtr<IWICBitmap> CmykToBgra(IWICBitmapSource* source, bool sixteenBit) {
  UINT w = 0, h = 0;
  if (FAILED(source->GetSize(&w, &h)) || !PixelSizeIsAllowed(w, h)) return nullptr;
  const size_t sampleBytes = sixteenBit ? 2 : 1;
  const size_t stride = static_cast<size_t>(w) * 4 * sampleBytes;
  std::vector<uint8_t> cmyk(stride * h);
  if (FAILED(source->CopyPixels(nullptr, static_cast<UINT>(stride), static_cast<UINT>(cmyk.size()), cmyk.data())))
    return nullptr;
  std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i) {
    unsigned v[4];
    for (int c = 0; c < 4; ++c) {
      const uint8_t* s = cmyk.data() + (i * 4 + c) * sampleBytes;
      v[c] = sixteenBit ? s[1] : s[0];  // the high byte of a little-endian sample
    }
    const unsigned k = 255 - v[3];
    bgra[i * 4 + 0] = static_cast<uint8_t>((255 - v[2]) * k / 255);
    bgra[i * 4 + 1] = static_cast<uint8_t>((255 - v[1]) * k / 255);
    bgra[i * 4 + 2] = static_cast<uint8_t>((255 - v[0]) * k / 255);
    bgra[i * 4 + 3] = 255;
  }
  ComPtr<IWICBitmap> out;
  if (FAILED(Factory()->CreateBitmapFromMemory(w, h, GUID_WICPixelFormat32bppBGRA, w * 4,
                                               static_cast<UINT>(bgra.size()), bgra.data(), &out)))
    return nullptr;
  return out;
}

}  // namespace

ComPtr<IWICBitmap> ConvertedCopy(IWICBitmapSource* source, const WICPixelFormatGUID& format) {
  WICPixelFormatGUID have{};
  if (FAILED(source->GetPixelFormat(&have))) return nullptr;
  ComPtr<IWICBitmap> out;
  if (SameFormat(have, format)) {
    if (FAILED(Factory()->CreateBitmapFromSource(source, WICBitmapCacheOnLoad, &out))) return nullptr;
    return out;
  }
  ComPtr<IWICFormatConverter> converter;
  if (SUCCEEDED(Factory()->CreateFormatConverter(&converter)) &&
      SUCCEEDED(converter->Initialize(source, format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                      WICBitmapPaletteTypeCustom)) &&
      SUCCEEDED(Factory()->CreateBitmapFromSource(converter.Get(), WICBitmapCacheOnLoad, &out))) {
    return out;
  }
  const bool cmyk32 = SameFormat(have, GUID_WICPixelFormat32bppCMYK);
  const bool cmyk64 = SameFormat(have, GUID_WICPixelFormat64bppCMYK);
  if (!cmyk32 && !cmyk64) return nullptr;
  ComPtr<IWICBitmap> bgra = CmykToBgra(source, cmyk64);
  if (bgra == nullptr || SameFormat(format, GUID_WICPixelFormat32bppBGRA)) return bgra;
  return ConvertedCopy(bgra.Get(), format);
}

bool HoldsCmyk(const WICPixelFormatGUID& format) {
  return SameFormat(format, GUID_WICPixelFormat32bppCMYK) || SameFormat(format, GUID_WICPixelFormat64bppCMYK);
}

namespace {

// Reading the pixels of a 32-bit bitmap in place.
class PixelLock {
 public:
  explicit PixelLock(IWICBitmap* bitmap) {
    UINT w = 0, h = 0;
    if (FAILED(bitmap->GetSize(&w, &h))) return;
    WICRect all{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
    if (FAILED(bitmap->Lock(&all, WICBitmapLockRead, &lock_))) return;
    UINT stride = 0, size = 0;
    BYTE* data = nullptr;
    if (FAILED(lock_->GetStride(&stride)) || FAILED(lock_->GetDataPointer(&size, &data)) || data == nullptr) {
      lock_.Reset();
      return;
    }
    if (static_cast<uint64_t>(stride) * h > size || stride < w * 4) {
      lock_.Reset();
      return;
    }
    view_.data = data;
    view_.width = static_cast<int32_t>(w);
    view_.height = static_cast<int32_t>(h);
    view_.stride = stride;
  }
  bool ok() const { return lock_ != nullptr; }
  const PixelView& view() const { return view_; }

 private:
  ComPtr<IWICBitmapLock> lock_;
  PixelView view_;
};

// The 32-bit BGRA form of an image: the image's own bitmap when it is
// already 32-bit, else a converted copy.
ComPtr<IWICBitmap> As32Bit(const ImageObject& image) {
  if (Is32BitColour(image.format)) return image.bitmap;
  return ConvertedCopy(image.bitmap.Get(), GUID_WICPixelFormat32bppBGRA);
}

ImageHandle FromPixels(const PixelImage& pixels, double dpiX, double dpiY) {
  ComPtr<IWICBitmap> bitmap;
  const UINT stride = static_cast<UINT>(pixels.width) * 4;
  if (FAILED(Factory()->CreateBitmapFromMemory(static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height),
                                               GUID_WICPixelFormat32bppBGRA, stride,
                                               stride * static_cast<UINT>(pixels.height),
                                               reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels.pixels.data())),
                                               &bitmap)))
    return nullptr;
  return NewObject(std::move(bitmap), 32, dpiX, dpiY);
}

std::wstring WidePath(const char* path) { return zv::win::ToWide(path, CP_ACP); }

const GUID* ContainerOf(ImageFormat format) {
  switch (format) {
    case ImageFormat::kPng: return &GUID_ContainerFormatPng;
    case ImageFormat::kTiff: return &GUID_ContainerFormatTiff;
    case ImageFormat::kBmp: return &GUID_ContainerFormatBmp;
    case ImageFormat::kJpeg: return &GUID_ContainerFormatJpeg;
    default: return nullptr;
  }
}

}  // namespace

bool OpenFrame(const char* path, ImageFormat wanted, UINT frameIndex, DecodedFrame* out,
               bool (*sizeAllowed)(int64_t, int64_t)) {
  if (Factory() == nullptr || path == nullptr) return false;
  const auto refused = [path](const char* why, HRESULT result = S_OK) {
    win::LogFailure(std::string("picture not decoded: ") + why, path,
                    FAILED(result) ? win::Hresult(result) : win::FailureCode{});
    return false;
  };
  ImageHeader header;
  if (!ProbeImageFile(path, &header)) return refused("its headers do not read");
  if (wanted != ImageFormat::kNone && header.format != wanted) return refused("its contents are of another type");
  if (!header.decoderCanRead) return refused("its kind of image is not supported");
  if (!sizeAllowed(header.width, header.height)) return refused("it is too large");
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICStream> stream;
  HRESULT result = Factory()->CreateDecoder(*ContainerOf(header.format), nullptr, &decoder);
  if (FAILED(result)) return refused("no decoder", result);
  if (FAILED(result = Factory()->CreateStream(&stream)) ||
      FAILED(result = stream->InitializeFromFilename(WidePath(path).c_str(), GENERIC_READ)))
    return refused("the file does not open", result);
  if (FAILED(result = decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)))
    return refused("the decoder refused it", result);
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(result = decoder->GetFrame(frameIndex, &frame))) return refused("no such frame", result);
  UINT w = 0, h = 0;
  if (FAILED(result = frame->GetSize(&w, &h))) return refused("no size", result);
  if (!sizeAllowed(w, h)) return refused("it is too large");
  out->dpiX = out->dpiY = 96;
  frame->GetResolution(&out->dpiX, &out->dpiY);
  out->frame = std::move(frame);
  out->width = static_cast<int32_t>(w);
  out->height = static_cast<int32_t>(h);
  out->bits = header.bitsPerPixel;
  return true;
}

namespace {

// Decodes the first frame of `path` into memory, so that the file is closed
// when this returns.
ImageHandle Load(const char* path, ImageFormat wanted, UINT frameIndex = 0) {
  DecodedFrame decoded;
  if (!OpenFrame(path, wanted, frameIndex, &decoded)) return nullptr;
  ComPtr<IWICBitmap> bitmap;
  if (FAILED(Factory()->CreateBitmapFromSource(decoded.frame.Get(), WICBitmapCacheOnLoad, &bitmap))) return nullptr;
  // The copy above read every pixel, so a decoder that opens a file but
  // cannot decode its strips (Wine's TIFF with JPEG or LZMA) has failed there.
  WICPixelFormatGUID format{};
  if (FAILED(bitmap->GetPixelFormat(&format))) return nullptr;
  // A CMYK picture is kept as BGRA: not every converter takes CMYK.
  if (HoldsCmyk(format)) {
    bitmap = ConvertedCopy(bitmap.Get(), GUID_WICPixelFormat32bppBGRA);
    if (bitmap == nullptr) return nullptr;
  }
  return NewObject(std::move(bitmap), decoded.bits, decoded.dpiX, decoded.dpiY);
}

template <class Result, class Body>
Result Guarded(Result failure, Body body) {
  try {
    return body();
  } catch (...) {  // bad_alloc from a string or vector: the operation fails
    win::LogCaughtException("the image library");
    return failure;
  }
}

// ---- saving ----

// Writes `data` as the file `path`, whole or not at all (win::SaveReplacing):
// on any failure `path` is as it was before.
bool WriteFileInPlace(const char* path, const void* data, size_t size) {
  // A read-only file under the target name stays: Windows' MoveFileEx
  // refuses to replace it by itself, Wine's does not, so ask first.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    win::LogFailure("picture not saved, a read-only file or a folder holds its name", path);
    return false;
  }
  return win::SaveReplacing(path, [data, size](HANDLE file) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t left = size; left != 0;) {
      const DWORD piece = left > (1u << 24) ? (1u << 24) : static_cast<DWORD>(left);
      DWORD written = 0;
      if (!WriteFile(file, p, piece, &written, nullptr) || written != piece) return false;
      p += piece;
      left -= piece;
    }
    return true;
  });
}

struct EncoderOption {
  const wchar_t* name;
  VARIANT value;
};

// Encodes `image` into memory with the given container and options.
bool Encode(ImageHandle image, const GUID& container, const std::vector<EncoderOption>& options,
            std::vector<uint8_t>* bytes) {
  ComPtr<IStream> memory;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &memory))) return false;
  ComPtr<IWICBitmapEncoder> encoder;
  if (FAILED(Factory()->CreateEncoder(container, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(memory.Get(), WICBitmapEncoderNoCache)))
    return false;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> bag;
  if (FAILED(encoder->CreateNewFrame(&frame, &bag))) return false;
  for (const EncoderOption& option : options) {
    PROPBAG2 name{};
    name.pstrName = const_cast<LPOLESTR>(option.name);
    VARIANT value = option.value;
    if (FAILED(bag->Write(1, &name, &value))) return false;
  }
  if (FAILED(frame->Initialize(bag.Get()))) return false;
  if (FAILED(frame->SetSize(static_cast<UINT>(image->width), static_cast<UINT>(image->height)))) return false;
  frame->SetResolution(image->dpiX, image->dpiY);

  // The encoder answers the nearest format it writes; the pixels are
  // converted to it when it differs from ours.
  WICPixelFormatGUID format = image->format;
  if (FAILED(frame->SetPixelFormat(&format))) return false;
  ComPtr<IWICBitmap> pixels = image->bitmap;
  if (!SameFormat(format, image->format)) {
    pixels = ConvertedCopy(image->bitmap.Get(), format);
    if (pixels == nullptr) {
      // An indexed format we hold no palette for: write true colour.
      format = GUID_WICPixelFormat24bppBGR;
      if (FAILED(frame->SetPixelFormat(&format))) return false;
      pixels = ConvertedCopy(image->bitmap.Get(), format);
      if (pixels == nullptr) return false;
    }
  }
  ComPtr<IWICPalette> palette;
  if (SUCCEEDED(Factory()->CreatePalette(&palette)) && SUCCEEDED(pixels->CopyPalette(palette.Get()))) {
    frame->SetPalette(palette.Get());
  }
  if (FAILED(frame->WriteSource(pixels.Get(), nullptr)) || FAILED(frame->Commit()) || FAILED(encoder->Commit()))
    return false;

  STATSTG stat{};
  HGLOBAL global = nullptr;
  if (FAILED(memory->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(memory.Get(), &global))) return false;
  const size_t size = static_cast<size_t>(stat.cbSize.QuadPart);
  if (size == 0 || size > GlobalSize(global)) return false;
  const auto* data = static_cast<const uint8_t*>(GlobalLock(global));
  if (data == nullptr) return false;
  bytes->assign(data, data + size);
  GlobalUnlock(global);
  return true;
}

bool Save(const char* path, ImageHandle image, const GUID& container, const std::vector<EncoderOption>& options) {
  if (Factory() == nullptr || path == nullptr || image == nullptr) return false;
  std::vector<uint8_t> bytes;
  return Encode(image, container, options, &bytes) && WriteFileInPlace(path, bytes.data(), bytes.size());
}

// TIFF with LZW: Wine's TIFF encoder ignores TiffCompressionMethod and
// writes uncompressed strips, so what it wrote is checked, and our own LZW
// writer used when the encoder did not compress.
bool SaveTiffLzw(const char* path, ImageHandle image, const std::vector<EncoderOption>& options) {
  if (Factory() == nullptr || path == nullptr || image == nullptr) return false;
  std::vector<uint8_t> bytes;
  if (!Encode(image, GUID_ContainerFormatTiff, options, &bytes)) return false;
  MemoryByteSource written(bytes.data(), bytes.size());
  ImageHeader header;
  if (!ParseTiffHeader(written, &header) || header.compression != 5) {
    ComPtr<IWICBitmap> bgra = As32Bit(*image);
    if (bgra == nullptr) return false;
    PixelLock lock(bgra.Get());
    if (!lock.ok() || !WriteLzwTiff(lock.view(), image->dpiX, image->dpiY, &bytes)) return false;
  }
  return WriteFileInPlace(path, bytes.data(), bytes.size());
}

VARIANT ByteVariant(BYTE v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_UI1;
  x.bVal = v;
  return x;
}

VARIANT FloatVariant(float v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_R4;
  x.fltVal = v;
  return x;
}

}  // namespace

bool Bind() {
  if (g_factory != nullptr) return true;
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
    return false;
  g_factory = std::move(factory);
  return true;
}

void Unbind() { g_factory.Reset(); }

bool IsBound() { return g_factory != nullptr; }

int IKFileType(const char* path, int /*flags*/, void* record) {
  if (Factory() == nullptr || path == nullptr || record == nullptr) return 0;
  const win::UniqueFile file = OpenForSharedReading(path);
  if (!file) return 0;
  HandleByteSource handle(file.get());
  HeadKeepingSource source(handle);
  ImageHeader header;
  if (!ParseImageHeader(source, &header)) return 0;
  StoreFileInfoRecord(header, static_cast<uint8_t*>(record));
  return 1;
}

ImageHandle IKBmpFileLoad(const char* path, int, int, int, int) {
  return Guarded<ImageHandle>(nullptr, [&] { return Load(path, ImageFormat::kBmp); });
}
ImageHandle IKJpegFileLoad(const char* path, int, int, int, int) {
  return Guarded<ImageHandle>(nullptr, [&] { return Load(path, ImageFormat::kJpeg); });
}
ImageHandle IKPngFileLoad(const char* path, int, int, int, int) {
  return Guarded<ImageHandle>(nullptr, [&] { return Load(path, ImageFormat::kPng); });
}
ImageHandle IKTiffFileLoad(const char* path, int page, int, int, int, int) {
  if (page < 0) return nullptr;
  return Guarded<ImageHandle>(nullptr, [&] { return Load(path, ImageFormat::kTiff, static_cast<UINT>(page)); });
}
ImageHandle IKFileLoad(const char* path, int, int, int, int) {
  return Guarded<ImageHandle>(nullptr, [&] { return Load(path, ImageFormat::kNone); });
}

int IKGetImageType(ImageHandle image, void* record) {
  if (Factory() == nullptr || image == nullptr || record == nullptr) return 0;
  auto* r = static_cast<uint8_t*>(record);
  std::memset(r, 0, kInfoRecordSize);
  StoreRecordInt16(r, 0, static_cast<int16_t>(image->bits));
  StoreRecordInt32(r, 16, image->width);
  StoreRecordInt32(r, 20, image->height);
  return 1;
}

ImageHandle IKConvertColor(ImageHandle image, int bits, int, int, int, int, int, int, int) {
  if (Factory() == nullptr || image == nullptr) return nullptr;
  const WICPixelFormatGUID* format;
  if (bits == 32) format = &GUID_WICPixelFormat32bppBGRA;
  else if (bits == 24) format = &GUID_WICPixelFormat24bppBGR;
  else return nullptr;
  return Guarded<ImageHandle>(nullptr, [&]() -> ImageHandle {
    ComPtr<IWICBitmap> copy = ConvertedCopy(image->bitmap.Get(), *format);
    if (copy == nullptr) return nullptr;
    return NewObject(std::move(copy), bits, image->dpiX, image->dpiY);
  });
}

// Runs a pixel transform on the 32-bit pixels of `source` and wraps the
// result as a new image with the given resolution.
template <class Transform>
ImageHandle TransformPixels(const ImageObject& source, double dpiX, double dpiY, Transform&& transform) {
  return Guarded<ImageHandle>(nullptr, [&]() -> ImageHandle {
    ComPtr<IWICBitmap> bgra = As32Bit(source);
    if (bgra == nullptr) return nullptr;
    PixelLock lock(bgra.Get());
    if (!lock.ok()) return nullptr;
    PixelImage out;
    if (!transform(lock.view(), &out)) return nullptr;
    return FromPixels(out, dpiX, dpiY);
  });
}

ImageHandle IKRotation(ImageHandle* image, int angle, int mirrorLeftRight, int mirrorTopBottom, int, int, int, int,
                       int, int, int, int, int) {
  if (Factory() == nullptr || image == nullptr || *image == nullptr) return nullptr;
  const ImageObject& source = **image;
  const bool sideways = (angle / 9000) % 2 != 0;
  return TransformPixels(source, sideways ? source.dpiY : source.dpiX, sideways ? source.dpiX : source.dpiY,
                         [&](const auto& pixels, PixelImage* out) {
                           return TurnAndMirror(pixels, angle, mirrorLeftRight != 0, mirrorTopBottom != 0, out);
                         });
}

int IKRotationEx(ImageHandle* image, ImageHandle* result, int angle, int mirrorLeftRight, int mirrorTopBottom) {
  if (result == nullptr) return 0;
  ImageHandle turned = IKRotation(image, angle, mirrorLeftRight, mirrorTopBottom);
  if (turned == nullptr) return 0;
  *result = turned;
  return 1;
}

ImageHandle IKResize(ImageHandle* image, int width, int height, int, int, int, int, int) {
  if (Factory() == nullptr || image == nullptr || *image == nullptr) return nullptr;
  const ImageObject& source = **image;
  return TransformPixels(source, source.dpiX * width / source.width, source.dpiY * height / source.height,
                         [&](const auto& pixels, PixelImage* out) { return ResizePixels(pixels, width, height, out); });
}

bool ReadPixels32(ImageHandle image, PixelImage* out) {
  if (Factory() == nullptr || image == nullptr || out == nullptr) return false;
  return Guarded<bool>(false, [&] {
    ComPtr<IWICBitmap> bgra = As32Bit(*image);
    if (bgra == nullptr) return false;
    PixelLock lock(bgra.Get());
    if (!lock.ok()) return false;
    const PixelView& v = lock.view();
    PixelImage copy;
    if (!AllocatePixels(&copy, v.width, v.height)) return false;
    for (int32_t y = 0; y < v.height; ++y)
      std::memcpy(copy.pixels.data() + static_cast<size_t>(y) * v.width, v.Row(y), static_cast<size_t>(v.width) * 4);
    *out = std::move(copy);
    return true;
  });
}

HBITMAP IKBitmapFromDib(ImageHandle image) {
  if (Factory() == nullptr || image == nullptr) return nullptr;
  return Guarded<HBITMAP>(nullptr, [&]() -> HBITMAP {
    ComPtr<IWICBitmap> bgra = As32Bit(*image);
    if (bgra == nullptr) return nullptr;
    PixelLock lock(bgra.Get());
    if (!lock.ok()) return nullptr;
    const PixelView& v = lock.view();
    // A DIB row of 32-bit pixels needs no padding; copy only when the lock's
    // rows are wider than that.
    std::vector<uint8_t> packed;
    const void* bits = v.data;
    if (v.stride != static_cast<size_t>(v.width) * 4) {
      packed.resize(static_cast<size_t>(v.width) * 4 * v.height);
      for (int32_t y = 0; y < v.height; ++y)
        std::memcpy(packed.data() + static_cast<size_t>(y) * v.width * 4, v.Row(y), static_cast<size_t>(v.width) * 4);
      bits = packed.data();
    }
    const BITMAPINFO info = win::TopDownDib32(v.width, v.height);
    win::WindowDC screen(nullptr);
    if (screen.get() == nullptr) return static_cast<HBITMAP>(nullptr);
    return CreateDIBitmap(screen.get(), &info.bmiHeader, CBM_INIT, bits, &info, DIB_RGB_COLORS);
  });
}

int IKBmpFileSave(const char* path, ImageHandle image, int, int) {
  return Guarded<int>(0, [&] { return Save(path, image, GUID_ContainerFormatBmp, {}) ? 1 : 0; });
}

int IKPngFileSave(const char* path, ImageHandle image, int, int) {
  return Guarded<int>(0, [&] { return Save(path, image, GUID_ContainerFormatPng, {}) ? 1 : 0; });
}

int IKTiffFileSave(const char* path, ImageHandle image, int compression) {
  BYTE method;
  switch (compression) {
    case 0: method = WICTiffCompressionDontCare; break;
    case 1: method = WICTiffCompressionNone; break;
    case 3: method = WICTiffCompressionCCITT3; break;
    case 4: method = WICTiffCompressionCCITT4; break;
    case 5: method = WICTiffCompressionLZW; break;
    case 8: case 32946: method = WICTiffCompressionZIP; break;
    case 32773: method = WICTiffCompressionRLE; break;
    default: return 0;
  }
  return Guarded<int>(0, [&] {
    const std::vector<EncoderOption> options = {{L"TiffCompressionMethod", ByteVariant(method)}};
    if (compression == 5) return SaveTiffLzw(path, image, options) ? 1 : 0;
    return Save(path, image, GUID_ContainerFormatTiff, options) ? 1 : 0;
  });
}

int IKJpegFileSave(const char* path, ImageHandle image, int, int quality, int subsampling) {
  if (quality < 1 || quality > 100) return 0;
  BYTE mode;
  switch (subsampling) {
    case 0: mode = WICJpegYCrCbSubsampling444; break;
    case 1: mode = WICJpegYCrCbSubsampling422; break;
    case 2: mode = WICJpegYCrCbSubsampling420; break;
    default: return 0;
  }
  return Guarded<int>(0, [&] {
    return Save(path, image, GUID_ContainerFormatJpeg,
                {{L"ImageQuality", FloatVariant(static_cast<float>(quality) / 100.0f)},
                 {L"JpegYCrCbSubsampling", ByteVariant(mode)}})
               ? 1
               : 0;
  });
}

void IKFreeMemory(ImageHandle image) {
  if (image == nullptr) return;
  --g_liveImages;
  delete image;
}

long LiveImageCount() { return g_liveImages.load(); }

}  // namespace zv::imagelib
