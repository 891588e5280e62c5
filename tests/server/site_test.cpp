// A container of our own in a real top-level window: it sets the client
// site first, initialises the control, activates it in place, and works it
// with real window messages. Runs under Wine with a display.
#include "test_main.h"
#include "test_site.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"
#include "win32com/unique_bstr.h"

#include <objsafe.h>

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
    EXPECT_EQ("OnInPlaceActivate", m_Site->m_Calls.back());

    ASSERT_HRESULT_SUCCEEDED(
        m_Ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, m_Site, 0, m_Window, &m_Site->m_Position));
    Pump();
    EXPECT_EQ(Field(), GetFocus());
    ASSERT_HRESULT_SUCCEEDED(m_InPlace->InPlaceDeactivate());
    EXPECT_FALSE(IsWindowVisible(ControlWindow()));
    EXPECT_NE(m_Window, GetParent(ControlWindow()));
    // The control reads the host's mode when sited and when initialised.
    const std::vector<std::string> expected = {
        "Ambient UserMode",  "Ambient UIDead",     "Ambient UserMode", "Ambient UIDead",
        "OnInPlaceActivate", "OnUIActivate",       "SetActiveObject",  "SetActiveObject(none)",
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
    FONTDESC description{};
    description.cbSizeofstruct = sizeof description;
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

// A report draws the control once per record, setting its value just
// before and running no message loop between: the picture shows the value
// set, placed or not, and drawing makes no window.
TEST_F(SiteTest, DrawShowsTheValueJustSet) {
    for (const bool placed : {false, true}) {
        SCOPED_TRACE(placed ? "placed" : "not placed");
        if (placed)
            Place();
        const int windows = quillomet::testing::ThreadWindows();
        std::vector<std::vector<COLORREF>> pictures;
        for (const LONG number : {777777, 888888}) {
            VARIANT value;
            VariantInit(&value);
            V_VT(&value) = VT_I4;
            V_I4(&value) = number;
            m_Control->put_value(value);
            ASSERT_NO_FATAL_FAILURE(DrawOffScreen([&](HDC memory) {
                std::vector<COLORREF>& pixels = pictures.emplace_back();
                for (int y = 0; y < 24; ++y)
                    for (int x = 0; x < 120; ++x)
                        pixels.push_back(GetPixel(memory, x, y));
            }));
        }
        EXPECT_NE(pictures[0], pictures[1]);
        EXPECT_EQ(windows, quillomet::testing::ThreadWindows()) << "drawing made no window";
        Ref<IViewObject2> view;
        m_Control->QueryInterface(IID_IViewObject2, view.put_void());
        SIZEL extent{}, objectExtent{};
        EXPECT_HRESULT_SUCCEEDED(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent));
        m_Ole->GetExtent(DVASPECT_CONTENT, &objectExtent);
        EXPECT_EQ(objectExtent.cx, extent.cx);
        EXPECT_EQ(objectExtent.cy, extent.cy);
    }
}

