// Thumbnail benchmark (scripts/bench-thumbnails.sh); not a test.
//   thumb_bench.exe steps <runs> <file>...   per file: the old chain's steps
//       (LoadPicture = decode, ConvertTo32Bits, FitPictureIntoBox) and the
//       whole old chain, against MakeThumbnail; median and min of `runs`, ms
//   thumb_bench.exe pool <runs> <threads> <file>...   thumbnails per second
//       of ThumbWorkers with 1 thread and with `threads` over the same files,
//       the two taking turns
// The box is 120 x 80 throughout.
#include <windows.h>

#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "browser/thumb_workers.h"
#include "core/imagelib/probe_rules.h"
#include "imagelib/image_library.h"
#include "imagelib/picture_ops.h"
#include "imagelib/thumbnail.h"

namespace {

using namespace zv::imagelib;

constexpr int32_t kBoxWidth = 120, kBoxHeight = 80;
constexpr UINT kThumbsReady = WM_APP + 1;

double Now() {
  LARGE_INTEGER counter{}, frequency{};
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

int Steps(int runs, const std::vector<std::string>& files) {
  std::printf("file,size,decode,convert,resample,chain,make,make/decode  (median ms; min in brackets)\n");
  for (const std::string& file : files) {
    const char* path = file.c_str();
    const int type = zv::ImageTypeFromPath(file);
    std::vector<double> decode, convert, resample, chain, make;
    std::string size = "?";
    for (int run = 0; run <= runs; ++run) {  // run 0 warms the page cache, uncounted
      double t = Now();
      Image picture = LoadPicture(path, type);
      const double decoded = Now();
      if (const auto info = ReadPictureInfo(picture)) size = std::to_string(info->width) + "x" + std::to_string(info->height);
      picture = ConvertTo32Bits(std::move(picture));
      const double converted = Now();
      picture = FitPictureIntoBox(std::move(picture), kBoxWidth, kBoxHeight);
      const double resampled = Now();
      if (!picture) {
        std::printf("%s: the old chain failed\n", path);
        return 1;
      }
      picture.reset();
      const double chainStart = Now();
      Image whole = FitPictureIntoBox(ConvertTo32Bits(LoadPicture(path, type)), kBoxWidth, kBoxHeight);
      const double chainEnd = Now();
      whole.reset();
      const double makeStart = Now();
      const auto thumbnail = MakeThumbnail(path, type, kBoxWidth, kBoxHeight);
      const double makeEnd = Now();
      if (!thumbnail) {
        std::printf("%s: MakeThumbnail failed\n", path);
        return 1;
      }
      if (run == 0) continue;
      decode.push_back((decoded - t) * 1000);
      convert.push_back((converted - decoded) * 1000);
      resample.push_back((resampled - converted) * 1000);
      chain.push_back((chainEnd - chainStart) * 1000);
      make.push_back((makeEnd - makeStart) * 1000);
    }
    const char* name = std::max(std::strrchr(path, '\\'), std::strrchr(path, '/'));
    std::printf("%s,%s,%.1f [%.1f],%.1f [%.1f],%.1f [%.1f],%.1f [%.1f],%.1f [%.1f],%.2f [%.2f]\n",
                name != nullptr ? name + 1 : path, size.c_str(), Median(decode), Min(decode), Median(convert),
                Min(convert), Median(resample), Min(resample), Median(chain), Min(chain), Median(make), Min(make),
                Median(make) / Median(decode), Min(make) / Min(decode));
  }
  return 0;
}

// One batch of `files` through a pool of `threads`, to the last result; seconds.
double PoolRun(HWND target, int threads, const std::vector<std::string>& files, size_t* failed) {
  std::vector<zv::ThumbRequest> requests;
  for (size_t i = 0; i < files.size(); ++i) requests.push_back({i, files[i], zv::ImageTypeFromPath(files[i])});
  zv::ThumbWorkers workers(target, kThumbsReady, threads);
  const double start = Now();
  workers.Start(zv::ThumbBox{kBoxWidth, kBoxHeight}, std::move(requests));
  size_t received = 0;
  while (received < files.size()) {
    MSG msg;
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
    if (msg.message != kThumbsReady) continue;
    for (const zv::ThumbResult& r : workers.TakeResults()) {
      ++received;
      *failed += !r.ok;
    }
  }
  return Now() - start;
}

int Pool(int runs, int threads, const std::vector<std::string>& files) {
  HWND target = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::vector<double> one, all;
  size_t failed = 0;
  for (int run = 0; run <= runs; ++run) {  // run 0 warms the page cache, uncounted
    const double a = PoolRun(target, 1, files, &failed);
    const double b = PoolRun(target, threads, files, &failed);
    if (run == 0) continue;
    one.push_back(files.size() / a);
    all.push_back(files.size() / b);
  }
  std::sort(one.begin(), one.end());
  std::sort(all.begin(), all.end());
  std::printf("%zu files, %d runs; thumbnails per second, median [best]\n", files.size(), runs);
  std::printf("1 thread:  %.2f [%.2f]\n", Median(one), one.back());
  std::printf("%d threads: %.2f [%.2f]\n", threads, Median(all), all.back());
  std::printf("ratio: %.2f (medians) %.2f (best)\n", Median(all) / Median(one), all.back() / one.back());
  std::printf("failed thumbnails: %zu\n", failed);
  DestroyWindow(target);
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: thumb_bench steps <runs> <file>... | pool <runs> <threads> <file>...\n");
    return 2;
  }
  OleInitialize(nullptr);
  if (!zv::imagelib::Bind()) return 1;
  const std::string mode = argv[1];
  const int runs = std::max(1, std::atoi(argv[2]));
  int result = 2;
  if (mode == "steps") {
    result = Steps(runs, std::vector<std::string>(argv + 3, argv + argc));
  } else if (mode == "pool" && argc >= 5) {
    result = Pool(runs, std::max(1, std::atoi(argv[3])), std::vector<std::string>(argv + 4, argv + argc));
  }
  zv::imagelib::Unbind();
  OleUninitialize();
  return result;
}
