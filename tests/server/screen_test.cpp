// The control on a form, worked with real window messages in a strict
// container of our own: every call the control makes on the container
// that a test did not allow for is reported. Runs under Wine with a display.
#include "screen_fixture.h"
#include "test_main.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"
#include "win32com/unique_bstr.h"
#include "win32com/unique_variant.h"

#include <oleacc.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace {

using quillomet::com::unique_bstr;
using quillomet::com::unique_hbitmap;
using quillomet::com::unique_hbrush;
using quillomet::com::unique_hdc;
using quillomet::com::unique_select_object;
using quillomet::com::unique_variant;
using quillomet::com::unique_window_dc;
using quillomet::testing::Allowed;
using quillomet::testing::Calculator;
using quillomet::testing::CalculatorButton;
using quillomet::testing::CalculatorKey;
using quillomet::testing::CalculatorKeys;
using quillomet::testing::CloseMessage;
using quillomet::testing::EventCounter;
using quillomet::testing::g_MessageText;
using quillomet::testing::g_OcxPath;
using quillomet::testing::NotifySink;
using quillomet::testing::Pump;
using quillomet::testing::Readout;
using quillomet::testing::Ref;
using quillomet::testing::ScreenTest;
using quillomet::testing::Site;
using quillomet::testing::ThreadWindows;

// Focus in: plain form, selected, drawn from the left; focus out: display
// form, drawn against the right edge.
TEST_F(ScreenTest, FocusSwitchesFormAndAlignment) {
    SetValue(-1234.5);
    const int changes = m_Sink.Count(1);
    EXPECT_EQ(L"(1,234.50)", Text());
    EXPECT_GT(FirstCharacterX(), FieldWidth() / 3);
    SetFocus(Field());
    Pump();
    EXPECT_EQ(L"-1234.50", Text());
    EXPECT_LT(FirstCharacterX(), 8);
    DWORD start = 0, end = 0;
    SendMessageW(Field(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(8u, end);
    SetFocus(m_Next);
    Pump();
    EXPECT_EQ(L"(1,234.50)", Text());
    EXPECT_GT(FirstCharacterX(), FieldWidth() / 3);
    EXPECT_EQ(changes, m_Sink.Count(1)); // moving between the forms raises no Change
}

// Focus that skips the plain form (the drop button's) leaves an empty field
// right-aligned: its caret stands at the right edge, as its text would.
TEST_F(ScreenTest, EmptyFieldFocusedAsItIsShowsItsCaretAtTheRight) {
    ASSERT_EQ(L"", Text());
    m_Control->put_SkipFocus(VARIANT_TRUE);
    SetFocus(Field());
    Pump();
    ASSERT_EQ(Field(), GetFocus());
    POINT caret{};
    GetCaretPos(&caret);
    EXPECT_GT(caret.x, FieldWidth() * 3 / 4);
    SetFocus(m_Next);
    Pump();
}

// The control's window does not clip its children: its background must
// keep off the field and the spinner itself, or they would flicker on
// every repaint. Erased into a marked bitmap, only the rest is painted.
TEST_F(ScreenTest, BackgroundKeepsOffTheFieldAndTheSpinner) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    Pump();
    const HWND control = GetParent(Field());
    const HWND spinner = FindWindowExW(control, nullptr, L"msctls_updown32", nullptr);
    ASSERT_TRUE(spinner);
    RECT client{};
    GetClientRect(control, &client);
    const unique_hdc memory(CreateCompatibleDC(unique_window_dc(nullptr).get()));
    const unique_hbitmap bitmap(
        CreateCompatibleBitmap(unique_window_dc(nullptr).get(), client.right, client.bottom));
    const unique_select_object selected(memory.get(), bitmap.get());
    constexpr COLORREF Marker = RGB(1, 2, 3);
    FillRect(memory.get(), &client, unique_hbrush(CreateSolidBrush(Marker)).get());
    SendMessageW(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.get()), 0);
    const auto centreOf = [control](HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&r), 2);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    const POINT field = centreOf(Field());
    const POINT spin = centreOf(spinner);
    EXPECT_EQ(Marker, GetPixel(memory.get(), field.x, field.y)) << "the field was painted over";
    EXPECT_EQ(Marker, GetPixel(memory.get(), spin.x, spin.y)) << "the spinner was painted over";
    // The drop button's square is the control's own to paint.
    EXPECT_EQ(GetSysColor(COLOR_WINDOW),
              GetPixel(memory.get(), client.right - 2, client.bottom / 2));
}

// Stacking is also tab order: a control taken out of place and put back
// returns between the same neighbours.
TEST_F(ScreenTest, ReactivatedControlKeepsItsPlaceAmongItsSiblings) {
    const HWND control = GetParent(Field());
    ASSERT_EQ(m_Next, GetWindow(control, GW_HWNDPREV));
    const HWND after = CreateWindowExW(0, L"EDIT", L"after", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10,
                                       100, 100, 22, m_Form, nullptr, nullptr, nullptr);
    ASSERT_EQ(after, GetWindow(control, GW_HWNDNEXT));
    Ref<IOleInPlaceObject> inPlace;
    m_Control->QueryInterface(IID_IOleInPlaceObject, inPlace.put_void());
    ASSERT_HRESULT_SUCCEEDED(inPlace->InPlaceDeactivate());
    ASSERT_NE(m_Form, GetParent(control));
    ASSERT_HRESULT_SUCCEEDED(
        m_Ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_Site, 0, m_Form, &m_Site->m_Position));
    Pump();
    EXPECT_EQ(m_Form, GetParent(control));
    EXPECT_EQ(m_Next, GetWindow(control, GW_HWNDPREV));
    EXPECT_EQ(after, GetWindow(control, GW_HWNDNEXT));
    DestroyWindow(after);
}

