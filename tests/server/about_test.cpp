// The about dialog under Wine: opened by DisplayAboutBox, its texts read
// back from its windows, the system-information tool found through the
// registry and started, and the messages where things are missing.
#include "test_main.h"
#include "win32com/registry_key.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using quillomet::testing::Ref;

std::string g_OcxPath;
std::wstring g_StandIn; // the stand-in program's path, from the command line

// What a timer does inside the dialog's modal loop; it runs until done.
std::function<bool()> g_Step;

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_Step && g_Step())
        KillTimer(nullptr, timer);
}

std::vector<std::wstring> Texts(HWND window) {
    std::vector<std::wstring> texts;
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    texts.push_back(text);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowTextW(child, text, 256);
        if (text[0])
            texts.push_back(text);
    }
    return texts;
}

bool Has(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// A message box's title and text, then closed.
std::wstring TakeMessageBox() {
    HWND box = FindWindowW(L"#32770", nullptr);
    if (!box)
        return {};
    const std::vector<std::wstring> texts = Texts(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    std::wstring all;
    for (const std::wstring& text : texts)
        all += text + L"|";
    return all;
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Library.Load(g_OcxPath));
        Ref<IClassFactory> factory;
        m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void());
        ASSERT_HRESULT_SUCCEEDED(
            factory->CreateInstance(nullptr, IID__Quillomet, m_Control.put_void()));
    }
    void TearDown() override { g_Step = nullptr; }

    static void SetSysInfoPath(const wchar_t* path) {
        HKEY created = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", 0,
                        nullptr, 0, KEY_WRITE, nullptr, &created, nullptr);
        const quillomet::com::unique_hkey key(created);
        RegSetValueExW(key.get(), L"PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                       static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
    }
    static void RemoveSysInfoKeys() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location");
    }
    static HWND Dialog() { return FindWindowW(L"QuillometAbout", nullptr); }
    static void Click(int id) {
        PostMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), 0);
    }

    quillomet::testing::Library m_Library;
    Ref<_Quillomet> m_Control;
};

TEST_F(AboutTest, ShowsItsTextsAndClosesWithOk) {
    std::vector<std::wstring> texts;
    g_Step = [&] {
        if (!Dialog())
            return false;
        texts = Texts(Dialog());
        Click(IDOK);
        return true;
    };
    SetTimer(nullptr, 0, 100, &Tick);
    ASSERT_HRESULT_SUCCEEDED(m_Control->DisplayAboutBox());
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(L" About Quillomet", texts.front());
    for (const wchar_t* text :
         {L"Quillomet", L"Version 1.4", L"OK", L"&System Info...", L"Web site:",
          L"Please send any comments or suggestions to:",
          L"The Quillomet custom ActiveX control is one that enhances the standard text box by "
          L"adding special numeric capabilities."})
        EXPECT_TRUE(Has(texts, text)) << text;
    EXPECT_EQ(nullptr, Dialog());
}

// Moved to a screen of twice the resolution, the dialog lays itself out in
// that screen's pixels, lettering included. Wine 8 never sends the message:
// it is sent here as such a system sends it.
TEST_F(AboutTest, FollowsAResolutionChange) {
    struct Measure {
        LONG width = 0, fontHeight = 0;
    } before, after;
    const auto measure = [] {
        const HWND ok = FindWindowExW(Dialog(), nullptr, L"Button", L"OK");
        RECT r{};
        GetWindowRect(ok, &r);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(ok, WM_GETFONT, 0, 0)), sizeof font, &font);
        return Measure{r.right - r.left, font.lfHeight};
    };
    g_Step = [&] {
        if (!Dialog())
            return false;
        before = measure();
        RECT frame{};
        GetWindowRect(Dialog(), &frame);
        const HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        RECT suggested{frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                       frame.top + 2 * (frame.bottom - frame.top)};
        SendMessageW(Dialog(), WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        after = measure();
        Click(IDOK);
        return true;
    };
    SetTimer(nullptr, 0, 100, &Tick);
    ASSERT_HRESULT_SUCCEEDED(m_Control->DisplayAboutBox());
    ASSERT_GT(before.width, 0);
    EXPECT_NEAR(2 * before.width, after.width, 1);
    EXPECT_NEAR(2 * before.fontHeight, after.fontHeight, 1);
}

