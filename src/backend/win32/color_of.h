#pragma once

#include "toolkit/ole_color.h"

#include <windows.h>

namespace quillomet::win32 {

// An OLE colour as the RGB the screen shows: a system colour (0x800000nn) as
// the system's colour now; one that names no colour as the window colour.
COLORREF ColorOf(OleColor color);

// The system's own brush of a system colour (0x800000nn), which every
// window shares; none for any other colour.
HBRUSH SystemColorBrush(OleColor color);

} // namespace quillomet::win32
