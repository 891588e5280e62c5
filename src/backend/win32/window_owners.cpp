#include "backend/win32/window_owners.h"

namespace quillomet::win32 {

ThreadWindows& ThreadWindows::Current() {
    thread_local ThreadWindows windows;
    return windows;
}

// Before the owners go: destroying the parking window sends its last
// messages to whatever still waits under it.
ThreadWindows::~ThreadWindows() {
    if (m_Parking)
        DestroyWindow(m_Parking);
}

HWND ThreadWindows::ParkingWindow() {
    if (!m_Parking)
        m_Parking = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
    return m_Parking;
}

} // namespace quillomet::win32
