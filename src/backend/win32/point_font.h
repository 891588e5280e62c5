#pragma once

#include "win32com/gdi_objects.h"

#include <windows.h>

namespace quillomet::win32 {

// A font of the given face and size in points, for the screen (or for
// `dpi` pixels per inch); a face the system lacks falls back to its
// nearest match.
com::unique_hfont PointFont(const wchar_t* face, double points, bool bold, bool underline = false,
                            int dpi = 0);

} // namespace quillomet::win32
