// The project's own TWAIN data source for the scanner tests, installed as
// "sane.ds". What it does is read at MSG_OPENDS from the file named by
// %ZV_TWAIN_SCRIPT% (lines "key=value"):
//   mech=native|file|memory  the transfer it offers
//   pixels=bw|gray|rgb|palette
//   count=N                  images per scan; a close request follows the last
//   hostile=hugesize|zerobuffer|overrun|bigpalette|shortfile|notbmp|noenable
// It appends what happened to %ZV_TWAIN_SCRIPT%.log ("opened", "sent N",
// "closed"), so a test knows when a scan is over.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fileops/twain_protocol.h"
#include "tests/wine/twain_test_image.h"

using namespace zv::twain;
using zv::test::TestPixels;

namespace {

struct Script {
  uint16_t mech = TWSX_MEMORY;
  TestPixels pixels = TestPixels::kRgb;
  int count = 1;
  std::string hostile;
};

Script script;
Identity self{};
Identity app{};
HWND parent = nullptr;
bool enabled = false;
int sent = 0;          // images transferred in this scan
uint32_t stripRow = 0;  // next row of a memory transfer
std::vector<uint16_t> queue;  // messages for the application's next event
std::string fileName;

std::string ScriptPath() {
  char path[MAX_PATH] = "";
  GetEnvironmentVariableA("ZV_TWAIN_SCRIPT", path, sizeof path);
  return path;
}

void Log(const std::string& line) {
  const std::string path = ScriptPath() + ".log";
  if (FILE* f = std::fopen(path.c_str(), "ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

void ReadScript() {
  script = Script();
  FILE* f = std::fopen(ScriptPath().c_str(), "rb");
  if (f == nullptr) return;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t eq = text.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = text.substr(0, eq), value = text.substr(eq + 1);
    if (key == "mech") script.mech = value == "native" ? TWSX_NATIVE : value == "file" ? TWSX_FILE : TWSX_MEMORY;
    if (key == "pixels")
      script.pixels = value == "bw"     ? TestPixels::kBlackWhite
                      : value == "gray" ? TestPixels::kGray
                      : value == "rgb"  ? TestPixels::kRgb
                                        : TestPixels::kPalette;
    if (key == "count") script.count = std::atoi(value.c_str());
    if (key == "hostile") script.hostile = value;
  }
  std::fclose(f);
}

int Width() { return zv::test::kTestImageWidth; }
int Height() { return zv::test::kTestImageHeight; }
int Bits() { return zv::test::TestBits(script.pixels); }
uint32_t RowBytes() { return ((Width() * Bits() + 31) / 32) * 4; }

// Row y (from the top) as the source sends it in memory: samples packed,
// RGB in that order.
std::vector<uint8_t> SourceRow(int y, bool bgr) {
  std::vector<uint8_t> row(RowBytes(), 0);
  for (int x = 0; x < Width(); ++x) {
    uint8_t p[3] = {0, 0, 0};
    zv::test::TestPixel(script.pixels, sent, x, y, p);
    if (Bits() == 1) {
      if (p[0]) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    } else if (Bits() == 8) {
      row[x] = p[0];
    } else {
      row[x * 3] = bgr ? p[2] : p[0];
      row[x * 3 + 1] = p[1];
      row[x * 3 + 2] = bgr ? p[0] : p[2];
    }
  }
  return row;
}

// The picture as a packed DIB, bottom-up, BGR, with its colour table.
std::vector<uint8_t> PackedDib() {
  const int colours = Bits() == 1 ? 2 : Bits() == 8 ? 256 : 0;
  std::vector<uint8_t> dib(40 + colours * 4 + RowBytes() * Height(), 0);
  BITMAPINFOHEADER header{};
  header.biSize = 40;
  header.biWidth = Width();
  header.biHeight = Height();
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(Bits());
  header.biSizeImage = RowBytes() * Height();
  header.biClrUsed = colours;
  std::memcpy(dib.data(), &header, 40);
  uint8_t* table = dib.data() + 40;
  for (int i = 0; i < colours; ++i) {
    uint8_t rgb[3] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
    if (Bits() == 1) rgb[0] = rgb[1] = rgb[2] = i == 0 ? 255 : 0;
    if (script.pixels == TestPixels::kPalette) zv::test::TestPaletteColour(i, rgb);
    table[i * 4] = rgb[2];
    table[i * 4 + 1] = rgb[1];
    table[i * 4 + 2] = rgb[0];
  }
  uint8_t* pixels = table + colours * 4;
  for (int y = 0; y < Height(); ++y) {
    const std::vector<uint8_t> row = SourceRow(y, true);
    std::memcpy(pixels + (Height() - 1 - y) * RowBytes(), row.data(), RowBytes());
  }
  return dib;
}

void Notify(uint16_t message) {
  queue.push_back(message);
  if (parent != nullptr) PostMessageA(parent, WM_NULL, 0, 0);
}

uint16_t ReturnContainer(Capability* cap, uint16_t value) {
  HGLOBAL block = GlobalAlloc(GHND, sizeof(OneValue));
  auto* one = static_cast<OneValue*>(GlobalLock(block));
  one->ItemType = TWTY_UINT16;
  one->Item = value;
  GlobalUnlock(block);
  cap->ConType = TWON_ONEVALUE;
  cap->hContainer = block;
  return TWRC_SUCCESS;
}

uint16_t Capabilities(Capability* cap) {
  if (cap->Cap == ICAP_UNITS) return ReturnContainer(cap, TWUN_INCHES);
  if (cap->Cap != ICAP_XFERMECH || script.hostile == "nomech") return TWRC_FAILURE;
  // An enumeration of all three, the current one as the script says.
  HGLOBAL block = GlobalAlloc(GHND, sizeof(EnumerationHead) + 3 * 2);
  auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
  EnumerationHead head{TWTY_UINT16, 3, script.mech, 0};
  std::memcpy(bytes, &head, sizeof head);
  const uint16_t items[3] = {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY};
  std::memcpy(bytes + sizeof head, items, sizeof items);
  GlobalUnlock(block);
  cap->ConType = TWON_ENUMERATION;
  cap->hContainer = block;
  return TWRC_SUCCESS;
}

uint16_t ImageInfoOf(ImageInfo* info) {
  std::memset(info, 0, sizeof *info);
  info->XResolution = {300, 0};
  info->YResolution = {150, 32768};
  info->ImageWidth = Width();
  info->ImageLength = Height();
  info->BitsPerPixel = static_cast<int16_t>(Bits());
  info->SamplesPerPixel = Bits() == 24 ? 3 : 1;
  info->PixelType = script.pixels == TestPixels::kBlackWhite ? TWPT_BW
                    : script.pixels == TestPixels::kGray     ? TWPT_GRAY
                    : script.pixels == TestPixels::kRgb      ? TWPT_RGB
                                                             : TWPT_PALETTE;
  if (script.hostile == "hugesize") {
    info->ImageWidth = 0x7fffffff;
    info->ImageLength = 0x7fffffff;
  }
  return TWRC_SUCCESS;
}

// Memory strips carry rows without padding (at the test picture's odd
// width every depth has some), as TWAIN allows.
uint16_t MemoryStrip(ImageMemXfer* strip) {
  const uint32_t rowBytes = (Width() * Bits() + 7) / 8;
  const uint32_t rows = strip->Memory.Length / rowBytes;
  if (rows == 0 || strip->Memory.TheMem == nullptr) return TWRC_FAILURE;
  uint32_t n = 0;
  auto* to = static_cast<uint8_t*>(strip->Memory.TheMem);
  for (; n < rows && stripRow < static_cast<uint32_t>(Height()); ++n, ++stripRow) {
    const std::vector<uint8_t> row = SourceRow(static_cast<int>(stripRow), false);
    std::memcpy(to + n * rowBytes, row.data(), rowBytes);
  }
  strip->BytesPerRow = rowBytes;
  strip->Rows = n;
  strip->Columns = Width();
  strip->BytesWritten = n * rowBytes;
  // A lying source: it claims far more than the buffer holds.
  if (script.hostile == "overrun") strip->BytesWritten = strip->Memory.Length + 4096;
  return stripRow >= static_cast<uint32_t>(Height()) ? TWRC_XFERDONE : TWRC_SUCCESS;
}

uint16_t WriteTransferFile() {
  std::vector<uint8_t> dib = PackedDib();
  const uint32_t colours = Bits() == 1 ? 2 : Bits() == 8 ? 256 : 0;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = 14 + 40 + colours * 4;
  header.bfSize = static_cast<DWORD>(14 + dib.size());
  std::string bytes(reinterpret_cast<const char*>(&header), 14);
  bytes.append(reinterpret_cast<const char*>(dib.data()), dib.size());
  if (script.hostile == "shortfile") bytes.resize(bytes.size() / 2);
  if (script.hostile == "notbmp") bytes = "this is no picture at all";
  FILE* f = std::fopen(fileName.c_str(), "wb");
  if (f == nullptr) return TWRC_FAILURE;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return TWRC_XFERDONE;
}

uint16_t EndTransfer(PendingXfers* pending) {
  ++sent;
  stripRow = 0;
  Log("sent " + std::to_string(sent));
  pending->Count = static_cast<uint16_t>(sent < script.count ? script.count - sent : 0);
  if (pending->Count == 0) Notify(MSG_CLOSEDSREQ);
  return TWRC_SUCCESS;
}

}  // namespace

extern "C" __declspec(dllexport) uint16_t ZV_TWAIN_CALL DS_Entry(Identity* origin, uint32_t group, uint16_t dat,
                                                                  uint16_t msg, void* data) {
  if (group == DG_CONTROL && dat == DAT_IDENTITY) {
    auto* id = static_cast<Identity*>(data);
    if (msg == MSG_GET) {
      const uint32_t keep = id->Id;
      std::memset(id, 0, sizeof *id);
      id->Id = keep;
      id->Version.MajorNum = 1;
      id->ProtocolMajor = 1;
      id->ProtocolMinor = 9;
      id->SupportedGroups = DG_CONTROL | DG_IMAGE;
      std::strcpy(id->Manufacturer, "ZV tests");
      std::strcpy(id->ProductFamily, "Test");
      std::strcpy(id->ProductName, "ZV Test Source");
      return TWRC_SUCCESS;
    }
    if (msg == MSG_OPENDS) {
      ReadScript();
      self = *id;
      if (origin != nullptr) app = *origin;
      sent = 0;
      queue.clear();
      Log("opened " + std::to_string(app.Version.MinorNum) + " " + std::to_string(app.SupportedGroups));
      return TWRC_SUCCESS;
    }
    if (msg == MSG_CLOSEDS) {
      Log("closed");
      return TWRC_SUCCESS;
    }
    return TWRC_FAILURE;
  }
  if (group == DG_CONTROL && dat == DAT_USERINTERFACE) {
    auto* ui = static_cast<UserInterface*>(data);
    if (msg == MSG_ENABLEDS) {
      if (script.hostile == "noenable") return TWRC_FAILURE;
      parent = static_cast<HWND>(ui->hParent);
      enabled = true;
      Notify(MSG_XFERREADY);  // the "scan" button pressed at once
      return TWRC_SUCCESS;
    }
    if (msg == MSG_DISABLEDS) {
      enabled = false;
      Log("disabled");
      return TWRC_SUCCESS;
    }
    return TWRC_FAILURE;
  }
  if (group == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT) {
    auto* event = static_cast<Event*>(data);
    event->TWMessage = MSG_NULL;
    if (!enabled || queue.empty()) return TWRC_NOTDSEVENT;
    event->TWMessage = queue.front();
    queue.erase(queue.begin());
    return TWRC_DSEVENT;
  }
  if (group == DG_CONTROL && dat == DAT_CAPABILITY && msg == MSG_GET) return Capabilities(static_cast<Capability*>(data));
  if (group == DG_CONTROL && dat == DAT_PENDINGXFERS && msg == MSG_ENDXFER)
    return EndTransfer(static_cast<PendingXfers*>(data));
  if (group == DG_CONTROL && dat == DAT_PENDINGXFERS && msg == MSG_RESET) {
    Log("reset");
    static_cast<PendingXfers*>(data)->Count = 0;
    return TWRC_SUCCESS;
  }
  if (group == DG_CONTROL && dat == DAT_SETUPMEMXFER && msg == MSG_GET) {
    auto* setup = static_cast<SetupMemXfer*>(data);
    const uint32_t preferred = script.hostile == "zerobuffer" ? 0 : RowBytes() * 5;
    *setup = {RowBytes(), preferred, preferred};
    return TWRC_SUCCESS;
  }
  if (group == DG_CONTROL && dat == DAT_SETUPFILEXFER && msg == MSG_SET) {
    if (script.hostile == "nosetup") return TWRC_FAILURE;
    auto* setup = static_cast<SetupFileXfer*>(data);
    fileName.assign(setup->FileName, strnlen(setup->FileName, sizeof setup->FileName));
    Log("file " + fileName + " " + std::to_string(setup->Format));
    return TWRC_SUCCESS;
  }
  if (group == DG_IMAGE && dat == DAT_IMAGEINFO && msg == MSG_GET) return ImageInfoOf(static_cast<ImageInfo*>(data));
  if (group == DG_IMAGE && dat == DAT_IMAGEMEMXFER && msg == MSG_GET) return MemoryStrip(static_cast<ImageMemXfer*>(data));
  if (group == DG_IMAGE && dat == DAT_IMAGEFILEXFER && msg == MSG_GET) return WriteTransferFile();
  if (group == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && msg == MSG_GET) {
    const std::vector<uint8_t> dib = PackedDib();
    HGLOBAL block = GlobalAlloc(GHND, dib.size());
    std::memcpy(GlobalLock(block), dib.data(), dib.size());
    GlobalUnlock(block);
    *static_cast<HGLOBAL*>(data) = block;
    return TWRC_XFERDONE;
  }
  if (group == DG_IMAGE && dat == DAT_PALETTE8 && msg == MSG_GET) {
    auto* palette = static_cast<Palette8*>(data);
    palette->NumColors = 16;
    palette->PaletteType = 0;
    for (int i = 0; i < 256; ++i) {
      uint8_t rgb[3];
      zv::test::TestPaletteColour(i, rgb);
      palette->Colors[i] = {static_cast<uint8_t>(i), rgb[0], rgb[1], rgb[2]};
    }
    // More colours than any 8-bit palette has.
    if (script.hostile == "bigpalette") palette->NumColors = 60000;
    return TWRC_SUCCESS;
  }
  return TWRC_FAILURE;
}
