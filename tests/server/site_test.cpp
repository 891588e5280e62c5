// A container of our own in a real top-level window: it sets the client
// site first, initialises the control, activates it in place, and works it
// with real window messages. Runs under Wine with a display.
#include "test_main.h"
#include "test_site.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"
#include "win32com/unique_bstr.h"

#include <functional>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using quillomet::com::unique_bstr;
using quillomet::com::unique_hbitmap;
using quillomet::com::unique_hbrush;
using quillomet::com::unique_hdc;
using quillomet::com::unique_select_object;
using quillomet::com::unique_window_dc;
using quillomet::testing::Pump;
using quillomet::testing::Ref;

std::string g_OcxPath;

using quillomet::testing::EventCounter;
using quillomet::testing::Site;

class SiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Library.Load(g_OcxPath)) << g_OcxPath;
        m_Window = CreateWindowExW(0, L"STATIC", L"Quillomet test form",
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 50, 50, 400,
                                   200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_Window);
        m_Site = new Site(m_Window);
        Ref<IClassFactory> factory;
        ASSERT_HRESULT_SUCCEEDED(
            m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void()));
        ASSERT_HRESULT_SUCCEEDED(
            factory->CreateInstance(nullptr, IID__Quillomet, m_Control.put_void()));
        m_Control->QueryInterface(IID_IOleObject, m_Ole.put_void());
        m_Control->QueryInterface(IID_IOleInPlaceObject, m_InPlace.put_void());
    }
    void TearDown() override {
        if (m_Ole.get()) {
            m_Ole->Close(OLECLOSE_NOSAVE);
            m_Ole->SetClientSite(nullptr);
        }
        m_InPlace.reset();
        m_Ole.reset();
        m_Control.reset();
        delete m_Site;
        DestroyWindow(m_Window);
        Pump();
    }
    // Site first, then a new instance, then in place: as the control asks.
    void Place() {
        ASSERT_HRESULT_SUCCEEDED(m_Ole->SetClientSite(m_Site));
        Ref<IPersistStreamInit> persist;
        m_Control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        ASSERT_HRESULT_SUCCEEDED(persist->InitNew());
        ASSERT_HRESULT_SUCCEEDED(m_Ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_Site, 0,
                                               m_Window, &m_Site->m_Position));
        Pump();
    }
    HWND ControlWindow() {
        HWND window = nullptr;
        m_InPlace->GetWindow(&window);
        return window;
    }
    HWND Field() { return quillomet::testing::FieldOf(m_Control.get()); }
    // Draws the control as a container that prints does, into a 120 x 24
    // bitmap, and hands the bitmap's DC to `inspect`.
    void DrawOffScreen(const std::function<void(HDC)>& inspect) {
        Ref<IViewObject2> view;
        m_Control->QueryInterface(IID_IViewObject2, view.put_void());
        const unique_hdc memory(CreateCompatibleDC(unique_window_dc(nullptr).get()));
        const unique_hbitmap bitmap(
            CreateCompatibleBitmap(unique_window_dc(nullptr).get(), 120, 24));
        const unique_select_object selected(memory.get(), bitmap.get());
        RECTL bounds{0, 0, 120, 24};
        ASSERT_HRESULT_SUCCEEDED(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                            memory.get(), &bounds, nullptr, nullptr, 0));
        inspect(memory.get());
    }
    std::wstring FieldText() { return quillomet::testing::WindowText(Field()); }

    quillomet::testing::Library m_Library;
    HWND m_Window = nullptr;
    Site* m_Site = nullptr;
    Ref<_Quillomet> m_Control;
    Ref<IOleObject> m_Ole;
    Ref<IOleInPlaceObject> m_InPlace;
};

TEST_F(SiteTest, MiscStatusAsksForTheSiteFirst) {
    DWORD status = 0;
    ASSERT_HRESULT_SUCCEEDED(m_Ole->GetMiscStatus(DVASPECT_CONTENT, &status));
    EXPECT_EQ(131473u, status);
}

