#include "backend/win32/glyph_drawing.h"

#include "common/calculator_glyph.h"

#include <algorithm>

namespace quillomet::win32 {
namespace {

namespace shape = calculator_glyph;

// The pixel where grid line `cell` falls in `length` pixels from `origin`.
LONG PixelOf(int cell, LONG origin, LONG length) {
    return origin + (cell * length + shape::Grid / 2) / shape::Grid;
}

} // namespace

// Each part's edges fall on the pixel grid of the size drawn at, none is
// thinner than a pixel, and the frame's last row and column stay the last.
// Opaque text output with no text fills in the background colour: no brush
// is made.
void DrawGlyph(HDC dc, const RECT& place, Glyph glyph) {
    const LONG width = place.right - place.left, height = place.bottom - place.top;
    if (width <= 0 || height <= 0)
        return;
    const COLORREF savedBackground = GetBkColor(dc);
    shape::Paint([&](int left, int top, int cellsWide, int cellsHigh, shape::Rgb colour) {
        RECT r{PixelOf(left, place.left, width), PixelOf(top, place.top, height),
               PixelOf(left + cellsWide, place.left, width),
               PixelOf(top + cellsHigh, place.top, height)};
        if (left + cellsWide == shape::Grid)
            r.left = std::min(r.left, place.right - 1);
        if (top + cellsHigh == shape::Grid)
            r.top = std::min(r.top, place.bottom - 1);
        r.right = std::max(r.right, std::min(r.left + 1, place.right));
        r.bottom = std::max(r.bottom, std::min(r.top + 1, place.bottom));
        if (glyph == Glyph::CalculatorGrey)
            colour = shape::Greyed(colour);
        SetBkColor(dc, RGB(colour.r, colour.g, colour.b));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    });
    SetBkColor(dc, savedBackground);
}

} // namespace quillomet::win32
