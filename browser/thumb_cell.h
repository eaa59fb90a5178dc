#pragma once
// One cell of the thumbnail grid: a plain object, not a window. It holds
// what the cell shows of its file and whether its thumbnail is there yet;
// the pixels themselves live in the grid owner's store. The painter draws a
// cell: a raised panel, the red selection frame, the thumbnail centred in
// its box, and the name (light cells) or four rows of details.
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/browser/file_list_item.h"
#include "core/browser/thumb_grid_rules.h"
#include "core/imagelib/pixels.h"

namespace zv {

enum class ThumbState : uint8_t {
  kWaiting,  // being made: the panel and the name show
  kReady,    // the thumbnail and the texts show
  kFailed,   // the file could not be read or decoded: an empty panel
};

struct GridCell {
  uint64_t id = 0;  // stable through sorting and removal; the thumbnail's key in the store
  std::string name;
  uint32_t fileSize = 0;
  FileTime lastWrite;
  int32_t width = 0;
  int32_t height = 0;
  int32_t colors = 0;
  ThumbState state = ThumbState::kWaiting;
};

GridCell CellOfRecord(uint64_t id, const FileListItem& record);

// The captions of the detail rows, read once from the text table.
struct CellCaptions {
  std::string fileName, fileDate, pictSize, horizontal, vertical, colorNumber;
  static CellCaptions Load();
};

// The four detail values of a cell: name, local date, "%s %d * %s %d", colours.
std::string DetailValue(int row, const GridCell& cell, const CellCaptions& captions);

class CellPainter {
 public:
  CellPainter(const CellCaptions& captions, HFONT font, DisplayScale scale = {})
      : captions_(captions), font_(font), scale_(scale) {}

  // Paints `cell` with its top left at `origin` of `dc`. `pixels` is the
  // thumbnail (top down), null when there is none to draw.
  void Paint(HDC dc, POINT origin, int cellMode, GridSize box, const GridCell& cell, const PixelImage* pixels,
             bool selected) const;

 private:
  void PaintPanel(HDC dc, const RECT& cell, bool selected) const;
  void PaintTexts(HDC dc, POINT origin, int cellMode, GridSize box, GridSize size, const GridCell& cell) const;

  const CellCaptions& captions_;
  HFONT font_;
  DisplayScale scale_;
};

// Draws top-down 32-bit pixels unscaled at (x, y).
void DrawPixels(HDC dc, int x, int y, const PixelImage& pixels);

}  // namespace zv
