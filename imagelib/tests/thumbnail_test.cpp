#include "imagelib/thumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/imagelib/probe_rules.h"
#include "imagelib/decoder_blocks.h"
#include "imagelib/image_library.h"
#include "imagelib/picture_ops.h"
#include "imagelib/tests/zoo.h"
#include "imagelib/wic_decode.h"

namespace zv::imagelib {
namespace {

using test::ZooPath;

struct Box {
  int32_t width, height;
};
// A shrinking box, one that enlarges the 97 x 61 pictures, and the natural size.
constexpr Box kBoxes[] = {{120, 80}, {300, 250}, {0, 0}};

// What the file list made before thumbnails had their own maker.
std::optional<Thumbnail> ThroughTheChain(const std::string& path, int type, Box box) {
  const Image loaded = LoadPicture(path.c_str(), type);
  const std::optional<PictureInfo> info = ReadPictureInfo(loaded);
  if (!info) return std::nullopt;
  const Image fitted = FitPictureIntoBox(ConvertTo32Bits(LoadPicture(path.c_str(), type)), box.width, box.height);
  Thumbnail t;
  if (!fitted || !ReadPixels32(fitted.get(), &t.pixels)) return std::nullopt;
  t.info = *info;
  return t;
}

// "" when both agree, else what differs.
std::string Difference(const std::optional<Thumbnail>& got, const std::optional<Thumbnail>& want) {
  if (got.has_value() != want.has_value()) return got ? "a thumbnail where the chain gives none" : "no thumbnail";
  if (!got) return "";
  if (got->info.width != want->info.width || got->info.height != want->info.height ||
      got->info.bitsPerPixel != want->info.bitsPerPixel)
    return "info " + std::to_string(got->info.width) + "x" + std::to_string(got->info.height) + "@" +
           std::to_string(got->info.bitsPerPixel);
  if (got->pixels.width != want->pixels.width || got->pixels.height != want->pixels.height)
    return "size " + std::to_string(got->pixels.width) + "x" + std::to_string(got->pixels.height);
  for (size_t i = 0; i < got->pixels.pixels.size(); ++i)
    if (got->pixels.pixels[i] != want->pixels.pixels[i])
      return "pixel " + std::to_string(i) + ": " + std::to_string(got->pixels.pixels[i]) + " against " +
             std::to_string(want->pixels.pixels[i]);
  return "";
}

TEST(Thumbnail, EqualsTheLoadConvertFitChainOverTheZoo) {
  const auto zoo = test::ReadZooManifest();
  ASSERT_GE(zoo.size(), 50u);
  int made = 0;
  for (const auto& f : zoo) {
    const std::string path = ZooPath(f.name);
    const int type = ImageTypeFromPath(f.name);
    for (const Box box : kBoxes) {
      const std::optional<Thumbnail> want = ThroughTheChain(path, type, box);
      const std::optional<Thumbnail> got = MakeThumbnail(path.c_str(), type, box.width, box.height);
      EXPECT_EQ(Difference(got, want), "") << f.name << " in " << box.width << "x" << box.height;
      if (f.expectation == "reject" || f.expectation == "noload" || f.expectation == "wicgap") {
        EXPECT_FALSE(got) << f.name << " (" << f.expectation << ") gives nothing";
      }
      made += got.has_value();
    }
    // Another type code than the file's own: nothing, as LoadPicture.
    EXPECT_FALSE(MakeThumbnail(path.c_str(), (type + 1) % 4, 120, 80)) << f.name;
  }
  EXPECT_GE(made, 3 * 45) << "most of the zoo loads";
  const std::string png = ZooPath("png_rgb24.png");
  EXPECT_FALSE(MakeThumbnail(png.c_str(), 4, 120, 80));
  EXPECT_FALSE(MakeThumbnail(png.c_str(), -1, 120, 80));
  EXPECT_FALSE(MakeThumbnail(nullptr, 0, 120, 80));
  EXPECT_FALSE(MakeThumbnail(ZooPath("missing.png").c_str(), 0, 120, 80));
  EXPECT_FALSE(MakeThumbnail(png.c_str(), 0, 70000, 70000)) << "a box past the pixel limit";
}

TEST(Thumbnail, TruncatedFilesGiveNothing) {
  // Cut files pass the header probe but fail in the pixels, in every format.
  test::ScratchFolder dir;
  for (const char* name : {"png_rgb24.png", "jpeg_baseline.jpg", "tiff_lzw.tif", "bmp_24.bmp", "stroke_1600x1200.png"}) {
    const std::string bytes = test::ReadBytes(ZooPath(name));
    ASSERT_GT(bytes.size(), 600u) << name;
    const std::string cut = dir.File(std::string("cut_") + name);
    HANDLE f = CreateFileA(cut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(f, bytes.data(), DWORD(bytes.size() / 2), &written, nullptr);
    CloseHandle(f);
    const int type = ImageTypeFromPath(name);
    EXPECT_EQ(Difference(MakeThumbnail(cut.c_str(), type, 120, 80), ThroughTheChain(cut, type, {120, 80})), "") << name;
  }
}

// Whoever waits for a decode to let go of its file (a folder left, a file
// command) waits one strip at most: the decode asks before every strip.
TEST(Thumbnail, ACancelledDecodeStopsAtTheNextStrip) {
  const std::string path = ZooPath("stroke_1600x1200.png");  // 40 rows a strip: 30 strips
  int asked = 0;
  const auto cancelAtThird = [&asked] { return ++asked == 3; };
  EXPECT_FALSE(MakeThumbnail(path.c_str(), 0, 120, 80, cancelAtThird));
  EXPECT_EQ(asked, 3) << "no strip is read after the cancel";

  int strips = 0;
  const std::optional<Thumbnail> whole = MakeThumbnail(path.c_str(), 0, 120, 80, [&strips] {
    ++strips;
    return false;
  });
  const std::optional<Thumbnail> plain = MakeThumbnail(path.c_str(), 0, 120, 80);
  ASSERT_TRUE(whole && plain);
  EXPECT_EQ(strips, 30);
  EXPECT_TRUE(whole->pixels.pixels == plain->pixels.pixels) << "asking changes nothing";
}

TEST(Thumbnail, WorkerThreadsMakeTheSameThumbnailsWhileTheLibraryIsInUse) {
  const auto zoo = test::ReadZooManifest();
  struct Job {
    std::string path;
    int type;
    std::optional<Thumbnail> want;
  };
  std::vector<Job> jobs;
  for (const auto& f : zoo) {
    const std::string path = ZooPath(f.name);
    const int type = ImageTypeFromPath(f.name);
    jobs.push_back({path, type, ThroughTheChain(path, type, {120, 80})});
  }
  const long liveBefore = LiveImageCount();
  std::atomic<int> mismatches{0}, setUpFailures{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 3; ++t) {
    workers.emplace_back([&, t] {
      ThreadImaging imaging;
      KeptDecoderBlocks kept;  // three threads allocating and freeing through the pool
      if (!imaging.ok()) {
        ++setUpFailures;
        return;
      }
      for (int round = 0; round < 2; ++round)
        for (size_t i = 0; i < jobs.size(); ++i) {
          const Job& j = jobs[(i + size_t(t) * 7) % jobs.size()];
          if (!Difference(MakeThumbnail(j.path.c_str(), j.type, 120, 80), j.want).empty()) ++mismatches;
          // The library's handles on a worker, through its own factory.
          Image loaded = LoadPicture(j.path.c_str(), j.type);
          if (loaded.get() != nullptr && !ReadPictureInfo(loaded)) ++mismatches;
        }
    });
  }
  // Meanwhile the user-interface thread goes on using the library.
  int uiMismatches = 0;
  for (const Job& j : jobs)
    if (!Difference(ThroughTheChain(j.path, j.type, {120, 80}), j.want).empty()) ++uiMismatches;
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(setUpFailures.load(), 0);
  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_EQ(uiMismatches, 0);
  EXPECT_EQ(LiveImageCount(), liveBefore) << "every handle made on any thread was freed";
}

// A 24-bit frame of the tests' own that scales while it decodes, as Windows'
// JPEG decoder does (Wine's decoders offer no IWICBitmapSourceTransform): by
// 1/2, 1/4 and 1/8, sizes rounded up, each pixel the rounded average of its
// block. GetClosestSize answers the offered size nearest in area to the one
// asked, which may be smaller than asked.
class ScalingFrame final : public IWICBitmapSource, public IWICBitmapSourceTransform {
 public:
  ScalingFrame(int32_t w, int32_t h) : w_(w), h_(h), bgr_(size_t(w) * h * 3) {
    for (size_t i = 0; i < bgr_.size(); ++i) bgr_[i] = uint8_t((i * 2654435761u) >> 24);
  }
  // The picture at 1/d, 32-bit, as the decoder hands it out.
  PixelImage Scaled(int d) const {
    PixelImage out;
    AllocatePixels(&out, (w_ + d - 1) / d, (h_ + d - 1) / d);
    for (int32_t y = 0; y < out.height; ++y)
      for (int32_t x = 0; x < out.width; ++x) {
        int sum[3] = {0, 0, 0}, n = 0;
        for (int32_t sy = y * d; sy < std::min(h_, y * d + d); ++sy)
          for (int32_t sx = x * d; sx < std::min(w_, x * d + d); ++sx, ++n)
            for (int c = 0; c < 3; ++c) sum[c] += bgr_[(size_t(sy) * w_ + sx) * 3 + c];
        uint32_t p = 0xFF000000u;
        for (int c = 0; c < 3; ++c) p |= uint32_t((sum[c] + n / 2) / n) << (8 * c);
        out.pixels[size_t(y) * out.width + x] = p;
      }
    return out;
  }
  std::vector<std::pair<UINT, UINT>> scaledReads;  // the size of every read through the transform
  int plainReads = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWICBitmapSource))
      *out = static_cast<IWICBitmapSource*>(this);
    else if (IsEqualIID(iid, IID_IWICBitmapSourceTransform))
      *out = static_cast<IWICBitmapSourceTransform*>(this);
    else
      return *out = nullptr, E_NOINTERFACE;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetSize(UINT* w, UINT* h) override { return *w = UINT(w_), *h = UINT(h_), S_OK; }
  HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* f) override {
    return *f = GUID_WICPixelFormat24bppBGR, S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetResolution(double* x, double* y) override { return *x = *y = 96, S_OK; }
  HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* r, UINT stride, UINT bytes, BYTE* out) override {
    ++plainReads;
    return Copy(1, *r, stride, bytes, out);
  }
  HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* r, UINT w, UINT h, WICPixelFormatGUID* f,
                                       WICBitmapTransformOptions t, UINT stride, UINT bytes, BYTE* out) override {
    scaledReads.emplace_back(w, h);
    for (int d : {1, 2, 4, 8})
      if (w == UINT((w_ + d - 1) / d) && h == UINT((h_ + d - 1) / d) && IsEqualGUID(*f, GUID_WICPixelFormat24bppBGR) &&
          t == WICBitmapTransformRotate0)
        return Copy(d, *r, stride, bytes, out);
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* w, UINT* h) override {
    const double asked = double(*w) * *h;
    int best = 1;
    for (int d : {2, 4, 8})
      if (std::abs(double(Side(w_, d)) * Side(h_, d) - asked) < std::abs(double(Side(w_, best)) * Side(h_, best) - asked))
        best = d;
    return *w = UINT(Side(w_, best)), *h = UINT(Side(h_, best)), S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* f) override {
    return *f = GUID_WICPixelFormat24bppBGR, S_OK;
  }
  HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions t, BOOL* yes) override {
    return *yes = t == WICBitmapTransformRotate0, S_OK;
  }

 private:
  static int32_t Side(int32_t s, int d) { return (s + d - 1) / d; }
  HRESULT Copy(int d, const WICRect& r, UINT stride, UINT bytes, BYTE* out) const {
    const PixelImage scaled = Scaled(d);
    if (r.X < 0 || r.Y < 0 || r.X + r.Width > scaled.width || r.Y + r.Height > scaled.height ||
        stride < UINT(r.Width) * 3 || bytes < stride * UINT(r.Height))
      return E_INVALIDARG;
    for (int32_t y = 0; y < r.Height; ++y)
      for (int32_t x = 0; x < r.Width; ++x) {
        const uint32_t p = scaled.At(r.X + x, r.Y + y);
        for (int c = 0; c < 3; ++c) out[size_t(y) * stride + size_t(x) * 3 + c] = uint8_t(p >> (8 * c));
      }
    return S_OK;
  }
  int32_t w_, h_;
  std::vector<uint8_t> bgr_;
};