// Asked for again from a host's timer while the box is up, through the same
// control or another of the thread: the request returns at once, the one box
// comes to the front, and closing it afterwards is safe.
TEST_F(AboutTest, OneBoxAtATime) {
    Ref<IClassFactory> factory;
    m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void());
    Ref<_Quillomet> other;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID__Quillomet, other.put_void()));
    const auto boxes = [] {
        int count = 0;
        for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"QuillometAbout", nullptr));)
            ++count;
        return count;
    };
    for (_Quillomet* asking : {m_Control.get(), other.get()}) {
        SCOPED_TRACE(asking == m_Control.get() ? "the same control" : "another control");
        HRESULT again = E_FAIL;
        int mostBoxes = 0;
        bool asked = false, raised = false;
        g_Step = [&] {
            mostBoxes = std::max(mostBoxes, boxes());
            if (!Dialog() || asked) { // asked: a second box is up; it goes
                if (asked)
                    Click(IDOK);
                return false;
            }
            const HWND elsewhere =
                CreateWindowExW(0, L"STATIC", L"elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                nullptr, nullptr, nullptr, nullptr);
            SetForegroundWindow(elsewhere);
            asked = true;
            again = asking->DisplayAboutBox();
            asked = false;
            raised = GetForegroundWindow() == Dialog();
            DestroyWindow(elsewhere);
            Click(IDOK);
            return true;
        };
        SetTimer(nullptr, 0, 100, &Tick);
        ASSERT_HRESULT_SUCCEEDED(m_Control->DisplayAboutBox());
        EXPECT_EQ(S_OK, again);
        EXPECT_EQ(1, mostBoxes);
        EXPECT_TRUE(raised);
        EXPECT_EQ(nullptr, Dialog());
    }
}

TEST_F(AboutTest, StartsTheSystemInformationToolFoundInTheRegistry) {
    const std::wstring marker = g_StandIn + L".ran";
    DeleteFileW(marker.c_str());
    SetSysInfoPath(g_StandIn.c_str());
    int phase = 0;
    const DWORD deadline = GetTickCount() + 10000;
    g_Step = [&] {
        if (!Dialog())
            return false;
        if (phase == 0) {
            Click(100); // System Info
            phase = 1;
            return false;
        }
        if (GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES &&
            static_cast<LONG>(deadline - GetTickCount()) > 0)
            return false; // the tool has not run yet
        Click(IDOK);
        return true;
    };
    SetTimer(nullptr, 0, 100, &Tick);
    ASSERT_HRESULT_SUCCEEDED(m_Control->DisplayAboutBox());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(marker.c_str()));
    RemoveSysInfoKeys();
}

TEST_F(AboutTest, SaysSoWhenSystemInformationOrMailIsUnavailable) {
    RemoveSysInfoKeys();
    std::vector<std::wstring> messages;
    int phase = 0;
    g_Step = [&] {
        if (!Dialog())
            return false;
        if (phase == 0 || phase == 2) {
            Click(phase == 0 ? 100 : 101); // System Info, then the e-mail link
            ++phase;
            return false;
        }
        const std::wstring message = TakeMessageBox();
        if (message.empty())
            return false;
        messages.push_back(message);
        if (++phase < 4)
            return false;
        Click(IDOK);
        return true;
    };
    SetTimer(nullptr, 0, 100, &Tick);
    ASSERT_HRESULT_SUCCEEDED(m_Control->DisplayAboutBox());
    ASSERT_EQ(2u, messages.size());
    EXPECT_NE(std::wstring::npos, messages[0].find(L"Quillomet|"));
    EXPECT_NE(std::wstring::npos,
              messages[0].find(L"System Information Is Unavailable At This Time"));
    EXPECT_NE(std::wstring::npos,
              messages[1].find(L"A problem has occurred while trying to send an e-mail."));
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2)
        g_StandIn = quillomet::testing::WindowsPathW(argv[2]);
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "about_test");
}
