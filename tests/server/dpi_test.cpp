// The control at the screen's pixels per inch: its children's pixels follow
// their twips, the drop button's glyph is drawn at the button's own size,
// its frame whole and its parts present, however large, and the picture a
// host draws through IViewObject and IDataObject is the control as the
// screen shows it. ctest runs it in the suite's prefix (96) and in fresh
// prefixes at 144 and 192.
#include "screen_fixture.h"
#include "test_main.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using quillomet::com::unique_hbitmap;
using quillomet::com::unique_hdc;
using quillomet::com::unique_select_object;
using quillomet::com::unique_window_dc;
using quillomet::testing::Allowed;
using quillomet::testing::g_OcxPath;
using quillomet::testing::Pump;
using quillomet::testing::Ref;
using quillomet::testing::ScreenTest;
using quillomet::testing::Site;

int ScreenDpi() {
    return GetDeviceCaps(unique_window_dc(nullptr).get(), LOGPIXELSY);
}

int Pixels(int twips) {
    return MulDiv(twips, ScreenDpi(), 1440);
}

// A picture pixel by pixel: a window's client area as drawn, or what a
// drawing makes in a memory DC of a size.
class Capture {
public:
    explicit Capture(HWND window) {
        RECT r{};
        GetClientRect(window, &r);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const unique_window_dc source(window);
        Read(r.right, r.bottom, [&](HDC memory) {
            BitBlt(memory, 0, 0, r.right, r.bottom, source.get(), 0, 0, SRCCOPY);
        });
    }
    template <typename Draw>
    Capture(int width, int height, Draw draw) {
        Read(width, height, [&](HDC memory) {
            const RECT all{0, 0, width, height};
            FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            draw(memory, all);
        });
    }
    COLORREF At(int x, int y) const { return m_Pixels[static_cast<std::size_t>(y * m_Width + x)]; }
    int Width() const { return m_Width; }
    int Height() const { return m_Height; }

private:
    template <typename Fill>
    void Read(int width, int height, Fill fill) {
        m_Width = width;
        m_Height = height;
        const unique_window_dc screen(nullptr);
        const unique_hdc memory(CreateCompatibleDC(screen.get()));
        const unique_hbitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
        const unique_select_object selected(memory.get(), bitmap.get());
        fill(memory.get());
        m_Pixels.resize(static_cast<std::size_t>(width * height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                m_Pixels[static_cast<std::size_t>(y * width + x)] = GetPixel(memory.get(), x, y);
    }
    int m_Width = 0, m_Height = 0;
    std::vector<COLORREF> m_Pixels;
};

// The share of pixels of `region` that two pictures show alike; a text's
// smoothed edge may differ a little.
double EqualShare(const Capture& a, const Capture& b, const RECT& region) {
    int equal = 0, all = 0;
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x) {
            const COLORREF p = a.At(x, y), q = b.At(x, y);
            const int difference = std::max({std::abs(GetRValue(p) - GetRValue(q)),
                                             std::abs(GetGValue(p) - GetGValue(q)),
                                             std::abs(GetBValue(p) - GetBValue(q))});
            equal += difference <= 48;
            ++all;
        }
    return all ? static_cast<double>(equal) / all : 1.0;
}

class DpiTest : public ScreenTest {
protected:
    HWND ControlWindow() { return GetParent(Field()); }
    // A child window's place in the control's client area.
    RECT PlaceOf(HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, ControlWindow(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // What IViewObject::Draw paints into a memory DC of the size.
    static Capture Drawn(IUnknown* control, int width, int height) {
        Ref<IViewObject2> view;
        control->QueryInterface(IID_IViewObject2, view.put_void());
        return Capture(width, height, [&](HDC dc, const RECT& all) {
            const RECTL bounds{all.left, all.top, all.right, all.bottom};
            EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds,
                                       nullptr, nullptr, 0));
        });
    }
    // Draw into an enhanced metafile, played back at the size.
    static Capture Recorded(IUnknown* control, int width, int height) {
        Ref<IViewObject2> view;
        control->QueryInterface(IID_IViewObject2, view.put_void());
        const unique_window_dc screen(nullptr);
        const RECT frame{0, 0,
                         MulDiv(width, 100 * GetDeviceCaps(screen.get(), HORZSIZE),
                                GetDeviceCaps(screen.get(), HORZRES)),
                         MulDiv(height, 100 * GetDeviceCaps(screen.get(), VERTSIZE),
                                GetDeviceCaps(screen.get(), VERTRES))};
        const HDC recording = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
        const RECTL bounds{0, 0, width, height};
        EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, recording,
                                   &bounds, nullptr, nullptr, 0));
        const HENHMETAFILE metafile = CloseEnhMetaFile(recording);
        Capture played(width, height,
                       [&](HDC dc, const RECT& all) { PlayEnhMetaFile(dc, metafile, &all); });
        DeleteEnhMetaFile(metafile);
        return played;
    }
    // GetData's metafile of either kind, played back at the size.
    static Capture Rendered(IUnknown* control, CLIPFORMAT format, int width, int height) {
        Ref<IDataObject> data;
        control->QueryInterface(IID_IDataObject, data.put_void());
        FORMATETC asked{format, nullptr, DVASPECT_CONTENT, -1,
                        format == CF_ENHMETAFILE ? DWORD{TYMED_ENHMF} : DWORD{TYMED_MFPICT}};
        STGMEDIUM medium{};
        EXPECT_EQ(S_OK, data->GetData(&asked, &medium));
        Capture played(width, height, [&](HDC dc, const RECT& all) {
            if (medium.tymed == TYMED_ENHMF) {
                PlayEnhMetaFile(dc, medium.hEnhMetaFile, &all);
            } else if (medium.tymed == TYMED_MFPICT) {
                const auto* picture = static_cast<METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
                SetMapMode(dc, MM_ANISOTROPIC);
                SetViewportExtEx(dc, all.right, all.bottom, nullptr);
                PlayMetaFile(dc, picture->hMF);
                GlobalUnlock(medium.hMetaFilePict);
            }
        });
        ReleaseStgMedium(&medium);
        return played;
    }
    // The drop button's place in the control's client area, as its
    // accessible object reports it.
    RECT DropButton() {
        Ref<IAccessible> object;
        AccessibleObjectFromWindow(ControlWindow(), OBJID_CLIENT, IID_IAccessible,
                                   object.put_void());
        LONG count = 0;
        object->get_accChildCount(&count);
        VARIANT last;
        VariantInit(&last);
        last.vt = VT_I4;
        last.lVal = count;
        LONG left = 0, top = 0, width = 0, height = 0;
        object->accLocation(&left, &top, &width, &height, last);
        POINT origin{left, top};
        ScreenToClient(ControlWindow(), &origin);
        return {origin.x, origin.y, origin.x + width, origin.y + height};
    }
};

