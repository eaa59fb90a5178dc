#pragma once
// Where a picture goes on a printed page, without a printer: which way the
// page turns for it, how large it is printed and where, the size it is
// decoded to, and the bands it is drawn in, so that no picture needs one
// block of memory as large as itself.
#include <cstdint>
#include <vector>

#include "core/imagelib/probe_rules.h"

namespace zv {

// True when the page must turn for the picture: a page at least as high as
// wide with a picture wider than high, or a page wider than high with a
// picture higher than wide. A square picture never turns the page.
bool PageTurnsFor(int32_t pageWidth, int32_t pageHeight, int32_t pictureWidth, int32_t pictureHeight);

struct PrintRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// The picture scaled (up or down) to touch the page on one side, its sides
// in proportion and truncated (but at least 1), never beyond the page, and
// centred. An empty
// rectangle for an empty page or picture.
PrintRect PlaceOnPage(int32_t pageWidth, int32_t pageHeight, int32_t pictureWidth, int32_t pictureHeight);

// The size to decode a picture of pictureWidth x pictureHeight to for a
// print of printedWidth x printedHeight: never larger than the picture
// itself (the printer enlarges), no larger than the print, and no more than
// `pixelBudget` pixels; sides in proportion, at least 1.
PixelSize PrintDecodeSize(int32_t pictureWidth, int32_t pictureHeight, int32_t printedWidth, int32_t printedHeight,
                          int64_t pixelBudget);

// One band: source rows [sourceTop, sourceTop + sourceRows) drawn into page
// rows [pageTop, pageTop + pageRows).
struct PrintBand {
  int32_t sourceTop = 0;
  int32_t sourceRows = 0;
  int32_t pageTop = 0;
  int32_t pageRows = 0;
};

// The bands of a picture sourceHeight rows high drawn onto page rows
// [pageTop, pageTop + pageHeight): at most rowsPerBand source rows each, the
// page rows split where the source rows fall, so that the bands meet
// without gap or overlap. A band whose page share rounds to nothing is left
// out (its rows are covered by the scale of its neighbours).
std::vector<PrintBand> PrintBands(int32_t sourceHeight, int32_t pageTop, int32_t pageHeight, int32_t rowsPerBand);

}  // namespace zv
