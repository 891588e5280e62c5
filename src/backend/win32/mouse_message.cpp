#include "backend/win32/mouse_message.h"

namespace quillomet::win32 {

POINT MousePoint(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

std::int16_t MouseButtons(UINT message, WPARAM wParam) {
    std::int16_t buttons = 0;
    if ((wParam & MK_LBUTTON) || message == WM_LBUTTONUP)
        buttons |= 1;
    if ((wParam & MK_RBUTTON) || message == WM_RBUTTONUP)
        buttons |= 2;
    return buttons;
}

} // namespace quillomet::win32