TEST_F(ScreenTest, TypingGoesThroughTheFilter) {
    m_Sink.m_VetoKey = '7';
    SetFocus(Field());
    Pump();
    Type("12a,3-7.5.6");
    EXPECT_EQ(L"123.56", Text()); // letters, ",", a late "-", the vetoed 7, a second "." kept out
    Type("9999");
    EXPECT_EQ(L"123.569999", Text()); // the limit: ten characters
    Type("1");
    EXPECT_EQ(L"123.569999", Text());
    SetFocus(m_Next);
    Pump();
    EXPECT_EQ(L"123.56", Text());
    EXPECT_EQ(123.56, Value());
}

TEST_F(ScreenTest, ClipboardKeysActOnTheWholeText) {
    SetValue(1234.5);
    SetFocus(Field());
    Pump();
    SendMessageW(Field(), EM_SETSEL, 1, 2);
    Chord(VK_CONTROL, 'C');
    EXPECT_EQ(L"1234.50", Clipboard());
    SetClipboard(L"(42)");
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(L"-42.00", Text());
    SetClipboard(L"7");
    Chord(VK_SHIFT, VK_INSERT);
    EXPECT_EQ(L"7.00", Text());
    Chord(VK_SHIFT, VK_DELETE);
    EXPECT_EQ(L"", Text());
    EXPECT_EQ(L"7.00", Clipboard());
    SetClipboard(L"5");
    SendMessageW(Field(), WM_PASTE, 0, 0);
    EXPECT_EQ(L"5.00", Text());
    Chord(VK_CONTROL, 'X');
    EXPECT_EQ(L"", Text());
}

TEST_F(ScreenTest, LockedFieldKeepsItsTextAndColours) {
    m_Control->put_BackColor(0x000000FF);
    m_Control->put_Locked(VARIANT_TRUE);
    SetValue(5);
    SetFocus(Field());
    Pump();
    Type("9");
    EXPECT_EQ(L"5.00", Text());
    // A read-only field asks its parent for colours as a static one does.
    const unique_window_dc dc(Field());
    SendMessageW(GetParent(Field()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                 reinterpret_cast<LPARAM>(Field()));
    EXPECT_EQ(RGB(255, 0, 0), GetBkColor(dc.get()));
    SetClipboard(L"8");
    Chord(VK_CONTROL, 'V'); // the lock is for typing only
    EXPECT_EQ(L"8.00", Text());
}

TEST_F(ScreenTest, ArrowKeysStepTheValue) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    m_Control->put_UpDownIncrement(5);
    SetValue(7);
    SetFocus(Field());
    Pump();
    Key(VK_UP);
    EXPECT_EQ(10, Value());
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(0, Value());
    EXPECT_EQ(L"0.00", Text()); // re-selected in its plain form
}

// Page Up and Page Down step ten increments; Alt with the arrows never steps.
TEST_F(ScreenTest, PageKeysStepTenIncrements) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    m_Control->put_Calculator(VARIANT_FALSE);
    m_Control->put_UpDownIncrement(5);
    SetValue(7);
    SetFocus(Field());
    Pump();
    Key(VK_PRIOR);
    EXPECT_EQ(55, Value());
    EXPECT_EQ(L"55.00", Text()); // re-selected in its plain form
    Key(VK_NEXT);
    Key(VK_NEXT);
    EXPECT_EQ(-45, Value());
    AltKey(VK_UP);
    AltKey(VK_DOWN);
    EXPECT_EQ(-45, Value());
}

// The wheel steps only the focused field, and only while the pointer is over
// the control: elsewhere it is the form's, to scroll.
TEST_F(ScreenTest, WheelStepsTheFocusedFieldOnly) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    SetValue(10);
    SetFocus(m_Next);
    Pump();
    // As a system that sends the wheel to the window under the pointer does.
    RECT control{};
    GetWindowRect(GetParent(Field()), &control);
    SendMessageW(
        Field(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
        MAKELPARAM((control.left + control.right) / 2, (control.top + control.bottom) / 2));
    Pump();
    EXPECT_EQ(10, Value()); // no focus: the turn is not the field's
    SetFocus(Field());
    Pump();
    const int keyDowns = m_Sink.Count(4);
    Wheel(GetParent(Field()), WHEEL_DELTA);
    EXPECT_EQ(11, Value());
    Wheel(GetParent(Field()), -2 * WHEEL_DELTA);
    EXPECT_EQ(9, Value());
    Wheel(GetParent(Field()), WHEEL_DELTA / 2);
    Wheel(GetParent(Field()), WHEEL_DELTA / 2);
    EXPECT_EQ(10, Value());
    Wheel(m_Next, WHEEL_DELTA); // the pointer elsewhere
    EXPECT_EQ(10, Value());
    EXPECT_EQ(keyDowns, m_Sink.Count(4)); // the wheel is no key
}

// A layout with a decimal comma types "," with the keypad's decimal key: the
// field takes a point.
TEST_F(ScreenTest, KeypadDecimalKeyTypesAPointOnACommaLayout) {
    SetFocus(Field());
    Pump();
    Type("12");
    SendMessageW(Field(), WM_KEYDOWN, VK_DECIMAL, 0);
    SendMessageW(Field(), WM_CHAR, L',', 0);
    SendMessageW(Field(), WM_KEYUP, VK_DECIMAL, 0);
    Type("5,");
    EXPECT_EQ(L"12.5", Text());
}

