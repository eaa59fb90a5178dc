#include "core/imagelib/png_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace zv {
namespace {

using Bytes = std::vector<uint8_t>;

void PutBe32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}

void PutChunk(Bytes& b, const char* type, const Bytes& data) {
  PutBe32(b, uint32_t(data.size()));
  const size_t typeAt = b.size();
  b.insert(b.end(), type, type + 4);
  b.insert(b.end(), data.begin(), data.end());
  PutBe32(b, Crc32(b.data() + typeAt, 4 + data.size()));
}

Bytes Signature() { return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

Bytes Ihdr() { return {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0}; }

Bytes MinimalPng() {
  Bytes b = Signature();
  PutChunk(b, "IHDR", Ihdr());
  PutChunk(b, "IDAT", {0x78, 0x9C, 0x63, 0x60, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01});
  PutChunk(b, "IEND", {});
  return b;
}

TEST(Crc32, MatchesTheKnownCheckValueAndTheBytewiseLoopAtEveryLengthAndAlignment) {
  const char* check = "123456789";
  EXPECT_EQ(Crc32(check, 9), 0xCBF43926u) << "the CRC-32 check value";
  EXPECT_EQ(Crc32(nullptr, 0), 0u);
  const uint8_t iend[4] = {'I', 'E', 'N', 'D'};
  EXPECT_EQ(Crc32(iend, 4), 0xAE426082u) << "the CRC every PNG ends with";
  std::mt19937 random(7);
  // Lengths past several 64-byte folding steps with every 16-byte remainder,
  // and running values other than the start value.
  Bytes data(1100);
  for (auto& v : data) v = uint8_t(random());
  for (size_t start = 0; start < 8; ++start) {
    for (size_t n = 0; start + n <= data.size(); n += 7) {
      const uint32_t running = start == 0 ? 0xFFFFFFFFu : uint32_t(random());
      const uint32_t reference = Crc32UpdateBytewise(running, data.data() + start, n);
      EXPECT_EQ(Crc32Update(running, data.data() + start, n), reference) << "start " << start << " length " << n;
      EXPECT_EQ(Crc32UpdateSliced(running, data.data() + start, n), reference) << "start " << start << " length " << n;
    }
  }
  // Continuing a running value in pieces gives the same as one pass.
  uint32_t crc = 0xFFFFFFFFu;
  crc = Crc32Update(crc, data.data(), 13);
  crc = Crc32Update(crc, data.data() + 13, 500);
  crc = Crc32Update(crc, data.data() + 513, data.size() - 513);
  EXPECT_EQ(~crc, Crc32(data.data(), data.size()));
}

TEST(PngCheck, AcceptsAWellFormedFileAndChunksInAnyOrder) {
  PngCheck check;
  const Bytes good = MinimalPng();
  EXPECT_TRUE(check.IsValidData(good.data(), good.size()));
  Bytes reordered = Signature();  // IEND first: the order is not judged
  PutChunk(reordered, "IEND", {});
  PutChunk(reordered, "IDAT", {1, 2, 3});
  PutChunk(reordered, "IHDR", Ihdr());
  EXPECT_TRUE(check.IsValidData(reordered.data(), reordered.size()));
  Bytes afterEnd = good;  // a further well-formed chunk after IEND
  PutChunk(afterEnd, "tEXt", {'a', 0, 'b'});
  EXPECT_TRUE(check.IsValidData(afterEnd.data(), afterEnd.size()));
}

TEST(PngCheck, RefusesADamagedCrcInAnyChunk) {
  PngCheck check;
  const Bytes good = MinimalPng();
  // Flip one bit in each byte of type, data or CRC of each chunk in turn
  // (the length fields, at 8, 33 and 55, frame the chunks: tested below).
  size_t refused = 0;
  for (size_t i = 8; i < good.size(); ++i) {
    const bool lengthByte = (i >= 8 && i < 12) || (i >= 33 && i < 37) || (i >= 55 && i < 59);
    if (lengthByte) continue;
    Bytes bad = good;
    bad[i] ^= 0x10;
    EXPECT_FALSE(check.IsValidData(bad.data(), bad.size())) << "bit flipped at byte " << i;
    ++refused;
  }
  EXPECT_EQ(refused, good.size() - 8 - 12);
}

TEST(PngCheck, RefusesMissingKindsBadSignatureAndTrailingBytes) {
  PngCheck check;
  Bytes noIdat = Signature();
  PutChunk(noIdat, "IHDR", Ihdr());
  PutChunk(noIdat, "IEND", {});
  EXPECT_FALSE(check.IsValidData(noIdat.data(), noIdat.size())) << "no IDAT";
  Bytes noIend = Signature();
  PutChunk(noIend, "IHDR", Ihdr());
  PutChunk(noIend, "IDAT", {0});
  EXPECT_FALSE(check.IsValidData(noIend.data(), noIend.size())) << "no IEND";
  Bytes lowerCase = Signature();
  PutChunk(lowerCase, "IHDR", Ihdr());
  PutChunk(lowerCase, "idat", {0});
  PutChunk(lowerCase, "IEND", {});
  EXPECT_FALSE(check.IsValidData(lowerCase.data(), lowerCase.size())) << "kinds are exact bytes";
  const Bytes good = MinimalPng();
  for (size_t extra = 1; extra <= 3; ++extra) {
    Bytes trailing = good;
    trailing.insert(trailing.end(), extra, 0);
    EXPECT_FALSE(check.IsValidData(trailing.data(), trailing.size())) << extra << " trailing bytes";
  }
  Bytes fourZeros = good;  // a length of 0 and then nothing: a cut chunk
  fourZeros.insert(fourZeros.end(), 4, 0);
  EXPECT_FALSE(check.IsValidData(fourZeros.data(), fourZeros.size()));
  for (size_t n = 0; n < good.size(); ++n) {
    EXPECT_FALSE(check.IsValidData(good.data(), n)) << "cut to " << n;
  }
  Bytes badSignature = good;
  badSignature[4] = 0x0A;
  EXPECT_FALSE(check.IsValidData(badSignature.data(), badSignature.size()));
}

TEST(PngCheck, ChunkSpanLimitIsOneMebibyteWithoutWrapAround) {
  PngCheck check;
  // Exactly 0x100000 - 8 data bytes: length + 8 is the limit itself.
  Bytes atLimit = Signature();
  PutChunk(atLimit, "IHDR", Ihdr());
  PutChunk(atLimit, "IDAT", Bytes(0x100000 - 8, 0x5A));
  PutChunk(atLimit, "IEND", {});
  EXPECT_TRUE(check.IsValidData(atLimit.data(), atLimit.size()));
  Bytes overLimit = Signature();
  PutChunk(overLimit, "IHDR", Ihdr());
  PutChunk(overLimit, "IDAT", Bytes(0x100000 - 7, 0x5A));
  PutChunk(overLimit, "IEND", {});
  EXPECT_FALSE(check.IsValidData(overLimit.data(), overLimit.size()));
  // Lengths whose 32-bit sum with 8 wraps to a small number.
  for (uint32_t length : {0xFFFFFFF8u, 0xFFFFFFFBu, 0xFFFFFFFFu}) {
    Bytes wrap = Signature();
    PutChunk(wrap, "IHDR", Ihdr());
    PutBe32(wrap, length);
    wrap.insert(wrap.end(), {'I', 'D', 'A', 'T'});
    PutBe32(wrap, 0);
    PutChunk(wrap, "IEND", {});
    EXPECT_FALSE(check.IsValidData(wrap.data(), wrap.size())) << std::hex << length;
  }
}

class PngCheckFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zv_pngcheck_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const char* name, const uint8_t* data, size_t size) {
    const std::string p = (dir_ / name).string();
    std::FILE* f = std::fopen(p.c_str(), "wb");
    EXPECT_NE(f, nullptr) << p;
    if (f == nullptr) return p;
    EXPECT_EQ(std::fwrite(data, 1, size, f), size);
    std::fclose(f);
    return p;
  }
  std::filesystem::path dir_;
};