// Where the decoder scales while decoding, the picture is read at the
// smallest size it offers that is not smaller than the box needs, and
// resampled from there; a box it cannot serve smaller reads the frame as it is.
TEST(Thumbnail, ReadsAtTheSmallestSizeTheDecoderOffersThatIsLargeEnough) {
  struct Case {
    Box box;
    int scale;  // the read expected: 1/scale, 0 for the frame read as it is
  } cases[] = {{{20, 15}, 8}, {{24, 20}, 8}, {{26, 19}, 8}, {{27, 20}, 4}, {{60, 45}, 2}, {{102, 80}, 2},
               {{103, 80}, 0}, {{150, 150}, 0}, {{0, 0}, 0}};
  for (const Case& c : cases) {
    ScalingFrame frame(203, 151);
    const PixelSize need = c.box.width > 0 ? FitIntoBox(203, 151, c.box.width, c.box.height) : PixelSize{203, 151};
    const std::optional<Thumbnail> made = DecodeScaled(
        static_cast<IWICBitmapSource*>(&frame), PictureInfo{203, 151, 24},
        [&](int32_t w, int32_t h) { return c.box.width > 0 ? FitIntoBox(w, h, c.box.width, c.box.height) : PixelSize{w, h}; });
    ASSERT_TRUE(made) << c.box.width << "x" << c.box.height;
    EXPECT_EQ(made->info.width, 203) << "the file's own size is reported";
    EXPECT_EQ(made->info.height, 151);
    const PixelImage read = frame.Scaled(c.scale == 0 ? 1 : c.scale);
    if (c.scale == 0) {
      EXPECT_TRUE(frame.scaledReads.empty()) << c.box.width << "x" << c.box.height;
      EXPECT_GT(frame.plainReads, 0);
    } else {
      ASSERT_FALSE(frame.scaledReads.empty()) << c.box.width << "x" << c.box.height;
      EXPECT_EQ(frame.plainReads, 0);
      for (const auto& size : frame.scaledReads)
        EXPECT_EQ(size, std::make_pair(UINT(read.width), UINT(read.height))) << c.box.width << "x" << c.box.height;
    }
    PixelImage want;
    ASSERT_TRUE(need.width == read.width && need.height == read.height ? (want = read, true)
                                                                      : ResizePixels(ViewOf(read), need.width, need.height, &want));
    EXPECT_EQ(made->pixels.width, need.width);
    EXPECT_EQ(made->pixels.height, need.height);
    EXPECT_TRUE(made->pixels.pixels == want.pixels) << "area averaging of the decoder's scaled picture, "
                                                    << c.box.width << "x" << c.box.height;
  }
}

