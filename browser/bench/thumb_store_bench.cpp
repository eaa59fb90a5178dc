// Times ThumbPixelStore at the largest box: `count` made thumbnails put under
// a budget of `budget` MiB (most of them spilled), then every one got back in
// the order put, the worst order for the recently-used list (each comes from
// the spill). Not a test: figures go to docs/performance.md.
//   thumb_store_bench.exe [count (2000)] [budget MiB (64)]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "browser/thumb_pixel_store.h"

namespace {

double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
  const size_t budget = static_cast<size_t>(argc > 2 ? std::atoi(argv[2]) : 64) << 20;
  zv::ThumbPixelStore store(budget);
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < count; ++i) {
    store.Put(i, zv::PixelImage{240, 160, std::pmr::vector<uint32_t>(240 * 160, static_cast<uint32_t>(i))});
  }
  const double put = MillisecondsSince(start);
  QueryPerformanceCounter(&start);
  int same = 0;
  for (int i = 0; i < count; ++i) {
    const std::shared_ptr<const zv::PixelImage> thumb = store.Get(i);
    same += thumb && thumb->pixels.back() == static_cast<uint32_t>(i);
  }
  const double get = MillisecondsSince(start);
  std::printf("%d thumbnails 240x160, budget %zu MiB: put %.1f ms (%.3f ms each), got back %d of %d in %.1f ms "
              "(%.3f ms each), %zu bytes in memory\n",
              count, budget >> 20, put, put / count, same, count, get, get / count, store.bytesInMemory());
  return same == count ? 0 : 1;
}
