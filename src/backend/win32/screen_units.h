#pragma once

#include "toolkit/geometry.h"

#include <windows.h>

#include <cstdint>

namespace quillomet::win32 {

// The screen's pixels per inch (down the screen; the system keeps one
// figure for both directions).
int ScreenDpi();

// The pixels per inch of the screen `window` is on, where the system tells
// it per window (a window that follows its monitor's); the screen's
// otherwise.
int WindowDpi(HWND window);

// Twips to pixels and back at `dpi` pixels per inch.
int TwipsToPixels(std::int32_t twips, int dpi);
float PixelsToTwips(int pixels, int dpi);
// A child's place in its parent's pixels at `dpi`, edges converted.
RECT PixelRect(const Geometry& geometry, int dpi);

} // namespace quillomet::win32
