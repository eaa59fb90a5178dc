#pragma once
// The steps from an image file to what a window shows, shared by the file
// list, the picture view, printing and saving: load by type code, read the
// size, convert to 32 bits, turn by orientation code, fit into a box, make
// a display bitmap.
//
// The transforms take their picture by value and give back the next one,
// freeing the one before as soon as the next exists. On a failure they give
// an empty Image and have freed everything, so a chain such as
//   FitPictureIntoBox(OrientPicture(ConvertTo32Bits(LoadPicture(path, type)), code), w, h)
// needs no checks between its steps: an empty picture passes through every
// later step as empty.
#include <cstdint>
#include <optional>

#include "imagelib/image.h"
#include "win/handles.h"

namespace zv::imagelib {

// The first picture of a file of type 0 PNG, 1 TIFF, 2 BMP, 3 JPEG (the
// codes of ImageTypeFromPath); empty for any other code or a failed load.
Image LoadPicture(const char* path, int type);

struct PictureInfo {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;  // the file's depth until converted
};
// Empty for an empty picture.
std::optional<PictureInfo> ReadPictureInfo(const Image& picture);

// The picture in 32 bits per pixel (B, G, R, A).
Image ConvertTo32Bits(Image picture);

// Turned and mirrored by an orientation code 0-7 (StepsForOrientation);
// code 0, or a code outside 0-7, gives the picture back as it is.
Image OrientPicture(Image picture, int orientation);

// Resized by FitIntoBox to fill the box on one side, smaller pictures
// enlarged; a box side of 0 or less gives the picture back as it is.
Image FitPictureIntoBox(Image picture, int32_t boxWidth, int32_t boxHeight);

// A device-dependent bitmap of the screen; empty for an empty picture or a
// failure. The picture stays.
win::UniqueBitmap ToDisplayBitmap(const Image& picture);

}  // namespace zv::imagelib
