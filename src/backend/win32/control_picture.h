#pragma once

#include "control/appearance.h"

#include <windows.h>

namespace quillomet::win32 {

// Draws the control as its windows show it into `bounds` (in the logical
// units of `dc`), from what it shows, not from its windows: the control at
// its size in pixels at `dpi` (its window's resolution), stretched to the
// bounds, every part in its place, the text in the control's font made for
// the scale, so a printer or a larger picture gets sharp text. Only what a
// metafile can record is used: nothing is read back from the DC, and no
// window is needed. The DC is given back as it came.
void DrawControlPicture(HDC dc, const RECT& bounds, const Appearance& appearance, int dpi);

} // namespace quillomet::win32