TEST_F(SiteTest, InPlaceActivationMovesTheControlIntoTheForm) {
    const HWND before = Field();
    EXPECT_FALSE(IsWindowVisible(ControlWindow()));
    Place();
    EXPECT_EQ(m_Window, GetParent(ControlWindow()));
    EXPECT_TRUE(IsWindowVisible(ControlWindow()));
    EXPECT_TRUE(IsWindowVisible(Field()));
    EXPECT_EQ(before, Field()); // hosts keep hwnd: the same window for the control's life
    ASSERT_FALSE(m_Site->m_Calls.empty());
    EXPECT_EQ("OnInPlaceActivate", m_Site->m_Calls.front());

    ASSERT_HRESULT_SUCCEEDED(
        m_Ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, m_Site, 0, m_Window, &m_Site->m_Position));
    Pump();
    EXPECT_EQ(Field(), GetFocus());
    ASSERT_HRESULT_SUCCEEDED(m_InPlace->InPlaceDeactivate());
    EXPECT_FALSE(IsWindowVisible(ControlWindow()));
    EXPECT_NE(m_Window, GetParent(ControlWindow()));
    const std::vector<std::string> expected = {"OnInPlaceActivate", "OnUIActivate",
                                               "SetActiveObject",   "SetActiveObject(none)",
                                               "OnUIDeactivate",    "OnInPlaceDeactivate"};
    EXPECT_EQ(expected, m_Site->m_Calls);
}

// The control keeps its minimum size and tells the site so.
TEST_F(SiteTest, TooSmallARectangleIsCorrected) {
    Place();
    RECT tiny{10, 10, 30, 14};
    ASSERT_HRESULT_SUCCEEDED(m_InPlace->SetObjectRects(&tiny, &tiny));
    ASSERT_FALSE(m_Site->m_Calls.empty());
    EXPECT_EQ("OnPosRectChange", m_Site->m_Calls.back());
    RECT kept{};
    GetWindowRect(ControlWindow(), &kept);
    EXPECT_GT(m_Site->m_CorrectedTo.right - m_Site->m_CorrectedTo.left, 20);
    EXPECT_GE(kept.bottom - kept.top, 17); // 255 twips at 96 pixels per inch
    EXPECT_EQ(m_Site->m_CorrectedTo.right - m_Site->m_CorrectedTo.left, kept.right - kept.left);
}

