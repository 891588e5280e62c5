// The strict form of the on-screen tests: a control placed on a real form in
// a container of our own, every call it makes on the container that a test
// did not allow for reported, and the calculator's window found and worked
// by its keys. Runs under Wine with a display.
#pragma once

#include "test_site.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace quillomet::testing {

inline std::string g_OcxPath;

// What a placed control may ask of its container.
inline const std::vector<std::string> Allowed = {
    "Ambient Font",          "GetExtendedControl", "OnInPlaceActivate",
    "OnUIActivate",          "SetActiveObject",    "OnPosRectChange",
    "SetActiveObject(none)", "OnUIDeactivate",     "OnInPlaceDeactivate",
    "Ambient DisplayName", // a screen reader's name for it
    "Ambient UserMode",      "Ambient UIDead",
};

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Library.Load(g_OcxPath)) << g_OcxPath;
        m_Form = CreateWindowExW(0, L"STATIC", L"Quillomet form",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 30, 30, 420,
                                 160, nullptr, nullptr, nullptr, nullptr);
        m_Next =
            CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"next", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                            10, 60, 100, 22, m_Form, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_Form && m_Next);
        SetForegroundWindow(m_Form);
        m_Site = new Site(m_Form);
        m_Site->m_Position = {10, 10, 10 + 160, 10 + 22};
        ASSERT_NO_FATAL_FAILURE(NewControl(m_Site, m_Control, m_Ole));
        ASSERT_HRESULT_SUCCEEDED(m_Ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_Site, 0, m_Form,
                                               &m_Site->m_Position));
        Ref<IConnectionPointContainer> points;
        m_Control->QueryInterface(IID_IConnectionPointContainer, points.put_void());
        points->FindConnectionPoint(DIID___Quillomet, m_Point.put());
        m_Point->Advise(&m_Sink, &m_Cookie);
        Pump();
    }
    void TearDown() override {
        EXPECT_EQ(std::vector<std::string>{}, m_Site->Unexpected(Allowed));
        m_Point->Unadvise(m_Cookie);
        m_Point.reset();
        m_Ole->Close(OLECLOSE_NOSAVE);
        m_Ole->SetClientSite(nullptr);
        m_Ole.reset();
        m_Control.reset();
        delete m_Site;
        DestroyWindow(m_Form);
        Pump();
    }

    // A new control on `site`: sited, with a new instance's settings, not
    // yet placed.
    void NewControl(Site* site, Ref<_Quillomet>& control, Ref<IOleObject>& ole) {
        Ref<IClassFactory> factory;
        ASSERT_HRESULT_SUCCEEDED(
            m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void()));
        ASSERT_HRESULT_SUCCEEDED(
            factory->CreateInstance(nullptr, IID__Quillomet, control.put_void()));
        control->QueryInterface(IID_IOleObject, ole.put_void());
        ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(site));
        Ref<IPersistStreamInit> persist;
        control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        ASSERT_HRESULT_SUCCEEDED(persist->InitNew());
    }
    HWND Field() { return quillomet::testing::FieldOf(m_Control.get()); }
    std::wstring Text() { return quillomet::testing::WindowText(Field()); }
    double Value() {
        VARIANT value;
        VariantInit(&value);
        m_Control->get_value(&value);
        VariantChangeType(&value, &value, 0, VT_R8);
        return V_R8(&value);
    }
    void SetValue(double number) {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_R8;
        V_R8(&value) = number;
        m_Control->put_value(value);
    }
    // Where the field draws its first character, from its left edge.
    int FirstCharacterX() {
        const LRESULT at = SendMessageW(Field(), EM_POSFROMCHAR, 0, 0);
        return static_cast<short>(LOWORD(at));
    }
    int FieldWidth() {
        RECT r{};
        GetClientRect(Field(), &r);
        return r.right;
    }
    void Type(const std::string& keys) {
        for (char c : keys)
            PostMessageW(Field(), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 0);
        Pump();
    }
    // A key with Ctrl or Shift held, as the keyboard state says.
    void Chord(UINT modifier, UINT key) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[modifier] = 0x80;
        SetKeyboardState(state);
        SendMessageW(Field(), WM_KEYDOWN, key, 0);
        SendMessageW(Field(), WM_KEYUP, key, 0);
        state[modifier] = 0;
        SetKeyboardState(state);
        Pump();
    }
    void Key(UINT key) {
        SendMessageW(Field(), WM_KEYDOWN, key, 0);
        SendMessageW(Field(), WM_KEYUP, key, 0);
        Pump();
    }
    // A key with Alt held, as the system sends it: WM_SYSKEYDOWN and UP,
    // to the window with the focus (the calculator's, once it opened).
    void AltKey(UINT key) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_MENU] = 0x80;
        SetKeyboardState(state);
        SendMessageW(GetFocus(), WM_SYSKEYDOWN, key, 1 << 29);
        SendMessageW(GetFocus(), WM_SYSKEYUP, key, 1 << 29);
        state[VK_MENU] = 0;
        SetKeyboardState(state);
        Pump();
    }
    // The wheel turned over `window` (delta in notches of 120), as the
    // system sends it to the window with the focus.
    void Wheel(HWND window, int delta) {
        RECT r{};
        GetWindowRect(window, &r);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(GetFocus(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), at);
        Pump();
    }
    void SetClipboard(const wchar_t* text) {
        OpenClipboard(m_Form);
        EmptyClipboard();
        const std::size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(memory), text, bytes);
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    }
    std::wstring Clipboard() {
        OpenClipboard(m_Form);
        std::wstring text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
    // Runs the message loop until `done` holds or the time is up; the
    // container's own Tab handling moves the focus to the next field.
    template <typename Done>
    bool RunUntil(Done done, int milliseconds) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
                    SetFocus(m_Next);
                    continue;
                }
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        return true;
    }

    quillomet::testing::Library m_Library;
    HWND m_Form = nullptr;
    HWND m_Next = nullptr;
    Site* m_Site = nullptr;
    EventCounter m_Sink;
    Ref<_Quillomet> m_Control;
    Ref<IOleObject> m_Ole;
    Ref<IConnectionPoint> m_Point;
    DWORD m_Cookie = 0;
};

