#pragma once

#include <windows.h>

#include <cstdint>

namespace quillomet::win32 {

// The point a mouse message carries: the window's client pixels, or the
// screen's for WM_CONTEXTMENU. Signed, as a point left of or above the
// window (with the mouse captured, or on another monitor) is negative.
POINT MousePoint(LPARAM lParam);

// The buttons a mouse event reports: 1 left, 2 right. A release reports
// the button released, which the message no longer counts as held.
std::int16_t MouseButtons(UINT message, WPARAM wParam);

} // namespace quillomet::win32
