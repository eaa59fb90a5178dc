// The preview window read back from the screen: where the picture lands for
// pictures smaller and larger than the pane, a new fit after a resize, and
// nothing for files that cannot be read.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "mainwnd/preview_pane.h"
#include "tests/wine/wine_test_support.h"
#include "win/gdi.h"
#include "win/handles.h"
#include "win/window.h"

namespace zv {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// A 24-bit BMP of one colour (rows padded to 4 bytes, bottom up).
void WriteRedBmp(const std::string& path, int width, int height) {
  const uint32_t row = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = row * static_cast<uint32_t>(height);
  std::string bytes(54 + pixelBytes, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 24;
  put32(34, pixelBytes);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bytes[54 + y * row + x * 3 + 2] = static_cast<char>(0xFF);
  test::WriteFileBytes(path, bytes);
}

class PreviewHost : public win::Window {
 public:
  bool Open() {
    RegisterClass("ZVPreviewTestHost", nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    if (!Create({.className = "ZVPreviewTestHost", .style = WS_POPUP, .rect = {0, 0, 500, 500}})) return false;
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    return preview.CreateWnd(hwnd(), 2000);
  }
  CPreviewWnd preview;
};

class PreviewPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Open());
    WriteRedBmp(folder_.File("small.bmp"), 100, 50);
    WriteRedBmp(folder_.File("wide.bmp"), 4000, 1000);
  }
  void TearDown() override {
    host_.Destroy();
    test::Pump();
  }
  CPreviewWnd& pane() { return host_.preview; }
  // Sizes the window so that its client area (inside the sunken edge) is width x height.
  void SetClientSize(int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(pane().hwnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(pane().hwnd(), GWL_EXSTYLE)));
    MoveWindow(pane().hwnd(), 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
    RECT client{};
    GetClientRect(pane().hwnd(), &client);
    ASSERT_EQ(client.right, width);
    ASSERT_EQ(client.bottom, height);
    test::Pump();
  }
  COLORREF Pixel(int x, int y) {
    UpdateWindow(pane().hwnd());
    win::WindowDC dc(pane().hwnd());
    return GetPixel(dc.get(), x, y);
  }
  // The rectangle the pane reports, and red exactly inside it on the screen.
  void ExpectPictureAt(const RECT& expected, const char* what) {
    SCOPED_TRACE(what);
    const RECT r = pane().PictureRect();
    EXPECT_TRUE(EqualRect(&r, &expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(Pixel(r.left, r.top), kRed);
    EXPECT_EQ(Pixel(r.right - 1, r.bottom - 1), kRed);
    EXPECT_EQ(Pixel((r.left + r.right) / 2, r.bottom), face);
    EXPECT_EQ(Pixel((r.left + r.right) / 2, r.top - 1), face);  // every case here leaves room above
  }
  void ExpectNothing(const char* what) {
    SCOPED_TRACE(what);
    const RECT r = pane().PictureRect();
    EXPECT_TRUE(IsRectEmpty(&r));
    EXPECT_EQ(Pixel(100, 100), GetSysColor(COLOR_BTNFACE));
  }

  test::TempFolder folder_;
  PreviewHost host_;
};

TEST_F(PreviewPaneTest, SmallPicturesKeepTheirSizeLargerOnesFitCentredAndResizesFitAgain) {
  SetClientSize(200, 200);
  pane().SetPreview(folder_.File("small.bmp"));
  ExpectPictureAt({50, 75, 150, 125}, "100 x 50 in 200 x 200: not enlarged");
  SetClientSize(60, 60);
  ExpectPictureAt({0, 15, 60, 45}, "shrunk to 60 x 60: fitted again, 60 x 30");
  SetClientSize(200, 200);
  ExpectPictureAt({50, 75, 150, 125}, "grown back: its own size again, not the 60 x 30 enlarged");

  SetClientSize(200, 300);
  pane().SetPreview(folder_.File("wide.bmp"));
  ExpectPictureAt({0, 125, 200, 175}, "4000 x 1000 in 200 x 300: 200 x 50");
  SetClientSize(120, 300);
  ExpectPictureAt({0, 135, 120, 165}, "narrowed: 120 x 30");

  SetClientSize(200, 200);
  pane().SetPreview("");
  ExpectNothing("no path");
  EXPECT_EQ(pane().path(), "");
}

TEST_F(PreviewPaneTest, FilesThatCannotBeReadShowNothing) {
  SetClientSize(200, 200);
  const std::string path = folder_.File("small.bmp");
  {
    win::UniqueFile held(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    pane().SetPreview(path);
    ExpectNothing("held open by another without read sharing");
  }
  {
    // How our own thumbnail threads hold a file: it is shown.
    win::UniqueFile read(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(read);
    pane().SetPreview(path);
    ExpectPictureAt({50, 75, 150, 125}, "read by others who let others read");
  }

  std::string damaged = test::ReadFileBytes(path).substr(0, 60);  // header, no rows
  test::WriteFileBytes(folder_.File("cut.bmp"), damaged);
  pane().SetPreview(folder_.File("cut.bmp"));
  ExpectNothing("a cut-off file, after a picture was shown");
  SetClientSize(150, 150);
  ExpectNothing("a resize keeps showing nothing");
}

}  // namespace
}  // namespace zv
