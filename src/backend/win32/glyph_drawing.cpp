#include "backend/win32/glyph_drawing.h"

#include "backend/win32/window_owners.h"
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

// Each part's box has its edges on the pixel grid of the size drawn at and
// is at least a pixel each way. A raised part's edges are drawn inside its
// own box, and only along an axis where the box has room for a face between
// them, so a key never spills into its neighbours' gaps or loses its face.
// Opaque text output with no text fills in the background colour: no brush
// is made.
void DrawGlyph(HDC dc, const RECT& place, Glyph glyph) {
    const LONG width = place.right - place.left, height = place.bottom - place.top;
    if (width <= 0 || height <= 0)
        return;
    const COLORREF savedBackground = GetBkColor(dc);
    const auto paint = [&](const RECT& r, shape::Rgb colour) {
        if (glyph == Glyph::CalculatorGrey)
            colour = shape::Greyed(colour);
        SetBkColor(dc, RGB(colour.r, colour.g, colour.b));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    };
    const auto box = [&](int left, int top, int cellsWide, int cellsHigh) {
        RECT r{PixelOf(left, place.left, width), PixelOf(top, place.top, height),
               PixelOf(left + cellsWide, place.left, width),
               PixelOf(top + cellsHigh, place.top, height)};
        r.left = std::min(r.left, place.right - 1);
        r.top = std::min(r.top, place.bottom - 1);
        r.right = std::max(r.right, r.left + 1);
        r.bottom = std::max(r.bottom, r.top + 1);
        return r;
    };
    shape::Paint(
        [&](int left, int top, int cellsWide, int cellsHigh, shape::Rgb colour) {
            paint(box(left, top, cellsWide, cellsHigh), colour);
        },
        [&](int left, int top, int cellsWide, int cellsHigh, shape::Rgb face, shape::Rgb dark) {
            const RECT r = box(left, top, cellsWide, cellsHigh);
            paint(r, face);
            const bool across = r.right - r.left >= 3, down = r.bottom - r.top >= 3;
            if (down)
                paint({r.left, r.top, r.right, r.top + 1}, shape::Light);
            if (across)
                paint({r.left, r.top, r.left + 1, r.bottom}, shape::Light);
            if (down)
                paint({r.left, r.bottom - 1, r.right, r.bottom}, dark);
            if (across)
                paint({r.right - 1, r.top, r.right, r.bottom}, dark);
        });
    SetBkColor(dc, savedBackground);
}

void DrawGlyphPicture(HDC dc, const RECT& place, Glyph glyph) {
    const SIZE size{place.right - place.left, place.bottom - place.top};
    const DWORD kind = GetObjectType(dc);
    if ((kind != OBJ_DC && kind != OBJ_MEMDC) || size.cx <= 0 || size.cy <= 0) {
        DrawGlyph(dc, place, glyph);
        return;
    }
    ThreadWindows::GlyphPicture& kept = ThreadWindows::Current().LastGlyphPicture();
    if (!kept.dc || kept.glyph != glyph || kept.size.cx != size.cx || kept.size.cy != size.cy) {
        kept = {};
        const com::unique_window_dc screen(nullptr);
        com::unique_hbitmap bitmap(CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
        com::unique_hdc memory(CreateCompatibleDC(screen.get()));
        if (!bitmap || !memory) {
            DrawGlyph(dc, place, glyph);
            return;
        }
        // Selected for good: selecting a bitmap again costs more than the blit.
        SelectObject(memory.get(), bitmap.get());
        DrawGlyph(memory.get(), {0, 0, size.cx, size.cy}, glyph);
        kept = {glyph, size, std::move(bitmap), std::move(memory)};
    }
    BitBlt(dc, place.left, place.top, size.cx, size.cy, kept.dc.get(), 0, 0, SRCCOPY);
}

} // namespace quillomet::win32
