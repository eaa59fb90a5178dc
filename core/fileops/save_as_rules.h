#pragma once
// The save-as dialog's type list without windows: the filter in the form
// the platform's file dialog takes, the entry it opens on, and the name the
// file name field shows when the user picks another type.
#include <string>
#include <string_view>

#include "core/text/ansi_text.h"

namespace zv {

// The four type descriptions, as the text table gives them.
struct SaveTypeTexts {
  std::string png, tiff, bmp, jpeg;
};

// Filter index 1 PNG, 2 TIFF, 3 BMP, 4 JPEG.
enum SaveFilterIndex { kSavePng = 1, kSaveTiff = 2, kSaveBmp = 3, kSaveJpeg = 4 };

// Descriptions and patterns separated by NULs, ending in two NULs (the
// string holds them; pass data()). Each description is the text directly
// followed by its patterns in parentheses, as users of earlier versions
// know them, second patterns without their dot included.
std::string BuildSaveFilter(const SaveTypeTexts& texts);

// The entry for the proposed name's extension, ignoring case: PNG, TIFF
// (tif, tiff), JPEG (jpg, jpeg), and BMP for anything else or none.
int InitialFilterIndex(std::string_view proposedPath, LeadBytePredicate isLead);

// The extension a type change puts in: ".png", ".tif" (never ".tiff"),
// ".bmp", ".jpg"; empty outside 1-4.
std::string_view ExtensionOfFilterIndex(int index);

// The file name field after a change to type `index`: its name without the
// extension, then the type's extension. An empty field stays empty.
std::string NameForFilterIndex(std::string_view fieldText, int index, LeadBytePredicate isLead);

}  // namespace zv
