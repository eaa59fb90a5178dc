#include "browser/thumb_cell.h"

#include <cstring>

#include "app/ui_text_table.h"
#include "browser/folder_reader.h"
#include "core/browser/cell_texts.h"
#include "win/gdi.h"
#include "win/handles.h"

namespace zv {

namespace {

constexpr char kSection[] = "ThumbnailPart";
constexpr COLORREF kSelectionRed = RGB(255, 0, 0);

RECT ToRect(POINT origin, const GridRect& r) {
  return {origin.x + r.left, origin.y + r.top, origin.x + r.right, origin.y + r.bottom};
}

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// One-pixel lines from each start point up to, not including, each end point.
void Lines(HDC dc, COLORREF colour, std::initializer_list<std::pair<POINT, POINT>> lines) {
  win::UniquePen pen(CreatePen(PS_SOLID, 1, colour));
  win::SelectedObject selected(dc, pen.get());
  for (const auto& [from, to] : lines) {
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
  }
}

void Text(HDC dc, const std::string& text, RECT rect, UINT align) {
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

}  // namespace

GridCell CellOfRecord(uint64_t id, const FileListItem& record) {
  GridCell cell;
  cell.id = id;
  cell.name.assign(record.name, strnlen(record.name, sizeof record.name));
  cell.fileSize = record.fileSize;
  cell.lastWrite = record.lastWrite;
  cell.width = record.width;
  cell.height = record.height;
  cell.colors = record.colors;
  return cell;
}

CellCaptions CellCaptions::Load() {
  CUiTextTable table;
  return {table.GetText(kSection, "FileName", "名前"),     table.GetText(kSection, "FileDate", "日時"),
          table.GetText(kSection, "PictSize", "大きさ"),   table.GetText(kSection, "Horizontal", "横"),
          table.GetText(kSection, "Vertical", "縦"),       table.GetText(kSection, "ColorNumber", "色数")};
}

std::string DetailValue(int row, const GridCell& cell, const CellCaptions& captions) {
  switch (row) {
    case 0: return cell.name;
    case 1: return DateCellText(LocalTimeOf(cell.lastWrite));
    case 2: return DetailPictureSizeText(captions.horizontal, cell.width, captions.vertical, cell.height);
    default: return ColorsCellText(cell.colors);
  }
}

void DrawPixels(HDC dc, int x, int y, const PixelImage& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0) return;
  const BITMAPINFO info = win::TopDownDib32(pixels.width, pixels.height);
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(pixels.width), static_cast<DWORD>(pixels.height), 0, 0, 0,
                    static_cast<UINT>(pixels.height), pixels.pixels.data(), &info, DIB_RGB_COLORS);
}

void CellPainter::Paint(HDC dc, POINT origin, int cellMode, GridSize box, const GridCell& cell,
                        const PixelImage* pixels, bool selected) const {
  const GridSize size = CellSizeFor(cellMode, box, scale_);
  win::SelectedObject font(dc, font_);
  PaintPanel(dc, RECT{origin.x, origin.y, origin.x + size.width, origin.y + size.height}, selected);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  if (cell.state == ThumbState::kFailed) return;
  if (cell.state == ThumbState::kReady && pixels != nullptr) {
    const GridPoint at = ThumbnailOrigin(box, {pixels->width, pixels->height}, scale_);
    DrawPixels(dc, origin.x + at.x, origin.y + at.y, *pixels);
  }
  PaintTexts(dc, origin, cellMode, box, size, cell);
}

// The raised bevel, then the red frame of a selected cell inside it.
void CellPainter::PaintPanel(HDC dc, const RECT& cell, bool selected) const {
  FillColour(dc, cell, GetSysColor(COLOR_BTNFACE));
  const LONG l = cell.left, t = cell.top, r = cell.right, b = cell.bottom;
  Lines(dc, GetSysColor(COLOR_BTNHIGHLIGHT),
        {{{l, t}, {r, t}}, {{l + 1, t + 1}, {r - 1, t + 1}}, {{l, t + 1}, {l, b - 1}}, {{l + 1, t + 2}, {l + 1, b - 2}}});
  Lines(dc, GetSysColor(COLOR_3DDKSHADOW),
        {{{l, b - 1}, {r, b - 1}},
         {{l + 1, b - 2}, {r - 1, b - 2}},
         {{r - 1, t + 1}, {r - 1, b - 1}},
         {{r - 2, t + 2}, {r - 2, b - 2}}});
  if (!selected) return;
  // The bars lie inside the two-pixel bevel and grow with the screen.
  const LONG w = SelectionFrameWidth(scale_), in = 2 + w;
  for (const RECT& bar : {RECT{l + 2, t + 2, r - 2, t + in}, RECT{l + 2, b - in, r - 2, b - 2},
                          RECT{l + 2, t + in, l + in, b - in}, RECT{r - in, t + in, r - 2, b - in}})
    FillColour(dc, bar, kSelectionRed);
}

// A cell still waiting for its thumbnail shows its name only.
void CellPainter::PaintTexts(HDC dc, POINT origin, int cellMode, GridSize box, GridSize size,
                             const GridCell& cell) const {
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  if (cellMode != kDetailCells) {
    Text(dc, cell.name, ToRect(origin, NameRect(box, size, scale_)), DT_CENTER);
    return;
  }
  const std::string* captions[kDetailRows] = {&captions_.fileName, &captions_.fileDate, &captions_.pictSize,
                                              &captions_.colorNumber};
  const int rows = cell.state == ThumbState::kReady ? kDetailRows : 1;
  for (int row = 0; row < rows; ++row) {
    Text(dc, *captions[row], ToRect(origin, DetailCaptionRect(row, box, scale_)), DT_LEFT);
    Text(dc, DetailValue(row, cell, captions_), ToRect(origin, DetailValueRect(row, box, size, scale_)), DT_LEFT);
  }
}

}  // namespace zv
