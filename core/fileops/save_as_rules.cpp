#include "core/fileops/save_as_rules.h"

#include "core/text/ansi_path.h"

namespace zv {

// Built with the NULs in place of the '|' separators of the usual notation,
// so that a description holding a Shift-JIS character whose trail byte is
// '|' (0x7C, as in "ポ") stays whole.
std::string BuildSaveFilter(const SaveTypeTexts& texts) {
  using namespace std::string_literals;
  return texts.png + "(*.png)\0*.png\0"s + texts.tiff + "(*.tif,*tiff)\0*.tif;*.tiff\0"s + texts.bmp +
         "(*.bmp)\0*.bmp\0"s + texts.jpeg + "(*.jpg,*jpeg)\0*.jpg;*.jpeg\0"s + "\0"s;
}

int InitialFilterIndex(std::string_view proposedPath, LeadBytePredicate isLead) {
  std::string extension(ExtensionOfPath(proposedPath, isLead));
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (extension == "png") return kSavePng;
  if (extension == "tif" || extension == "tiff") return kSaveTiff;
  if (extension == "jpg" || extension == "jpeg") return kSaveJpeg;
  return kSaveBmp;
}

std::string_view ExtensionOfFilterIndex(int index) {
  switch (index) {
    case kSavePng: return ".png";
    case kSaveTiff: return ".tif";
    case kSaveBmp: return ".bmp";
    case kSaveJpeg: return ".jpg";
    default: return {};
  }
}

std::string NameForFilterIndex(std::string_view fieldText, int index, LeadBytePredicate isLead) {
  if (fieldText.empty()) return {};
  const std::string_view extension = ExtensionOfPath(fieldText, isLead);
  std::string_view title = fieldText;
  // "a." has an empty extension but still loses its dot.
  if (!extension.empty() || fieldText.back() == '.') title = fieldText.substr(0, fieldText.size() - extension.size() - 1);
  return std::string(title) + std::string(ExtensionOfFilterIndex(index));
}

}  // namespace zv
