#pragma once

#include "toolkit/geometry.h"

#include <windows.h>

#include <cstdint>

namespace quillomet::win32 {

// The screen's pixels per inch, across (LOGPIXELSX) or down (LOGPIXELSY).
int ScreenDpi(int index);

// The pixels per inch of the screen `window` is on, where the system tells
// it per window (a window that follows its monitor's); the screen's
// otherwise.
int WindowDpi(HWND window);

// Twips to pixels at `dpi` pixels per inch.
int TwipsToPixels(std::int32_t twips, int dpi);
// Twips to pixels and back, with the screen's pixels per inch.
int TwipsToPixelsX(std::int32_t twips);
int TwipsToPixelsY(std::int32_t twips);
float PixelsToTwipsX(int pixels);
float PixelsToTwipsY(int pixels);
// A child's place in its parent's pixels, edges converted.
RECT PixelRect(const Geometry& geometry);

} // namespace quillomet::win32
