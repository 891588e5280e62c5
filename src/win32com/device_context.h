#pragma once

#include "win32com/unique_any.h"

#include <windows.h>

#include <utility>

namespace quillomet::com {

// The frame of an enhanced metafile of `width` x `height` screen pixels, in
// hundredths of a millimetre as the screen measures its pixels, so that the
// picture plays back at its size without a rounding's stretch.
inline RECT ScreenMetafileFrame(HDC screen, int width, int height) {
    return {0, 0,
            MulDiv(width, 100 * GetDeviceCaps(screen, HORZSIZE), GetDeviceCaps(screen, HORZRES)),
            MulDiv(height, 100 * GetDeviceCaps(screen, VERTSIZE), GetDeviceCaps(screen, VERTRES))};
}

// A memory DC from CreateCompatibleDC, deleted when it goes.
using unique_hdc = unique_any<HDC, &DeleteDC>;

// A window's DC (the screen's for a null window) from GetDC, given back to
// the window with ReleaseDC when it goes.
class unique_window_dc {
public:
    unique_window_dc() noexcept = default;
    explicit unique_window_dc(HWND window) noexcept : m_Window(window), m_Dc(GetDC(window)) {}
    unique_window_dc(unique_window_dc&& other) noexcept
        : m_Window(other.m_Window), m_Dc(std::exchange(other.m_Dc, nullptr)) {}
    unique_window_dc& operator=(unique_window_dc&& other) noexcept {
        if (this != &other) {
            reset();
            m_Window = other.m_Window;
            m_Dc = std::exchange(other.m_Dc, nullptr);
        }
        return *this;
    }
    ~unique_window_dc() { reset(); }
    unique_window_dc(const unique_window_dc&) = delete;
    unique_window_dc& operator=(const unique_window_dc&) = delete;

    void reset() noexcept {
        if (HDC dc = std::exchange(m_Dc, nullptr))
            ReleaseDC(m_Window, dc);
    }
    HDC get() const noexcept { return m_Dc; }
    explicit operator bool() const noexcept { return m_Dc != nullptr; }

private:
    HWND m_Window = nullptr;
    HDC m_Dc = nullptr;
};

// A DC's whole state (colours, modes, selected objects, clipping) as it was
// when this was made, given back when it goes: a DC of someone else's
// comes back to them as they gave it.
class saved_dc_state {
public:
    explicit saved_dc_state(HDC dc) noexcept : m_Dc(dc), m_Saved(SaveDC(dc) != 0) {}
    ~saved_dc_state() {
        if (m_Saved)
            RestoreDC(m_Dc, -1);
    }
    saved_dc_state(const saved_dc_state&) = delete;
    saved_dc_state& operator=(const saved_dc_state&) = delete;

private:
    HDC m_Dc;
    bool m_Saved;
};

// Whether the handle is a device context of any kind: a screen's, a
// memory one, a printer's, a metafile's.
inline bool IsDeviceContext(HDC dc) noexcept {
    switch (GetObjectType(dc)) {
    case OBJ_DC:
    case OBJ_MEMDC:
    case OBJ_METADC:
    case OBJ_ENHMETADC:
        return true;
    default:
        return false;
    }
}

// An object selected into a DC for as long as this lives; the object it
// replaced is selected again when it goes, so that neither the DC nor the
// object is let go while the other still holds it. Declared after the DC
// and the object it selects, so it goes before them. A null object selects
// nothing.
class unique_select_object {
public:
    unique_select_object(HDC dc, HGDIOBJ object) noexcept
        : m_Dc(dc), m_Previous(object ? SelectObject(dc, object) : nullptr) {}
    unique_select_object(unique_select_object&& other) noexcept
        : m_Dc(other.m_Dc), m_Previous(std::exchange(other.m_Previous, nullptr)) {}
    unique_select_object& operator=(unique_select_object&& other) noexcept {
        if (this != &other) {
            reset();
            m_Dc = other.m_Dc;
            m_Previous = std::exchange(other.m_Previous, nullptr);
        }
        return *this;
    }
    ~unique_select_object() { reset(); }
    unique_select_object(const unique_select_object&) = delete;
    unique_select_object& operator=(const unique_select_object&) = delete;

    // Selects the replaced object again now.
    void reset() noexcept {
        if (HGDIOBJ previous = std::exchange(m_Previous, nullptr))
            SelectObject(m_Dc, previous);
    }

private:
    HDC m_Dc;
    HGDIOBJ m_Previous;
};

} // namespace quillomet::com
