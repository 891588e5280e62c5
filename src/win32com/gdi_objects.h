#pragma once

#include "win32com/unique_any.h"

#include <windows.h>

#include <atomic>

namespace quillomet::com {

template <typename Handle>
class unique_gdi_object;

// The GDI objects the control has made and not yet deleted, counted by the
// control itself (the system's own count is not available everywhere).
// Only the owning wrapper below counts, so the count cannot drift from what
// is really held.
class GdiObjects {
public:
    static long Live() noexcept { return s_Live; }

private:
    template <typename Handle>
    friend class unique_gdi_object;

    template <typename Handle>
    static Handle Made(Handle object) noexcept {
        if (object)
            ++s_Live;
        return object;
    }
    static void Delete(HGDIOBJ object) noexcept {
        if (DeleteObject(object))
            --s_Live;
    }

    static inline std::atomic<long> s_Live{0};
};

// A GDI object the control made (a font, brush or bitmap), counted while it
// lives and deleted once when it goes. Delete it only when no DC has it
// selected (see unique_select_object).
template <typename Handle>
class unique_gdi_object {
public:
    unique_gdi_object() noexcept = default;
    // Adopts an object just made; null when making it failed.
    explicit unique_gdi_object(Handle made) noexcept : m_Object(GdiObjects::Made(made)) {}

    void reset(Handle made = nullptr) noexcept { m_Object.reset(GdiObjects::Made(made)); }
    Handle get() const noexcept { return m_Object.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(m_Object); }

private:
    unique_any<Handle, &GdiObjects::Delete> m_Object;
};

using unique_hfont = unique_gdi_object<HFONT>;
using unique_hbrush = unique_gdi_object<HBRUSH>;
using unique_hbitmap = unique_gdi_object<HBITMAP>;

} // namespace quillomet::com
