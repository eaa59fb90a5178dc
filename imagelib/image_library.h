#pragma once
// The image library: decoding, encoding and transforming images for the rest
// of the program, passed between its operations as opaque handles. Codecs
// are those of the Windows Imaging Component (WIC); sizes are read from the
// file headers by our own parsers, and turning, mirroring and resampling are
// our own code on 32-bit pixels.
//
// Start-up binds the library once, after OLE is initialised (Bind creates the
// WIC imaging factory); exit unbinds it. While unbound, every operation
// answers its failure result.
//
// Handles belong to the caller, who releases each with IKFreeMemory on every
// path. No operation consumes the handle it is given.
#include <windows.h>

#include <cstddef>

#include "core/imagelib/pixels.h"

namespace zv::imagelib {

struct ImageObject;
using ImageHandle = ImageObject*;

// Bind: true when the imaging factory was made (also when already bound).
bool Bind();
void Unbind();
bool IsBound();

// Size of the information records of IKFileType and IKGetImageType.
constexpr size_t kInfoRecordSize = 1064;

// Fills `record` (kInfoRecordSize bytes) from the file's headers without
// decoding: bit depth int16 at 0, width int32 at 12, height int32 at 16 and,
// at 28, the int16 value 14 when the decoder cannot read the file's
// compression or layout. 1 = recognised, 0 = not an image of ours or damaged.
int IKFileType(const char* path, int flags, void* record);

// Decode the first image of a file of that format; 0 on any failure,
// including a file of another format or one too large to hold.
ImageHandle IKBmpFileLoad(const char* path, int reserved1 = 0, int reserved2 = 0, int reserved3 = 0, int reserved4 = 0);
ImageHandle IKJpegFileLoad(const char* path, int reserved1 = 0, int reserved2 = 0, int reserved3 = 0, int reserved4 = 0);
ImageHandle IKPngFileLoad(const char* path, int reserved1 = 0, int reserved2 = 0, int reserved3 = 0, int reserved4 = 0);
ImageHandle IKTiffFileLoad(const char* path, int page = 0, int reserved2 = 0, int reserved3 = 0, int reserved4 = 0,
                           int reserved5 = 0);
// Any of the four formats, told by the file's signature.
ImageHandle IKFileLoad(const char* path, int reserved1 = 0, int reserved2 = 0, int reserved3 = 0, int reserved4 = 0);

// Fills `record` (kInfoRecordSize bytes): bit depth int16 at 0, width int32
// at 16, height int32 at 20. 1 = filled.
int IKGetImageType(ImageHandle image, void* record);

// A copy in `bits` per pixel: 32 (B, G, R, A bytes) or 24 (B, G, R).
ImageHandle IKConvertColor(ImageHandle image, int bits, int reserved1 = 0, int reserved2 = 0, int reserved3 = 128,
                           int reserved4 = 0, int reserved5 = 0, int reserved6 = 0, int reserved7 = 0);

// A turned and/or mirrored copy: angle in hundredths of a degree (0, 9000 a
// quarter turn to the left, 18000, 27000 a quarter turn to the right), then
// mirror left-right and/or top-bottom. The result has 32 bits per pixel.
ImageHandle IKRotation(ImageHandle* image, int angle, int mirrorLeftRight, int mirrorTopBottom, int keepQuality = 1,
                       int reserved1 = 0, int reserved2 = 0, int background = 255, int reserved3 = 0, int reserved4 = 0,
                       int reserved5 = 0, int reserved6 = 0, int reserved7 = 0);
// The same, storing the copy in *result; 1 = success.
int IKRotationEx(ImageHandle* image, ImageHandle* result, int angle, int mirrorLeftRight, int mirrorTopBottom);

// A resampled copy of width x height, 32 bits per pixel: area averaging
// where it shrinks, bilinear where it grows.
ImageHandle IKResize(ImageHandle* image, int width, int height, int quality = 1, int reserved1 = 0, int reserved2 = 0,
                     int reserved3 = 0, int reserved4 = 0);

// The pixels in 32 bits (B, G, R, A), as IKBitmapFromDib would show them;
// false when there are none or memory runs out.
bool ReadPixels32(ImageHandle image, PixelImage* out);

// A device-dependent bitmap of the screen for display, owned by the caller
// (DeleteObject); 0 on failure.
HBITMAP IKBitmapFromDib(ImageHandle image);

// Saves report 1 when the whole file was written under `path`, else 0. The
// file is written under a temporary name in the target folder and renamed
// into place, so a failed save never leaves a partial file under `path`
// (an existing file there stays as it was).
int IKBmpFileSave(const char* path, ImageHandle image, int reserved1 = 0, int reserved2 = 0);
int IKPngFileSave(const char* path, ImageHandle image, int reserved1 = 0, int reserved2 = 0);
// `compression` is a TIFF compression code: 0 the encoder's choice, 1 none,
// 3 CCITT G3, 4 CCITT G4, 5 LZW, 8 Deflate, 32773 PackBits.
int IKTiffFileSave(const char* path, ImageHandle image, int compression);
// `quality` 1-100; `subsampling` 0 = 4:4:4, 1 = 4:2:2, 2 = 4:2:0.
int IKJpegFileSave(const char* path, ImageHandle image, int reserved = 0, int quality = 75, int subsampling = 2);

// Releases a handle (0 is allowed); works bound or unbound.
void IKFreeMemory(ImageHandle image);

// How many handles exist now (made and not yet freed): the tests use it to
// see that every path frees what it made.
long LiveImageCount();

}  // namespace zv::imagelib
