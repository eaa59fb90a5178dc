#pragma once
// What the library's loaders share with the thumbnail maker, inside
// imagelib/ only: the factory of the calling thread, opening a file's frame
// after the header checks, and the conversions a frame may need.
#include <windows.h>

#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>

#include "core/imagelib/image_header.h"
#include "core/imagelib/pixels.h"

// Not in mingw-w64's wincodec.h: the interface through which a decoder
// scales (and turns) while it decodes, as Windows' JPEG decoder does.
MIDL_INTERFACE("3B16811B-6A43-4EC9-B713-3D5A0C13B940")
IWICBitmapSourceTransform : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                               WICPixelFormatGUID* format, WICBitmapTransformOptions transform,
                                               UINT stride, UINT bufferSize, BYTE* buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};
__CRT_UUID_DECL(IWICBitmapSourceTransform, 0x3b16811b, 0x6a43, 0x4ec9, 0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40)
constexpr IID IID_IWICBitmapSourceTransform = {0x3b16811b, 0x6a43, 0x4ec9, {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};

namespace zv::imagelib {

// The factory the calling thread uses: its own when it set one (a worker
// thread's ThreadImaging), else the one Bind made on the user-interface
// thread; null when neither exists.
IWICImagingFactory* Factory();
// Sets the calling thread's own factory (null: none) and answers the one
// it replaces; the caller keeps it alive while it is set.
IWICImagingFactory* SetThreadFactory(IWICImagingFactory* factory);

struct DecodedFrame {
  Microsoft::WRL::ComPtr<IWICBitmapFrameDecode> frame;
  int32_t width = 0;
  int32_t height = 0;
  int bits = 0;  // the file's own depth, from its headers
  double dpiX = 96.0;
  double dpiY = 96.0;
};

// Opens frame `frameIndex` of `path` for decoding. The headers are read
// first: a file of another format (kNone takes any of ours), one whose size
// we would not hold, or one the decoder cannot read is turned away before
// any decoder runs (Wine's JPEG decoder decodes the whole picture as soon as
// it is made). A decoder that fails on the pixels fails at CopyPixels.
// Readers that take the frame in strips pass StreamedSizeIsAllowed, which
// admits pictures too large to hold whole.
bool OpenFrame(const char* path, ImageFormat wanted, UINT frameIndex, DecodedFrame* out,
               bool (*sizeAllowed)(int64_t, int64_t) = PixelSizeIsAllowed);

// The layouts that not every format converter takes.
bool HoldsCmyk(const WICPixelFormatGUID& format);

// An in-memory copy of `source` in `format` (or a plain copy when it is
// already in it); CMYK by our own rule where the converter refuses it.
Microsoft::WRL::ComPtr<IWICBitmap> ConvertedCopy(IWICBitmapSource* source, const WICPixelFormatGUID& format);

}  // namespace zv::imagelib