// A prefix that did not take its resolution would pass every other test
// here at 96.
TEST_F(DpiTest, RunsAtTheResolutionAskedFor) {
    const char* asked = std::getenv("QUILLOMET_LOGPIXELS");
    ASSERT_NE(nullptr, asked) << "run by ctest, which says at what resolution";
    EXPECT_EQ(std::atoi(asked), ScreenDpi());
}

// The calculator opens laid out at the screen's resolution: its client
// area and its keys their twips in pixels.
TEST_F(DpiTest, CalculatorIsLaidOutAtTheScreensResolution) {
    m_Control->ShowCalculator();
    Pump();
    ASSERT_NE(nullptr, quillomet::testing::Calculator());
    RECT client{}, key{};
    GetClientRect(quillomet::testing::Calculator(), &client);
    GetWindowRect(quillomet::testing::CalculatorButton(L"7"), &key);
    EXPECT_EQ(Pixels(2295), client.right);
    EXPECT_EQ(Pixels(2310), client.bottom);
    EXPECT_EQ(Pixels(360), key.right - key.left);
    m_Control->HideCalculator();
}

TEST_F(DpiTest, ChildrenFollowTheirTwips) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    m_Control->put_Calculator(VARIANT_TRUE);
    Pump();
    RECT spinner{};
    GetWindowRect(FindWindowExW(ControlWindow(), nullptr, L"msctls_updown32", nullptr), &spinner);
    EXPECT_EQ(Pixels(240), spinner.right - spinner.left) << ScreenDpi() << " dpi";
    // The drop button fills the control's height at its right edge and is as
    // wide as that, its edges each rounded from twips to the nearest pixel.
    const RECT button = DropButton();
    RECT client{};
    GetClientRect(ControlWindow(), &client);
    EXPECT_EQ(client.right, button.right);
    EXPECT_EQ(client.bottom, button.bottom - button.top);
    EXPECT_NEAR(button.bottom - button.top, button.right - button.left, 1);
    // The field ends where the spinner begins.
    RECT field{}, control{};
    GetWindowRect(Field(), &field);
    GetWindowRect(ControlWindow(), &control);
    EXPECT_EQ(spinner.left, field.right);
    EXPECT_EQ(control.right, spinner.right + (button.right - button.left));
}

