#pragma once

#include "common/thread_data.h"
#include "toolkit/image.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"

#include <windows.h>

#include <memory>
#include <unordered_map>
#include <vector>

namespace quillomet::win32 {

class Win32Font;

// What the library keeps per thread for its windows: which object owns
// each, where controls without a container wait, a memory DC to measure
// text on, and the fonts its controls share. Kept in a system TLS slot and released from the
// library's entry point, not by a C++ thread_local destructor: at a thread's end those may run
// after the thread's TLS is gone, and destroying windows from them reaches back into it. A thread's
// own windows the system destroys with it.
class ThreadWindows {
public:
    // From the library's entry point.
    static bool ProcessAttached();
    static void ThreadDetached();
    static void LibraryUnloading();

    static ThreadWindows& Current();
    ThreadWindows(const ThreadWindows&) = delete;
    ThreadWindows& operator=(const ThreadWindows&) = delete;

    std::unordered_map<HWND, void*>& Owners() { return m_Owners; }
    // The core's per-thread data, kept here rather than in a C++
    // thread_local (see SetThreadDataSource).
    static ThreadData* CoreData(bool create);
    // A message-only window, made on first need.
    HWND ParkingWindow();
    HDC MeasuringDc();
    // The last glyph drawn as a picture, kept for the next one of its size:
    // a report draws the same control once per record.
    struct GlyphPicture {
        Glyph glyph = Glyph::Calculator;
        SIZE size{};
        com::unique_hbitmap bitmap;
        com::unique_hdc dc; // holds the bitmap selected; goes first
    };
    GlyphPicture& LastGlyphPicture() { return m_LastGlyphPicture; }
    // The fonts the thread's controls share (see FontObject::SharedCopy).
    std::vector<std::weak_ptr<Win32Font>>& SharedFonts() { return m_SharedFonts; }
    // The shared default font, for controls whose host has none.
    std::weak_ptr<Win32Font>& DefaultFont() { return m_DefaultFont; }

private:
    ThreadWindows() = default;
    ~ThreadWindows();

    std::unordered_map<HWND, void*> m_Owners;
    // Held by the thread and by each of its controls, which may outlive it.
    ThreadData& m_CoreData = *new ThreadData;
    HWND m_Parking = nullptr;
    com::unique_hdc m_MeasuringDc;
    GlyphPicture m_LastGlyphPicture;
    std::vector<std::weak_ptr<Win32Font>> m_SharedFonts;
    std::weak_ptr<Win32Font> m_DefaultFont;
};

// Which object owns a window, kept on the window's own thread. A window
// property or GWLP_USERDATA would do the same at a round trip to the window
// server per write (and, for properties, per read) under Wine, where a form
// of many controls feels each one; this costs none, and it leaves a child's
// USERDATA to whoever else holds its handle. A window has one owner, of the
// one type whose window procedure asks.
template <typename Owner>
class WindowOwners {
public:
    static void Set(HWND window, Owner* owner) {
        ThreadWindows::Current().Owners()[window] = owner;
    }
    static void Remove(HWND window) { ThreadWindows::Current().Owners().erase(window); }
    static Owner* Find(HWND window) {
        const auto& owners = ThreadWindows::Current().Owners();
        const auto it = owners.find(window);
        return it == owners.end() ? nullptr : static_cast<Owner*>(it->second);
    }
};

// Registers a window class of the library's own (its instance filled in)
// unless it is registered already, by this load of the library or an
// earlier one: a class outlives the library that registered it. One thread
// at a time: under Wine a thread that finds a class half-registered by
// another can make no window of it.
void RegisterOwnClass(WNDCLASSEXW wc);

// A system control's messages passed through our procedure first, by
// replacing its window procedure. The common controls' subclass chain does
// the same but looks its data up as a window property on every message.
inline WNDPROC ReplaceWindowProc(HWND window, WNDPROC procedure) {
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

// The procedure a window's class gave it.
inline WNDPROC ClassProcedure(HWND window) {
    return reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC));
}

// Puts the previous procedure back, unless someone replaced ours since: then
// theirs keeps calling ours, which passes everything on.
inline void RestoreWindowProc(HWND window, WNDPROC ours, WNDPROC previous) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == ours)
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
}

} // namespace quillomet::win32
