#pragma once

#include "toolkit/image.h"

#include <windows.h>

namespace quillomet::win32 {

// Draws a glyph into `place` at that size: each of its parts (frame,
// display, keys) is placed on the pixel grid of the size it is drawn at,
// and none is ever thinner than a pixel, so the glyph is as sharp at 19
// pixels as at 66. Uses no GDI object of its own.
void DrawGlyph(HDC dc, const RECT& place, Glyph glyph);

// The same, for a picture of the control: into a metafile as its parts, so
// that it stays sharp at any size it is played at; onto pixels (a memory
// DC, a printer) from a bitmap of the glyph at that size, made once and
// kept while pictures of that size follow, as a report's do.
void DrawGlyphPicture(HDC dc, const RECT& place, Glyph glyph);

} // namespace quillomet::win32
