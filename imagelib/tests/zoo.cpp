#include "imagelib/tests/zoo.h"

#include <ole2.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "imagelib/image_library.h"

namespace zv::test {

std::string ZooFolder() {
  const std::string given = EnvironmentOr("ZV_TEST_DATA");
  return given.empty() ? std::string(ZV_IMAGE_ZOO) : given;
}

std::string EnvironmentOr(const char* name) {
  char value[MAX_PATH] = "";
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string ZooPath(const std::string& name) { return ZooFolder() + "\\" + name; }

std::vector<ZooFile> ReadZooManifest() {
  std::vector<ZooFile> files;
  std::ifstream in(ZooPath("manifest.txt"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    ZooFile f;
    if (fields >> f.name >> f.width >> f.height >> f.bits >> f.expectation) files.push_back(f);
  }
  return files;
}

ScratchFolder::ScratchFolder() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  static int counter = 0;
  for (;;) {
    path_ = std::string(base) + "zvimg-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

ScratchFolder::~ScratchFolder() {
  for (const std::string& name : Names()) {
    const std::string p = File(name);
    SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(p.c_str())) RemoveDirectoryA(p.c_str());
  }
  RemoveDirectoryA(path_.c_str());
}

std::vector<std::string> ScratchFolder::Names() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string n = found.cFileName;
    if (n != "." && n != "..") names.push_back(n);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

BitmapPixels ReadBitmap(HBITMAP bitmap) {
  BitmapPixels out;
  BITMAP b{};
  if (GetObjectA(bitmap, sizeof b, &b) == 0) return out;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = b.bmWidth;
  info.bmiHeader.biHeight = -b.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  out.pixels.resize(static_cast<size_t>(b.bmWidth) * b.bmHeight);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, b.bmHeight, out.pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != b.bmHeight) return BitmapPixels{};
  out.width = b.bmWidth;
  out.height = b.bmHeight;
  return out;
}

}  // namespace zv::test

namespace {

// The program initialises OLE and binds the library at start-up; so do the tests.
class LibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    OleInitialize(nullptr);
    zv::imagelib::Bind();
  }
  void TearDown() override {
    zv::imagelib::Unbind();
    OleUninitialize();
  }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);

}  // namespace
