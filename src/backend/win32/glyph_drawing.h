#pragma once

#include "toolkit/image.h"

#include <windows.h>

namespace quillomet::win32 {

// Draws a glyph into `place` at that size: each of its parts (frame,
// display, keys) is placed on the pixel grid of the size it is drawn at,
// and none is ever thinner than a pixel, so the glyph is as sharp at 19
// pixels as at 66. Uses no GDI object of its own.
void DrawGlyph(HDC dc, const RECT& place, Glyph glyph);

} // namespace quillomet::win32