// A program that does not follow resolutions has its form drawn at 96
// pixels per inch and enlarged by the system, whatever the screen's: the
// control on such a form lays its children out at the form's resolution. A
// control that read the screen's once would make them too large for it.
TEST_F(DpiTest, ChildrenFollowTheirFormsResolutionNotTheScreens) {
    using SetContext = void*(WINAPI*)(void*);
    using DpiOf = UINT(WINAPI*)(HWND);
    const HMODULE user = GetModuleHandleW(L"user32.dll");
    const auto setContext = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetThreadDpiAwarenessContext")));
    const auto dpiOf =
        reinterpret_cast<DpiOf>(reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")));
    ASSERT_TRUE(setContext && dpiOf);
    // The thread acts as such a program would, until the end of the test.
    struct Unaware {
        explicit Unaware(SetContext setter)
            : set(setter), previous(setter(reinterpret_cast<void*>(-1))) {} // ..._UNAWARE
        ~Unaware() { set(previous); }
        SetContext set;
        void* previous;
    } const unaware(setContext);
    struct Form {
        ~Form() { DestroyWindow(window); }
        HWND window;
    } const owned{CreateWindowExW(0, L"STATIC", L"Unaware form", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  40, 220, 420, 120, nullptr, nullptr, nullptr, nullptr)};
    const HWND form = owned.window;
    ASSERT_NE(nullptr, form);
    ASSERT_EQ(96u, dpiOf(form)) << "the form's own resolution, on a " << ScreenDpi()
                                << " dpi screen";

    Site* site = new Site(form);
    site->m_Position = {10, 10, 10 + 160, 10 + 22};
    Ref<_Quillomet> control;
    Ref<IOleObject> ole;
    ASSERT_NO_FATAL_FAILURE(NewControl(site, control, ole));
    control->put_UpDownFunction(VARIANT_TRUE);
    control->put_Calculator(VARIANT_TRUE);
    ASSERT_HRESULT_SUCCEEDED(
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, form, &site->m_Position));
    Pump();
    const HWND field = quillomet::testing::FieldOf(control.get());
    const HWND window = GetParent(field);
    RECT spinner{}, fieldPlace{}, client{};
    GetWindowRect(FindWindowExW(window, nullptr, L"msctls_updown32", nullptr), &spinner);
    GetWindowRect(field, &fieldPlace);
    GetClientRect(window, &client);
    EXPECT_EQ(160, client.right);
    EXPECT_EQ(22, client.bottom);
    EXPECT_EQ(MulDiv(240, 96, 1440), spinner.right - spinner.left);
    EXPECT_EQ(spinner.left, fieldPlace.right);
    // The drop button, as wide as the control is high, fills the rest.
    RECT onScreen = client;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&onScreen), 2);
    EXPECT_EQ(onScreen.right - 22, spinner.right);
    // Its text is its font's size in points at the form's resolution.
    Ref<IFontDisp> fontDispatch;
    control->get_Font(fontDispatch.put());
    Ref<IFont> font;
    ASSERT_NE(nullptr, fontDispatch.get());
    fontDispatch->QueryInterface(IID_IFont, font.put_void());
    CY points{};
    font->get_Size(&points);
    LOGFONTW shown{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0)), sizeof shown,
               &shown);
    EXPECT_EQ(-MulDiv(static_cast<int>(points.int64), 96, 720000), shown.lfHeight);
    // The size the form keeps in its document is its 160 by 22 pixels at 96
    // pixels per inch: 2400 by 330 twips, in HIMETRIC.
    SIZEL extent{};
    ole->GetExtent(DVASPECT_CONTENT, &extent);
    EXPECT_EQ(MulDiv(2400, 2540, 1440), extent.cx);
    EXPECT_EQ(MulDiv(330, 2540, 1440), extent.cy);

    EXPECT_EQ(std::vector<std::string>{}, site->Unexpected(Allowed));
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    ole.reset();
    control.reset();
    delete site;
    Pump();
}