// F4 and Alt+Down open the calculator, F4 and Alt+Up close it again, and
// the host hears the Alt keys with Alt in the shift state.
TEST_F(ScreenTest, DropDownKeysOpenAndCloseTheCalculator) {
    m_Control->put_Calculator(VARIANT_TRUE);
    SetValue(5);
    SetFocus(Field());
    Pump();
    Key(VK_F4);
    ASSERT_NE(nullptr, Calculator());
    EXPECT_EQ(Calculator(), GetActiveWindow());
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_F4, 0);
    RunUntil([] { return Calculator() == nullptr; }, 2000);
    EXPECT_EQ(nullptr, Calculator());
    VARIANT_BOOL focused = VARIANT_FALSE;
    m_Control->get_GotFocus(&focused);
    EXPECT_EQ(VARIANT_TRUE, focused); // highlighted again
    // This form has no dialog manager to put the focus back where it was
    // when it is active again; a host's form does.
    SetFocus(Field());
    Pump();

    m_Sink.m_Events.clear();
    m_Sink.m_Arguments.clear();
    AltKey(VK_DOWN);
    ASSERT_NE(nullptr, Calculator());
    ASSERT_EQ(4, m_Sink.m_Events.front()); // KeyDown first, with Alt
    EXPECT_EQ(VK_DOWN, V_I2(&m_Sink.m_Arguments.front()[0]));
    EXPECT_EQ(4, V_I2(&m_Sink.m_Arguments.front()[1]));
    AltKey(VK_UP); // to the calculator, which has the focus
    RunUntil([] { return Calculator() == nullptr; }, 2000);
    EXPECT_EQ(nullptr, Calculator());
    EXPECT_EQ(5, Value()); // the Alt arrows stepped nothing

    // Posted by a program, the keys carry their Alt in the message alone:
    // the keyboard's state has none.
    SetFocus(Field());
    Pump();
    constexpr LPARAM withAlt = 1 | (1 << 29);
    PostMessageW(Field(), WM_SYSKEYDOWN, VK_DOWN, withAlt);
    Pump();
    ASSERT_NE(nullptr, Calculator());
    PostMessageW(GetFocus(), WM_SYSKEYDOWN, VK_UP, withAlt);
    RunUntil([] { return Calculator() == nullptr; }, 2000);
    EXPECT_EQ(nullptr, Calculator());
    EXPECT_EQ(5, Value());
}

// Input queued faster than it is handled (a held key, a fast wheel, a
// script or a screen reader posting its actions) is taken one message at a
// time: each returns before the next is taken, so the host's handlers run
// at one depth of the stack however many wait, and each message acts once.
// (Run inside one another, 2,000 to 3,000 of them overflowed the stack.)
TEST_F(ScreenTest, FloodsOfQueuedInputAreTakenOneAtATime) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    m_Control->put_Calculator(VARIANT_TRUE);
    m_Control->put_UpDownIncrement(1);
    RECT control{};
    GetWindowRect(GetParent(Field()), &control);
    const LPARAM over =
        MAKELPARAM((control.left + control.right) / 2, (control.top + control.bottom) / 2);
    Ref<IAccessible> object;
    ASSERT_HRESULT_SUCCEEDED(AccessibleObjectFromWindow(GetParent(Field()), OBJID_CLIENT,
                                                        IID_IAccessible, object.put_void()));
    VARIANT dropButton;
    VariantInit(&dropButton);
    V_VT(&dropButton) = VT_I4;
    V_I4(&dropButton) = 4; // after the field and the spinner's halves
    const auto key = [&](UINT code) {
        PostMessageW(Field(), WM_KEYDOWN, code, 1);
        PostMessageW(Field(), WM_KEYUP, code, 0xC0000001);
    };
    // An opening costs a window: fewer of them, an even number, so that
    // the calculator is closed again at the end.
    constexpr int Steps = 300, Openings = 60;
    struct Flood {
        const char* name;
        int count;
        std::function<void()> post;
        double step;
    };
    const Flood floods[] = {
        {"wheel", Steps,
         [&] { PostMessageW(Field(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), over); }, 1},
        {"Up", Steps, [&] { key(VK_UP); }, 1},
        {"Page Up", Steps, [&] { key(VK_PRIOR); }, 10},
        {"F4", Openings, [&] { PostMessageW(Field(), WM_KEYDOWN, VK_F4, 1); }, 0},
        {"Alt+Down", Openings,
         [&] { PostMessageW(Field(), WM_SYSKEYDOWN, VK_DOWN, 1 | (1 << 29)); }, 0},
        {"the drop button's default action", Openings,
         [&] { object->accDoDefaultAction(dropButton); }, 0},
    };
    for (const Flood& flood : floods) {
        SCOPED_TRACE(flood.name);
        SetValue(0);
        SetFocus(Field());
        Pump();
        m_Sink.m_StackLow = UINTPTR_MAX;
        m_Sink.m_StackHigh = 0;
        for (int i = 0; i < flood.count; ++i)
            flood.post();
        Pump();
        EXPECT_EQ(flood.count * flood.step, Value());
        EXPECT_EQ(nullptr, Calculator());
        EXPECT_LT(m_Sink.m_StackHigh - m_Sink.m_StackLow, 16u * 1024)
            << "the handlers ran inside one another";
    }
}

