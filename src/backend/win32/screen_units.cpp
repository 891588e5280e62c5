#include "backend/win32/screen_units.h"

#include "win32com/device_context.h"

namespace quillomet::win32 {

// Read once: a process that does not declare itself aware of DPI changes
// sees the same figure for its whole life. Only what has no window to ask
// falls back on it; a window's own figure comes from WindowDpi.
int ScreenDpi() {
    static const int dpi = [] {
        const com::unique_window_dc screen(nullptr);
        const int y = GetDeviceCaps(screen.get(), LOGPIXELSY);
        return y > 0 ? y : 96;
    }();
    return dpi;
}

// Asked of user32 by name: older systems have no such question.
int WindowDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = [] {
        const HMODULE user = GetModuleHandleW(L"user32.dll");
        return user ? reinterpret_cast<DpiForWindow>(
                          reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")))
                    : nullptr;
    }();
    if (dpiForWindow && window)
        if (const UINT dpi = dpiForWindow(window); dpi > 0)
            return static_cast<int>(dpi);
    return ScreenDpi();
}

int TwipsToPixels(std::int32_t twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}
float PixelsToTwips(int pixels, int dpi) {
    return static_cast<float>(pixels) * 1440.0f / static_cast<float>(dpi);
}

RECT PixelRect(const Geometry& geometry, int dpi) {
    return {TwipsToPixels(geometry.left, dpi), TwipsToPixels(geometry.top, dpi),
            TwipsToPixels(geometry.left + geometry.width, dpi),
            TwipsToPixels(geometry.top + geometry.height, dpi)};
}

} // namespace quillomet::win32
