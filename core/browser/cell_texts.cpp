#include "core/browser/cell_texts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zv {

namespace {

std::string Formatted(const char* format, auto... values) {
  char text[64];
  int length = std::snprintf(text, sizeof text, format, values...);
  return length > 0 ? std::string(text, std::min(static_cast<size_t>(length), sizeof text - 1)) : std::string();
}

}  // namespace

const std::array<ColumnCaption, kColumnCount>& ColumnCaptions() {
  static const std::array<ColumnCaption, kColumnCount> captions = {{
      {"ColmunFileName", "ファイル名"},
      {"ColmunFileType", "タイプ"},
      {"ColmunFileDate", "更新日時"},
      {"ColmunFileSize", "ファイルサイズ"},
      {"ColmunPictSize", "画像サイズ"},
      {"ColmunColors", "色数"},
  }};
  return captions;
}

std::string_view TypeCellText(int typeCode) {
  switch (typeCode) {
    case 0: return "PNG";
    case 1: return "TIFF";
    case 2: return "BMP";
    case 3: return "JPEG";
    default: return {};
  }
}

std::string DateCellText(const LocalDateTime& t) {
  return Formatted("%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string SizeCellText(uint32_t fileSize) { return Formatted("%u", static_cast<unsigned>(fileSize)); }

std::string PictureSizeCellText(int32_t width, int32_t height) {
  return Formatted("%d * %d", static_cast<int>(width), static_cast<int>(height));
}

std::string ColorsCellText(int32_t colors) { return Formatted("%d", static_cast<int>(colors)); }

std::string DetailPictureSizeText(std::string_view horizontal, int32_t width, std::string_view vertical,
                                  int32_t height) {
  std::string text(horizontal);
  text += Formatted(" %d * ", static_cast<int>(width));
  text += vertical;
  text += Formatted(" %d", static_cast<int>(height));
  return text;
}

std::string CurrentItemStatusText(const FileListItem& item, std::string_view pictSizeCaption,
                                  std::string_view colorsCaption) {
  std::string text(item.name, strnlen(item.name, sizeof item.name));
  text += ", ";
  text += pictSizeCaption;
  text += Formatted(" %d/%d,  ", static_cast<int>(item.width), static_cast<int>(item.height));
  text += colorsCaption;
  text += Formatted(" %d", static_cast<int>(item.colors));
  return text;
}

bool IsColumnOrder(const std::array<int32_t, kColumnCount>& order) {
  std::array<bool, kColumnCount> seen{};
  for (int32_t column : order) {
    if (column < 0 || column >= kColumnCount || seen[static_cast<size_t>(column)]) return false;
    seen[static_cast<size_t>(column)] = true;
  }
  return true;
}

ColumnLayout ColumnLayoutOf(const EnvSet& settings) {
  ColumnLayout layout;
  for (size_t k = 0; k < kColumnCount; ++k) {
    layout.widths[k] = std::clamp(settings.intClmWid[k], int32_t{0}, kMaxColumnWidth);
    layout.order[k] = settings.intClmOdr[k];
  }
  if (!IsColumnOrder(layout.order))
    for (size_t k = 0; k < kColumnCount; ++k) layout.order[k] = static_cast<int32_t>(k);
  return layout;
}

}  // namespace zv