// Drawn at the button's size, not a picture of another size stretched: the
// frame's light top and left edges and dark bottom and right ones are whole,
// and the display, its digits and the blue keys are there, at every size.
TEST_F(DpiTest, GlyphIsDrawnAtTheButtonsSize) {
    m_Control->put_Calculator(VARIANT_TRUE);
    // With the spinner beside it, no other window overlaps the button (without
    // it the field reaches a twip-rounded pixel under the button's edge).
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    for (const VARIANT_BOOL enabled : {VARIANT_TRUE, VARIANT_FALSE}) {
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        m_Control->put_Enabled(enabled);
        Pump();
        const RECT r = DropButton();
        ASSERT_GT(r.right - r.left, 10);
        const Capture shown(ControlWindow());
        const COLORREF light = enabled ? RGB(255, 255, 255) : RGB(223, 223, 223);
        const COLORREF dark = enabled ? RGB(96, 96, 96) : RGB(144, 144, 144);
        const COLORREF blue = enabled ? RGB(70, 110, 200) : RGB(149, 149, 149);
        const COLORREF digits = enabled ? RGB(120, 230, 140) : RGB(189, 189, 189);
        int wrongEdge = 0;
        for (int x = r.left; x < r.right - 1; ++x)
            wrongEdge += shown.At(x, r.top) != light;
        for (int y = r.top; y < r.bottom - 1; ++y)
            wrongEdge += shown.At(r.left, y) != light;
        for (int x = r.left; x < r.right; ++x)
            wrongEdge += shown.At(x, r.bottom - 1) != dark;
        for (int y = r.top; y < r.bottom; ++y)
            wrongEdge += shown.At(r.right - 1, y) != dark;
        EXPECT_EQ(0, wrongEdge) << (r.right - r.left) << " pixels";
        int blueKeys = 0, digitPixels = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                blueKeys += shown.At(x, y) == blue;
                digitPixels += shown.At(x, y) == digits;
            }
        // Four blue keys of at least a pixel each, and the display's digits.
        EXPECT_GE(blueKeys, 4);
        EXPECT_GT(digitPixels, 0);
    }
}

