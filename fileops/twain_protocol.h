#pragma once
// The TWAIN 1.x protocol as far as the program speaks it: the records it
// exchanges with the source manager (TWAIN_32.DLL) and the sources, and the
// codes of the triplets it sends. The records have the 1.x layout, packed
// to 2 bytes; the 32-bit build checks every size and field offset, since a
// source compiled against the original header reads them at exactly these
// places. The project's test source includes this header too.
#include <cstddef>
#include <cstdint>

namespace zv::twain {

#pragma pack(push, 2)

using Str32 = char[34];
using Str255 = char[256];

struct VersionRecord {
  uint16_t MajorNum;
  uint16_t MinorNum;
  uint16_t Language;
  uint16_t Country;
  Str32 Info;
};

struct Identity {
  uint32_t Id;
  VersionRecord Version;
  uint16_t ProtocolMajor;
  uint16_t ProtocolMinor;
  uint32_t SupportedGroups;
  Str32 Manufacturer;
  Str32 ProductFamily;
  Str32 ProductName;
};

struct UserInterface {
  uint16_t ShowUI;
  uint16_t ModalUI;
  void* hParent;
};

struct Event {
  void* pEvent;  // the MSG of the application's loop
  uint16_t TWMessage;
};

struct Capability {
  uint16_t Cap;
  uint16_t ConType;
  void* hContainer;  // global memory handle, allocated by the source
};

struct OneValue {
  uint16_t ItemType;
  uint32_t Item;
};

// Followed by NumItems items of the item type.
struct EnumerationHead {
  uint16_t ItemType;
  uint32_t NumItems;
  uint32_t CurrentIndex;
  uint32_t DefaultIndex;
};

struct Fix32 {
  int16_t Whole;
  uint16_t Frac;
};

struct ImageInfo {
  Fix32 XResolution;
  Fix32 YResolution;
  int32_t ImageWidth;
  int32_t ImageLength;
  int16_t SamplesPerPixel;
  int16_t BitsPerSample[8];
  int16_t BitsPerPixel;
  uint16_t Planar;
  int16_t PixelType;
  uint16_t Compression;
};

struct SetupMemXfer {
  uint32_t MinBufSize;
  uint32_t MaxBufSize;
  uint32_t Preferred;
};

struct MemoryRecord {
  uint32_t Flags;
  uint32_t Length;
  void* TheMem;
};

struct ImageMemXfer {
  uint16_t Compression;
  uint32_t BytesPerRow;
  uint32_t Columns;
  uint32_t Rows;
  uint32_t XOffset;
  uint32_t YOffset;
  uint32_t BytesWritten;
  MemoryRecord Memory;
};

struct PendingXfers {
  uint16_t Count;
  uint32_t EOJ;
};

struct SetupFileXfer {
  Str255 FileName;
  uint16_t Format;
  int16_t VRefNum;
};

struct Element8 {
  uint8_t Index;
  uint8_t Channel1;
  uint8_t Channel2;
  uint8_t Channel3;
};

struct Palette8 {
  uint16_t NumColors;
  uint16_t PaletteType;
  Element8 Colors[256];
};

#pragma pack(pop)

static_assert(sizeof(VersionRecord) == 42 && offsetof(VersionRecord, Info) == 8);
static_assert(sizeof(Identity) == 156);
static_assert(offsetof(Identity, Version) == 4 && offsetof(Identity, ProtocolMajor) == 46 &&
              offsetof(Identity, ProtocolMinor) == 48 && offsetof(Identity, SupportedGroups) == 50 &&
              offsetof(Identity, Manufacturer) == 54 && offsetof(Identity, ProductFamily) == 88 &&
              offsetof(Identity, ProductName) == 122);
static_assert(sizeof(OneValue) == 6 && offsetof(OneValue, Item) == 2);
static_assert(sizeof(EnumerationHead) == 14 && offsetof(EnumerationHead, NumItems) == 2 &&
              offsetof(EnumerationHead, CurrentIndex) == 6 && offsetof(EnumerationHead, DefaultIndex) == 10);
static_assert(sizeof(Fix32) == 4);
static_assert(sizeof(ImageInfo) == 42 && offsetof(ImageInfo, ImageWidth) == 8 && offsetof(ImageInfo, ImageLength) == 12 &&
              offsetof(ImageInfo, SamplesPerPixel) == 16 && offsetof(ImageInfo, BitsPerSample) == 18 &&
              offsetof(ImageInfo, BitsPerPixel) == 34 && offsetof(ImageInfo, Planar) == 36 &&
              offsetof(ImageInfo, PixelType) == 38 && offsetof(ImageInfo, Compression) == 40);
static_assert(sizeof(SetupMemXfer) == 12);
static_assert(offsetof(ImageMemXfer, BytesPerRow) == 2 && offsetof(ImageMemXfer, Columns) == 6 &&
              offsetof(ImageMemXfer, Rows) == 10 && offsetof(ImageMemXfer, XOffset) == 14 &&
              offsetof(ImageMemXfer, YOffset) == 18 && offsetof(ImageMemXfer, BytesWritten) == 22 &&
              offsetof(ImageMemXfer, Memory) == 26);
static_assert(sizeof(PendingXfers) == 6 && offsetof(PendingXfers, EOJ) == 2);
static_assert(sizeof(SetupFileXfer) == 260 && offsetof(SetupFileXfer, Format) == 256 &&
              offsetof(SetupFileXfer, VRefNum) == 258);
static_assert(sizeof(Element8) == 4);
static_assert(sizeof(Palette8) == 1028 && offsetof(Palette8, PaletteType) == 2 && offsetof(Palette8, Colors) == 4);
#if defined(_WIN32) && !defined(_WIN64)
// The records that hold a pointer or handle.
static_assert(sizeof(UserInterface) == 8 && offsetof(UserInterface, hParent) == 4);
static_assert(sizeof(Event) == 6 && offsetof(Event, TWMessage) == 4);
static_assert(sizeof(Capability) == 8 && offsetof(Capability, hContainer) == 4);
static_assert(sizeof(MemoryRecord) == 12 && offsetof(MemoryRecord, TheMem) == 8);
static_assert(sizeof(ImageMemXfer) == 38);
#endif

// Data groups.
inline constexpr uint32_t DG_CONTROL = 0x0001;
inline constexpr uint32_t DG_IMAGE = 0x0002;
// Data argument types.
inline constexpr uint16_t DAT_NULL = 0x0000;
inline constexpr uint16_t DAT_CAPABILITY = 0x0001;
inline constexpr uint16_t DAT_EVENT = 0x0002;
inline constexpr uint16_t DAT_IDENTITY = 0x0003;
inline constexpr uint16_t DAT_PARENT = 0x0004;
inline constexpr uint16_t DAT_PENDINGXFERS = 0x0005;
inline constexpr uint16_t DAT_SETUPMEMXFER = 0x0006;
inline constexpr uint16_t DAT_SETUPFILEXFER = 0x0007;
inline constexpr uint16_t DAT_USERINTERFACE = 0x0009;
inline constexpr uint16_t DAT_IMAGEINFO = 0x0101;
inline constexpr uint16_t DAT_IMAGEMEMXFER = 0x0103;
inline constexpr uint16_t DAT_IMAGENATIVEXFER = 0x0104;
inline constexpr uint16_t DAT_IMAGEFILEXFER = 0x0105;
inline constexpr uint16_t DAT_PALETTE8 = 0x010a;
// Messages.
inline constexpr uint16_t MSG_NULL = 0x0000;
inline constexpr uint16_t MSG_GET = 0x0001;
inline constexpr uint16_t MSG_GETDEFAULT = 0x0003;
inline constexpr uint16_t MSG_SET = 0x0006;
inline constexpr uint16_t MSG_RESET = 0x0007;
inline constexpr uint16_t MSG_XFERREADY = 0x0101;
inline constexpr uint16_t MSG_CLOSEDSREQ = 0x0102;
inline constexpr uint16_t MSG_CLOSEDSOK = 0x0103;
inline constexpr uint16_t MSG_OPENDSM = 0x0301;
inline constexpr uint16_t MSG_CLOSEDSM = 0x0302;
inline constexpr uint16_t MSG_OPENDS = 0x0401;
inline constexpr uint16_t MSG_CLOSEDS = 0x0402;
inline constexpr uint16_t MSG_USERSELECT = 0x0403;
inline constexpr uint16_t MSG_DISABLEDS = 0x0501;
inline constexpr uint16_t MSG_ENABLEDS = 0x0502;
inline constexpr uint16_t MSG_PROCESSEVENT = 0x0601;
inline constexpr uint16_t MSG_ENDXFER = 0x0701;
// Return codes.
inline constexpr uint16_t TWRC_SUCCESS = 0;
inline constexpr uint16_t TWRC_FAILURE = 1;
inline constexpr uint16_t TWRC_CANCEL = 3;
inline constexpr uint16_t TWRC_DSEVENT = 4;
inline constexpr uint16_t TWRC_NOTDSEVENT = 5;
inline constexpr uint16_t TWRC_XFERDONE = 6;
// Containers, item types, capabilities and their values.
inline constexpr uint16_t TWON_ENUMERATION = 4;
inline constexpr uint16_t TWON_ONEVALUE = 5;
inline constexpr uint16_t TWON_DONTCARE16 = 0xffff;
inline constexpr uint16_t TWTY_UINT16 = 4;
inline constexpr uint16_t ICAP_UNITS = 0x0102;
inline constexpr uint16_t ICAP_XFERMECH = 0x0103;
inline constexpr uint16_t TWSX_NATIVE = 0;
inline constexpr uint16_t TWSX_FILE = 1;
inline constexpr uint16_t TWSX_MEMORY = 2;
inline constexpr uint16_t TWFF_BMP = 2;
inline constexpr uint16_t TWPT_BW = 0;
inline constexpr uint16_t TWPT_GRAY = 1;
inline constexpr uint16_t TWPT_RGB = 2;
inline constexpr uint16_t TWPT_PALETTE = 3;
inline constexpr uint16_t TWUN_INCHES = 0;
inline constexpr uint16_t TWUN_CENTIMETERS = 1;
inline constexpr uint32_t TWMF_APPOWNS = 0x0001;
inline constexpr uint32_t TWMF_POINTER = 0x0008;
inline constexpr uint16_t TWLG_USA = 13;
inline constexpr uint16_t TWCY_USA = 1;

// The entry points of the source manager (ordinal 1 of TWAIN_32.DLL) and of
// a source.
#if defined(_WIN32) && !defined(_WIN64)
#define ZV_TWAIN_CALL __stdcall
#else
#define ZV_TWAIN_CALL
#endif
using DsmEntryProc = uint16_t(ZV_TWAIN_CALL*)(Identity* origin, Identity* dest, uint32_t group, uint16_t dat,
                                              uint16_t msg, void* data);
using DsEntryProc = uint16_t(ZV_TWAIN_CALL*)(Identity* origin, uint32_t group, uint16_t dat, uint16_t msg,
                                             void* data);

}  // namespace zv::twain
