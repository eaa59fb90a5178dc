#pragma once
// The image zoo of the Wine tests (scripts/make-image-zoo.sh): its folder and
// manifest, and temporary folders for files the tests write.
#include <windows.h>

#include <string>
#include <vector>

namespace zv::test {

struct ZooFile {
  std::string name;
  int width = 0;
  int height = 0;
  int bits = 0;
  std::string expectation;  // "load", "reject" or "noload"
};

// %ZV_TEST_DATA% when set, else the zoo the build made (a path compiled in).
std::string ZooFolder();
std::string ZooPath(const std::string& name);
std::vector<ZooFile> ReadZooManifest();

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  std::vector<std::string> Names() const;  // the files in it now

 private:
  std::string path_;
};

bool FileExists(const std::string& path);
std::string EnvironmentOr(const char* name);  // "" when unset
std::string ReadBytes(const std::string& path);

// The pixels of a display bitmap, top-down 32-bit B, G, R, x.
struct BitmapPixels {
  int width = 0;
  int height = 0;
  std::vector<unsigned> pixels;
  unsigned At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
BitmapPixels ReadBitmap(HBITMAP bitmap);

}  // namespace zv::test
