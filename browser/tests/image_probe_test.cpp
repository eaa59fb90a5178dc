#include "browser/image_probe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/imagelib/png_check.h"
#include "imagelib/image_library.h"
#include "imagelib/tests/zoo.h"

namespace zv {
namespace {

using test::BitmapPixels;
using test::ZooPath;


void Write(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(f);
}

std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

std::string Chunk(const char* type, const std::string& data) {
  const std::string body = std::string(type, 4) + data;
  return Be32(uint32_t(data.size())) + body + Be32(Crc32(body.data(), body.size()));
}

struct Made {
  int ok;
  int width, height;
  ImageInfo info;
};

// MakeDisplayBitmap, giving the bitmap's size and deleting it.
Made MakeBitmap(const ImageProbe& probe, const std::string& path, int boxW, int boxH, int orientation,
                BitmapPixels* pixels = nullptr) {
  HBITMAP bitmap = nullptr;
  Made m{};
  m.ok = probe.MakeDisplayBitmap(path.c_str(), boxW, boxH, &bitmap, &m.info, orientation);
  if (m.ok == 1) {
    BITMAP b{};
    GetObjectA(bitmap, sizeof b, &b);
    m.width = b.bmWidth;
    m.height = b.bmHeight;
    if (pixels != nullptr) *pixels = test::ReadBitmap(bitmap);
    DeleteObject(bitmap);
  }
  return m;
}

TEST(ImageProbe, TypeCodesAndColourCounts) {
  ImageProbe probe;
  EXPECT_EQ(probe.GetImageType("C:\\a\\b.PNG"), 0);
  EXPECT_EQ(probe.GetImageType("b.Tiff"), 1);
  EXPECT_EQ(probe.GetImageType("b.bmp"), 2);
  EXPECT_EQ(probe.GetImageType("b.JPG"), 3);
  EXPECT_EQ(probe.GetImageType("b.png.bak"), -1);
  EXPECT_EQ(probe.GetImageType("noextension"), -1);
  EXPECT_EQ(ImageProbe::ColorCountFromBits(24), 16777216);
  EXPECT_EQ(ImageProbe::ColorCountFromBits(32), 16777216);
  EXPECT_EQ(ImageProbe::ColorCountFromBits(16), 65536);
}

TEST(ImageProbe, ImageInfoOverTheZoo) {
  ImageProbe probe;
  const auto zoo = test::ReadZooManifest();
  ASSERT_GE(zoo.size(), 50u);
  for (const auto& f : zoo) {
    ImageInfo info{-7, -7, -7};
    const int ok = probe.GetImageInfo(ZooPath(f.name).c_str(), &info);
    if (f.expectation == "reject" || f.expectation == "damaged") {
      EXPECT_EQ(ok, 0) << f.name;
      EXPECT_EQ(info.width, -7) << f.name << ": a failure leaves the info untouched";
      continue;
    }
    ASSERT_EQ(ok, 1) << f.name;
    EXPECT_EQ(info.width, f.width) << f.name;
    EXPECT_EQ(info.height, f.height) << f.name;
    EXPECT_EQ(info.bitsPerPixel, f.bits) << f.name;
  }
  ImageInfo info;
  EXPECT_EQ(probe.GetImageInfo(ZooPath("manifest.txt").c_str(), &info), 0);
  EXPECT_EQ(probe.GetImageInfo(ZooPath("missing.jpg").c_str(), &info), 0);
}

TEST(ImageProbe, PngRules) {
  test::ScratchFolder dir;
  const std::string sig = "\x89PNG\r\n\x1a\n";
  const std::string ihdr = Chunk("IHDR", Be32(2) + Be32(1) + std::string("\x08\x02\x00\x00\x00", 5));
  // Two RGB pixels, filter 0, stored uncompressed in a zlib stream.
  const std::string raw = std::string("\x00\xff\x00\x00\x00\x00\xff", 7);
  std::string zlib = "\x78\x01";
  zlib += std::string("\x01", 1) + char(raw.size()) + '\0' + char(~raw.size()) + '\xff' + raw;
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  zlib += Be32(b << 16 | a);
  const std::string idat = Chunk("IDAT", zlib);
  const std::string iend = Chunk("IEND", "");
  const std::string good = sig + ihdr + idat + iend;

  struct Case {
    const char* name;
    std::string bytes;
    int valid;
  } cases[] = {
      {"good.png", good, 1},
      {"after_iend.png", good + Chunk("tEXt", std::string("k\0v", 3)), 1},
      {"crc_ihdr.png", sig + ihdr.substr(0, ihdr.size() - 1) + char(ihdr.back() ^ 1) + idat + iend, 0},
      {"crc_idat.png", sig + ihdr + idat.substr(0, 10) + char(idat[10] ^ 4) + idat.substr(11) + iend, 0},
      {"crc_iend.png", sig + ihdr + idat + iend.substr(0, 11) + char(iend[11] ^ 0x80), 0},
      {"no_idat.png", sig + ihdr + iend, 0},
      {"trailing1.png", good + std::string(1, '\0'), 0},
      {"trailing2.png", good + std::string(2, '\0'), 0},
      {"trailing3.png", good + std::string(3, '\0'), 0},
      {"huge_length.png", sig + ihdr + Be32(0xFFFFFFF9u) + "IDAT" + idat + iend, 0},
      {"limit_chunk.png", sig + ihdr + Chunk("zzZz", std::string(0x100000 - 8, 'z')) + idat + iend, 1},
      {"over_limit.png", sig + ihdr + Chunk("zzZz", std::string(0x100000 - 7, 'z')) + idat + iend, 0},
      {"bad_signature.png", "\x89PNG\r\n\x1a\r" + good.substr(8), 0},
      // Files of several read pieces are checked to their last byte.
      {"limit_chunk_crc_iend.png",
       sig + ihdr + Chunk("zzZz", std::string(0x100000 - 8, 'z')) + idat + iend.substr(0, 11) + char(iend[11] ^ 1), 0},
      {"empty.png", "", 0},
  };
  ImageProbe probe;
  for (const Case& c : cases) {
    const std::string path = dir.File(c.name);
    Write(path, c.bytes);
    EXPECT_EQ(probe.PngCheck.IsValid(path.c_str()), c.valid) << c.name;
    ImageInfo info;
    EXPECT_EQ(probe.GetImageInfo(path.c_str(), &info), c.valid) << c.name;
    if (c.valid) {
      EXPECT_EQ(info.width, 2) << c.name;
      EXPECT_EQ(info.bitsPerPixel, 24) << c.name;
    }
  }
  EXPECT_EQ(MakeBitmap(probe, dir.File("good.png"), 0, 0, 0).ok, 1) << "the hand-made PNG decodes";
  EXPECT_EQ(probe.PngCheck.IsValid(dir.File("none.png").c_str()), 0);
}

TEST(ImageProbe, FitsIntoTheBoxWithTruncation) {
  ImageProbe probe(DisplayFacts{false, 32});
  Made m = MakeBitmap(probe, ZooPath("fit_100x50.png"), 120, 80, 0);
  ASSERT_EQ(m.ok, 1);
  EXPECT_EQ(m.width, 120);
  EXPECT_EQ(m.height, 60) << "enlarged: rw 1.2 < rh 1.6";
  EXPECT_EQ(m.info.width, 100) << "the info is the file's";
  EXPECT_EQ(m.info.height, 50);
  EXPECT_EQ(m.info.bitsPerPixel, 24);
  m = MakeBitmap(probe, ZooPath("fit_1600x1200.png"), 120, 80, 0);
  EXPECT_EQ(m.width, 106) << "1600 x 0.0666 = 106.66, truncated";
  EXPECT_EQ(m.height, 80);
  m = MakeBitmap(probe, ZooPath("fit_100x50.png"), 120, 80, 1);
  EXPECT_EQ(m.width, 40) << "after a quarter turn the picture is 50 x 100";
  EXPECT_EQ(m.height, 80);
  EXPECT_EQ(m.info.width, 100);
  m = MakeBitmap(probe, ZooPath("fit_100x50.png"), 0, 0, 0);
  EXPECT_EQ(m.width, 100) << "box 0: natural size";
  EXPECT_EQ(m.height, 50);
  m = MakeBitmap(probe, ZooPath("fit_100x50.png"), 120, 0, 0);
  EXPECT_EQ(m.width, 100) << "one side 0: natural size";
  m = MakeBitmap(probe, ZooPath("fit_1600x1200.png"), 180, 120, 0);
  EXPECT_EQ(m.width, 160);
  EXPECT_EQ(m.height, 120);
}

TEST(ImageProbe, EveryOrientationCodeOnANonSquarePicture) {
  ImageProbe probe(DisplayFacts{false, 32});
  // orient_4x2.png: red = 40 * x + 1, green = 100 * y + 1.
  auto at = [](const BitmapPixels& p, int x, int y) {
    const unsigned v = p.At(x, y);
    return std::make_pair(int(((v >> 16) & 255) - 1) / 40, int(((v >> 8) & 255) - 1) / 100);
  };
  using P = std::pair<int, int>;
  struct Case {
    int code, w, h;
    P topLeft, topRight, bottomLeft;
  } cases[] = {
      {0, 4, 2, {0, 0}, {3, 0}, {0, 1}},
      {1, 2, 4, {3, 0}, {3, 1}, {0, 0}},  // quarter turn left
      {2, 4, 2, {3, 1}, {0, 1}, {3, 0}},
      {3, 2, 4, {0, 1}, {0, 0}, {3, 1}},  // quarter turn right
      {4, 4, 2, {3, 0}, {0, 0}, {3, 1}},
      {5, 4, 2, {0, 1}, {3, 1}, {0, 0}},
      {6, 2, 4, {3, 1}, {3, 0}, {0, 1}},
      {7, 2, 4, {0, 0}, {0, 1}, {3, 0}},
  };
  for (const Case& c : cases) {
    BitmapPixels p;
    const Made m = MakeBitmap(probe, ZooPath("orient_4x2.png"), 0, 0, c.code, &p);
    ASSERT_EQ(m.ok, 1) << c.code;
    ASSERT_EQ(p.width, c.w) << "code " << c.code;
    ASSERT_EQ(p.height, c.h) << "code " << c.code;
    EXPECT_EQ(at(p, 0, 0), c.topLeft) << "code " << c.code;
    EXPECT_EQ(at(p, c.w - 1, 0), c.topRight) << "code " << c.code;
    EXPECT_EQ(at(p, 0, c.h - 1), c.bottomLeft) << "code " << c.code;
    EXPECT_EQ(m.info.width, 4) << "code " << c.code;
  }
}

TEST(ImageProbe, OnePixelStrokesStayVisibleInTheThumbnail) {
  ImageProbe probe(DisplayFacts{false, 32});
  BitmapPixels p;
  const Made m = MakeBitmap(probe, ZooPath("stroke_1600x1200.png"), 120, 80, 0, &p);
  ASSERT_EQ(m.ok, 1);
  ASSERT_EQ(p.width, 106);
  ASSERT_EQ(p.height, 80);
  auto grey = [&](int x, int y) { return int(p.At(x, y) & 255); };
  // Strokes at y 601 (full width), x 803 (full height), y 300 (x 200-1399).
  const int row601 = 601 * 80 / 1200, row300 = 300 * 80 / 1200, col803 = 803 * 106 / 1600;
  EXPECT_LT(grey(5, row601), 245) << "the full-width stroke";
  EXPECT_LT(grey(col803, 5), 245) << "the full-height stroke";
  EXPECT_LT(grey(50, row300), 245) << "the partial stroke";
  EXPECT_EQ(grey(5, row300), 255) << "left of the partial stroke stays white";
  EXPECT_EQ(grey(5, row601 + 3), 255) << "paper stays white";
  // Keep the thumbnail for a person to look at.
  const std::string out = test::EnvironmentOr("ZV_TEST_OUTPUT");
  if (!out.empty()) {
    using namespace zv::imagelib;
    ImageHandle board = IKPngFileLoad(ZooPath("stroke_1600x1200.png").c_str());
    ImageHandle thumb = IKResize(&board, 106, 80);
    EXPECT_EQ(IKPngFileSave((out + "\\stroke_thumbnail.png").c_str(), thumb), 1);
    IKFreeMemory(thumb);
    IKFreeMemory(board);
  }
}

TEST(ImageProbe, Windows95FamilyBoxLimit) {
  // 32-bit display: budget 4000000 pixels; a 4000 x 4000 box (16000000)
  // shrinks by sqrt(1/4) to 2000 x 2000, and 1600 x 1200 fits as 2000 x 1500.
  Made m = MakeBitmap(ImageProbe(DisplayFacts{true, 32}), ZooPath("fit_1600x1200.png"), 4000, 4000, 0);
  ASSERT_EQ(m.ok, 1);
  EXPECT_EQ(m.width, 2000);
  EXPECT_EQ(m.height, 1500);
  // Elsewhere the box stays.
  m = MakeBitmap(ImageProbe(DisplayFacts{false, 32}), ZooPath("fit_1600x1200.png"), 2400, 2400, 0);
  EXPECT_EQ(m.width, 2400);
  // A 4-bit display counts one byte per pixel: budget 16000000, no division
  // by zero. A 4100 x 4100 box (16810000) shrinks to 4000 x 4000.
  m = MakeBitmap(ImageProbe(DisplayFacts{true, 4}), ZooPath("fit_100x50.png"), 4100, 4100, 0);
  ASSERT_EQ(m.ok, 1);
  EXPECT_EQ(m.width, 4000);
  EXPECT_EQ(m.height, 2000);
  // The picture's own size counts when the box is 0: 1600 x 1200 on a
  // 32-bit display is within 4000000 and stays.
  m = MakeBitmap(ImageProbe(DisplayFacts{true, 32}), ZooPath("fit_1600x1200.png"), 0, 0, 0);
  EXPECT_EQ(m.width, 1600);
  m = MakeBitmap(ImageProbe(DisplayFacts{true, 1}), ZooPath("fit_1600x1200.png"), 0, 0, 0);
  EXPECT_EQ(m.width, 1600) << "a 1-bit display";
}

TEST(ImageProbe, FailuresLeaveOutputsUntouchedAndFreeEverything) {
  ImageProbe probe(DisplayFacts{false, 32});
  const long before = imagelib::LiveImageCount();
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (const char* name : {"missing.png", "tiff_jpeg.tif", "tiff_planar.tif", "png_huge.png", "jpeg_huge.jpg",
                           "manifest.txt", "png_rgb24.png.bak"}) {
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    ImageInfo info{-3, -3, -3};
    EXPECT_EQ(probe.MakeDisplayBitmap(ZooPath(name).c_str(), 120, 80, &bitmap, &info, 1), 0) << name;
    EXPECT_EQ(bitmap, reinterpret_cast<HBITMAP>(1)) << name;
    EXPECT_EQ(info.width, -3) << name;
  }
  HBITMAP bitmap = nullptr;
  ImageInfo info;
  EXPECT_EQ(probe.MakeDisplayBitmap(nullptr, 120, 80, &bitmap, &info, 0), 0);
  EXPECT_EQ(probe.MakeDisplayBitmap(ZooPath("png_rgb24.png").c_str(), 120, 80, nullptr, &info, 0), 0);
  for (int i = 0; i < 40; ++i) {
    for (const char* name : {"png_rgb24.png", "bmp_rle8.bmp", "jpeg_cmyk.jpg", "tiff_g4.tif"}) {
      ASSERT_EQ(MakeBitmap(probe, ZooPath(name), 120, 80, i % 8).ok, 1) << name;
    }
  }
  EXPECT_EQ(imagelib::LiveImageCount(), before) << "every intermediate picture was freed";
  EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore + 2) << "no GDI objects left behind";
}

}  // namespace
}  // namespace zv
