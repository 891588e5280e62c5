// The control at the screen's pixels per inch: its children's pixels follow
// their twips, and the drop button's glyph is drawn at the button's own
// size, its frame whole and its parts present, however large. ctest runs it
// in the suite's prefix (96) and in fresh prefixes at 144 and 192.
#include "screen_fixture.h"
#include "test_main.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"

#include <oleacc.h>

#include <cstdlib>
#include <gtest/gtest.h>
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

// The window's client area as drawn, pixel by pixel.
class Capture {
public:
    explicit Capture(HWND window) {
        RECT r{};
        GetClientRect(window, &r);
        m_Width = r.right;
        m_Height = r.bottom;
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const unique_window_dc source(window);
        const unique_hdc memory(CreateCompatibleDC(source.get()));
        const unique_hbitmap bitmap(CreateCompatibleBitmap(source.get(), m_Width, m_Height));
        const unique_select_object selected(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, m_Width, m_Height, source.get(), 0, 0, SRCCOPY);
        m_Pixels.resize(static_cast<std::size_t>(m_Width * m_Height));
        for (int y = 0; y < m_Height; ++y)
            for (int x = 0; x < m_Width; ++x)
                m_Pixels[static_cast<std::size_t>(y * m_Width + x)] = GetPixel(memory.get(), x, y);
    }
    COLORREF At(int x, int y) const { return m_Pixels[static_cast<std::size_t>(y * m_Width + x)]; }

private:
    int m_Width = 0, m_Height = 0;
    std::vector<COLORREF> m_Pixels;
};

class DpiTest : public ScreenTest {
protected:
    HWND ControlWindow() { return GetParent(Field()); }
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
        explicit Unaware(SetContext set)
            : set(set), previous(set(reinterpret_cast<void*>(-1))) {} // ..._UNAWARE
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

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "dpi_test");
}
