#pragma once

#include <windows.h>

#include <unordered_map>

namespace quillomet::win32 {

// Which object owns a window, kept on the window's own thread. A window
// property or GWLP_USERDATA would do the same at a round trip to the window
// server per write (and, for properties, per read) under Wine, where a form
// of many controls feels each one; this costs none, and it leaves a child's
// USERDATA to whoever else holds its handle.
template <typename Owner>
class WindowOwners {
public:
    static void Set(HWND window, Owner* owner) { Map()[window] = owner; }
    static void Remove(HWND window) { Map().erase(window); }
    static Owner* Find(HWND window) {
        const auto& map = Map();
        const auto it = map.find(window);
        return it == map.end() ? nullptr : it->second;
    }

private:
    static std::unordered_map<HWND, Owner*>& Map() {
        thread_local std::unordered_map<HWND, Owner*> map;
        return map;
    }
};

// A system control's messages passed through our procedure first, by
// replacing its window procedure. The common controls' subclass chain does
// the same but looks its data up as a window property on every message.
inline WNDPROC ReplaceWindowProc(HWND window, WNDPROC procedure) {
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

// Puts the previous procedure back, unless someone replaced ours since: then
// theirs keeps calling ours, which passes everything on.
inline void RestoreWindowProc(HWND window, WNDPROC ours, WNDPROC previous) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == ours)
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
}

} // namespace quillomet::win32
