// Scans through the project's test TWAIN source into a real main frame with
// the real file list view and TWAIN connection: what lands in the save
// folder is compared pixel by pixel with what the source sent.
#include <windows.h>

#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "browser/file_list_view.h"
#include "fileops/twain_connection.h"
#include "imagelib/image_library.h"
#include "mainwnd/main_frame.h"
#include "mainwnd/preview_pane.h"
#include "mainwnd/tests/frame_fakes.h"
#include "tests/wine/twain_test_image.h"
#include "tests/wine/window_shot.h"
#include "tests/wine/wine_test_support.h"

namespace zv {
namespace {

using test::TestPixels;

using test::NoFolderTree;

std::string ExeFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\'));
}

// The source manager finds our source where Wine's own would be.
void InstallTestSource() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
#ifdef _WIN64
  const std::string folder = std::string(windows) + "\\twain_64";
#else
  const std::string folder = std::string(windows) + "\\twain_32";
#endif
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((ExeFolder() + "\\sane.ds").c_str(), (folder + "\\sane.ds").c_str(), FALSE));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", &key), ERROR_SUCCESS);
  RegSetValueExA(key, "sane.ds", 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
  RegCloseKey(key);
}

struct Bmp {
  int width = 0, height = 0, bits = 0;
  int32_t xPels = 0;
  std::vector<uint8_t> table;  // B, G, R, 0
  std::string pixels;
};

bool ReadBmp(const std::string& path, Bmp& out) {
  const std::string file = test::ReadFileBytes(path);
  if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') return false;
  BITMAPFILEHEADER fh;
  BITMAPINFOHEADER ih;
  std::memcpy(&fh, file.data(), 14);
  std::memcpy(&ih, file.data() + 14, 40);
  out.width = ih.biWidth;
  out.height = ih.biHeight;
  out.bits = ih.biBitCount;
  out.xPels = ih.biXPelsPerMeter;
  const size_t colours = ih.biClrUsed != 0 ? ih.biClrUsed : (ih.biBitCount <= 8 ? 1u << ih.biBitCount : 0);
  if (54 + colours * 4 > fh.bfOffBits || fh.bfOffBits > file.size()) return false;
  out.table.assign(file.begin() + 54, file.begin() + 54 + colours * 4);
  out.pixels = file.substr(fh.bfOffBits);
  return true;
}

// Every pixel of a saved BMP (bottom-up, BGR) against the source's picture.
void ExpectPicture(const std::string& path, TestPixels type, int image) {
  Bmp bmp;
  ASSERT_TRUE(ReadBmp(path, bmp)) << path;
  ASSERT_EQ(bmp.width, test::kTestImageWidth);
  ASSERT_EQ(bmp.height, test::kTestImageHeight) << "bottom-up";
  ASSERT_EQ(bmp.bits, test::TestBits(type));
  const int rowBytes = ((bmp.width * bmp.bits + 31) / 32) * 4;
  ASSERT_GE(bmp.pixels.size(), static_cast<size_t>(rowBytes * bmp.height));
  int wrong = 0;
  for (int y = 0; y < bmp.height; ++y) {
    const auto* row = reinterpret_cast<const uint8_t*>(bmp.pixels.data()) + (bmp.height - 1 - y) * rowBytes;
    for (int x = 0; x < bmp.width; ++x) {
      uint8_t sent[3] = {0, 0, 0};
      test::TestPixel(type, image, x, y, sent);
      uint8_t want[3] = {sent[0], sent[0], sent[0]};  // red, green, blue
      if (type == TestPixels::kBlackWhite) want[0] = want[1] = want[2] = sent[0] ? 0 : 255;
      if (type == TestPixels::kPalette) test::TestPaletteColour(sent[0], want);
      if (type == TestPixels::kRgb) std::memcpy(want, sent, 3);
      uint8_t got[3];
      if (bmp.bits == 24) {
        got[0] = row[x * 3 + 2], got[1] = row[x * 3 + 1], got[2] = row[x * 3];
      } else {
        const int index = bmp.bits == 1 ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x];
        if (static_cast<size_t>(index * 4 + 2) >= bmp.table.size()) {
          ++wrong;
          continue;
        }
        got[0] = bmp.table[index * 4 + 2], got[1] = bmp.table[index * 4 + 1], got[2] = bmp.table[index * 4];
      }
      if (std::memcmp(got, want, 3) != 0) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0) << path;
}

class ScanTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);
    imagelib::Bind();
    InstallTestSource();
  }
  void SetUp() override {
    test::DeleteProgramSettings();
    script_ = scripts_.File("script.txt");
    SetEnvironmentVariableA("ZV_TWAIN_SCRIPT", script_.c_str());
    EnvSet& settings = GetEnvSet();
    lstrcpyA(settings.chaSavFol, folder_.path().c_str());
    settings.intNamMod = 1;
    lstrcpyA(settings.chaFilNam, "Scan");
    lstrcpyA(settings.chaNumFmt, "[000]");
    lstrcpyA(settings.chaExtNam, "BMP");
    FrameParts parts{[] { return std::make_unique<CFileListView>(GetEnvSet()); },
                     [] { return std::make_unique<NoFolderTree>(); }, [] { return std::make_unique<CPreviewBar>(); },
                     [this] {
                       auto twain = std::make_unique<TwainConnection>();
                       twain_ = twain.get();
                       return std::unique_ptr<ScannerConnection>(std::move(twain));
                     }};
    frame_ = std::make_unique<CMainFrame>(std::move(parts));
    ASSERT_TRUE(frame_->CreateFrame());
    SetWindowPos(frame_->hwnd(), nullptr, 0, 0, 900, 600, SWP_NOZORDER | SWP_SHOWWINDOW);
    test::Pump();
  }
  void TearDown() override {
    frame_.reset();
    test::Pump();
    test::DeleteProgramSettings();
  }

  // The frame's own loop: the connection sees each message first.
  void PumpFrame(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    while (static_cast<int>(end - GetTickCount()) > 0) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!frame_->PreTranslateMessage(msg)) {
          TranslateMessage(&msg);
          DispatchMessageA(&msg);
        }
      }
      if (Log().find("closed") != std::string::npos && !frame_->scanning()) return;
      Sleep(10);
    }
  }
  std::string Log() { return test::ReadFileBytes(script_ + ".log"); }

  // Runs command 32904 with the source doing what `script` says; false
  // when the scan did not come to its end.
  bool Scan(const std::string& script) {
    test::WriteFileBytes(script_, script);
    DeleteFileA((script_ + ".log").c_str());
    SendMessageA(frame_->hwnd(), WM_COMMAND, 32904, 0);
    if (!frame_->scanning()) return false;
    PumpFrame(15000);
    return Log().find("closed") != std::string::npos && !frame_->scanning();
  }
  std::string Saved(const std::string& name) { return folder_.File(name); }
  bool Exists(const std::string& name) { return GetFileAttributesA(Saved(name).c_str()) != INVALID_FILE_ATTRIBUTES; }
  int FileCount() {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(folder_.File("*").c_str(), &data);
    int count = 0;
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
  }
  void Clear() {
    test::Pump();
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(folder_.File("*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(folder_.File(data.cFileName).c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }

  AppServices services_;
  test::TempFolder folder_;
  test::TempFolder scripts_;
  std::string script_;
  std::unique_ptr<CMainFrame> frame_;
  TwainConnection* twain_ = nullptr;
};

// 32903 shows the source manager's own selection over the frame; the
// source chosen there is the one the connection keeps.
TEST_F(ScanTest, SourceSelectionShowsTheManagersDialogAndKeepsTheChoice) {
  std::string listed;
  const bool answered = test::AnswerModalDialog(
      [this] { SendMessageA(frame_->hwnd(), WM_COMMAND, 32903, 0); },
      [&](HWND dialog) {
        HWND list = FindWindowExA(dialog, nullptr, "ListBox", nullptr);
        char text[64] = "";
        if (list != nullptr && SendMessageA(list, LB_GETTEXTLEN, 0, 0) < 64) SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
        listed = text;
        test::SaveWindowShot(GetDesktopWindow(), "twain_select_source");
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      });
  ASSERT_TRUE(answered);
  EXPECT_EQ(listed, "ZV Test Source");
  EXPECT_STREQ(twain_->source().ProductName, "ZV Test Source");
  EXPECT_EQ(twain_->DefaultSourceName(), "ZV Test Source");
}

TEST_F(ScanTest, EveryTransferAndPixelTypeArrivesAsTheSourceSentIt) {
  ASSERT_TRUE(Scan("mech=memory\npixels=rgb\ncount=3\n")) << Log();
  EXPECT_NE(Log().find("opened 703 3"), std::string::npos) << "our identity: version 1.703, control and image";
  for (int i = 0; i < 3; ++i) ExpectPicture(Saved("Scan[00" + std::to_string(i + 1) + "].BMP"), TestPixels::kRgb, i);
  EXPECT_EQ(FileCount(), 3) << "three images, three names";
  Bmp bmp;
  ASSERT_TRUE(ReadBmp(Saved("Scan[001].BMP"), bmp));
  EXPECT_EQ(bmp.xPels, 300 * 10000 / 254) << "300 dpi in pixels per metre";
  Clear();

  for (TestPixels type : {TestPixels::kBlackWhite, TestPixels::kGray, TestPixels::kPalette}) {
    const char* name = type == TestPixels::kBlackWhite ? "bw" : type == TestPixels::kGray ? "gray" : "palette";
    ASSERT_TRUE(Scan(std::string("mech=memory\ncount=1\npixels=") + name + "\n")) << name;
    ExpectPicture(Saved("Scan[001].BMP"), type, 0);
    if (type == TestPixels::kBlackWhite) {
      Bmp bw;
      ASSERT_TRUE(ReadBmp(Saved("Scan[001].BMP"), bw));
      EXPECT_EQ(bw.table, (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 0, 0})) << "white 0, black 1";
    }
    Clear();
  }

  ASSERT_TRUE(Scan("mech=native\npixels=gray\ncount=2\n"));
  ExpectPicture(Saved("Scan[001].BMP"), TestPixels::kGray, 0);
  ExpectPicture(Saved("Scan[002].BMP"), TestPixels::kGray, 1);
  Clear();

  ASSERT_TRUE(Scan("mech=file\npixels=rgb\ncount=2\n"));
  EXPECT_NE(Log().find("file tempfile.bin 2"), std::string::npos) << "a BMP file named tempfile.bin";
  ExpectPicture(Saved("Scan[001].BMP"), TestPixels::kRgb, 0);
  ExpectPicture(Saved("Scan[002].BMP"), TestPixels::kRgb, 1);
  EXPECT_EQ(GetFileAttributesA("tempfile.bin"), INVALID_FILE_ATTRIBUTES) << "the transfer file is removed";
}

TEST_F(ScanTest, OtherFormatsGoThroughATemporaryBmpThatIsKeptWhenConversionFails) {
  lstrcpyA(GetEnvSet().chaExtNam, "JPG");
  ASSERT_TRUE(Scan("mech=memory\npixels=rgb\ncount=1\n"));
  const std::string jpeg = test::ReadFileBytes(Saved("Scan[001].JPG"));
  ASSERT_GE(jpeg.size(), 2u);
  EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8") << "a JPEG remains";
  EXPECT_FALSE(Exists("Scan[001].JPG.bmp")) << "the temporary BMP is gone";
  EXPECT_EQ(FileCount(), 1);
  Clear();

  // A format nothing can write: the scan stays as the BMP, and the user is told.
  lstrcpyA(GetEnvSet().chaExtNam, "XYZ");
  test::MessageBoxWatcher boxes;
  ASSERT_TRUE(Scan("mech=memory\npixels=rgb\ncount=1\n"));
  ExpectPicture(Saved("Scan[001].XYZ.bmp"), TestPixels::kRgb, 0);
  EXPECT_FALSE(Exists("Scan[001].XYZ"));
  const std::vector<std::string> texts = boxes.Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("Scan[001].XYZ.bmp"), std::string::npos);

  // The kept BMP holds its name: the next scan takes the next number.
  lstrcpyA(GetEnvSet().chaExtNam, "PNG");
  ASSERT_TRUE(Scan("mech=memory\npixels=rgb\ncount=1\n"));
  EXPECT_TRUE(Exists("Scan[001].PNG")) << "a PNG name is free while only a .XYZ.bmp exists";
}

