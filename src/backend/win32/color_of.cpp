#include "backend/win32/color_of.h"

#include <ole2.h>
#include <olectl.h>

namespace quillomet::win32 {

COLORREF ColorOf(OleColor color) {
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(color, nullptr, &rgb)))
        rgb = GetSysColor(COLOR_WINDOW);
    return rgb;
}

} // namespace quillomet::win32
