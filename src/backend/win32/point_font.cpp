#include "backend/win32/point_font.h"

#include "backend/win32/screen_units.h"
#include "backend/win32/text_shaping.h"

#include <cmath>

namespace quillomet::win32 {

com::unique_hfont PointFont(const wchar_t* face, double points, bool bold, bool underline,
                            int dpi) {
    if (dpi <= 0)
        dpi = ScreenDpi();
    // Negative: the character's height, not the cell's.
    const int height = -static_cast<int>(std::lround(points * dpi / 72.0));
    com::unique_hfont font(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                                       underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_DONTCARE, face));
    PrepareTextShaping(font.get()); // every label and key of ours draws with it
    return font;
}

} // namespace quillomet::win32
