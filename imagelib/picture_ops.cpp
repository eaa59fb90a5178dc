#include "imagelib/picture_ops.h"

#include "core/imagelib/image_header.h"
#include "core/imagelib/probe_rules.h"

namespace zv::imagelib {

namespace {

// The library's transforms take the handle by address without consuming it.
ImageHandle Turned(const Image& picture, int angle, bool mirrorLeftRight, bool mirrorTopBottom) {
  ImageHandle source = picture.get();
  return IKRotation(&source, angle, mirrorLeftRight, mirrorTopBottom, 1, 0, 0, 255, 0, 0, 0, 0, 0);
}

}  // namespace

Image LoadPicture(const char* path, int type) {
  if (path == nullptr) return {};
  switch (type) {
    case static_cast<int>(ImageFormat::kPng): return Image(IKPngFileLoad(path, 0, 0, 0, 0));
    case static_cast<int>(ImageFormat::kTiff): return Image(IKTiffFileLoad(path, 0, 0, 0, 0, 0));
    case static_cast<int>(ImageFormat::kBmp): return Image(IKBmpFileLoad(path, 0, 0, 0, 0));
    case static_cast<int>(ImageFormat::kJpeg): return Image(IKJpegFileLoad(path, 0, 0, 0, 0));
    default: return {};
  }
}

std::optional<PictureInfo> ReadPictureInfo(const Image& picture) {
  uint8_t record[kInfoRecordSize];
  if (!picture || IKGetImageType(picture.get(), record) == 0) return std::nullopt;
  return PictureInfo{RecordInt32(record, 16), RecordInt32(record, 20), RecordInt16(record, 0)};
}

Image ConvertTo32Bits(Image picture) {
  if (!picture.Replace(IKConvertColor(picture.get(), 32, 0, 0, 128, 0, 0, 0, 0))) return {};
  return picture;
}

Image OrientPicture(Image picture, int orientation) {
  if (orientation <= 0 || orientation > 7) return picture;
  const OrientationSteps steps = StepsForOrientation(orientation);
  if (!picture.Replace(Turned(picture, steps.angle, steps.mirrorLeftRight, steps.mirrorTopBottom))) return {};
  if (steps.thenMirrorLeftRight && !picture.Replace(Turned(picture, 0, true, false))) return {};
  return picture;
}

Image FitPictureIntoBox(Image picture, int32_t boxWidth, int32_t boxHeight) {
  if (boxWidth <= 0 || boxHeight <= 0) return picture;
  const std::optional<PictureInfo> info = ReadPictureInfo(picture);
  if (!info || info->width <= 0 || info->height <= 0) return {};
  const PixelSize size = FitIntoBox(info->width, info->height, boxWidth, boxHeight);
  ImageHandle source = picture.get();
  if (!picture.Replace(IKResize(&source, size.width, size.height, 1, 0, 0, 0, 0))) return {};
  return picture;
}

win::UniqueBitmap ToDisplayBitmap(const Image& picture) {
  if (!picture) return {};
  return win::UniqueBitmap(IKBitmapFromDib(picture.get()));
}

}  // namespace zv::imagelib