// A name is taken by any file under it, also one that another reader
// holds open (the list's thumbnail workers read with sharing): scans never
// replace or lose one another, in either format.
TEST_F(ScanTest, AScanNeverTakesTheNameOfAFileBeingRead) {
  const std::string held = Saved("Scan[001].BMP");
  test::WriteGreyBmp(held, 30, 20);
  const std::string heldBytes = test::ReadFileBytes(held);
  HANDLE reader = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Scan("mech=memory\npixels=rgb\ncount=2\n"));
  for (int i = 0; i < 2; ++i) ExpectPicture(Saved("Scan[00" + std::to_string(i + 2) + "].BMP"), TestPixels::kRgb, i);

  lstrcpyA(GetEnvSet().chaExtNam, "PNG");
  const std::string heldPng = Saved("Scan[001].PNG");
  ASSERT_TRUE(CopyFileA(held.c_str(), heldPng.c_str(), FALSE));
  const std::string pngBytes = test::ReadFileBytes(heldPng);
  HANDLE pngReader = CreateFileA(heldPng.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(pngReader, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Scan("mech=native\npixels=gray\ncount=1\n"));
  CloseHandle(pngReader);
  CloseHandle(reader);
  EXPECT_EQ(test::ReadFileBytes(held), heldBytes) << "the file being read stays as it was";
  EXPECT_EQ(test::ReadFileBytes(heldPng), pngBytes);
  const std::string png = test::ReadFileBytes(Saved("Scan[002].PNG"));
  EXPECT_EQ(png.substr(0, 4), "\x89PNG") << "the scan took the next name";
  EXPECT_EQ(FileCount(), 5);
}

