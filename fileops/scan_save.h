#pragma once
// Saving a scanned image into the save folder under the naming rule. The
// scan is written whole as a BMP under a temporary name first; a BMP then
// takes its name, any other format is converted from it, and the BMP is
// removed only once the converted file has its name (else it is kept as
// name + ".bmp"): a scan is never lost to a failed conversion, and a name
// of the rule never holds a cut file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/app/envset.h"

namespace zv {

enum class ScanSaveResult {
  kSaved,             // the file under its name
  kNoFreeName,        // the naming rule found no free name; nothing written
  kNotWritten,        // the DIB was unusable or the BMP could not be written
  kConversionFailed,  // the BMP is kept under `keptBmp`
};

struct ScanSaveOutcome {
  ScanSaveResult result = ScanSaveResult::kNotWritten;
  std::string path;     // the name the image was saved (or meant to be saved) under
  std::string keptBmp;  // with kConversionFailed
};

// Writes the packed DIB `dib` of `size` bytes under the next free name of
// the naming rule in `settings`. Names are taken by a rename that never
// replaces, so no file is overwritten.
ScanSaveOutcome SaveScannedDib(const uint8_t* dib, size_t size, const EnvSet& settings);

// Converts a BMP file into `target` in the format its extension names (JPG,
// JPEG, PNG, TIF, TIFF); false for any other extension or when the file
// could not be read or written.
bool ConvertBmpFile(const std::string& bmpPath, const std::string& target);

}  // namespace zv