// Moved to a screen of twice the resolution, the calculator lays itself out
// in that screen's pixels: its keys and their lettering twice the size, its
// window where the system proposed. Wine 8 never sends the message: it is
// sent here as such a system sends it.
TEST_F(ScreenTest, CalculatorFollowsAResolutionChange) {
    m_Control->ShowCalculator();
    Pump();
    ASSERT_NE(nullptr, Calculator());
    const HWND seven = quillomet::testing::CalculatorButton(L"7");
    const auto fontHeight = [&] {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(seven, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        return font.lfHeight;
    };
    RECT key{}, frame{};
    GetWindowRect(seven, &key);
    GetWindowRect(Calculator(), &frame);
    const LONG height = fontHeight();
    const int dpi = GetDeviceCaps(unique_window_dc(nullptr).get(), LOGPIXELSY);
    RECT suggested{frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                   frame.top + 2 * (frame.bottom - frame.top)};
    SendMessageW(Calculator(), WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT keyAfter{}, frameAfter{};
    GetWindowRect(seven, &keyAfter);
    GetWindowRect(Calculator(), &frameAfter);
    EXPECT_NEAR(2 * (key.right - key.left), keyAfter.right - keyAfter.left, 1);
    EXPECT_NEAR(2 * (key.bottom - key.top), keyAfter.bottom - keyAfter.top, 1);
    EXPECT_NEAR(2 * height, fontHeight(), 1);
    EXPECT_EQ(suggested.right - suggested.left, frameAfter.right - frameAfter.left);
    EXPECT_NE(nullptr, Calculator()); // still open
    m_Control->HideCalculator();
}

// The calculator's buttons are reached by Tab and Shift+Tab, as in a dialog,
// and moving among them keeps it open.
TEST_F(ScreenTest, CalculatorButtonsAreReachedByTab) {
    m_Control->ShowCalculator();
    Pump();
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    Pump();
    const HWND first = GetFocus();
    ASSERT_TRUE(IsChild(Calculator(), first));
    SendMessageW(first, WM_KEYDOWN, VK_TAB, 0);
    Pump();
    const HWND second = GetFocus();
    EXPECT_NE(first, second);
    EXPECT_TRUE(IsChild(Calculator(), second));
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    SendMessageW(second, WM_KEYDOWN, VK_TAB, 0);
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
    Pump();
    EXPECT_EQ(first, GetFocus());
    EXPECT_NE(nullptr, Calculator());
    // Space presses the key that has the focus.
    const HWND seven = quillomet::testing::CalculatorButton(L"7");
    SetFocus(seven);
    SendMessageW(seven, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(seven, WM_KEYUP, VK_SPACE, 0);
    Pump();
    EXPECT_EQ(L"7.", Readout());
    EXPECT_NE(nullptr, Calculator());
    m_Control->HideCalculator();
}

// Held on its upper half, the spinner steps at once, again after 700 ms,
// then every 50 ms, and stops at the maximum.
// Forms are usually filled while hidden and shown afterwards: the field
// and the spinner must be in place once the form appears.
TEST_F(ScreenTest, ControlPlacedOnAHiddenFormIsCompleteWhenShown) {
    HWND form = CreateWindowExW(0, L"STATIC", L"hidden form", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                60, 60, 300, 120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(form);
    Site* site = new Site(form);
    site->m_Position = {10, 10, 10 + 160, 10 + 22};
    Ref<_Quillomet> control;
    Ref<IOleObject> ole;
    ASSERT_NO_FATAL_FAILURE(NewControl(site, control, ole));
    control->put_UpDownFunction(VARIANT_TRUE);
    ASSERT_HRESULT_SUCCEEDED(
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, form, &site->m_Position));
    Pump();

    ShowWindow(form, SW_SHOW);
    UpdateWindow(form);
    Pump();
    LONG handle = 0;
    control->get_hwnd(&handle);
    HWND field = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
    RECT fieldRect{}, controlRect{};
    GetWindowRect(field, &fieldRect);
    GetWindowRect(GetParent(field), &controlRect);
    EXPECT_GT(fieldRect.right - fieldRect.left, 80) << "the field has its width";
    EXPECT_EQ(controlRect.bottom - controlRect.top, fieldRect.bottom - fieldRect.top);
    EXPECT_NE(nullptr, reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0)));
    EXPECT_TRUE(FindWindowExW(GetParent(field), nullptr, L"msctls_updown32", nullptr))
        << "the spinner's window exists";

    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    delete site;
    DestroyWindow(form);
    Pump();
}

// A control makes its windows when it is placed, or earlier when its window
// is asked for; either way the field it shows carries every setting made
// before, and placing it raises no Change of its own.
TEST_F(ScreenTest, SettingsMadeBeforeTheWindowsExistReachTheField) {
    const auto fontHeight = [](HWND field) {
        LOGFONTW description{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0)),
                   sizeof description, &description);
        return std::abs(description.lfHeight);
    };
    for (const bool askedEarly : {false, true}) {
        SCOPED_TRACE(askedEarly ? "window asked for before placing" : "made in place");
        const int controlWindows = ThreadWindows(L"QuillometComposite");
        Site* site = new Site(m_Form);
        site->m_Position = {150, 10, 150 + 250, 10 + 26};
        Ref<_Quillomet> control;
        Ref<IOleObject> ole;
        ASSERT_NO_FATAL_FAILURE(NewControl(site, control, ole));
        EventCounter sink;
        Ref<IConnectionPointContainer> points;
        control->QueryInterface(IID_IConnectionPointContainer, points.put_void());
        Ref<IConnectionPoint> point;
        points->FindConnectionPoint(DIID___Quillomet, point.put());
        DWORD cookie = 0;
        point->Advise(&sink, &cookie);

        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_R8;
        V_R8(&value) = -1234.5;
        control->put_value(value);
        control->put_BackColor(0x000000FF);
        control->put_Locked(VARIANT_TRUE);
        control->put_Enabled(VARIANT_FALSE);
        Ref<IFontDisp> fontDisp;
        control->get_Font(fontDisp.put());
        Ref<IFont> font;
        fontDisp->QueryInterface(IID_IFont, font.put_void());
        CY size{};
        size.int64 = 120000; // 12 points
        font->put_Size(size);
        EXPECT_EQ(1, sink.Count(1)) << "the value's Change";
        EXPECT_EQ(controlWindows, ThreadWindows(L"QuillometComposite")) << "no window yet";
        LONG early = 0;
        if (askedEarly)
            control->get_hwnd(&early);

        ASSERT_HRESULT_SUCCEEDED(
            ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, m_Form, &site->m_Position));
        Pump();
        LONG handle = 0;
        control->get_hwnd(&handle);
        const HWND field = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
        if (askedEarly) {
            EXPECT_EQ(early, handle) << "hwnd never changes";
        }
        ASSERT_TRUE(IsWindowVisible(field));
        EXPECT_EQ(m_Form, GetParent(GetParent(field)));
        EXPECT_EQ(nullptr, GetWindow(GetParent(field), GW_HWNDNEXT))
            << "last among the form's windows, as a window made there now is";
        wchar_t text[64] = {};
        GetWindowTextW(field, text, 64);
        EXPECT_STREQ(L"(1,234.50)", text);
        RECT client{};
        GetClientRect(field, &client);
        EXPECT_GT(client.right, 80) << "the field has its width";
        EXPECT_GT(static_cast<short>(LOWORD(SendMessageW(field, EM_POSFROMCHAR, 0, 0))),
                  client.right / 3)
            << "drawn against the right edge";
        const LONG_PTR style = GetWindowLongPtrW(field, GWL_STYLE);
        EXPECT_TRUE(style & ES_READONLY);
        EXPECT_TRUE(style & WS_DISABLED);
        EXPECT_GT(fontHeight(field), fontHeight(Field()) + 3) << "the control's own font";
        {
            const unique_window_dc dc(field);
            SendMessageW(GetParent(field), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                         reinterpret_cast<LPARAM>(field));
            EXPECT_EQ(RGB(255, 0, 0), GetBkColor(dc.get()));
        }
        EXPECT_EQ(1, sink.Count(1)) << "placing raises no Change";

        point->Unadvise(cookie);
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        EXPECT_EQ(std::vector<std::string>{}, site->Unexpected(Allowed));
        delete site;
    }
}

