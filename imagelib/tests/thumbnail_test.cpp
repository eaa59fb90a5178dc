#include "imagelib/thumbnail.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/imagelib/probe_rules.h"
#include "imagelib/image_library.h"
#include "imagelib/picture_ops.h"
#include "imagelib/tests/zoo.h"

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

}  // namespace
}  // namespace zv::imagelib