// Two workers in one process ran at 1.4 times one while every decode mapped
// its whole-picture buffer afresh from the system: with the blocks kept, only
// the first decode of a worker does.
// Each decoder's whole-picture block: PNG's from the C runtime, BMP's from
// the process heap (5.8 MB each).
TEST(Thumbnail, KeptDecoderBlocksServeEveryDecodeAfterTheFirst) {
  const std::pair<const char*, ImageFormat> pictures[] = {{"fit_1600x1200.png", ImageFormat::kPng},
                                                          {"fit_1600x1200.bmp", ImageFormat::kBmp}};
  for (const auto& [name, format] : pictures) {
    SCOPED_TRACE(name);
    const std::string path = ZooPath(name);
    const int type = static_cast<int>(format);
    const std::optional<Thumbnail> want = ThroughTheChain(path, type, {120, 80});
    ASSERT_TRUE(want);
    DecoderBlockCounts before, first, last, afterwards;
    std::string differences;
    std::thread worker([&] {
      ThreadImaging imaging;
      if (!imaging.ok()) return;
      {
        KeptDecoderBlocks kept;
        before = CountDecoderBlocks();
        differences += Difference(MakeThumbnail(path.c_str(), type, 120, 80), want);
        first = CountDecoderBlocks();
        for (int i = 0; i < 4; ++i) differences += Difference(MakeThumbnail(path.c_str(), type, 120, 80), want);
        last = CountDecoderBlocks();
      }
      afterwards = CountDecoderBlocks();
    });
    worker.join();
    EXPECT_EQ(differences, "") << "pooled blocks change no pixel";
    ASSERT_TRUE(first.redirected) << "the decoder's allocations go through the pool";
    EXPECT_GT(first.mappedFromSystem, before.mappedFromSystem) << "the first decode takes its block from the system";
    EXPECT_EQ(last.mappedFromSystem, first.mappedFromSystem) << "later decodes take none";
    EXPECT_GE(last.reused, first.reused + 4);
    EXPECT_GT(last.keptBytes, 0u);
    EXPECT_EQ(afterwards.keptBytes, 0u) << "the last holder gone, the memory goes back";
  }
}

}  // namespace
}  // namespace zv::imagelib