TEST_F(ScreenTest, SpinnerRepeatsWhileHeld) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    VARIANT limit;
    VariantInit(&limit);
    V_VT(&limit) = VT_I4;
    V_I4(&limit) = 12;
    m_Control->put_MaxValue(limit);
    m_Control->put_UseMaxMinValues(VARIANT_TRUE);
    SetValue(0);
    HWND spinner = FindWindowExW(GetParent(Field()), nullptr, L"msctls_updown32", nullptr);
    ASSERT_NE(nullptr, spinner);
    using Clock = std::chrono::steady_clock;
    const auto pressed = Clock::now();
    SendMessageW(spinner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 2));
    EXPECT_EQ(1, Value()); // at once
    ASSERT_TRUE(RunUntil([&] { return Value() >= 2; }, 3000));
    const auto second = Clock::now();
    EXPECT_GE(second - pressed, std::chrono::milliseconds(650));
    ASSERT_TRUE(RunUntil([&] { return Value() >= 12; }, 5000));
    const auto twelfth = Clock::now();
    // Ten repeats at 50 ms; timers under load may run late, never early.
    EXPECT_GE(twelfth - second, std::chrono::milliseconds(10 * 45));
    RunUntil([] { return false; }, 300);
    EXPECT_EQ(12, Value()); // stopped at the limit
    SendMessageW(spinner, WM_LBUTTONUP, 0, MAKELPARAM(4, 2));
    Pump();
    EXPECT_EQ(0, m_Sink.Count(4)); // no KeyDown from the spinner's steps
    EXPECT_EQ(1, m_Sink.Count(9)); // MouseDown
    EXPECT_EQ(1, m_Sink.Count(8)); // MouseUp
}

TEST_F(ScreenTest, DisabledControlPassesTheFocusOn) {
    m_Control->put_Enabled(VARIANT_FALSE);
    SetFocus(GetParent(Field()));
    EXPECT_TRUE(RunUntil([&] { return GetFocus() == m_Next; }, 2000));
}

TEST_F(ScreenTest, MouseEventsCarryTheFieldsTwips) {
    const int dpiX = GetDeviceCaps(unique_window_dc(nullptr).get(), LOGPIXELSX);
    const int dpiY = GetDeviceCaps(unique_window_dc(nullptr).get(), LOGPIXELSY);
    SendMessageW(Field(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 6));
    SendMessageW(Field(), WM_LBUTTONUP, 0, MAKELPARAM(10, 6));
    Pump();
    ASSERT_GE(m_Sink.Count(9), 1);
    const auto it = std::find(m_Sink.m_Events.begin(), m_Sink.m_Events.end(), 9);
    const auto& arguments = m_Sink.m_Arguments[it - m_Sink.m_Events.begin()];
    ASSERT_EQ(4u, arguments.size());
    EXPECT_EQ(1, V_I2(&arguments[0]));
    EXPECT_FLOAT_EQ(10.0f * 1440 / static_cast<float>(dpiX), V_R4(&arguments[2]));
    EXPECT_FLOAT_EQ(6.0f * 1440 / static_cast<float>(dpiY), V_R4(&arguments[3]));
    EXPECT_EQ(1, m_Sink.Count(2)); // Click
}

// A change made later to the control's font object reaches the field.
TEST_F(ScreenTest, FieldFollowsItsFontObject) {
    Ref<IFontDisp> fontDisp;
    m_Control->get_Font(fontDisp.put());
    Ref<IFont> font;
    fontDisp->QueryInterface(IID_IFont, font.put_void());
    const auto height = [&] {
        LOGFONTW description{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Field(), WM_GETFONT, 0, 0)),
                   sizeof description, &description);
        return std::abs(description.lfHeight);
    };
    const LONG before = height();
    CY size{};
    size.int64 = 240000; // 24 points
    ASSERT_HRESULT_SUCCEEDED(font->put_Size(size));
    Pump();
    EXPECT_GT(height(), before + 10);
}

// A new font resets an edit field's margins: the field's alignment, which
// lives in its left margin, must survive it, focused or not.
TEST_F(ScreenTest, FontChangeKeepsTheAlignment) {
    SetValue(12.5);
    Ref<IFontDisp> fontDisp;
    m_Control->get_Font(fontDisp.put());
    Ref<IFont> font;
    fontDisp->QueryInterface(IID_IFont, font.put_void());
    const auto leftMargin = [&] {
        return static_cast<int>(LOWORD(SendMessageW(Field(), EM_GETMARGINS, 0, 0)));
    };
    CY size{};
    size.int64 = 140000; // 14 points
    ASSERT_HRESULT_SUCCEEDED(font->put_Size(size));
    Pump();
    EXPECT_GT(FirstCharacterX(), FieldWidth() / 3) << "display form against the right edge";
    SetFocus(Field());
    Pump();
    ASSERT_EQ(1, leftMargin());
    size.int64 = 100000; // 10 points
    ASSERT_HRESULT_SUCCEEDED(font->put_Size(size));
    Pump();
    EXPECT_EQ(1, leftMargin()) << "plain form drawn from the left";
    SetFocus(m_Next);
    Pump();
}