// A container that answers the control's request for more room by placing
// it again in its own rectangle is asked once, and its answer stands.
TEST_F(SiteTest, ContainerKeepingItsOwnRectangleIsAskedOnce) {
    Place();
    RECT own{10, 10, 30, 14};
    int asked = 0;
    m_Site->m_OnPosRectChange = [&](const RECT&) {
        if (++asked < 50) // ends an endless exchange
            m_InPlace->SetObjectRects(&own, &own);
    };
    ASSERT_HRESULT_SUCCEEDED(m_InPlace->SetObjectRects(&own, &own));
    EXPECT_EQ(1, asked);
    RECT placed{};
    GetWindowRect(ControlWindow(), &placed);
    MapWindowPoints(nullptr, m_Window, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(EqualRect(&own, &placed));
    m_Site->m_OnPosRectChange = nullptr;
}

// An extent the control's window could not have is refused and the extent
// kept; the same rectangle places the control the same whatever came
// before it.
TEST_F(SiteTest, RefusedExtentsAndRepeatedRectanglesChangeNothing) {
    ASSERT_HRESULT_SUCCEEDED(m_Ole->SetClientSite(m_Site));
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    m_Control->put_Calculator(VARIANT_TRUE);
    SIZEL taken{2540, 600};
    ASSERT_HRESULT_SUCCEEDED(m_Ole->SetExtent(DVASPECT_CONTENT, &taken));
    SIZEL kept{};
    ASSERT_HRESULT_SUCCEEDED(m_Ole->GetExtent(DVASPECT_CONTENT, &kept));
    const SIZEL refused[] = {{0, 600},        {2540, 0},         {-2540, 600},
                             {2540, -600},    {LONG_MAX, 600},   {2540, LONG_MAX},
                             {LONG_MIN, 600}, {2540, 1000000000}};
    for (SIZEL extent : refused) {
        SCOPED_TRACE(::testing::Message() << extent.cx << " x " << extent.cy);
        EXPECT_EQ(E_INVALIDARG, m_Ole->SetExtent(DVASPECT_CONTENT, &extent));
        Ref<IErrorInfo> info;
        EXPECT_EQ(S_OK, GetErrorInfo(0, info.put())) << "no description";
        SIZEL now{};
        ASSERT_HRESULT_SUCCEEDED(m_Ole->GetExtent(DVASPECT_CONTENT, &now));
        EXPECT_EQ(kept.cx, now.cx);
        EXPECT_EQ(kept.cy, now.cy);
    }
    m_Site->m_Position = {10, 10, 190, 32};
    Place();
    const auto widthAt = [&](RECT place) {
        m_InPlace->SetObjectRects(&place, &place);
        RECT r{};
        GetWindowRect(ControlWindow(), &r);
        return r.right - r.left;
    };
    EXPECT_EQ(180, widthAt(m_Site->m_Position));
    widthAt({10, 10, 310, 210});
    EXPECT_EQ(100, widthAt({10, 10, 110, 32}));
    EXPECT_EQ(100, widthAt({10, 10, 110, 32}));
    SIZEL now{};
    ASSERT_HRESULT_SUCCEEDED(m_Ole->GetExtent(DVASPECT_CONTENT, &now));
    EXPECT_GT(now.cx, 0);
    EXPECT_GT(now.cy, 0);
}

// Real window messages: the focus shows the plain form, typing goes
// through the filter, leaving the field shows the display form.
TEST_F(SiteTest, TypingAndFocusThroughWindowMessages) {
    Place();
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_R8;
    V_R8(&value) = -1234.5;
    m_Control->put_value(value);
    EXPECT_EQ(L"(1,234.50)", FieldText());
    SetFocus(Field());
    Pump();
    EXPECT_EQ(L"-1234.50", FieldText());
    VARIANT_BOOL focused = VARIANT_FALSE;
    m_Control->get_GotFocus(&focused);
    EXPECT_EQ(VARIANT_TRUE, focused);
    for (char c : std::string("98x.25"))
        PostMessageW(Field(), WM_CHAR, static_cast<WPARAM>(c), 0);
    Pump();
    EXPECT_EQ(L"98.25", FieldText());
    SetFocus(m_Window);
    Pump();
    EXPECT_EQ(L"98.25", FieldText());
    m_Control->get_GotFocus(&focused);
    EXPECT_EQ(VARIANT_FALSE, focused);
    VARIANT read;
    VariantInit(&read);
    m_Control->get_value(&read);
    EXPECT_EQ(VT_R8, V_VT(&read));
    EXPECT_EQ(98.25, V_R8(&read));
}

TEST_F(SiteTest, FrozenContainerGetsNoEvents) {
    Place();
    EventCounter sink;
    Ref<IConnectionPointContainer> points;
    m_Control->QueryInterface(IID_IConnectionPointContainer, points.put_void());
    Ref<IConnectionPoint> point;
    points->FindConnectionPoint(DIID___Quillomet, point.put());
    DWORD cookie = 0;
    point->Advise(&sink, &cookie);
    Ref<IOleControl> control;
    m_Control->QueryInterface(IID_IOleControl, control.put_void());
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    control->FreezeEvents(TRUE);
    V_I4(&value) = 5;
    m_Control->put_value(value);
    EXPECT_TRUE(sink.m_Events.empty());
    control->FreezeEvents(FALSE);
    V_I4(&value) = 6;
    m_Control->put_value(value);
    EXPECT_EQ(std::vector<DISPID>{1}, sink.m_Events);
    point->Unadvise(cookie);
}

TEST_F(SiteTest, AmbientFontIsCopiedNotShared) {
    FONTDESC description{sizeof description};
    description.lpstrName = const_cast<LPOLESTR>(L"Arial");
    description.cySize.int64 = 120000;
    description.sWeight = FW_BOLD;
    Ref<IFontDisp> ambient;
    ASSERT_HRESULT_SUCCEEDED(
        OleCreateFontIndirect(&description, IID_IFontDisp, ambient.put_void()));
    m_Site->m_AmbientFont = ambient.get();
    Place();
    Ref<IFontDisp> fontDisp;
    m_Control->get_Font(fontDisp.put());
    ASSERT_NE(nullptr, fontDisp.get());
    EXPECT_NE(static_cast<void*>(ambient.get()), static_cast<void*>(fontDisp.get()));
    Ref<IFont> font;
    fontDisp->QueryInterface(IID_IFont, font.put_void());
    Ref<IFont> hostFont;
    ambient->QueryInterface(IID_IFont, hostFont.put_void());
    // Equal attributes (the name as the system resolved it).
    unique_bstr name, hostName;
    font->get_Name(name.put());
    hostFont->get_Name(hostName.put());
    EXPECT_STREQ(hostName.get(), name.get());
    CY size{};
    font->get_Size(&size);
    EXPECT_EQ(120000, size.int64);
    font->put_Italic(TRUE);
    BOOL italic = TRUE;
    hostFont->get_Italic(&italic);
    EXPECT_FALSE(italic);
    m_Site->m_AmbientFont = nullptr;
}

// Controls showing the host's font share one font, and one system font
// handle, until one hands its font out: changing that one changes no other.
TEST_F(SiteTest, ControlsShareTheirFontUntilOneHandsItOut) {
    Place();
    Ref<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(
        m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void()));
    Ref<_Quillomet> other;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID__Quillomet, other.put_void()));
    Ref<IOleObject> otherOle;
    other->QueryInterface(IID_IOleObject, otherOle.put_void());
    ASSERT_HRESULT_SUCCEEDED(otherOle->SetClientSite(m_Site));
    Ref<IPersistStreamInit> persist;
    other->QueryInterface(IID_IPersistStreamInit, persist.put_void());
    ASSERT_HRESULT_SUCCEEDED(persist->InitNew());
    RECT place{10, 40, 126, 60};
    ASSERT_HRESULT_SUCCEEDED(
        otherOle->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_Site, 0, m_Window, &place));
    Pump();
    const HWND otherField = quillomet::testing::FieldOf(other.get());
    const auto fontOf = [](HWND field) { return SendMessageW(field, WM_GETFONT, 0, 0); };
    ASSERT_NE(0, fontOf(Field()));
    EXPECT_EQ(fontOf(Field()), fontOf(otherField));
    // Drawn by the host, the font is only read: still shared.
    ASSERT_NO_FATAL_FAILURE(DrawOffScreen([](HDC) {}));
    EXPECT_EQ(fontOf(Field()), fontOf(otherField));

    Ref<IFontDisp> fontDisp;
    m_Control->get_Font(fontDisp.put());
    Ref<IFont> font;
    fontDisp->QueryInterface(IID_IFont, font.put_void());
    ASSERT_NE(nullptr, font.get());
    const LRESULT shared = fontOf(otherField);
    font->put_Italic(TRUE);
    HFONT handle = nullptr;
    font->get_hFont(&handle);
    EXPECT_EQ(reinterpret_cast<LRESULT>(handle), fontOf(Field()));
    EXPECT_NE(shared, fontOf(Field()));
    EXPECT_EQ(shared, fontOf(otherField));
    Ref<IFontDisp> otherDisp;
    other->get_Font(otherDisp.put());
    Ref<IFont> otherFont;
    otherDisp->QueryInterface(IID_IFont, otherFont.put_void());
    BOOL italic = TRUE;
    otherFont->get_Italic(&italic);
    EXPECT_FALSE(italic);

    otherOle->Close(OLECLOSE_NOSAVE);
    otherOle->SetClientSite(nullptr);
}

