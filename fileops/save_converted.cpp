#include "fileops/save_converted.h"

#include <windows.h>

#include "core/fileops/file_attr_rules.h"
#include "core/imagelib/probe_rules.h"
#include "core/text/ansi_path.h"
#include "imagelib/picture_ops.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {

namespace {

using imagelib::Image;

int SaveInType(const char* path, imagelib::ImageHandle picture, int type) {
  switch (type) {
    case 0: return imagelib::IKPngFileSave(path, picture);
    case 1: return imagelib::IKTiffFileSave(path, picture, 5);  // LZW
    case 2: return imagelib::IKBmpFileSave(path, picture);
    case 3: return imagelib::IKJpegFileSave(path, picture, 0, 75, 2);
    default: return 0;
  }
}

// The saves report a file written whole; decoding it again also catches a
// file that was written but is no picture of ours (a codec fault, a disk
// that returns other bytes than it took).
bool ReadsBack(const std::string& path, int type, const imagelib::PictureInfo& written) {
  const Image back = imagelib::LoadPicture(path.c_str(), type);
  const std::optional<imagelib::PictureInfo> info = imagelib::ReadPictureInfo(back);
  return info && info->width == written.width && info->height == written.height;
}

// A temporary file beside `target` (made, so that its name is ours); "" when none can be made.
std::string TemporaryBeside(const std::string& target) {
  const std::string folder(FolderOfPath(target, win::IsAnsiLeadByte));
  char name[MAX_PATH] = "";
  if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "zvc", 0, name)) return {};
  return name;
}

// The picture is written under a temporary name and read back there; only
// a file that reads back takes the target's name, so a failed save leaves
// whatever held the name as it was.
bool WriteConverted(const std::string& source, const std::string& target, int orientation) {
  const int type = ImageTypeFromPath(target);
  win::WaitCursor wait;
  Image picture(imagelib::IKFileLoad(source.c_str()));
  const std::optional<imagelib::PictureInfo> loaded = imagelib::ReadPictureInfo(picture);
  if (!loaded) return false;
  picture = imagelib::OrientPicture(std::move(picture), orientation);
  std::optional<imagelib::PictureInfo> turned = imagelib::ReadPictureInfo(picture);
  if (!turned) return false;
  // JPEG takes 24 bits; and a turned picture comes back in 32 bits, which
  // must not give a file without transparency an alpha channel.
  const bool to24 = type == 3 ? turned->bitsPerPixel != 24 : loaded->bitsPerPixel <= 24 && turned->bitsPerPixel == 32;
  if (to24 && !picture.Replace(imagelib::IKConvertColor(picture.get(), 24))) return false;
  // A read-only file under the target name stays: Windows' MoveFileEx
  // refuses to replace it, Wine's does not, so ask first.
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  const std::string temporary = TemporaryBeside(target);
  if (temporary.empty()) return false;
  if (SaveInType(temporary.c_str(), picture.get(), type) == 1 && ReadsBack(temporary, type, *turned) &&
      MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace

bool SaveConverted(const FileOperationSite& site, const std::string& source, const std::string& target,
                   int orientation) {
  switch (ChooseSaveMethod(source, target, orientation)) {
    case SaveMethod::kNothing:
      return false;
    case SaveMethod::kCopy: {
      // Saving a file onto itself unchanged leaves it as it is.
      const std::string from = MapToDevice(site.mirror, source, win::IsAnsiLeadByte);
      if (SamePath(from, MapToDevice(site.mirror, target, win::IsAnsiLeadByte), win::IsAnsiLeadByte)) return true;
      return RunOneFileOperation(site, source, target, FileOperationMode::Copy).complete;
    }
    case SaveMethod::kConvert:
      break;
  }
  return WriteConverted(source, MapToDevice(site.mirror, target, win::IsAnsiLeadByte), orientation);
}

}  // namespace zv
