#include "imagelib/image_library.h"

#include <gtest/gtest.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/imagelib/image_header.h"
#include "core/imagelib/probe_rules.h"
#include "imagelib/tests/zoo.h"

namespace zv::imagelib {
namespace {

using test::BitmapPixels;
using test::ZooPath;

// Owns a handle in a test.
struct Held {
  ImageHandle h = nullptr;
  explicit Held(ImageHandle handle) : h(handle) {}
  ~Held() { IKFreeMemory(h); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
};

struct Info {
  int bits, width, height;
};

Info TypeOf(ImageHandle h) {
  uint8_t record[kInfoRecordSize];
  if (IKGetImageType(h, record) != 1) return {-1, -1, -1};
  return {RecordInt16(record, 0), RecordInt32(record, 16), RecordInt32(record, 20)};
}

ImageHandle LoadByExtension(const std::string& path) {
  switch (ImageTypeFromPath(path)) {
    case 0: return IKPngFileLoad(path.c_str());
    case 1: return IKTiffFileLoad(path.c_str());
    case 2: return IKBmpFileLoad(path.c_str());
    case 3: return IKJpegFileLoad(path.c_str());
    default: return nullptr;
  }
}

BitmapPixels PixelsOf(ImageHandle h) {
  HBITMAP bitmap = IKBitmapFromDib(h);
  BitmapPixels p = test::ReadBitmap(bitmap);
  DeleteObject(bitmap);
  return p;
}

BitmapPixels PixelsOfFile(const std::string& path) {
  Held image(IKFileLoad(path.c_str()));
  return image.h != nullptr ? PixelsOf(image.h) : BitmapPixels{};
}

// Mean absolute difference per colour byte.
double MeanDifference(const BitmapPixels& a, const BitmapPixels& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 1e9;
  double sum = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int c = 0; c < 3; ++c) sum += std::abs(int((a.pixels[i] >> (8 * c)) & 255) - int((b.pixels[i] >> (8 * c)) & 255));
  return sum / (3.0 * a.pixels.size());
}

TEST(ImageZoo, HeaderProbeAgreesWithIdentify) {
  const auto zoo = test::ReadZooManifest();
  ASSERT_GE(zoo.size(), 50u) << "zoo missing in " << test::ZooFolder();
  for (const auto& f : zoo) {
    uint8_t record[kInfoRecordSize];
    ASSERT_EQ(IKFileType(ZooPath(f.name).c_str(), 0, record), 1) << f.name;
    EXPECT_EQ(RecordInt16(record, file_info::kBits), f.bits) << f.name;
    EXPECT_EQ(RecordInt32(record, file_info::kWidth), f.width) << f.name;
    EXPECT_EQ(RecordInt32(record, file_info::kHeight), f.height) << f.name;
    if (ImageTypeFromPath(f.name) == 1) {
      EXPECT_EQ(RecordInt16(record, file_info::kDecoderSupport) == file_info::kDecoderCannotRead, f.expectation == "reject")
          << f.name;
    }
  }
}

TEST(ImageZoo, LoadingWorksOrFailsAsTheProbePredicted) {
  const long before = LiveImageCount();
  for (const auto& f : test::ReadZooManifest()) {
    const std::string path = ZooPath(f.name);
    Held typed(LoadByExtension(path));
    Held any(IKFileLoad(path.c_str()));
    if (f.expectation == "damaged") continue;  // the PNG check's business, not the loaders'
    if (f.expectation == "wicgap") {  // Wine's decoder fails on it, or its converter does
      Held colour(typed.h != nullptr ? IKConvertColor(typed.h, 32, 0, 0, 128, 0, 0, 0, 0) : nullptr);
      EXPECT_EQ(colour.h, nullptr) << f.name << " should give no 32-bit picture";
      continue;
    }
    if (f.expectation != "load") {
      EXPECT_EQ(typed.h, nullptr) << f.name << " should fail to load";
      EXPECT_EQ(any.h, nullptr) << f.name << " should fail to load";
      continue;
    }
    ASSERT_NE(typed.h, nullptr) << f.name;
    ASSERT_NE(any.h, nullptr) << f.name;
    const Info info = TypeOf(typed.h);
    EXPECT_EQ(info.width, f.width) << f.name;
    EXPECT_EQ(info.height, f.height) << f.name;
    EXPECT_EQ(info.bits, f.bits) << f.name;
    Held colour(IKConvertColor(typed.h, 32, 0, 0, 128, 0, 0, 0, 0));
    ASSERT_NE(colour.h, nullptr) << f.name << ": conversion to 32 bits";
    EXPECT_EQ(TypeOf(colour.h).bits, 32) << f.name;
    const BitmapPixels p = PixelsOf(colour.h);
    EXPECT_EQ(p.width, f.width) << f.name;
    EXPECT_EQ(p.height, f.height) << f.name;
  }
  EXPECT_EQ(LiveImageCount(), before);
}

TEST(ImageZoo, TypedLoadersTakeOnlyTheirOwnFormat) {
  const std::string png = ZooPath("png_rgb24.png");
  EXPECT_EQ(IKJpegFileLoad(png.c_str()), nullptr);
  EXPECT_EQ(IKBmpFileLoad(png.c_str()), nullptr);
  EXPECT_EQ(IKTiffFileLoad(png.c_str()), nullptr);
  EXPECT_EQ(IKPngFileLoad(ZooPath("bmp_24.bmp").c_str()), nullptr);
  EXPECT_EQ(IKFileLoad(ZooPath("missing.png").c_str()), nullptr);
  EXPECT_EQ(IKFileLoad(nullptr), nullptr);
  EXPECT_EQ(IKFileLoad(ZooPath("manifest.txt").c_str()), nullptr);
}

TEST(ImageZoo, LosslessFilesDecodeToTheSamePixels) {
  const BitmapPixels reference = PixelsOfFile(ZooPath("png_rgb24.png"));
  ASSERT_EQ(reference.width, 97);
  // Row order (top-down BMP, OS/2 headers), byte order, compression, tiles
  // and the first page of a multi-page file (its second page is mirrored).
  for (const char* name : {"bmp_24.bmp", "bmp_topdown.bmp", "bmp_os2.bmp", "bmp_os2v2.bmp", "tiff_none.tif",
                           "tiff_lzw.tif", "tiff_deflate.tif", "tiff_packbits.tif", "tiff_tiled.tif",
                           "tiff_bigendian.tif", "tiff_multipage.tif", "png_interlaced.png", "bmp_32.bmp",
                           "tiff_rgba.tif", "png_rgba32.png"}) {
    EXPECT_EQ(MeanDifference(PixelsOfFile(ZooPath(name)), reference), 0.0) << name;
  }
  for (const char* name : {"tiff_rgb48.tif", "png_rgb48.png", "bmp_16.bmp"}) {
    EXPECT_LT(MeanDifference(PixelsOfFile(ZooPath(name)), reference), 4.0) << name;
  }
  for (const char* name : {"jpeg_baseline.jpg", "jpeg_progressive.jpg", "jpeg_segments.jpg"}) {
    EXPECT_LT(MeanDifference(PixelsOfFile(ZooPath(name)), reference), 12.0) << name;
  }
  for (const char* name : {"jpeg_cmyk.jpg", "tiff_cmyk.tif"}) {
    EXPECT_LT(MeanDifference(PixelsOfFile(ZooPath(name)), reference), 25.0) << name;
  }
  const BitmapPixels grey = PixelsOfFile(ZooPath("png_grey8.png"));
  EXPECT_EQ(MeanDifference(PixelsOfFile(ZooPath("tiff_grey8.tif")), grey), 0.0);
  EXPECT_LT(MeanDifference(PixelsOfFile(ZooPath("jpeg_grey.jpg")), grey), 6.0);
  const BitmapPixels four = PixelsOfFile(ZooPath("bmp_4.bmp"));
  EXPECT_EQ(MeanDifference(PixelsOfFile(ZooPath("bmp_rle4.bmp")), four), 0.0) << "RLE4 decodes as its source";
}

// The TIFFs the probe lists because Microsoft documents that the Windows
// decoder reads them, and that WIC here (Wine 8.0's) does not read: opened
// directly through WIC, each fails to open, to convert to 32-bit BGRA or to
// give its pixels, so their failed cells are WIC's doing, not ours. If a
// newer Wine reads one, its zoo entry becomes "load".
TEST(ImageZoo, ListedTiffsThatThisDecoderCannotRead) {
  using Microsoft::WRL::ComPtr;
  ComPtr<IWICImagingFactory> factory;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))));
  int files = 0;
  for (const auto& f : test::ReadZooManifest()) {
    if (f.expectation != "wicgap") continue;
    ++files;
    const std::string path = ZooPath(f.name);
    const std::wstring wide(path.begin(), path.end());
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    bool decoded = SUCCEEDED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                                WICDecodeMetadataCacheOnDemand, &decoder)) &&
                   SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
                   SUCCEEDED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                                   nullptr, 0, WICBitmapPaletteTypeCustom));
    if (decoded) {
      std::vector<BYTE> pixels(size_t(f.width) * f.height * 4);
      decoded = SUCCEEDED(converter->CopyPixels(nullptr, f.width * 4, UINT(pixels.size()), pixels.data()));
    }
    EXPECT_FALSE(decoded) << f.name << " decodes after all";
  }
  EXPECT_GE(files, 1);
}