// A host that destroys the field's window itself (its form first, say) leaves
// a control that hands out no dead handle and still holds its number.
TEST_F(SiteTest, FieldDestroyedByTheHostIsLetGo) {
    Place();
    const HWND field = Field();
    ASSERT_TRUE(IsWindow(field));
    DestroyWindow(field);
    LONG handle = -1;
    ASSERT_HRESULT_SUCCEEDED(m_Control->get_hwnd(&handle));
    const HWND now = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
    EXPECT_TRUE(!now || IsWindow(now)) << "a dead handle";
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = 42;
    ASSERT_HRESULT_SUCCEEDED(m_Control->put_value(value));
    VARIANT read;
    VariantInit(&read);
    ASSERT_HRESULT_SUCCEEDED(m_Control->get_value(&read));
    ASSERT_HRESULT_SUCCEEDED(VariantChangeType(&read, &read, 0, VT_R8));
    EXPECT_EQ(42.0, V_R8(&read));
}

// A host that destroys its form under the placed control, as designers and
// multi-document hosts do when they rebuild a view: the number typed
// outlives the windows, and placed on the new form the control makes its
// windows again there.
TEST_F(SiteTest, ControlOutlivesItsFormAndShowsOnTheNextOne) {
    Place();
    SetFocus(Field());
    Pump();
    for (char c : std::string("42"))
        PostMessageW(Field(), WM_CHAR, static_cast<WPARAM>(c), 0);
    Pump();
    DestroyWindow(m_Window);
    Pump();
    const auto number = [&] {
        VARIANT read;
        VariantInit(&read);
        EXPECT_HRESULT_SUCCEEDED(m_Control->get_value(&read));
        EXPECT_HRESULT_SUCCEEDED(VariantChangeType(&read, &read, 0, VT_R8));
        return V_R8(&read);
    };
    EXPECT_EQ(42.0, number());

    m_Window = CreateWindowExW(0, L"STATIC", L"Quillomet's next form",
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 60, 60, 400, 200,
                               nullptr, nullptr, nullptr, nullptr);
    Site* const before = std::exchange(m_Site, new Site(m_Window));
    ASSERT_HRESULT_SUCCEEDED(m_Ole->SetClientSite(m_Site));
    ASSERT_HRESULT_SUCCEEDED(
        m_Ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_Site, 0, m_Window, &m_Site->m_Position));
    Pump();
    delete before;
    ASSERT_NE(nullptr, Field());
    EXPECT_EQ(m_Window, GetParent(ControlWindow()));
    EXPECT_TRUE(IsWindowVisible(Field()));
    EXPECT_EQ(L"42.00", FieldText());
    EXPECT_EQ(42.0, number());
}