// --- The calculator ------------------------------------------------------

inline HWND Calculator() {
    return FindWindowW(L"QuillometCalculator", nullptr);
}

inline std::wstring Readout() {
    wchar_t text[64] = {};
    GetWindowTextW(FindWindowExW(Calculator(), nullptr, L"Static", nullptr), text, 64);
    return text;
}

inline void CalculatorKey(UINT key) {
    SendMessageW(Calculator(), WM_KEYDOWN, key, 0);
    if (Calculator())
        SendMessageW(Calculator(), WM_KEYUP, key, 0);
    Pump();
}

inline HWND CalculatorButton(const wchar_t* caption) {
    return FindWindowExW(Calculator(), nullptr, L"Button", caption);
}

// Presses keys written as in a calculator's manual, separated by blanks:
// digits, ".", + - X / =, "C" and "BS" by the keyboard, "%" and "CE" by
// their buttons (the keyboard has none for them).
inline void CalculatorKeys(const std::string& keys) {
    std::istringstream in(keys);
    std::string key;
    while (in >> key) {
        if (key == "%" || key == "CE") {
            const std::wstring caption(key.begin(), key.end());
            SendMessageW(CalculatorButton(caption.c_str()), BM_CLICK, 0, 0);
            Pump();
            continue;
        }
        UINT code = 0;
        if (key.size() == 1 && key[0] >= '0' && key[0] <= '9')
            code = static_cast<UINT>(key[0]);
        else if (key == "+")
            code = VK_ADD;
        else if (key == "-")
            code = VK_SUBTRACT;
        else if (key == "X")
            code = VK_MULTIPLY;
        else if (key == "/")
            code = VK_DIVIDE;
        else if (key == "=")
            code = 187;
        else if (key == ".")
            code = VK_DECIMAL;
        else if (key == "BS")
            code = VK_BACK;
        else if (key == "C")
            code = 'C';
        ASSERT_NE(0u, code) << "no such key: " << key;
        CalculatorKey(code);
    }
}

// The division message is modal; a timer in its loop reads and closes it.
inline std::wstring g_MessageText;
inline void CALLBACK CloseMessage(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND message = FindWindowW(L"#32770", nullptr);
    if (!message)
        return;
    wchar_t title[64] = {};
    GetWindowTextW(message, title, 64);
    for (HWND child = nullptr; (child = FindWindowExW(message, child, L"Static", nullptr));) {
        wchar_t text[128] = {};
        GetWindowTextW(child, text, 128);
        if (text[0])
            g_MessageText = std::wstring(title) + L": " + text;
    }
    PostMessageW(message, WM_COMMAND, IDOK, 0);
    KillTimer(nullptr, timer);
}

} // namespace quillomet::testing
