#include "fileops/save_converted.h"

#include <windows.h>

#include "core/fileops/file_attr_rules.h"
#include "core/imagelib/probe_rules.h"
#include "core/text/ansi_path.h"
#include "imagelib/picture_ops.h"
#include "win/diagnostics.h"
#include "win/file_replace.h"
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

// The picture is written under a temporary name and read back there; only
// a file that reads back takes the target's name (replacing what held it,
// or only while the name is free), so a failed save leaves whatever held
// the name as it was.
bool WriteConverted(const std::string& source, const std::string& target, int orientation, bool replace) {
  const int type = ImageTypeFromPath(target);
  win::WaitCursor wait;
  Image picture(imagelib::IKFileLoad(source.c_str()));
  const std::optional<imagelib::PictureInfo> loaded = imagelib::ReadPictureInfo(picture);
  if (!loaded) return false;  // the decoder said why
  picture = imagelib::OrientPicture(std::move(picture), orientation);
  std::optional<imagelib::PictureInfo> turned = imagelib::ReadPictureInfo(picture);
  if (!turned) {
    win::LogFailure("picture not converted, turning it failed", source);
    return false;
  }
  // JPEG takes 24 bits; and a turned picture comes back in 32 bits, which
  // must not give a file without transparency an alpha channel.
  const bool to24 = type == 3 ? turned->bitsPerPixel != 24 : loaded->bitsPerPixel <= 24 && turned->bitsPerPixel == 32;
  if (to24 && !picture.Replace(imagelib::IKConvertColor(picture.get(), 24))) {
    win::LogFailure("picture not converted to 24 bits", source);
    return false;
  }
  // A read-only file under the target name stays: Windows' MoveFileEx
  // refuses to replace it, Wine's does not, so ask first.
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    win::LogFailure("picture not saved, a read-only file or a folder holds its name", target);
    return false;
  }
  const std::string temporary = win::TemporaryPathFor(target);
  if (SaveInType(temporary.c_str(), picture.get(), type) != 1) return false;  // the save said why
  if (!ReadsBack(temporary, type, *turned)) {
    win::LogFailure("saved picture does not read back, not kept", temporary);
  } else if (win::CommitTemporary(temporary, target, replace)) {
    return true;
  } else {
    win::LogFailure("saved picture could not take its name", target, win::Win32Error());
  }
  const DWORD error = GetLastError();  // a taken name is told to the caller
  DeleteFileA(temporary.c_str());
  SetLastError(error);
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
  return WriteConverted(source, MapToDevice(site.mirror, target, win::IsAnsiLeadByte), orientation, true);
}

bool ConvertToNewFile(const std::string& source, const std::string& target) {
  return WriteConverted(source, target, 0, false);
}

}  // namespace zv
