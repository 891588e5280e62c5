#pragma once

#include <windows.h>

#include <atomic>

namespace quillomet::win32 {

// The GDI objects the control has made and not yet deleted, counted by the
// control itself (the system's own count is not available everywhere).
class GdiObjects {
public:
    template <typename Handle>
    static Handle Made(Handle object) noexcept {
        if (object)
            ++s_Live;
        return object;
    }
    static void Delete(HGDIOBJ object) noexcept {
        if (object && DeleteObject(object))
            --s_Live;
    }
    static long Live() noexcept { return s_Live; }

private:
    static inline std::atomic<long> s_Live{0};
};

} // namespace quillomet::win32