// The drop button is no window: the control's window hit-tests its square
// and passes the press on with the button's own coordinates.
TEST_F(ScreenTest, DropButtonIsHitTestedByTheControl) {
    const HWND control = GetParent(Field());
    RECT client{};
    GetClientRect(control, &client);
    const int x = client.right - 4, y = 6; // inside the square at the right edge
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    VARIANT_BOOL skip = VARIANT_FALSE;
    m_Control->get_SkipFocus(&skip);
    EXPECT_EQ(VARIANT_TRUE, skip);
    ASSERT_EQ(1, m_Sink.Count(9));
    const auto& arguments = m_Sink.m_Arguments.back();
    const int dpi = GetDeviceCaps(unique_window_dc(nullptr).get(), LOGPIXELSY);
    EXPECT_FLOAT_EQ(6.0f * 1440 / static_cast<float>(dpi),
                    V_R4(&arguments[3])); // the button's own y
    EXPECT_LT(V_R4(&arguments[2]),
              static_cast<float>(client.bottom) * 1440 / static_cast<float>(dpi));
    // The release opens the calculator.
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump();
    EXPECT_NE(nullptr, FindWindowW(L"QuillometCalculator", nullptr));
    m_Control->HideCalculator();
    Pump();
    EXPECT_EQ(nullptr, FindWindowW(L"QuillometCalculator", nullptr));
}

TEST_F(ScreenTest, TabStopComesFromTheExtender) {
    m_Site->m_Extender.m_TabStop = false;
    m_Control->put_Enabled(VARIANT_TRUE);
    EXPECT_EQ(0, GetWindowLongPtrW(Field(), GWL_STYLE) & WS_TABSTOP);
    m_Site->m_Extender.m_TabStop = true;
    m_Control->put_Enabled(VARIANT_TRUE);
    EXPECT_NE(0, GetWindowLongPtrW(Field(), GWL_STYLE) & WS_TABSTOP);
}

// --- The calculator ------------------------------------------------------

TEST_F(ScreenTest, CalculatorOpensBelowTheControl) {
    const HWND control = GetParent(Field());
    RECT below{};
    GetWindowRect(control, &below);
    ASSERT_HRESULT_SUCCEEDED(m_Control->ShowCalculator());
    Pump();
    ASSERT_NE(nullptr, Calculator());
    RECT calculator{};
    GetWindowRect(Calculator(), &calculator);
    const int dpiY = GetDeviceCaps(unique_window_dc(nullptr).get(), LOGPIXELSY);
    // One pixel left of the control; its top at the control's top plus its
    // height in twips.
    EXPECT_EQ(below.left - 1, calculator.left);
    EXPECT_NEAR(below.top + (below.bottom - below.top), calculator.top, 1);
    (void)dpiY;
    EXPECT_EQ(L"0.", Readout());
    EXPECT_TRUE(IsWindowVisible(Calculator()));
    EXPECT_EQ(Calculator(), GetActiveWindow());
    m_Control->HideCalculator();
}

TEST_F(ScreenTest, CalculatorKeysAndButtonsHandBack) {
    SetValue(0);
    const int before = m_Sink.Count(1);
    m_Control->ShowCalculator();
    Pump();
    for (UINT key : {UINT('1'), UINT('2'), UINT(VK_ADD), UINT('3'), UINT(187)})
        CalculatorKey(key);
    EXPECT_EQ(L"15", Readout());
    EXPECT_EQ(15, Value());
    EXPECT_EQ(before + 2, m_Sink.Count(1)); // for 12 and for 15
    CalculatorKey(187);                     // "=" again: nothing changes, no Change
    EXPECT_EQ(before + 2, m_Sink.Count(1));
    for (UINT key : {UINT(VK_NUMPAD9), UINT(VK_MULTIPLY), UINT('2'), UINT(VK_BACK), UINT('4'),
                     UINT(189), UINT(VK_DECIMAL), UINT('5'), UINT(VK_SUBTRACT)})
        CalculatorKey(key);
    EXPECT_EQ(L"35.5", Readout()); // 9 X 4 - .5, evaluated by the last "-"
    SendMessageW(CalculatorButton(L"%"), BM_CLICK, 0, 0);
    SendMessageW(CalculatorButton(L"CE"), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(L"0.", Readout());
    SendMessageW(CalculatorButton(L"C"), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(0, Value()); // C hands 0 back
    m_Control->HideCalculator();
}

// An operator that leaves the readout at the amount the control holds hands
// nothing back: no property change for Value and no Change. A digit past
// the fourth decimal is another amount.
TEST_F(ScreenTest, CalculatorHandsBackOnlyAnotherAmount) {
    const struct {
        const wchar_t* format;
        double opening;
        const char* keys;
        const char* lastKey;
        bool handedBack;
        double value;
        const wchar_t* readout;
    } rows[] = {
        {L"###,##0.00;(##,###.00)", -99.19, "", "+", false, -99.19, L"-99.19"},
        {L"0.0000000", 0, "6 BS 3 9 + 6 + 1 . BS . / 7 / 5 - CE .", "/", false, 1.2857143,
         L"1.2857"},
        {L"0.0000", 1.2345, "", "X", false, 1.2345, L"1.2345"},
        {L"0.00000", 0, ". 0 0 0 0 1", "+", true, 0.00001, L"0.00001"},
    };
    NotifySink notified;
    Ref<IConnectionPointContainer> points;
    m_Control->QueryInterface(IID_IConnectionPointContainer, points.put_void());
    Ref<IConnectionPoint> point;
    points->FindConnectionPoint(IID_IPropertyNotifySink, point.put());
    DWORD cookie = 0;
    ASSERT_HRESULT_SUCCEEDED(point->Advise(&notified, &cookie));
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << row.opening << " then " << row.keys << " " << row.lastKey);
        const unique_bstr format(SysAllocString(row.format));
        m_Control->put_Format(format.get());
        SetValue(row.opening);
        m_Control->ShowCalculator();
        Pump();
        ASSERT_NE(nullptr, Calculator());
        ASSERT_NO_FATAL_FAILURE(CalculatorKeys(row.keys));
        notified.m_Changed.clear();
        const int changes = m_Sink.Count(1);
        ASSERT_NO_FATAL_FAILURE(CalculatorKeys(row.lastKey));
        EXPECT_EQ(row.readout, Readout());
        const auto valueNotices =
            std::count(notified.m_Changed.begin(), notified.m_Changed.end(), DISPID_VALUE);
        EXPECT_EQ(row.handedBack, valueNotices > 0);
        EXPECT_EQ(row.handedBack ? 1 : 0, m_Sink.Count(1) - changes);
        EXPECT_EQ(row.value, Value());
        m_Control->HideCalculator();
        Pump();
    }
    point->Unadvise(cookie);
}