// What a host draws itself (a designer, a printout, a document's picture) is
// the control as the screen shows it, part by part, in every arrangement:
// drawn by Draw, recorded in a metafile and played back, given by GetData
// in both kinds of metafile, and drawn by a control that was never placed.
TEST_F(DpiTest, PictureIsTheControlAsShown) {
    const struct {
        const char* name;
        bool calculator, upDown, enabled, focused;
    } rows[] = {
        {"button and spinner", true, true, true, false}, {"button", true, false, true, false},
        {"spinner", false, true, true, false},           {"neither", false, false, true, false},
        {"disabled", true, true, false, false},          {"focused", true, true, true, true},
    };
    Site* passiveSite = new Site(m_Form);
    Ref<_Quillomet> passive;
    Ref<IOleObject> passiveOle;
    ASSERT_NO_FATAL_FAILURE(NewControl(passiveSite, passive, passiveOle));
    SIZEL extent{};
    m_Ole->GetExtent(DVASPECT_CONTENT, &extent);
    passiveOle->SetExtent(DVASPECT_CONTENT, &extent);
    for (_Quillomet* control : {m_Control.get(), passive.get()}) {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_R8;
        V_R8(&value) = -1234.5;
        control->put_value(value);
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (_Quillomet* control : {m_Control.get(), passive.get()}) {
            control->put_Calculator(row.calculator ? VARIANT_TRUE : VARIANT_FALSE);
            control->put_UpDownFunction(row.upDown ? VARIANT_TRUE : VARIANT_FALSE);
            control->put_Enabled(row.enabled ? VARIANT_TRUE : VARIANT_FALSE);
        }
        Pump();
        if (row.focused) {
            SetFocus(Field());
            Pump();
            SendMessageW(Field(), EM_SETSEL, 0, 0); // the plain form, nothing selected
            HideCaret(Field());
            Pump();
        }
        const Capture screen(ControlWindow());
        const int width = screen.Width(), height = screen.Height();
        std::vector<std::pair<const char*, RECT>> parts = {{"field", PlaceOf(Field())}};
        if (row.upDown)
            parts.emplace_back("spinner", PlaceOf(FindWindowExW(ControlWindow(), nullptr,
                                                                L"msctls_updown32", nullptr)));
        if (row.calculator)
            parts.emplace_back("drop button", DropButton());
        std::vector<std::pair<const char*, Capture>> pictures;
        pictures.emplace_back("Draw", Drawn(m_Control.get(), width, height));
        pictures.emplace_back("metafile", Recorded(m_Control.get(), width, height));
        pictures.emplace_back("GetData enhanced",
                              Rendered(m_Control.get(), CF_ENHMETAFILE, width, height));
        pictures.emplace_back("GetData old-style",
                              Rendered(m_Control.get(), CF_METAFILEPICT, width, height));
        if (!row.focused) // a control that was never placed has no focus
            pictures.emplace_back("never placed", Drawn(passive.get(), width, height));
        for (const auto& [kind, picture] : pictures)
            for (const auto& [part, place] : parts) {
                const double share = EqualShare(screen, picture, place);
                std::printf("%d dpi, %s, %s, %s: %.3f\n", ScreenDpi(), row.name, kind, part, share);
                // An enhanced metafile played back realises the font anew,
                // which at 192 pixels per inch shapes some glyphs' edges
                // otherwise; a missing part leaves far less alike.
                const bool enhanced = std::string_view(kind) == "metafile" ||
                                      std::string_view(kind) == "GetData enhanced";
                EXPECT_GE(share, part == parts.front().first && enhanced ? 0.90 : 0.97)
                    << kind << ", " << part;
            }
        if (row.focused) {
            SetFocus(m_Next);
            Pump();
        }
    }
    passiveOle->Close(OLECLOSE_NOSAVE);
    passiveOle->SetClientSite(nullptr);
    passiveOle.reset();
    passive.reset();
    delete passiveSite;
}

// The picture is drawn for its bounds, not copied small into a corner:
// twice the bounds give twice the picture, and bounds at a printer's 600
// pixels per inch give a text in proportion.
TEST_F(DpiTest, PictureFollowsItsBounds) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    m_Control->put_Calculator(VARIANT_TRUE);
    SetValue(88.5);
    Pump();
    const Capture screen(ControlWindow());
    const int width = screen.Width(), height = screen.Height();
    const Capture twice = Drawn(m_Control.get(), 2 * width, 2 * height);
    // Each pixel of the control on the screen is a square of two by two in
    // the picture: its top left one shows it, but where a part's finer
    // drawing (the text's strokes, the spinner's curves) falls otherwise.
    const Capture sampled(width, height, [&](HDC dc, const RECT&) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                SetPixel(dc, x, y, twice.At(2 * x, 2 * y));
    });
    EXPECT_GE(EqualShare(screen, sampled, {0, 0, width, height}), 0.85);
    EXPECT_EQ(screen.At(width - 1, height - 1), twice.At(2 * width - 1, 2 * height - 1));
    // The rows the field's text covers, its border left out.
    const RECT field = PlaceOf(Field());
    const auto textRows = [&](const Capture& picture, double scale) {
        int rows = 0;
        for (int y = static_cast<int>((field.top + 3) * scale);
             y < static_cast<int>((field.bottom - 3) * scale); ++y)
            for (int x = static_cast<int>((field.left + 3) * scale);
                 x < static_cast<int>((field.right - 3) * scale); ++x)
                if (GetRValue(picture.At(x, y)) < 100) {
                    ++rows;
                    break;
                }
        return rows;
    };
    const double printer = 600.0 / ScreenDpi();
    const Capture printed = Drawn(m_Control.get(), static_cast<int>(width * printer),
                                  static_cast<int>(height * printer));
    const int small = textRows(screen, 1), large = textRows(printed, printer);
    ASSERT_GT(small, 0);
    EXPECT_NEAR(printer, static_cast<double>(large) / small, 0.2 * printer)
        << small << " rows on the screen, " << large << " at 600 pixels per inch";
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "dpi_test");
}