// Drawing into a host's DC gives the DC back as it was; a handle that is no
// DC is refused.
TEST_F(SiteTest, DrawLeavesTheHostsDcAsItWasAndRefusesOtherHandles) {
    Place();
    Ref<IViewObject2> view;
    m_Control->QueryInterface(IID_IViewObject2, view.put_void());
    RECTL bounds{0, 0, 120, 24};
    const unique_hbrush brush(CreateSolidBrush(RGB(1, 2, 3)));
    const HDC notDcs[] = {reinterpret_cast<HDC>(m_Window), reinterpret_cast<HDC>(brush.get()),
                          reinterpret_cast<HDC>(static_cast<INT_PTR>(0x1234))};
    for (const HDC handle : notDcs)
        EXPECT_EQ(E_INVALIDARG, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, handle,
                                           &bounds, nullptr, nullptr, 0));

    const unique_hdc memory(CreateCompatibleDC(unique_window_dc(nullptr).get()));
    const unique_hbitmap bitmap(CreateCompatibleBitmap(unique_window_dc(nullptr).get(), 120, 24));
    const unique_select_object selected(memory.get(), bitmap.get());
    const unique_select_object brushed(memory.get(), brush.get());
    SetTextColor(memory.get(), RGB(10, 20, 30));
    SetBkColor(memory.get(), RGB(40, 50, 60));
    SetBkMode(memory.get(), OPAQUE);
    SetTextAlign(memory.get(), TA_BASELINE);
    const HGDIOBJ font = GetCurrentObject(memory.get(), OBJ_FONT);
    ASSERT_HRESULT_SUCCEEDED(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                        memory.get(), &bounds, nullptr, nullptr, 0));
    EXPECT_EQ(RGB(10, 20, 30), GetTextColor(memory.get()));
    EXPECT_EQ(RGB(40, 50, 60), GetBkColor(memory.get()));
    EXPECT_EQ(OPAQUE, GetBkMode(memory.get()));
    EXPECT_EQ(static_cast<UINT>(TA_BASELINE), GetTextAlign(memory.get()));
    EXPECT_EQ(font, GetCurrentObject(memory.get(), OBJ_FONT));
    EXPECT_EQ(brush.get(), GetCurrentObject(memory.get(), OBJ_BRUSH));
}

// Drawn by a container that prints or shows a design view, placed or not:
// an unplaced control draws from its field, which has no window yet.
TEST_F(SiteTest, DrawPaintsTheDisplayForm) {
    for (const bool placed : {false, true}) {
        SCOPED_TRACE(placed ? "placed" : "not placed");
        if (placed)
            Place();
        const int windows = quillomet::testing::ThreadWindows();
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_I4;
        V_I4(&value) = placed ? 888888 : 777777;
        m_Control->put_value(value);
        ASSERT_NO_FATAL_FAILURE(DrawOffScreen([&](HDC memory) {
            const COLORREF background = GetPixel(memory, 1, 1);
            int inked = 0;
            for (int x = 0; x < 120; ++x)
                for (int y = 0; y < 24; ++y)
                    inked += GetPixel(memory, x, y) != background;
            EXPECT_GT(inked, 20); // the digits were drawn
            EXPECT_EQ(windows, quillomet::testing::ThreadWindows()) << "drawing made no window";
        }));
        Ref<IViewObject2> view;
        m_Control->QueryInterface(IID_IViewObject2, view.put_void());
        SIZEL extent{};
        EXPECT_HRESULT_SUCCEEDED(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent));
        EXPECT_GT(extent.cx, 0);
    }
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "site_test");
}