// Wine 8.0's TIFF decoder swaps the bytes of big-endian 16-bit samples
// twice: libtiff already hands them over in the machine's order, and the
// decoder swaps them back (its tiff_decoder_read_tile, for every byte-swapped
// file with more than 8 bits per sample). So a big-endian 16-bit grey TIFF
// comes out of the decoder with its bytes swapped, before any code of ours
// sees it, and shows bright where it is dark. docs/imagelib.md; nothing on
// our side works around it. If this fails, Wine reads such files right now.
TEST(ImageZoo, WineSwapsTheBytesOfBigEndianSixteenBitGrey) {
  using Microsoft::WRL::ComPtr;
  ComPtr<IWICImagingFactory> factory;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))));
  // The decoder's own samples, in its 16-bit grey format.
  auto samples = [&](const char* name) {
    const std::string path = ZooPath(name);
    const std::wstring wide(path.begin(), path.end());
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    WICPixelFormatGUID format{};
    std::vector<uint16_t> out(97 * 61);
    const bool ok = SUCCEEDED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                                  WICDecodeMetadataCacheOnDemand, &decoder)) &&
                    SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetPixelFormat(&format)) &&
                    IsEqualGUID(format, GUID_WICPixelFormat16bppGray) &&
                    SUCCEEDED(frame->CopyPixels(nullptr, 97 * 2, UINT(out.size() * 2), reinterpret_cast<BYTE*>(out.data())));
    EXPECT_TRUE(ok) << name;
    return out;
  };
  // The files' samples (scripts/make-image-zoo.sh): the high byte rises from left to right, the low byte falls.
  auto sample = [](int x) {
    const unsigned high = unsigned(x) * 255 / 96;
    return uint16_t(high << 8 | (255 - high));
  };
  const std::vector<uint16_t> little = samples("tiff_grey16.tif"), big = samples("tiff_grey16_be.tif");
  int right = 0, swapped = 0;
  for (int y = 0; y < 61; ++y) {
    for (int x = 0; x < 97; ++x) {
      const uint16_t want = sample(x), got = big[size_t(y) * 97 + x];
      right += little[size_t(y) * 97 + x] == want;
      swapped += got == uint16_t(want << 8 | want >> 8);
    }
  }
  EXPECT_EQ(right, 97 * 61) << "little-endian samples as stored";
  EXPECT_EQ(swapped, 97 * 61) << "big-endian samples with their bytes swapped";
  // What the user sees: the left edge black in the one, nearly white in the other.
  const BitmapPixels a = PixelsOfFile(ZooPath("tiff_grey16.tif")), b = PixelsOfFile(ZooPath("tiff_grey16_be.tif"));
  ASSERT_EQ(a.width, 97);
  ASSERT_EQ(b.width, 97);
  EXPECT_LT(a.At(0, 10) & 255, 32u);
  EXPECT_GT(b.At(0, 10) & 255, 223u);
}