TEST_F(ScreenTest, CalculatorCtrlCCopiesTheEvaluatedResult) {
    m_Control->ShowCalculator();
    Pump();
    for (UINT key : {UINT('2'), UINT(VK_ADD), UINT('3')})
        CalculatorKey(key);
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    SendMessageW(Calculator(), WM_KEYDOWN, VK_CONTROL, 0); // Ctrl itself is "="
    SendMessageW(Calculator(), WM_KEYDOWN, 'C', 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    Pump();
    EXPECT_EQ(L"5", Clipboard());
    m_Control->HideCalculator();
}

TEST_F(ScreenTest, CalculatorSurvivesTheDivisionMessage) {
    m_Control->ShowCalculator();
    Pump();
    g_MessageText.clear();
    SetTimer(nullptr, 0, 200, &CloseMessage);
    for (UINT key : {UINT('7'), UINT(VK_DIVIDE), UINT('0'), UINT(187)})
        CalculatorKey(key);
    EXPECT_EQ(L"Calculator: Can't divide by zero", g_MessageText);
    ASSERT_NE(nullptr, Calculator()); // still open
    EXPECT_EQ(L"7.", Readout());
    m_Control->HideCalculator();
}

TEST_F(ScreenTest, EveryCloseGivesTheOwnerItsHighlight) {
    SetValue(-8);
    for (int closing = 0; closing < 3; ++closing) {
        // Highlight keeps GotFocus until the field really loses the focus.
        SetFocus(Field());
        SetFocus(m_Next);
        Pump();
        VARIANT_BOOL focused = VARIANT_TRUE;
        m_Control->get_GotFocus(&focused);
        ASSERT_EQ(VARIANT_FALSE, focused);
        m_Control->ShowCalculator();
        Pump();
        ASSERT_NE(nullptr, Calculator());
        if (closing == 0)
            CalculatorKey(VK_ESCAPE);
        else if (closing == 1)
            SetActiveWindow(m_Form); // a click elsewhere
        else
            m_Control->HideCalculator();
        RunUntil([] { return Calculator() == nullptr; }, 2000);
        EXPECT_EQ(nullptr, Calculator()) << closing;
        m_Control->get_GotFocus(&focused);
        EXPECT_EQ(VARIANT_TRUE, focused) << closing;
        EXPECT_EQ(L"-8.00", Text()) << closing; // the plain form
    }
}

TEST_F(ScreenTest, OwnerReleasedWhileItsCalculatorIsOpen) {
    Ref<IClassFactory> factory;
    m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void());
    Site second(m_Form);
    second.m_Position = {10, 100, 170, 122};
    Ref<_Quillomet> other;
    factory->CreateInstance(nullptr, IID__Quillomet, other.put_void());
    Ref<IOleObject> ole;
    other->QueryInterface(IID_IOleObject, ole.put_void());
    ole->SetClientSite(&second);
    ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &second, 0, m_Form, &second.m_Position);
    // The first control's calculator, then the second's: one window.
    m_Control->ShowCalculator();
    Pump();
    other->ShowCalculator(); // closes the first's...
    Pump();
    other->ShowCalculator(); // ...and opens its own
    Pump();
    ASSERT_NE(nullptr, Calculator());
    CalculatorKey('6');
    CalculatorKey(187);
    unique_variant value;
    other->get_value(value.put());
    VariantChangeType(value.get(), value.get(), 0, VT_R8);
    EXPECT_EQ(6, V_R8(value.get()));
    EXPECT_EQ(0, Value()); // the first control untouched
    // The owner goes while its calculator is open: the calculator goes too.
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    ole.reset();
    other.reset();
    Pump();
    EXPECT_EQ(nullptr, Calculator());
    m_Control->ShowCalculator(); // and it still serves the others
    Pump();
    EXPECT_NE(nullptr, Calculator());
    m_Control->HideCalculator();
}

// The owner released from a timer while the division message is up: the
// calculator finishes its key without writing into the released control,
// and goes with it.
_Quillomet* g_Doomed = nullptr;
IOleObject* g_DoomedOle = nullptr;
void CALLBACK ReleaseOwnerThenClose(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND message = FindWindowW(L"#32770", nullptr);
    if (!message || GetWindowThreadProcessId(message, nullptr) != GetCurrentThreadId())
        return;
    KillTimer(nullptr, timer);
    g_DoomedOle->Close(OLECLOSE_NOSAVE);
    g_DoomedOle->SetClientSite(nullptr);
    std::exchange(g_DoomedOle, nullptr)->Release();
    std::exchange(g_Doomed, nullptr)->Release();
    PostMessageW(message, WM_COMMAND, IDOK, 0);
}

