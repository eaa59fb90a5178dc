// Benchmarks of the image library's portable parts (not tests: they time,
// they do not judge). Built without sanitizers, optimised.
//   imagelib_bench crc [MiB]            CRC-32 folded, sliced and byte loop, and PngCheck over a large PNG
//   imagelib_bench probe LIST [rounds]  header probes per second over the files named in LIST
//   imagelib_bench resize [w h bw bh]   area-averaging a w x h picture into the box
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/imagelib/image_header.h"
#include "core/imagelib/pixels.h"
#include "core/imagelib/png_check.h"
#include "core/imagelib/probe_rules.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Best of `rounds` runs, in seconds.
template <class F>
double Best(int rounds, F f) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const auto t = Clock::now();
    f();
    best = std::min(best, Seconds(t));
  }
  return best;
}

volatile uint32_t g_sink;

void PutBe32(std::vector<uint8_t>& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

int Crc(size_t mib) {
  std::vector<uint8_t> data(mib << 20);
  std::mt19937 random(1);
  for (auto& v : data) v = static_cast<uint8_t>(random());
  const double gb = static_cast<double>(data.size()) / 1e9;
  const double update = Best(5, [&] { g_sink = zv::Crc32Update(0xFFFFFFFFu, data.data(), data.size()); });
  const double sliced = Best(5, [&] { g_sink = zv::Crc32UpdateSliced(0xFFFFFFFFu, data.data(), data.size()); });
  const double bytewise = Best(3, [&] { g_sink = zv::Crc32UpdateBytewise(0xFFFFFFFFu, data.data(), data.size()); });
  // One 64 KiB piece again and again, as the file reader hands it out: in the cache, not bound by memory.
  const size_t piece = 64 * 1024, pieces = data.size() / piece;
  const double hot = Best(5, [&] {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < pieces; ++i) crc = zv::Crc32Update(crc, data.data(), piece);
    g_sink = crc;
  });
  std::printf("crc32 Crc32Update (folding where PCLMULQDQ exists): %.2f GB/s\n", gb / update);
  std::printf("crc32 Crc32Update over one 64 KiB piece in the cache: %.2f GB/s\n",
              static_cast<double>(pieces * piece) / 1e9 / hot);
  std::printf("crc32 slicing-by-8: %.2f GB/s\n", gb / sliced);
  std::printf("crc32 byte loop:    %.2f GB/s\n", gb / bytewise);
  // A PNG of 1 MiB IDAT chunks, checked from memory: the chunk walk as well.
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  auto chunk = [&](const char* type, const uint8_t* body, size_t n) {
    PutBe32(png, static_cast<uint32_t>(n));
    const size_t at = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), body, body + n);
    PutBe32(png, zv::Crc32(png.data() + at, n + 4));
  };
  const uint8_t ihdr[13] = {0, 0, 1, 0, 0, 0, 1, 0, 8, 2, 0, 0, 0};
  chunk("IHDR", ihdr, 13);
  for (size_t off = 0; off + 0x100000 - 8 <= data.size(); off += 0x100000 - 8) chunk("IDAT", data.data() + off, 0x100000 - 8);
  chunk("IEND", nullptr, 0);
  zv::PngCheck check;
  bool valid = false;
  const double walk = Best(5, [&] { valid = check.IsValidData(png.data(), png.size()); });
  std::printf("PngCheck in memory: %.2f GB/s (%s)\n", static_cast<double>(png.size()) / 1e9 / walk, valid ? "valid" : "INVALID");
  const char* path = "/tmp/zv_bench_crc.png";
  if (std::FILE* f = std::fopen(path, "wb")) {
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
    check.IsValid(path);  // into the page cache
    const double fromFile = Best(5, [&] { valid = check.IsValid(path); });
    std::printf("PngCheck from a cached file: %.2f GB/s (%s)\n", static_cast<double>(png.size()) / 1e9 / fromFile,
                valid ? "valid" : "INVALID");
    std::remove(path);
  }
  return 0;
}

int Probe(const char* list, int rounds) {
  std::vector<std::string> files;
  std::ifstream in(list);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) files.push_back(line);
  if (files.empty()) {
    std::fprintf(stderr, "no files in %s\n", list);
    return 1;
  }
  size_t recognised = 0;
  const double best = Best(rounds, [&] {
    recognised = 0;
    for (const std::string& f : files) {
      zv::ImageHeader h;
      recognised += zv::ProbeImageFile(f.c_str(), &h);
    }
  });
  std::printf("header probe: %zu files (%zu recognised) in %.2f ms: %.0f files/s\n", files.size(), recognised,
              best * 1e3, static_cast<double>(files.size()) / best);
  return 0;
}

int Resize(int w, int h, int bw, int bh) {
  zv::PixelImage source;
  if (!zv::AllocatePixels(&source, w, h)) return 1;
  std::mt19937 random(3);
  for (auto& p : source.pixels) p = static_cast<uint32_t>(random());
  const zv::PixelSize size = zv::FitIntoBox(w, h, bw, bh);
  zv::PixelImage out;
  const double best = Best(10, [&] { zv::ResizePixels(zv::ViewOf(source), size.width, size.height, &out); });
  std::printf("resize %dx%d -> %dx%d (box %dx%d): %.2f ms\n", w, h, size.width, size.height, bw, bh, best * 1e3);
  // The float filter against the fixed-point one, straight into a target
  // (the picture view's zoom), on one band and on two.
  for (int bands : {1, 2}) {
    const zv::PixelTarget target{reinterpret_cast<uint8_t*>(out.pixels.data()), size.width, size.height,
                                 static_cast<size_t>(size.width) * 4};
    const double floats = Best(10, [&] { zv::ResizePixelsInto(zv::ViewOf(source), target, bands); });
    const double fixed = Best(10, [&] { zv::ResizePixelsFast(zv::ViewOf(source), target, bands); });
    std::printf("  %d band(s): ResizePixelsInto %.2f ms, ResizePixelsFast %.2f ms (%.2fx)\n", bands, floats * 1e3,
                fixed * 1e3, floats / fixed);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "crc") return Crc(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 256);
  if (what == "probe" && argc > 2) return Probe(argv[2], argc > 3 ? std::atoi(argv[3]) : 5);
  if (what == "resize") {
    if (argc > 5) return Resize(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    return Resize(4000, 3000, 120, 80);
  }
  std::fprintf(stderr, "usage: imagelib_bench crc [MiB] | probe LIST [rounds] | resize [w h bw bh]\n");
  return 2;
}
