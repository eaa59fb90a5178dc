#include "core/fileops/save_as_rules.h"

#include "core/text/ansi_path.h"

namespace zv {

// Built with the NULs in place of the '|' separators of the usual notation,
// so that a description holding a Shift-JIS character whose trail byte is
// '|' (0x7C, as in "ポ") stays whole.
std::string BuildSaveFilter(const SaveTypeTexts& texts) {
  struct Entry {
    const std::string& description;
    std::string_view patterns;  // the parenthesised list, a NUL, the dialog's patterns
  };
  using namespace std::string_view_literals;
  const Entry entries[] = {{texts.png, "(*.png)\0*.png"sv},
                           {texts.tiff, "(*.tif,*tiff)\0*.tif;*.tiff"sv},
                           {texts.bmp, "(*.bmp)\0*.bmp"sv},
                           {texts.jpeg, "(*.jpg,*jpeg)\0*.jpg;*.jpeg"sv}};
  std::string filter;
  for (const Entry& entry : entries) {
    filter.append(entry.description).append(entry.patterns);
    filter.push_back('\0');
  }
  filter.push_back('\0');
  return filter;
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