// What a host may ask that the control does not draw is refused without a
// picture or a medium; what it renders is listed; a host that keeps the
// picture hears when it changes.
TEST_F(SiteTest, PictureRequestsAreCheckedAndChangesTold) {
    Place();
    Ref<IViewObject2> view;
    m_Control->QueryInterface(IID_IViewObject2, view.put_void());
    Ref<IDataObject> data;
    ASSERT_HRESULT_SUCCEEDED(m_Control->QueryInterface(IID_IDataObject, data.put_void()));
    const unique_hdc memory(CreateCompatibleDC(unique_window_dc(nullptr).get()));
    const RECTL bounds{0, 0, 120, 24}, empty{5, 5, 5, 30}, inverted{120, 24, 0, 0};
    DVTARGETDEVICE broken{};
    broken.tdSize = 2;
    const struct {
        DWORD aspect;
        HDC dc;
        const RECTL* bounds;
        DVTARGETDEVICE* device;
        HRESULT expected;
    } draws[] = {
        {DVASPECT_CONTENT, memory.get(), &bounds, nullptr, S_OK},
        {DVASPECT_DOCPRINT, memory.get(), &bounds, nullptr, S_OK},
        {DVASPECT_ICON, memory.get(), &bounds, nullptr, DV_E_DVASPECT},
        {DVASPECT_THUMBNAIL, memory.get(), &bounds, nullptr, DV_E_DVASPECT},
        {DVASPECT_CONTENT, nullptr, &bounds, nullptr, E_INVALIDARG},
        {DVASPECT_CONTENT, memory.get(), nullptr, nullptr, E_INVALIDARG},
        {DVASPECT_CONTENT, memory.get(), &empty, nullptr, E_INVALIDARG},
        {DVASPECT_CONTENT, memory.get(), &inverted, nullptr, E_INVALIDARG},
        {DVASPECT_CONTENT, memory.get(), &bounds, &broken, DV_E_DVTARGETDEVICE},
    };
    for (const auto& row : draws)
        EXPECT_EQ(row.expected, view->Draw(row.aspect, -1, nullptr, row.device, nullptr, row.dc,
                                           row.bounds, nullptr, nullptr, 0))
            << row.aspect << " " << row.expected;

    const struct {
        CLIPFORMAT format;
        DWORD aspect, tymed;
        HRESULT expected;
    } formats[] = {
        {CF_ENHMETAFILE, DVASPECT_CONTENT, TYMED_ENHMF, S_OK},
        {CF_METAFILEPICT, DVASPECT_CONTENT, TYMED_MFPICT, S_OK},
        {CF_TEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_FORMATETC},
        {CF_BITMAP, DVASPECT_CONTENT, TYMED_GDI, DV_E_FORMATETC},
        {CF_ENHMETAFILE, DVASPECT_ICON, TYMED_ENHMF, DV_E_DVASPECT},
        {CF_ENHMETAFILE, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_TYMED},
    };
    for (const auto& row : formats) {
        FORMATETC asked{row.format, nullptr, row.aspect, -1, row.tymed};
        STGMEDIUM medium{};
        EXPECT_EQ(row.expected, data->QueryGetData(&asked)) << row.format;
        EXPECT_EQ(row.expected, data->GetData(&asked, &medium)) << row.format;
        EXPECT_EQ(row.expected == S_OK ? row.tymed : DWORD{TYMED_NULL}, medium.tymed);
        ReleaseStgMedium(&medium);
    }
    // The old-style metafile says its size as the control keeps it.
    FORMATETC old{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
    STGMEDIUM medium{};
    ASSERT_EQ(S_OK, data->GetData(&old, &medium));
    const auto* picture = static_cast<const METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
    SIZEL extent{};
    m_Ole->GetExtent(DVASPECT_CONTENT, &extent);
    EXPECT_EQ(MM_ANISOTROPIC, picture->mm);
    EXPECT_EQ(extent.cx, picture->xExt);
    EXPECT_EQ(extent.cy, picture->yExt);
    GlobalUnlock(medium.hMetaFilePict);
    ReleaseStgMedium(&medium);

    Ref<IEnumFORMATETC> listed;
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, listed.put()));
    FORMATETC each[3]{};
    ULONG count = 0;
    EXPECT_EQ(S_FALSE, listed->Next(3, each, &count));
    ASSERT_EQ(2u, count);
    EXPECT_EQ(CF_ENHMETAFILE, each[0].cfFormat);
    EXPECT_EQ(CF_METAFILEPICT, each[1].cfFormat);
    Ref<IDataObject> clipboard;
    EXPECT_EQ(S_OK, m_Ole->GetClipboardData(0, clipboard.put()));
    EXPECT_NE(nullptr, clipboard.get());

    // A change of what the control shows reaches both kinds of advise.
    struct Sink final : IAdviseSink {
        int views = 0, data = 0;
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
            *object = iid == IID_IUnknown || iid == IID_IAdviseSink ? this : nullptr;
            return *object ? S_OK : E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return 2; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
        STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override { ++data; }
        STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override { ++views; }
        STDMETHODIMP_(void) OnRename(IMoniker*) override {}
        STDMETHODIMP_(void) OnSave() override {}
        STDMETHODIMP_(void) OnClose() override {}
    } sink;
    ASSERT_EQ(S_OK, view->SetAdvise(DVASPECT_CONTENT, 0, &sink));
    FORMATETC enhanced{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
    DWORD connection = 0;
    IEnumSTATDATA* advised = reinterpret_cast<IEnumSTATDATA*>(1);
    EXPECT_EQ(S_OK, data->EnumDAdvise(&advised)); // supported, with nobody advised yet
    EXPECT_EQ(nullptr, advised);
    ASSERT_EQ(S_OK, data->DAdvise(&enhanced, ADVF_NODATA, &sink, &connection));
    m_Control->put_Locked(VARIANT_TRUE);
    EXPECT_EQ(1, sink.views);
    EXPECT_EQ(1, sink.data);
    EXPECT_EQ(S_OK, data->DUnadvise(connection));
    view->SetAdvise(DVASPECT_CONTENT, 0, nullptr);
}

