#include "backend/win32/control_picture.h"

#include "backend/win32/color_of.h"
#include "backend/win32/glyph_drawing.h"
#include "backend/win32/on_demand_imports.h"
#include "backend/win32/screen_units.h"
#include "backend/win32/win32_font.h"
#include "backend/win32/window_owners.h"
#include "common/scope_exit.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"
#include "win32com/text_conversion.h"

#include <vsstyle.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quillomet::win32 {
namespace {

// The control's own pixels onto the bounds: each edge is placed on its
// own, so parts that touch on the screen touch in the picture.
class Scale {
public:
    Scale(const RECT& bounds, int width, int height)
        : m_Bounds(bounds), m_Width(width), m_Height(height) {}
    LONG X(LONG x) const {
        return m_Bounds.left + MulDiv(x, m_Bounds.right - m_Bounds.left, m_Width);
    }
    LONG Y(LONG y) const {
        return m_Bounds.top + MulDiv(y, m_Bounds.bottom - m_Bounds.top, m_Height);
    }
    RECT Rect(const RECT& r) const { return {X(r.left), Y(r.top), X(r.right), Y(r.bottom)}; }
    // A length down the control, as the target has it.
    int Down(int length) const { return MulDiv(length, m_Bounds.bottom - m_Bounds.top, m_Height); }

private:
    RECT m_Bounds;
    int m_Width, m_Height;
};

void Fill(HDC dc, const RECT& r, HBRUSH brush) {
    FillRect(dc, &r, brush);
}

// The field's client edge, two pixels sunken, as the system draws it round
// an edit window: the shadow and its darker inner line above and left, the
// light and its highlight below and right.
void DrawSunkenEdge(HDC dc, const Scale& scale, RECT r) {
    const int outer[2][2] = {{COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
                             {COLOR_3DDKSHADOW, COLOR_3DLIGHT}};
    for (const auto& line : outer) {
        const HBRUSH above = GetSysColorBrush(line[0]), below = GetSysColorBrush(line[1]);
        Fill(dc, scale.Rect({r.left, r.top, r.right - 1, r.top + 1}), above);
        Fill(dc, scale.Rect({r.left, r.top, r.left + 1, r.bottom - 1}), above);
        Fill(dc, scale.Rect({r.left, r.bottom - 1, r.right, r.bottom}), below);
        Fill(dc, scale.Rect({r.right - 1, r.top, r.right, r.bottom}), below);
        InflateRect(&r, -1, -1);
    }
}

// The font the field shows at the control's resolution; `own` holds one
// made for it.
HFONT FontAt(const Appearance::Field& field, int dpi, com::unique_hfont& own) {
    if (const auto* font = dynamic_cast<const Win32Font*>(field.font.get()))
        if (const HFONT shown = font->ForResolution(dpi, own))
            return shown;
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The font at the picture's scale; none when that is the font's own size.
com::unique_hfont ScaledFont(HFONT font, const Scale& scale) {
    LOGFONTW description{};
    GetObjectW(font, sizeof description, &description);
    int height = scale.Down(description.lfHeight);
    if (height == 0)
        height = description.lfHeight < 0 ? -1 : 1;
    if (height == description.lfHeight)
        return {};
    description.lfHeight = height;
    description.lfWidth = 0;
    return com::unique_hfont(CreateFontIndirectW(&description));
}

// The text where the field puts it: a pixel in from the left, or, aligned
// right, three pixels before the right edge (more at higher resolutions);
// a text too wide for the field starts at the left.
void DrawFieldText(HDC dc, const Scale& scale, const RECT& client, const Appearance::Field& field,
                   bool enabled, int dpi) {
    const std::wstring text = Utf8ToWide(field.text);
    if (text.empty())
        return;
    const int length = static_cast<int>(text.size());
    com::unique_hfont own;
    const HFONT font = FontAt(field, dpi, own);
    // Measured at the control's own size, as the field measures it: where
    // each character ends, from the text's start.
    std::vector<int> ends(text.size());
    SIZE extent{};
    {
        const HDC measuring = ThreadWindows::Current().MeasuringDc();
        const com::unique_select_object selected(measuring, font);
        GetTextExtentExPointW(measuring, text.c_str(), length, 0, nullptr, ends.data(), &extent);
    }
    const int edge = MulDiv(1, dpi, 96);
    int left = edge;
    if (field.alignment == Alignment::Right)
        left = std::max<int>(edge, client.right - client.left - extent.cx - MulDiv(3, dpi, 96));
    // The edit window draws its line a pixel in from its client area.
    const int x = client.left + left + 1;
    // Each character placed where the field places it, also where a
    // metafile would space the text by its own measure.
    std::vector<INT> advances(text.size());
    for (std::size_t k = 0, previous = 0; k < text.size(); ++k) {
        const LONG end = scale.X(x + ends[k]);
        advances[k] = static_cast<INT>(end - (k == 0 ? scale.X(x) : static_cast<LONG>(previous)));
        previous = static_cast<std::size_t>(end);
    }
    const com::saved_dc_state kept(dc);
    const RECT clip = scale.Rect(client);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    const com::unique_hfont scaled = ScaledFont(font, scale);
    SelectObject(dc, scaled ? scaled.get() : font);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? ColorOf(field.foreColor) : GetSysColor(COLOR_GRAYTEXT));
    ExtTextOutW(dc, scale.X(x), scale.Y(client.top + 1), 0, nullptr, text.c_str(),
                static_cast<UINT>(length), advances.data());
}

// A part in the system's visual style. An old-style metafile cannot record
// how a style draws (it blends): there the part is drawn into a picture of
// its own at the control's pixels, on the window's colour, and that picture
// is recorded.
void DrawThemePart(HDC dc, HTHEME theme, int part, int state, const RECT& place,
                   const RECT& pixels) {
    if (GetObjectType(dc) != OBJ_METADC) {
        on_demand::DrawThemeBackground(theme, dc, part, state, &place, nullptr);
        return;
    }
    const int width = pixels.right - pixels.left, height = pixels.bottom - pixels.top;
    const com::unique_window_dc screen(nullptr);
    const com::unique_hdc memory(CreateCompatibleDC(screen.get()));
    const com::unique_hbitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!memory || !bitmap)
        return;
    const com::unique_select_object selected(memory.get(), bitmap.get());
    const RECT all{0, 0, width, height};
    Fill(memory.get(), all, GetSysColorBrush(COLOR_WINDOW));
    on_demand::DrawThemeBackground(theme, memory.get(), part, state, &all, nullptr);
    StretchBlt(dc, place.left, place.top, place.right - place.left, place.bottom - place.top,
               memory.get(), 0, 0, width, height, SRCCOPY);
}

// The spinner's two halves as the up-down control draws them: in the
// system's visual style while one is in use, else as classic arrows.
void DrawSpinner(HDC dc, const Scale& scale, const RECT& place, bool enabled) {
    const LONG middle = place.top + (place.bottom - place.top) / 2;
    const RECT upPixels{place.left, place.top, place.right, middle};
    const RECT downPixels{place.left, middle, place.right, place.bottom};
    RECT up = scale.Rect(upPixels);
    RECT down = scale.Rect(downPixels);
    if (on_demand::IsThemeActive())
        if (const HTHEME theme = on_demand::OpenThemeData(nullptr, L"Spin")) {
            const scope_exit closed([&] { on_demand::CloseThemeData(theme); });
            DrawThemePart(dc, theme, SPNP_UP, enabled ? UPS_NORMAL : UPS_DISABLED, up, upPixels);
            DrawThemePart(dc, theme, SPNP_DOWN, enabled ? DNS_NORMAL : DNS_DISABLED, down,
                          downPixels);
            return;
        }
    const UINT state = enabled ? 0 : DFCS_INACTIVE;
    DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | state);
    DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | state);
}

} // namespace

