#pragma once
// Save converted: writes a picture file under another name in the format of
// that name's extension (PNG, LZW TIFF, BMP, JPEG at quality 75 in 24 bits),
// turned by the orientation the picture view shows it in. The same type
// unturned is a plain copy through the one-file operation. Save as, the
// property command's change of type and the scanner's pictures write files
// this way.
#include <string>

#include "fileops/file_operations.h"

namespace zv {

// True only when `target` was written whole and reads back as a picture of
// the size written (or, for a plain copy, the shell reported the copy
// done); a caller may then delete the source. False for a target of no
// image type, a source that does not load, or any failed step. A failed
// conversion never leaves a partial file under `target`. A target in the
// mirror folder is written on the board.
bool SaveConverted(const FileOperationSite& site, const std::string& source, const std::string& target,
                   int orientation);

// Converts `source` unturned into `target` only while no file holds that
// name (so nothing is ever replaced); false with GetLastError
// ERROR_ALREADY_EXISTS when one does.
bool ConvertToNewFile(const std::string& source, const std::string& target);

}  // namespace zv