// IDAT chunks larger than the file reader's piece, so chunk data, CRCs and
// frames straddle the places where one read ends and the next begins.
Bytes PngOfLargeChunks() {
  Bytes big = Signature();
  PutChunk(big, "IHDR", Ihdr());
  for (int i = 0; i < 3; ++i) PutChunk(big, "IDAT", Bytes(70000 + 4099 * i, uint8_t(i * 37 + 1)));
  PutChunk(big, "IEND", {});
  return big;
}

TEST_F(PngCheckFiles, ReadsRealFiles) {
  Bytes big = Signature();  // several chunks larger than the read buffer
  PutChunk(big, "IHDR", Ihdr());
  for (int i = 0; i < 5; ++i) PutChunk(big, "IDAT", Bytes(300000, uint8_t(i)));
  PutChunk(big, "IEND", {});
  PngCheck check;
  EXPECT_TRUE(check.IsValid(Write("big.png", big.data(), big.size()).c_str()));
  big[big.size() - 20 - 12] ^= 1;  // inside the last IDAT's data
  EXPECT_FALSE(check.IsValid(Write("damaged.png", big.data(), big.size()).c_str()));
  EXPECT_FALSE(check.IsValid((dir_ / "missing.png").string().c_str()));
  EXPECT_FALSE(check.IsValid(nullptr));
}

