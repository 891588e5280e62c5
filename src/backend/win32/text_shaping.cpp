#include "backend/win32/text_shaping.h"

#include "backend/win32/on_demand_imports.h"
#include "backend/win32/window_owners.h"
#include "win32com/slim_lock.h"

#include <cstring>
#include <string>
#include <vector>

namespace quillomet::win32 {
namespace {

// A font as the system's shaping data is keyed: its whole description.
struct Prepared {
    LOGFONTW font;
    SCRIPT_CACHE shaping;
};

com::SlimLock g_Lock;
std::vector<Prepared> g_Prepared; // under g_Lock

// Every character a field, key or label of the control shows, whatever its
// picture: shaped once, they leave nothing of the font for a later
// shaping to fill in (glyphs, widths, the script's layout tables).
std::wstring ShownCharacters() {
    std::wstring shown;
    for (wchar_t c = 0x20; c < 0x7F; ++c)
        shown += c;
    for (wchar_t c = 0xA0; c <= 0xFF; ++c)
        shown += c;
    shown += L"\u20AC"; // the euro sign of currency pictures
    return shown;
}

// As an edit control shapes its text.
void ShapeOnce(HDC dc) {
    static const std::wstring shown = ShownCharacters();
    SCRIPT_STRING_ANALYSIS analysis = nullptr;
    if (SUCCEEDED(on_demand::ScriptStringAnalyse(dc, shown.c_str(), static_cast<int>(shown.size()),
                                                 SSA_LINK | SSA_FALLBACK | SSA_GLYPHS | SSA_TAB,
                                                 &analysis)))
        on_demand::ScriptStringFree(&analysis);
}

} // namespace

void PrepareTextShaping(HFONT font) noexcept {
    LOGFONTW description{};
    if (!font || !GetObjectW(font, sizeof description, &description))
        return;
    const auto held = g_Lock.Hold();
    for (const Prepared& prepared : g_Prepared)
        if (std::memcmp(&prepared.font, &description, sizeof description) == 0)
            return;
    try {
        const HDC dc = ThreadWindows::Current().MeasuringDc();
        const HGDIOBJ before = SelectObject(dc, font);
        SCRIPT_CACHE shaping = nullptr;
        long height = 0;
        const HRESULT hr = on_demand::ScriptCacheGetHeight(dc, &shaping, &height);
        if (SUCCEEDED(hr))
            ShapeOnce(dc);
        SelectObject(dc, before);
        if (FAILED(hr) || !shaping)
            return;
        g_Prepared.push_back({description, shaping});
    } catch (...) {
        // unprepared: the system shapes it on first use, as it would anyway
    }
}

void ReleaseTextShaping() noexcept {
    const auto held = g_Lock.Hold();
    for (Prepared& prepared : g_Prepared)
        on_demand::ScriptFreeCache(&prepared.shaping);
    g_Prepared.clear();
    g_Prepared.shrink_to_fit();
}

} // namespace quillomet::win32