TEST(ImageLibrary, TurnsMirrorsAndResizesThroughHandles) {
  Held image(IKPngFileLoad(ZooPath("orient_4x2.png").c_str()));
  ASSERT_NE(image.h, nullptr);
  auto red = [](unsigned p) { return int((p >> 16) & 255); };
  auto green = [](unsigned p) { return int((p >> 8) & 255); };
  Held left(IKRotation(&image.h, 9000, 0, 0, 1, 0, 0, 255));
  ASSERT_NE(left.h, nullptr);
  BitmapPixels p = PixelsOf(left.h);
  ASSERT_EQ(p.width, 2);
  ASSERT_EQ(p.height, 4);
  EXPECT_EQ(red(p.At(0, 0)), 121) << "left turn: the top right pixel (x 3) comes to the top left";
  EXPECT_EQ(green(p.At(0, 0)), 1);
  ImageHandle mirrored = nullptr;
  ASSERT_EQ(IKRotationEx(&image.h, &mirrored, 0, 0, 1), 1);
  Held mirror(mirrored);
  p = PixelsOf(mirror.h);
  EXPECT_EQ(green(p.At(0, 0)), 101) << "top-bottom mirror";
  EXPECT_EQ(IKRotation(&image.h, 4500, 0, 0), nullptr) << "only quarter turns";
  ImageHandle untouched = reinterpret_cast<ImageHandle>(1);
  EXPECT_EQ(IKRotationEx(&image.h, &untouched, 100, 0, 0), 0);
  EXPECT_EQ(untouched, reinterpret_cast<ImageHandle>(1)) << "a failure stores nothing";

  Held bigger(IKResize(&image.h, 8, 6, 1));
  ASSERT_NE(bigger.h, nullptr);
  EXPECT_EQ(TypeOf(bigger.h).width, 8);
  EXPECT_EQ(TypeOf(bigger.h).height, 6);
  EXPECT_EQ(TypeOf(image.h).width, 4) << "the source handle is not consumed";
  EXPECT_EQ(IKResize(&image.h, 0, 6, 1), nullptr);
  EXPECT_EQ(IKResize(&image.h, 70000, 70000, 1), nullptr) << "too large to hold";
  ImageHandle none = nullptr;
  EXPECT_EQ(IKResize(&none, 8, 6, 1), nullptr);
  EXPECT_EQ(IKRotation(nullptr, 9000, 0, 0), nullptr);
  EXPECT_EQ(IKConvertColor(image.h, 12), nullptr) << "12 bits is no target";
  Held rgb(IKConvertColor(image.h, 24));
  ASSERT_NE(rgb.h, nullptr);
  EXPECT_EQ(TypeOf(rgb.h).bits, 24);
}