TEST_F(PngCheckFiles, FileAndMemoryAgreeOnEveryCutAndDamage) {
  const Bytes big = PngOfLargeChunks();
  PngCheck check;
  // Cut points: inside the signature and the first frames, around every
  // chunk boundary and every 64 KiB of the file, and just before the end.
  std::vector<size_t> cuts;
  for (size_t n = 0; n < 40; ++n) cuts.push_back(n);
  for (size_t at = 8; at + 12 <= big.size();) {
    const size_t length = size_t(big[at]) << 24 | size_t(big[at + 1]) << 16 | size_t(big[at + 2]) << 8 | big[at + 3];
    for (size_t edge : {at + 4, at + 8, at + 8 + length, at + 12 + length})
      for (size_t n = edge - 2; n <= edge + 2 && n < big.size(); ++n) cuts.push_back(n);
    at += 12 + length;
  }
  for (size_t k = 1; k * 65536 < big.size(); ++k)
    for (size_t n = k * 65536 - 3; n <= k * 65536 + 3; ++n) cuts.push_back(n);
  for (size_t n = big.size() - 5; n < big.size(); ++n) cuts.push_back(n);
  for (size_t n : cuts) {
    ASSERT_LT(n, big.size());
    EXPECT_FALSE(check.IsValidData(big.data(), n)) << "memory, cut to " << n;
    EXPECT_FALSE(check.IsValid(Write("cut.png", big.data(), n).c_str())) << "file, cut to " << n;
  }
  EXPECT_TRUE(check.IsValidData(big.data(), big.size()));
  EXPECT_TRUE(check.IsValid(Write("whole.png", big.data(), big.size()).c_str()));
  // One flipped bit on either side of each 64 KiB boundary, and in the last CRC.
  std::vector<size_t> flips = {big.size() - 13};
  for (size_t k = 1; k * 65536 < big.size(); ++k) flips.insert(flips.end(), {k * 65536 - 1, k * 65536});
  for (size_t at : flips) {
    Bytes bad = big;
    bad[at] ^= 0x04;
    EXPECT_FALSE(check.IsValidData(bad.data(), bad.size())) << "memory, bit flipped at " << at;
    EXPECT_FALSE(check.IsValid(Write("flip.png", bad.data(), bad.size()).c_str())) << "file, bit flipped at " << at;
  }
}

}  // namespace
}  // namespace zv
