#include "imagelib/picture_ops.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>

#include "imagelib/image.h"
#include "imagelib/tests/zoo.h"

namespace zv::imagelib {
namespace {

using test::ZooPath;

struct Sides {
  int width, height, bits;
  bool operator==(const Sides&) const = default;
};

Sides SidesOf(const Image& picture) {
  const auto info = ReadPictureInfo(picture);
  return info ? Sides{info->width, info->height, info->bitsPerPixel} : Sides{-1, -1, -1};
}

std::ostream& operator<<(std::ostream& out, const Sides& s) {
  return out << s.width << " x " << s.height << " at " << s.bits;
}

TEST(PictureOps, TheOwnerFreesEachPictureExactlyOnce) {
  const std::string png = ZooPath("png_rgb24.png");
  const long before = LiveImageCount();
  {
    Image first(IKPngFileLoad(png.c_str()));
    ASSERT_TRUE(first);
    Image moved(std::move(first));
    EXPECT_FALSE(first) << "a moved-from owner holds nothing";
    Image assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved);
    Image& alias = assigned;
    assigned = std::move(alias);
    EXPECT_TRUE(assigned) << "moving onto itself keeps the picture";
    EXPECT_EQ(LiveImageCount(), before + 1) << "moves neither copy nor free";

    assigned.reset(assigned.get());
    EXPECT_EQ(LiveImageCount(), before + 1) << "resetting to the held handle frees nothing";
    EXPECT_EQ(SidesOf(assigned).width, 97) << "and the picture is still alive";

    Image other(IKPngFileLoad(png.c_str()));
    assigned = std::move(other);
    EXPECT_EQ(LiveImageCount(), before + 1) << "assignment frees the picture it overwrites";

    const ImageHandle kept = assigned.get();
    EXPECT_FALSE(assigned.Replace(nullptr)) << "a failed step";
    EXPECT_FALSE(assigned.Replace(Image()));
    EXPECT_EQ(assigned.get(), kept) << "a failed step keeps the current picture";
    EXPECT_TRUE(assigned.Replace(IKConvertColor(kept, 32)));
    EXPECT_EQ(LiveImageCount(), before + 1) << "a step frees the picture before it";
    EXPECT_EQ(SidesOf(assigned).bits, 32);

    ImageHandle loose = assigned.release();
    EXPECT_FALSE(assigned);
    IKFreeMemory(loose);
    EXPECT_EQ(LiveImageCount(), before) << "release hands the picture over";
    assigned.reset(IKPngFileLoad(png.c_str()));
    EXPECT_EQ(LiveImageCount(), before + 1);
  }
  EXPECT_EQ(LiveImageCount(), before) << "every owner freed its picture at the end of the scope, once";
}

TEST(PictureOps, ChainsGiveTheRightSidesAndFreeEverythingOnFailure) {
  const std::string orient = ZooPath("orient_4x2.png");
  const long before = LiveImageCount();
  {
    const Image loaded = LoadPicture(orient.c_str(), 0);
    EXPECT_EQ(SidesOf(loaded), (Sides{4, 2, 24})) << "the file's own depth until converted";
    for (int code = -1; code <= 8; ++code) {
      const bool sideways = code == 1 || code == 3 || code == 6 || code == 7;
      const Image turned = OrientPicture(ConvertTo32Bits(LoadPicture(orient.c_str(), 0)), code);
      EXPECT_EQ(SidesOf(turned), (sideways ? Sides{2, 4, 32} : Sides{4, 2, 32})) << "code " << code;
    }
    const Image fitted = FitPictureIntoBox(OrientPicture(ConvertTo32Bits(LoadPicture(orient.c_str(), 0)), 6), 30, 80);
    EXPECT_EQ(SidesOf(fitted), (Sides{30, 60, 32})) << "fitted by the turned sides, 2 x 4, into 30 x 80";
    EXPECT_EQ(SidesOf(FitPictureIntoBox(ConvertTo32Bits(LoadPicture(orient.c_str(), 0)), 0, 80)), (Sides{4, 2, 32}))
        << "a box side of 0 keeps the size";

    const win::UniqueBitmap bitmap = ToDisplayBitmap(fitted);
    const test::BitmapPixels pixels = test::ReadBitmap(bitmap.get());
    EXPECT_EQ(pixels.width, 30);
    EXPECT_EQ(pixels.height, 60);
    EXPECT_TRUE(fitted) << "the picture stays after its bitmap is made";
    EXPECT_EQ(LiveImageCount(), before + 2) << "only the two named pictures are alive";
  }
  EXPECT_EQ(LiveImageCount(), before);

  // Failures at each place in a chain: nothing loaded, a step refused after
  // pictures were made, and a step failing on a loaded picture.
  EXPECT_FALSE(FitPictureIntoBox(OrientPicture(ConvertTo32Bits(LoadPicture(orient.c_str(), 3)), 1), 120, 80))
      << "a PNG given as a JPEG";
  EXPECT_FALSE(LoadPicture(orient.c_str(), 4));
  EXPECT_FALSE(LoadPicture(nullptr, 0));
  EXPECT_FALSE(FitPictureIntoBox(OrientPicture(ConvertTo32Bits(LoadPicture(orient.c_str(), 0)), 6), 70000, 70000))
      << "a resize beyond the largest picture fails";
  EXPECT_EQ(LiveImageCount(), before) << "the failed resize freed the pictures before it";

  Image held = LoadPicture(orient.c_str(), 0);
  ASSERT_TRUE(held);
  Unbind();  // every operation fails while unbound
  const Image failed = OrientPicture(ConvertTo32Bits(std::move(held)), 1);
  const bool converted = static_cast<bool>(failed);
  ASSERT_TRUE(Bind());
  EXPECT_FALSE(converted);
  EXPECT_EQ(LiveImageCount(), before) << "the failed conversion freed the loaded picture";
}

}  // namespace
}  // namespace zv::imagelib