// A designer's site says UserMode false from the start: the control is
// designed whichever of its first calls reads the host's mode (the site
// set, a new or loaded instance, a site handed over with a verb), and its
// default verb then activates nothing.
TEST_F(SiteTest, ADesignersControlIsDesignedFromItsFirstCalls) {
    Ref<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(
        m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void()));
    Ref<IStream> saved;
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, saved.put()));
    {
        Ref<IPersistStreamInit> persist;
        m_Control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        ASSERT_HRESULT_SUCCEEDED(persist->InitNew());
        ASSERT_HRESULT_SUCCEEDED(persist->Save(saved.get(), TRUE));
    }
    enum class Way { SiteAfterInitNew, InitNewAfterSite, LoadAfterSite, SiteWithTheVerb };
    const struct {
        const char* name;
        Way way;
    } rows[] = {
        {"site set after InitNew", Way::SiteAfterInitNew},
        {"InitNew after the site", Way::InitNewAfterSite},
        {"Load after the site", Way::LoadAfterSite},
        {"site handed over with a verb", Way::SiteWithTheVerb},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Ref<IOleObject> ole;
        ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IOleObject, ole.put_void()));
        Ref<IPersistStreamInit> persist;
        ole->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        // The host's mode turns to designing just before the call that must
        // read it, and is not announced.
        m_Site->m_UserMode = true;
        if (row.way == Way::InitNewAfterSite || row.way == Way::LoadAfterSite)
            ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(m_Site));
        else
            ASSERT_HRESULT_SUCCEEDED(persist->InitNew());
        m_Site->m_UserMode = false;
        switch (row.way) {
        case Way::SiteAfterInitNew:
            ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(m_Site));
            break;
        case Way::InitNewAfterSite:
            ASSERT_HRESULT_SUCCEEDED(persist->InitNew());
            break;
        case Way::LoadAfterSite: {
            const LARGE_INTEGER start{};
            saved->Seek(start, STREAM_SEEK_SET, nullptr);
            ASSERT_HRESULT_SUCCEEDED(persist->Load(saved.get()));
            break;
        }
        case Way::SiteWithTheVerb:
            break;
        }
        EXPECT_EQ(OLEOBJ_S_CANNOT_DOVERB_NOW,
                  ole->DoVerb(OLEIVERB_PRIMARY, nullptr, m_Site, 0, m_Window, &m_Site->m_Position));
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
    }
    m_Site->m_UserMode = true;
}

// What a property browser asks beside the type library: the font and the
// system colours in words, and Format's pictures, each with an example.
TEST_F(SiteTest, PerPropertyBrowsing) {
    Ref<IPerPropertyBrowsing> browsing;
    ASSERT_HRESULT_SUCCEEDED(
        m_Control->QueryInterface(IID_IPerPropertyBrowsing, browsing.put_void()));
    const auto dispid = [&](const wchar_t* name) {
        LPOLESTR names = const_cast<LPOLESTR>(name);
        DISPID id = DISPID_UNKNOWN;
        EXPECT_HRESULT_SUCCEEDED(m_Control->GetIDsOfNames(IID_NULL, &names, 1, 0, &id));
        return id;
    };
    // 9 points are whole pixels at 96 per inch, so the size stays as set.
    FONTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.lpstrName = const_cast<LPOLESTR>(L"Tahoma");
    description.cySize.int64 = 90000;
    description.sWeight = FW_BOLD;
    description.sCharset = ANSI_CHARSET;
    description.fItalic = TRUE;
    Ref<IFontDisp> font;
    ASSERT_HRESULT_SUCCEEDED(OleCreateFontIndirect(&description, IID_IFontDisp, font.put_void()));
    ASSERT_HRESULT_SUCCEEDED(m_Control->putref_Font(font.get()));
    ASSERT_HRESULT_SUCCEEDED(m_Control->put_BackColor(static_cast<OLE_COLOR>(0x80000005)));
    ASSERT_HRESULT_SUCCEEDED(m_Control->put_ForeColor(0x00FF00));
    Ref<IFontDisp> held;
    ASSERT_HRESULT_SUCCEEDED(m_Control->get_Font(held.put()));
    unique_bstr face;
    ASSERT_HRESULT_SUCCEEDED(held.try_as<IFont>()->get_Name(face.put()));
    const std::wstring fontShown = std::wstring(face.get()) + L", 9 pt, bold, italic";
    const struct {
        const wchar_t* property;
        const wchar_t* shown; // null: E_NOTIMPL
    } rows[] = {
        {L"Font", fontShown.c_str()},
        {L"BackColor", L"Window Background"},
        {L"ForeColor", nullptr}, // no name for a colour of its own
        {L"Format", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.property)));
        unique_bstr shown;
        const HRESULT hr = browsing->GetDisplayString(dispid(row.property), shown.put());
        EXPECT_EQ(row.shown ? S_OK : E_NOTIMPL, hr);
        EXPECT_STREQ(row.shown, shown.get()); // both null for E_NOTIMPL
        CLSID page = CLSID_Quillomet;
        EXPECT_EQ(PERPROP_E_NOPAGEAVAILABLE,
                  browsing->MapPropertyToPage(dispid(row.property), &page));
        EXPECT_EQ(CLSID_NULL, page);
    }

    // Format's pictures; the one picked is the picture alone.
    const DISPID format = dispid(L"Format");
    CALPOLESTR strings{};
    CADWORD cookies{};
    ASSERT_EQ(S_OK, browsing->GetPredefinedStrings(format, &strings, &cookies));
    ASSERT_EQ(strings.cElems, cookies.cElems);
    ASSERT_GE(strings.cElems, 3u);
    EXPECT_STREQ(L"1,234 (#,##0)", strings.pElems[2]);
    VARIANT picked;
    VariantInit(&picked);
    EXPECT_EQ(S_OK, browsing->GetPredefinedValue(format, cookies.pElems[2], &picked));
    EXPECT_EQ(VT_BSTR, V_VT(&picked));
    EXPECT_STREQ(L"#,##0", V_VT(&picked) == VT_BSTR ? V_BSTR(&picked) : nullptr);
    VariantClear(&picked);
    for (ULONG i = 0; i < strings.cElems; ++i)
        CoTaskMemFree(strings.pElems[i]);
    CoTaskMemFree(strings.pElems);
    CoTaskMemFree(cookies.pElems);
    EXPECT_EQ(E_INVALIDARG, browsing->GetPredefinedValue(format, 1000, &picked));
    EXPECT_EQ(E_NOTIMPL, browsing->GetPredefinedStrings(dispid(L"value"), &strings, &cookies));
}

