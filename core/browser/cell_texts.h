#pragma once
// What the list shows of a record: the six column captions and cell texts,
// and the status bar text of the current item.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/app/envset.h"
#include "core/browser/file_list_item.h"

namespace zv {

inline constexpr char kMainWindowSection[] = "MainWindow";

struct ColumnCaption {
  const char* key;          // in section "MainWindow" of the text table
  const char* defaultUtf8;
};
// Column k is also sort key k.
const std::array<ColumnCaption, kColumnCount>& ColumnCaptions();
inline constexpr int kPictSizeColumn = 4;
inline constexpr int kColorsColumn = 5;

// A local time broken into its fields (what FileTimeToSystemTime gives).
struct LocalDateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// "PNG", "TIFF", "BMP", "JPEG" by image type code; empty for any other.
std::string_view TypeCellText(int typeCode);
std::string DateCellText(const LocalDateTime& time);  // "%Y/%m/%d %H:%M:%S"
// The size in bytes; shown unsigned, so a size of 2 GiB or more does not turn negative.
std::string SizeCellText(uint32_t fileSize);
std::string PictureSizeCellText(int32_t width, int32_t height);  // "%d * %d"
std::string ColorsCellText(int32_t colors);                      // "%d"
// A detail cell's picture size: "%s %d * %s %d" with the two captions.
std::string DetailPictureSizeText(std::string_view horizontal, int32_t width, std::string_view vertical,
                                  int32_t height);

// "%s, %s %d/%d,  %s %d": name, picture size caption, width, height, colours caption, colours.
std::string CurrentItemStatusText(const FileListItem& item, std::string_view pictSizeCaption,
                                  std::string_view colorsCaption);

// The columns as the list control takes them, from the settings record:
// an order that is not a permutation of 0..5 (odd registry data) gives the
// default order, and widths are kept within 0..kMaxColumnWidth.
inline constexpr int32_t kMaxColumnWidth = 10000;
struct ColumnLayout {
  std::array<int32_t, kColumnCount> widths{};
  std::array<int32_t, kColumnCount> order{};
};
ColumnLayout ColumnLayoutOf(const EnvSet& settings);
bool IsColumnOrder(const std::array<int32_t, kColumnCount>& order);

}  // namespace zv
