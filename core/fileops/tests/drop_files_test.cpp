#include "core/fileops/drop_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace zv {
namespace {

using Bytes = std::vector<uint8_t>;

// Latin-1 widening: enough to see every byte land where it belongs.
std::u16string Widen(std::string_view text) {
  std::u16string wide;
  for (char c : text) wide.push_back(static_cast<unsigned char>(c));
  return wide;
}

void Put32(Bytes& block, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

// A block as another program writes it: header, then `names` exactly as given (terminators included by the caller).
Bytes Block(uint32_t pFiles, bool wide, const Bytes& names) {
  Bytes block(20, 0);
  Put32(block, 0, pFiles);
  Put32(block, 16, wide ? 1 : 0);
  block.insert(block.end(), names.begin(), names.end());
  return block;
}

Bytes Narrow(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Utf16(const std::u16string& text) {
  Bytes bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

TEST(DropFiles, WrittenBlockIsByteExact) {
  const std::vector<std::string> paths = {"C:\\a.png", "", "D:\\x\\bb.jpg"};
  const Bytes block = BuildDropFiles(paths, Widen);
  // 2 x ((8 + 1) + (0 + 1) + (11 + 1)) + 52
  ASSERT_EQ(block.size(), 2u * 22 + 52);
  Bytes expected(block.size(), 0);
  Put32(expected, 0, 20);
  Put32(expected, 16, 1);
  const Bytes names = Utf16(std::u16string(u"C:\\a.png") + u'\0' + u"D:\\x\\bb.jpg" + u'\0' + u'\0');
  std::memcpy(expected.data() + 20, names.data(), names.size());
  EXPECT_EQ(block, expected) << "the empty path is left out; pt, fNC and the tail are zero";

  // The names read back; a converted name longer than its bytes still fits.
  const Bytes grown = BuildDropFiles({"ab"}, [](std::string_view) { return std::u16string(40, u'x'); });
  DroppedNames back = ParseDropFiles(grown.data(), grown.size());
  ASSERT_TRUE(back.wide);
  EXPECT_EQ(back.wideNames, std::vector<std::u16string>{std::u16string(40, u'x')});
  back = ParseDropFiles(block.data(), block.size());
  EXPECT_EQ(back.wideNames, (std::vector<std::u16string>{u"C:\\a.png", u"D:\\x\\bb.jpg"}));
  EXPECT_EQ(BuildDropFiles({}, Widen).size(), 52u);
  EXPECT_EQ(ParseDropFiles(BuildDropFiles({}, Widen).data(), 52).size(), 0u);
}

TEST(DropFiles, NarrowAndWideListsFromOtherPrograms) {
  // Narrow names (Shift-JIS bytes pass through), the list ended by the empty name.
  const std::string sjis = "C:\\\x95\x5C\\\x83\x65.png";
  Bytes block = Block(20, false, Narrow("C:\\one.bmp" + std::string(1, '\0') + sjis + std::string(2, '\0') + "junk"));
  DroppedNames names = ParseDropFiles(block.data(), block.size());
  EXPECT_FALSE(names.wide);
  EXPECT_EQ(names.narrowNames, (std::vector<std::string>{"C:\\one.bmp", sjis}));

  // pFiles beyond the header (a larger header), and the list ended by the block's end after a whole name.
  block = Block(24, true, Utf16(std::u16string(u"xx") + u"C:\\\u8868.png" + u'\0'));
  names = ParseDropFiles(block.data(), block.size());
  EXPECT_EQ(names.wideNames, std::vector<std::u16string>{u"C:\\\u8868.png"});
  EXPECT_EQ(names.refused, 0u);
}

TEST(DropFiles, HostileBlocksAreNeverReadPastTheirSize) {
  const Bytes names = Utf16(std::u16string(u"C:\\a.png") + u'\0' + u'\0');
  for (uint32_t pFiles : {0u, 4u, 19u, 20u + static_cast<uint32_t>(names.size()), 0xFFFFFFFFu, 0x80000000u}) {
    const Bytes block = Block(pFiles, true, names);
    EXPECT_EQ(ParseDropFiles(block.data(), block.size()).size(), 0u) << "pFiles " << pFiles;
  }
  EXPECT_EQ(ParseDropFiles(nullptr, 100).size(), 0u);
  const Bytes header(19, 0);
  EXPECT_EQ(ParseDropFiles(header.data(), header.size()).size(), 0u);

  // A name cut off by the block's end is refused; the whole names before it stay.
  Bytes block = Block(20, false, Narrow(std::string("C:\\a.png") + '\0' + "C:\\b.png"));
  DroppedNames read = ParseDropFiles(block.data(), block.size());
  EXPECT_EQ(read.narrowNames, std::vector<std::string>{"C:\\a.png"});
  EXPECT_EQ(read.refused, 1u);
  // An odd byte at the end of a wide block is no character.
  block = Block(20, true, Utf16(std::u16string(u"C:\\a.png") + u'\0'));
  block.push_back('b');
  read = ParseDropFiles(block.data(), block.size());
  EXPECT_EQ(read.wideNames, std::vector<std::u16string>{u"C:\\a.png"});
  EXPECT_EQ(read.refused, 0u);

  // 259 characters fit a path buffer of 260; 260 do not and are refused whole, the list goes on.
  const std::string fits(259, 'n');
  const std::string tooLong(260, 'l');
  block = Block(20, false, Narrow(tooLong + '\0' + fits + '\0' + '\0'));
  read = ParseDropFiles(block.data(), block.size());
  EXPECT_EQ(read.narrowNames, std::vector<std::string>{fits});
  EXPECT_EQ(read.refused, 1u);
  block = Block(20, true, Utf16(Widen(fits) + u'\0' + Widen(tooLong) + u'\0' + u'\0'));
  read = ParseDropFiles(block.data(), block.size());
  EXPECT_EQ(read.wideNames, std::vector<std::u16string>{Widen(fits)});
  EXPECT_EQ(read.refused, 1u);
}

}  // namespace
}  // namespace zv
