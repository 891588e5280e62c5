#include "backend/win32/color_of.h"

#include <ole2.h>
#include <olectl.h>

#include <cstdint>

namespace quillomet::win32 {

COLORREF ColorOf(OleColor color) {
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(color, nullptr, &rgb)))
        rgb = GetSysColor(COLOR_WINDOW);
    return rgb;
}

HBRUSH SystemColorBrush(OleColor color) {
    const auto value = static_cast<std::uint32_t>(color);
    if ((value & 0xFFFFFF00u) != 0x80000000u)
        return nullptr;
    return GetSysColorBrush(static_cast<int>(value & 0xFF));
}

} // namespace quillomet::win32
