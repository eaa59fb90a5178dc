// A deterministic stand-in for the fuzzer, for the g++ tree (no libFuzzer
// there): runs the fuzz entry over every seed of the given folders and over
// mutations of each (bit flips, cuts, inserted and overwritten runs, spliced
// lengths), with a fixed random seed, under the sanitizers of the build.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

void Run(const Bytes& b) {
  // A copy of exactly the right size, so that ASan sees a read past the end.
  std::vector<uint8_t> exact(b);
  LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
}

Bytes Mutate(const Bytes& seed, std::mt19937& random) {
  Bytes b = seed;
  const int steps = 1 + static_cast<int>(random() % 4);
  for (int s = 0; s < steps; ++s) {
    const size_t n = b.size();
    switch (random() % 6) {
      case 0:
        if (n) b[random() % n] ^= static_cast<uint8_t>(1u << (random() % 8));
        break;
      case 1:
        if (n) b.resize(random() % n);
        break;
      case 2: {
        const size_t at = n ? random() % n : 0;
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), 1 + random() % 16, static_cast<uint8_t>(random()));
        break;
      }
      case 3:
        if (n) {
          const size_t at = random() % n;
          for (size_t i = at; i < n && i < at + 4; ++i) b[i] = 0xFF;  // lengths and offsets at their extreme
        }
        break;
      case 4:
        if (n) {
          const size_t at = random() % n;
          for (size_t i = at; i < n && i < at + 4; ++i) b[i] = 0x00;
        }
        break;
      default:
        if (n) b[random() % n] = static_cast<uint8_t>(random());
        break;
    }
  }
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  const int perSeed = 3000;
  std::mt19937 random(20261207);
  size_t seeds = 0, runs = 0;
  Run({});
  for (int a = 1; a < argc; ++a) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[a])) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const Bytes seed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ++seeds;
      Run(seed);
      for (size_t cut = 0; cut < seed.size() && cut < 256; ++cut) Run(Bytes(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(cut)));
      for (int i = 0; i < perSeed; ++i, ++runs) Run(Mutate(seed, random));
    }
  }
  std::printf("fuzz smoke: %zu seeds, %zu mutated inputs\n", seeds, runs);
  return seeds > 0 ? 0 : 1;
}
