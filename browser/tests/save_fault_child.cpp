// The saving side of save_fault_tests: runs one real save of the program and
// ends. With ZV_HOLD_BEFORE_COMMIT="<event>|<name>" in its environment it
// stops when a complete temporary is about to take the name <name>: it sets
// the named event and waits, so that the test can end it right there.
//
//   save_fault_child cache   <Thumbs folder> <listed folder> <seed>
//   save_fault_child scan    <save folder> <extension>
//   save_fault_child convert <source> <target>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "browser/thumb_cache_store.h"
#include "core/app/envset.h"
#include "fileops/save_converted.h"
#include "fileops/scan_save.h"
#include "imagelib/image_library.h"
#include "win/com.h"
#include "win/file_replace.h"
#include "win/text_convert.h"

namespace {

std::string holdEvent;
std::string holdName;

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && _stricmp(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

void HoldBeforeCommit(const std::string&, const std::string& target) {
  if (!EndsWith(target, "\\" + holdName)) return;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, holdEvent.c_str());
  if (ready != nullptr) SetEvent(ready);
  Sleep(INFINITE);  // the test ends this process here
}

void InstallHoldFromEnvironment() {
  char value[1024] = "";
  if (GetEnvironmentVariableA("ZV_HOLD_BEFORE_COMMIT", value, sizeof value) == 0) return;
  const std::string hold(value);
  const size_t bar = hold.find('|');
  if (bar == std::string::npos) return;
  holdEvent = hold.substr(0, bar);
  holdName = hold.substr(bar + 1);
  zv::win::SetBeforeCommitHook(HoldBeforeCommit);
}

// A box of distinct thumbnails; `seed` makes one save's bytes differ from another's.
int SaveCache(const std::string& thumbs, const std::string& listed, uint32_t seed) {
  zv::ThumbCacheStore store(thumbs, zv::win::IsAnsiLeadByte);
  constexpr zv::ThumbBox box{120, 80};
  const bool saved = store.Save(listed, box, 8, [seed](size_t i, zv::ThumbKey* key, zv::PixelImage* pixels) {
    key->name = "picture" + std::to_string(i) + ".png";
    key->fileSize = static_cast<uint32_t>(1000 + i);
    key->lastWrite = {static_cast<uint32_t>(i), seed};
    pixels->width = 120;
    pixels->height = 80;
    pixels->pixels.assign(120 * 80, seed * 0x01000193u + static_cast<uint32_t>(i));
    return true;
  });
  return saved ? 0 : 1;
}

// A 64 x 48 grey scan, as a scanner hands it over (a packed DIB).
int SaveScan(const std::string& folder, const std::string& extension) {
  constexpr int kWidth = 64, kHeight = 48, kStride = kWidth * 3;
  std::string dib(sizeof(BITMAPINFOHEADER) + kStride * kHeight, '\x40');
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = kWidth;
  header.biHeight = kHeight;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  dib.replace(0, sizeof header, reinterpret_cast<const char*>(&header), sizeof header);
  zv::EnvSet settings;
  lstrcpynA(settings.chaSavFol, folder.c_str(), sizeof settings.chaSavFol);
  lstrcpynA(settings.chaExtNam, extension.c_str(), sizeof settings.chaExtNam);
  settings.intNamMod = 1;  // the fixed name "Image" and a number
  const zv::ScanSaveOutcome outcome =
      zv::SaveScannedDib(reinterpret_cast<const uint8_t*>(dib.data()), dib.size(), settings);
  return outcome.result == zv::ScanSaveResult::kSaved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  InstallHoldFromEnvironment();
  const std::string kind = argc > 1 ? argv[1] : "";
  if (kind == "cache" && argc == 5) return SaveCache(argv[2], argv[3], static_cast<uint32_t>(std::atoi(argv[4])));
  zv::win::OleSession ole;
  if (!ole.ok() || !zv::imagelib::Bind()) return 3;
  if (kind == "scan" && argc == 4) return SaveScan(argv[2], argv[3]);
  if (kind == "convert" && argc == 4) return zv::SaveConverted(zv::FileOperationSite{}, argv[2], argv[3], 0) ? 0 : 1;
  return 2;
}