TEST_F(ScreenTest, OwnerReleasedWhileTheDivisionMessageIsUp) {
    Ref<IClassFactory> factory;
    m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void());
    Site second(m_Form);
    second.m_Position = {10, 100, 170, 122};
    factory->CreateInstance(nullptr, IID__Quillomet, reinterpret_cast<void**>(&g_Doomed));
    g_Doomed->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&g_DoomedOle));
    g_DoomedOle->SetClientSite(&second);
    g_DoomedOle->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &second, 0, m_Form, &second.m_Position);
    g_Doomed->ShowCalculator();
    Pump();
    ASSERT_NE(nullptr, Calculator());
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &ReleaseOwnerThenClose);
    CalculatorKeys("7 / 0 =");
    KillTimer(nullptr, timer); // also when the message never came
    EXPECT_EQ(nullptr, g_Doomed);
    Pump();
    EXPECT_EQ(nullptr, Calculator());
    m_Control->ShowCalculator(); // the calculator still serves the others
    Pump();
    EXPECT_NE(nullptr, Calculator());
    m_Control->HideCalculator();
}

// A designing host (UserMode false, or UIDead true while its program is
// stopped) finds every road into the control inert and hears no event; its
// default verb does nothing. Told that it runs again, the control
// takes every road at once, and every event comes back.
TEST_F(ScreenTest, DesignModeMakesEveryRoadInert) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    const HWND control = GetParent(Field());
    const HWND spinner = FindWindowExW(control, nullptr, L"msctls_updown32", nullptr);
    ASSERT_NE(nullptr, spinner);
    const auto click = [](HWND window, int x, int y) {
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    };
    HRESULT verb = S_OK;
    const struct {
        const char* road;
        std::function<void()> use;
        bool isVerb = false;
    } roads[] = {
        {"typing", [&] { Type("7"); }},
        {"Delete", [&] { Key(VK_DELETE); }},
        {"Up", [&] { Key(VK_UP); }},
        {"F4", [&] { Key(VK_F4); }},
        {"Ctrl+V",
         [&] {
             SetClipboard(L"42");
             Chord(VK_CONTROL, 'V');
         }},
        {"paste message",
         [&] {
             SetClipboard(L"42");
             SendMessageW(Field(), WM_PASTE, 0, 0);
         }},
        {"wheel", [&] { Wheel(control, WHEEL_DELTA); }},
        {"field click", [&] { click(Field(), 10, 6); }},
        {"field double-click",
         [&] { SendMessageW(Field(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 6)); }},
        {"mouse over the field",
         [&] { SendMessageW(Field(), WM_MOUSEMOVE, 0, MAKELPARAM(12, 6)); }},
        {"spinner click", [&] { click(spinner, 4, 2); }},
        {"drop button click",
         [&] {
             RECT client{};
             GetClientRect(control, &client);
             click(control, client.right - 4, 6);
         }},
        {"default verb",
         [&] {
             verb =
                 m_Ole->DoVerb(OLEIVERB_PRIMARY, nullptr, m_Site, 0, m_Form, &m_Site->m_Position);
         },
         true},
    };
    Ref<IOleInPlaceObject> inPlace;
    m_Control->QueryInterface(IID_IOleInPlaceObject, inPlace.put_void());
    const auto prepare = [&] {
        m_Control->HideCalculator();
        inPlace->UIDeactivate();
        m_Control->put_SkipFocus(VARIANT_FALSE);
        SetFocus(m_Next);
        Pump();
        SetValue(1234.5);
        SetFocus(Field());
        Pump();
        m_Sink.m_Events.clear();
        verb = S_OK;
    };
    Ref<IOleControl> ole;
    m_Control->QueryInterface(IID_IOleControl, ole.put_void());
    const struct {
        const char* how;
        bool* flag;
        bool designing;
        DISPID told;
    } switches[] = {
        {"UserMode false", &m_Site->m_UserMode, false, DISPID_AMBIENT_USERMODE},
        {"UIDead true", &m_Site->m_UIDead, true, DISPID_AMBIENT_UIDEAD},
        {"UserMode false, told as any", &m_Site->m_UserMode, false, DISPID_UNKNOWN},
    };
    for (const auto& to : switches) {
        SCOPED_TRACE(to.how);
        *to.flag = to.designing;
        ASSERT_HRESULT_SUCCEEDED(ole->OnAmbientPropertyChange(to.told));
        for (const auto& road : roads) {
            SCOPED_TRACE(road.road);
            prepare();
            const std::size_t calls = m_Site->m_Calls.size();
            road.use();
            Pump();
            EXPECT_EQ(1234.5, Value());
            EXPECT_EQ(L"1,234.50", Text()); // the display form, as when not focused
            EXPECT_EQ(std::vector<DISPID>{}, m_Sink.m_Events);
            EXPECT_EQ(nullptr, Calculator());
            EXPECT_EQ(calls, m_Site->m_Calls.size()); // not activated
            // The default verb is valid, and does nothing to the number.
            EXPECT_EQ(road.isVerb ? OLEOBJ_S_CANNOT_DOVERB_NOW : S_OK, verb);
        }

        *to.flag = !to.designing;
        ASSERT_HRESULT_SUCCEEDED(ole->OnAmbientPropertyChange(to.told));
        std::set<DISPID> heard;
        for (const auto& road : roads) {
            SCOPED_TRACE(road.road);
            prepare();
            EXPECT_EQ(L"1234.50", Text()); // the plain form, focused
            const std::size_t calls = m_Site->m_Calls.size();
            road.use();
            Pump();
            EXPECT_TRUE(!m_Sink.m_Events.empty() || Value() != 1234.5 || Calculator() ||
                        m_Site->m_Calls.size() != calls)
                << "the road does nothing at run time";
            heard.insert(m_Sink.m_Events.begin(), m_Sink.m_Events.end());
        }
        EXPECT_EQ((std::set<DISPID>{1, 2, 3, 4, 5, 6, 7, 8, 9}), heard);
    }
    prepare();
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "screen_test");
}