TEST_F(ScanTest, AReadOnlySaveFolderBecomesDocumentsAndIsKept) {
  const std::string readOnly = test::EnvironmentValue("ZV_READONLY_DIR");
  ASSERT_FALSE(readOnly.empty());
  lstrcpyA(GetEnvSet().chaSavFol, readOnly.c_str());
  lstrcpyA(GetEnvSet().chaFilNam, "ZvScanTest");
  char documents[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
  ASSERT_TRUE(Scan("mech=memory\npixels=rgb\ncount=1\n"));
  EXPECT_STREQ(GetEnvSet().chaSavFol, documents);
  const std::string saved = std::string(documents) + "\\ZvScanTest[001].BMP";
  ExpectPicture(saved, TestPixels::kRgb, 0);
  DeleteFileA(saved.c_str());
}

// A source that lies about sizes or files ends its scan without an image
// and without harm; a palette too long is cut to 256 colours.
TEST_F(ScanTest, HostileSourcesNeitherCrashNorWriteBrokenImages) {
  for (const char* hostile : {"hugesize", "zerobuffer", "overrun"}) {
    ASSERT_TRUE(Scan(std::string("mech=memory\npixels=rgb\ncount=1\nhostile=") + hostile + "\n")) << hostile;
    EXPECT_EQ(FileCount(), 0) << hostile;
  }
  for (const char* hostile : {"shortfile", "notbmp"}) {
    ASSERT_TRUE(Scan(std::string("mech=file\npixels=rgb\ncount=1\nhostile=") + hostile + "\n")) << hostile;
    EXPECT_EQ(FileCount(), 0) << hostile;
  }
  ASSERT_TRUE(Scan("mech=memory\npixels=palette\ncount=1\nhostile=bigpalette\n"));
  Bmp bmp;
  ASSERT_TRUE(ReadBmp(Saved("Scan[001].BMP"), bmp));
  EXPECT_EQ(bmp.table.size(), 256u * 4);
  ExpectPicture(Saved("Scan[001].BMP"), TestPixels::kPalette, 0);

  // A scan that cannot go on while images are pending is not left
  // half-open: the pending images are dropped, the source disabled and
  // closed, the scan ends and the user is told why.
  {
    test::MessageBoxWatcher boxes;
    for (const char* script : {"mech=memory\npixels=rgb\ncount=3\nhostile=zerobuffer\n",
                               "mech=memory\npixels=rgb\ncount=2\nhostile=nomech\n",
                               "mech=file\npixels=rgb\ncount=2\nhostile=nosetup\n"}) {
      Clear();
      ASSERT_TRUE(Scan(script)) << script << Log();
      EXPECT_NE(Log().find("reset"), std::string::npos) << script;
      EXPECT_NE(Log().find("disabled"), std::string::npos) << script;
      EXPECT_EQ(FileCount(), 0) << script;
    }
    EXPECT_EQ(boxes.Texts().size(), 3u);
  }

  // A source that opens but will not be enabled is closed again, and the
  // scan counts as never started.
  Clear();
  test::WriteFileBytes(script_, "mech=memory\ncount=1\nhostile=noenable\n");
  DeleteFileA((script_ + ".log").c_str());
  SendMessageA(frame_->hwnd(), WM_COMMAND, 32904, 0);
  EXPECT_FALSE(frame_->scanning());
  EXPECT_NE(Log().find("closed"), std::string::npos) << Log();

  // The scans ran to their ends: a new one still starts.
  ASSERT_TRUE(Scan("mech=memory\npixels=rgb\ncount=1\n"));
  EXPECT_EQ(FileCount(), 1);
}

}  // namespace
}  // namespace zv
