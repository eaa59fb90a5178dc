// The header parsers over the image zoo (scripts/make-image-zoo.sh), natively:
// sizes as identify reports them, bits as the files hold them, and the
// TIFFs the decoder cannot read marked so.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "core/imagelib/image_header.h"
#include "core/imagelib/probe_rules.h"

namespace zv {
namespace {

TEST(ImageZooHeaders, AgreeWithTheManifest) {
  const char* folder = std::getenv("ZV_TEST_DATA");
  ASSERT_NE(folder, nullptr) << "ZV_TEST_DATA names the zoo folder";
  std::ifstream manifest(std::string(folder) + "/manifest.txt");
  std::string line;
  int files = 0;
  while (std::getline(manifest, line)) {
    std::istringstream fields(line);
    std::string name, expectation;
    int width, height, bits;
    if (!(fields >> name >> width >> height >> bits >> expectation)) continue;
    ++files;
    ImageHeader h;
    ASSERT_TRUE(ProbeImageFile((std::string(folder) + "/" + name).c_str(), &h)) << name;
    EXPECT_EQ(h.width, width) << name;
    EXPECT_EQ(h.height, height) << name;
    EXPECT_EQ(h.bitsPerPixel, bits) << name;
    EXPECT_EQ(static_cast<int>(h.format), ImageTypeFromPath(name)) << name;
    EXPECT_EQ(h.decoderCanRead, expectation != "reject") << name;
    EXPECT_EQ(h.morePages, name == "tiff_multipage.tif") << name;
    EXPECT_EQ(h.topDown, name == "bmp_topdown.bmp") << name;
    EXPECT_EQ(h.progressive, name == "png_interlaced.png" || name == "jpeg_progressive.jpg") << name;
  }
  EXPECT_GE(files, 50);
}

}  // namespace
}  // namespace zv