// Loading is safe for untrusted data, through each loading interface on its
// own; no interface is safe for untrusted callers.
TEST_F(SiteTest, SafetyOptions) {
    Ref<IObjectSafety> safety;
    ASSERT_HRESULT_SUCCEEDED(m_Control->QueryInterface(IID_IObjectSafety, safety.put_void()));
    const DWORD data = INTERFACESAFE_FOR_UNTRUSTED_DATA;
    const DWORD caller = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
    const struct {
        const char* name;
        const IID& iid;
        HRESULT answer;
        DWORD supported;
    } rows[] = {
        {"IPersistPropertyBag", IID_IPersistPropertyBag, S_OK, data},
        {"IPersistStreamInit", IID_IPersistStreamInit, S_OK, data},
        {"IPersistStorage", IID_IPersistStorage, S_OK, data},
        {"IDispatch", IID_IDispatch, S_OK, 0},
        {"_Quillomet", IID__Quillomet, S_OK, 0},
        {"IOleObject", IID_IOleObject, S_OK, 0},
        {"IClassFactory", IID_IClassFactory, E_NOINTERFACE, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DWORD supported = 99, enabled = 99;
        EXPECT_EQ(row.answer, safety->GetInterfaceSafetyOptions(row.iid, &supported, &enabled));
        EXPECT_EQ(row.supported, supported);
        EXPECT_EQ(0u, enabled);
        const HRESULT refused = row.answer == S_OK ? E_FAIL : row.answer;
        EXPECT_EQ(refused, safety->SetInterfaceSafetyOptions(row.iid, caller, caller));
        EXPECT_EQ(row.supported ? S_OK : refused,
                  safety->SetInterfaceSafetyOptions(row.iid, data, data));
        safety->GetInterfaceSafetyOptions(row.iid, &supported, &enabled);
        EXPECT_EQ(row.supported, enabled);
        // Turning an option off is always accepted where the interface is.
        EXPECT_EQ(row.answer, safety->SetInterfaceSafetyOptions(row.iid, data | caller, 0));
        safety->GetInterfaceSafetyOptions(row.iid, &supported, &enabled);
        EXPECT_EQ(0u, enabled);
    }
    // Each loading interface keeps its own option.
    safety->SetInterfaceSafetyOptions(IID_IPersistStreamInit, data, data);
    DWORD supported = 0, enabled = 0;
    safety->GetInterfaceSafetyOptions(IID_IPersistPropertyBag, &supported, &enabled);
    EXPECT_EQ(0u, enabled);
    safety->GetInterfaceSafetyOptions(IID_IPersistStreamInit, &supported, &enabled);
    EXPECT_EQ(data, enabled);
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "site_test");
}