TEST(ImageLibrary, WhileUnboundEveryOperationFails) {
  const std::string png = ZooPath("png_rgb24.png");
  ImageHandle loaded = IKPngFileLoad(png.c_str());
  ASSERT_NE(loaded, nullptr);
  Unbind();
  EXPECT_FALSE(IsBound());
  uint8_t record[kInfoRecordSize];
  EXPECT_EQ(IKFileType(png.c_str(), 0, record), 0);
  EXPECT_EQ(IKPngFileLoad(png.c_str()), nullptr);
  EXPECT_EQ(IKFileLoad(png.c_str()), nullptr);
  EXPECT_EQ(IKGetImageType(loaded, record), 0);
  EXPECT_EQ(IKConvertColor(loaded, 32), nullptr);
  EXPECT_EQ(IKRotation(&loaded, 9000, 0, 0), nullptr);
  ImageHandle out = nullptr;
  EXPECT_EQ(IKRotationEx(&loaded, &out, 9000, 0, 0), 0);
  EXPECT_EQ(IKResize(&loaded, 10, 10), nullptr);
  EXPECT_EQ(IKBitmapFromDib(loaded), nullptr);
  test::ScratchFolder dir;
  EXPECT_EQ(IKPngFileSave(dir.File("a.png").c_str(), loaded), 0);
  EXPECT_EQ(IKTiffFileSave(dir.File("a.tif").c_str(), loaded, 5), 0);
  EXPECT_TRUE(dir.Names().empty());
  IKFreeMemory(loaded);  // freeing works unbound
  ASSERT_TRUE(Bind());
  EXPECT_TRUE(Bind()) << "binding twice is harmless";
  Held again(IKPngFileLoad(png.c_str()));
  EXPECT_NE(again.h, nullptr);
}

// The first quantisation value and the luma sampling factors of a JPEG.
void JpegTables(const std::string& bytes, int* firstQuant, int* lumaSampling) {
  *firstQuant = *lumaSampling = -1;
  for (size_t i = 2; i + 4 < bytes.size();) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    if (b(i) != 0xFF) return;
    const unsigned marker = b(i + 1), length = b(i + 2) << 8 | b(i + 3);
    if (marker == 0xDB && *firstQuant < 0) *firstQuant = b(i + 5);
    if (marker == 0xC0) *lumaSampling = b(i + 4 + 6 + 1);
    if (marker == 0xDA) return;
    i += 2 + length;
  }
}