void DrawControlPicture(HDC dc, const RECT& bounds, const Appearance& appearance, int dpi) {
    const int width = TwipsToPixels(appearance.width, dpi);
    const int height = TwipsToPixels(appearance.height, dpi);
    if (width <= 0 || height <= 0)
        return;
    const com::saved_dc_state kept(dc);
    const Scale scale(bounds, width, height);
    // What the control's window paints between its children, then the
    // drop button it paints itself, then its children over it: where the
    // field reaches under the button, the field is seen.
    Fill(dc, scale.Rect({0, 0, width, height}), GetSysColorBrush(COLOR_WINDOW));
    if (appearance.dropButton)
        DrawGlyphPicture(dc, scale.Rect(PixelRect(*appearance.dropButton, dpi)),
                         appearance.enabled ? Glyph::Calculator : Glyph::CalculatorGrey);
    const RECT field = PixelRect(appearance.field.place, dpi);
    DrawSunkenEdge(dc, scale, field);
    RECT client = field;
    InflateRect(&client, -2, -2);
    // A colour of the host's own costs a brush for the picture; a system
    // colour, the default, paints with the system's.
    com::unique_hbrush own;
    HBRUSH back = SystemColorBrush(appearance.field.backColor);
    if (!back) {
        own.reset(CreateSolidBrush(ColorOf(appearance.field.backColor)));
        back = own.get();
    }
    Fill(dc, scale.Rect(client), back);
    DrawFieldText(dc, scale, client, appearance.field, appearance.enabled, dpi);
    if (appearance.spinner)
        DrawSpinner(dc, scale, PixelRect(*appearance.spinner, dpi), appearance.enabled);
}

} // namespace quillomet::win32