TEST(ImageSave, EachFormatIsWrittenAndReadsBack) {
  Held image(IKFileLoad(ZooPath("png_rgb24.png").c_str()));
  ASSERT_NE(image.h, nullptr);
  const BitmapPixels reference = PixelsOf(image.h);
  test::ScratchFolder dir;
  ASSERT_EQ(IKBmpFileSave(dir.File("a.bmp").c_str(), image.h, 0, 0), 1);
  ASSERT_EQ(IKPngFileSave(dir.File("a.png").c_str(), image.h, 0, 0), 1);
  ASSERT_EQ(IKTiffFileSave(dir.File("a.tif").c_str(), image.h, 5), 1);
  Held rgb(IKConvertColor(image.h, 24));
  ASSERT_EQ(IKJpegFileSave(dir.File("a.jpg").c_str(), rgb.h, 0, 75, 2), 1);
  for (const char* name : {"a.bmp", "a.png", "a.tif"}) {
    EXPECT_EQ(MeanDifference(PixelsOfFile(dir.File(name)), reference), 0.0) << name;
  }
  EXPECT_LT(MeanDifference(PixelsOfFile(dir.File("a.jpg")), reference), 12.0);
  ImageHeader tiff;
  ASSERT_TRUE(ProbeImageFile(dir.File("a.tif").c_str(), &tiff));
  EXPECT_EQ(tiff.compression, 5u) << "TIFF option 5 is LZW";
  int quant, sampling;
  JpegTables(test::ReadBytes(dir.File("a.jpg")), &quant, &sampling);
  EXPECT_EQ(quant, 8) << "quality 75 scales the first luminance value 16 to 8";
  EXPECT_EQ(sampling, 0x22) << "4:2:0: luma sampled 2 x 2";
  const auto names = dir.Names();
  EXPECT_EQ(names.size(), 4u) << "no temporary file is left behind";

  // Saving over an existing file replaces it.
  Held small(IKResize(&image.h, 10, 7));
  ASSERT_EQ(IKPngFileSave(dir.File("a.png").c_str(), small.h), 1);
  ImageHeader png;
  ASSERT_TRUE(ProbeImageFile(dir.File("a.png").c_str(), &png));
  EXPECT_EQ(png.width, 10);
  EXPECT_EQ(dir.Names().size(), 4u);
}

TEST(ImageSave, AFailedSaveSaysSoAndLeavesNoFile) {
  Held image(IKFileLoad(ZooPath("png_rgb24.png").c_str()));
  ASSERT_NE(image.h, nullptr);
  test::ScratchFolder dir;
  const std::string missing = dir.File("no such folder\\a.png");
  EXPECT_EQ(IKPngFileSave(missing.c_str(), image.h), 0);
  EXPECT_EQ(IKJpegFileSave(dir.File("no such folder\\a.jpg").c_str(), image.h, 0, 75, 2), 0);
  EXPECT_FALSE(test::FileExists(missing));

  const std::string readOnly = test::EnvironmentOr("ZV_READONLY_DIR");
  if (!readOnly.empty()) {  // the rig's folder that even root cannot write into
    const std::string target = readOnly + "\\zv-save-test.bmp";
    EXPECT_EQ(IKBmpFileSave(target.c_str(), image.h), 0);
    EXPECT_FALSE(test::FileExists(target));
  }

  // A read-only file under the target name: the save fails, the old bytes stay.
  const std::string kept = dir.File("kept.tif");
  {
    HANDLE f = CreateFileA(kept.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(f, "old", 3, &written, nullptr);
    CloseHandle(f);
  }
  SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(IKTiffFileSave(kept.c_str(), image.h, 5), 0);
  EXPECT_TRUE(test::ReadBytes(kept) == "old") << "the read-only file was replaced";
  // A folder under the target name.
  const std::string folder = dir.File("folder.png");
  CreateDirectoryA(folder.c_str(), nullptr);
  EXPECT_EQ(IKPngFileSave(folder.c_str(), image.h), 0);
  auto names = dir.Names();
  EXPECT_EQ(names.size(), 2u) << "only kept.tif and folder.png: no temporary file left";

  EXPECT_EQ(IKPngFileSave(dir.File("b.png").c_str(), nullptr), 0) << "no image";
  EXPECT_EQ(IKTiffFileSave(dir.File("b.tif").c_str(), image.h, 99), 0) << "no such compression";
  EXPECT_EQ(IKJpegFileSave(dir.File("b.jpg").c_str(), image.h, 0, 0, 2), 0) << "quality 0";
  EXPECT_EQ(IKJpegFileSave(dir.File("b.jpg").c_str(), image.h, 0, 75, 7), 0) << "no such subsampling";
  EXPECT_EQ(dir.Names().size(), 2u);
}

}  // namespace
}  // namespace zv::imagelib
