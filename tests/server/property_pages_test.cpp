// The control's property pages and per-property browsing as a designer
// reaches them, with the library loaded by its path: the pages made by
// their classes, activated in a window, their fields changed by messages as
// a user's typing and clicks change them, and applied to two controls at
// once; the verbs, and the system's property frame the Properties verb
// opens. Runs under Wine with a display.
#include "server/class_ids.h"
#include "test_main.h"
#include "test_site.h"
#include "win32com/resource_ids.h"
#include "win32com/unique_bstr.h"
#include "win32com/unique_variant.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using quillomet::PageClassIds;
using quillomet::com::unique_bstr;
using quillomet::com::unique_variant;
using quillomet::testing::Pump;
using quillomet::testing::Ref;
using quillomet::testing::Site;
using quillomet::testing::WindowText;

std::string g_OcxPath;
constexpr std::size_t General = 0, Appearance = 1;

DISPID DispidOf(IDispatch* object, const wchar_t* name) {
    LPOLESTR names = const_cast<LPOLESTR>(name);
    DISPID id = DISPID_UNKNOWN;
    EXPECT_HRESULT_SUCCEEDED(object->GetIDsOfNames(IID_NULL, &names, 1, 0, &id)) << name;
    return id;
}

// A property as text: Booleans as True and False.
std::wstring Read(IDispatch* object, const wchar_t* name) {
    DISPPARAMS none{};
    unique_variant value;
    EXPECT_HRESULT_SUCCEEDED(object->Invoke(DispidOf(object, name), IID_NULL, 0,
                                            DISPATCH_PROPERTYGET, &none, value.put(), nullptr,
                                            nullptr));
    if (FAILED(VariantChangeType(value.get(), value.get(), VARIANT_ALPHABOOL, VT_BSTR)))
        return L"?";
    return V_BSTR(value.get());
}

// Counts what the page tells its frame.
class PageSite final : public IPropertyPageSite {
public:
    int m_StatusChanges = 0;
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IPropertyPageSite ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnStatusChange(DWORD) override {
        ++m_StatusChanges;
        return S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID* locale) override {
        *locale = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return E_NOTIMPL; }
};

// What a user does to one field: types `text` into it, picks the entry
// `text` of its list, or clicks it (null).
struct Change {
    int field;
    const wchar_t* text;
};

void Make(HWND dialog, const Change& change) {
    const HWND field = GetDlgItem(dialog, change.field);
    ASSERT_TRUE(field) << change.field;
    wchar_t kind[32] = {};
    GetClassNameW(field, kind, 32);
    const auto notify = [&](int code) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(change.field, code),
                     reinterpret_cast<LPARAM>(field));
    };
    if (!change.text) {
        SendMessageW(field, BM_CLICK, 0, 0);
    } else if (_wcsicmp(kind, L"ComboBox") != 0) {
        SetWindowTextW(field, change.text); // the edit field tells of it itself
    } else if ((GetWindowLongW(field, GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
        ASSERT_NE(CB_ERR, SendMessageW(field, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(change.text)))
            << "no entry " << testing::PrintToString(std::wstring(change.text));
        notify(CBN_SELCHANGE);
    } else {
        SetWindowTextW(field, change.text);
        notify(CBN_EDITCHANGE);
    }
}

class PropertyPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Library.Load(g_OcxPath)) << g_OcxPath;
        m_Window = CreateWindowExW(0, L"STATIC", L"Property page test frame",
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 50, 50, 640,
                                   400, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_Window);
        SetForegroundWindow(m_Window);
        for (Ref<IDispatch>& control : m_Controls) {
            ASSERT_HRESULT_SUCCEEDED(Create(CLSID_Quillomet, IID_IDispatch, control.put_void()));
            ASSERT_HRESULT_SUCCEEDED(control.try_as<IPersistStreamInit>()->InitNew());
        }
    }
    void TearDown() override {
        if (m_Page) {
            m_Page->Deactivate();
            m_Page->SetObjects(0, nullptr);
            m_Page->SetPageSite(nullptr);
        }
        m_Page.reset();
        for (Ref<IDispatch>& control : m_Controls)
            control.reset();
        DestroyWindow(m_Window);
        Pump();
    }

    HRESULT Create(REFCLSID clsid, REFIID iid, void** object) {
        Ref<IClassFactory> factory;
        const HRESULT hr = m_Library.getClassObject(clsid, IID_IClassFactory, factory.put_void());
        return FAILED(hr) ? hr : factory->CreateInstance(nullptr, iid, object);
    }

    // Page `page` on both controls, shown in the window; its dialog.
    HWND Open(std::size_t page) {
        EXPECT_HRESULT_SUCCEEDED(Create(PageClassIds[page], IID_IPropertyPage2, m_Page.put_void()));
        if (!m_Page)
            return nullptr;
        m_Page->SetPageSite(&m_Site);
        IUnknown* objects[] = {m_Controls[0].get(), m_Controls[1].get()};
        EXPECT_HRESULT_SUCCEEDED(m_Page->SetObjects(2, objects));
        PROPPAGEINFO info{sizeof info};
        EXPECT_HRESULT_SUCCEEDED(m_Page->GetPageInfo(&info));
        EXPECT_GT(info.size.cx, 0);
        CoTaskMemFree(info.pszTitle);
        RECT place{0, 0, info.size.cx, info.size.cy};
        EXPECT_HRESULT_SUCCEEDED(m_Page->Activate(m_Window, &place, TRUE));
        m_Page->Show(SW_SHOW);
        Pump();
        return GetWindow(m_Window, GW_CHILD);
    }

    void Write(std::size_t control, const wchar_t* name, VARIANT value) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&value, &named, 1, 1};
        ASSERT_HRESULT_SUCCEEDED(m_Controls[control]->Invoke(DispidOf(m_Controls[0].get(), name),
                                                             IID_NULL, 0, DISPATCH_PROPERTYPUT,
                                                             &params, nullptr, nullptr, nullptr));
    }

    quillomet::testing::Library m_Library;
    HWND m_Window = nullptr;
    Ref<IDispatch> m_Controls[2];
    PageSite m_Site;
    Ref<IPropertyPage2> m_Page;
};

// The fields show the first control; a change makes the page dirty and
// tells its frame; Apply writes every changed field to both controls, or,
// when a control refuses a value, shows that control's message, puts back
// what it had written, changes nothing and stays dirty.
TEST_F(PropertyPagesTest, ChangedAndApplied) {
    struct Expect {
        const wchar_t* property;
        const wchar_t* value; // on both controls after Apply
    };
    struct Row {
        const char* what;
        std::size_t page;
        std::vector<Change> changes;
        bool applies;
        const wchar_t* message; // part of the page's message when refused
        std::vector<Expect> after;
    };
    const Row rows[] = {
        {"limits, then a value inside them",
         General,
         {{IDC_PAGE_MAXVALUE, L"500"}, {IDC_PAGE_USEMAXMIN, nullptr}, {IDC_PAGE_VALUE, L"12.5"}},
         true,
         nullptr,
         {{L"MaxValue", L"500"}, {L"UseMaxMinValues", L"True"}, {L"value", L"12.5"}}},
        {"a picture typed into the list's field",
         General,
         {{IDC_PAGE_FORMAT, L"0.000"}, {IDC_PAGE_LOCKED, nullptr}},
         true,
         nullptr,
         {{L"Format", L"0.000"}, {L"Locked", L"True"}}},
        {"a value beyond any number: the control's words, the minimum put back",
         General,
         {{IDC_PAGE_MINVALUE, L"5"}, {IDC_PAGE_VALUE, L"1E+999"}},
         false,
         L"Overflow",
         {{L"MinValue", L"0"}, {L"value", L"0"}}},
        {"an increment beyond its type's range, refused by the dispatch layer",
         General,
         {{IDC_PAGE_INCREMENT, L"70000"}},
         false,
         L"Overflow",
         {{L"UpDownIncrement", L"1"}}},
        {"a system colour by its name",
         Appearance,
         {{IDC_PAGE_BACKCOLOR, L"Window Text"}},
         true,
         nullptr,
         {{L"BackColor", L"-2147483640"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TearDown();
        SetUp();
        const HWND dialog = Open(row.page);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(S_FALSE, m_Page->IsPageDirty());
        const int told = m_Site.m_StatusChanges;
        for (const Change& change : row.changes)
            ASSERT_NO_FATAL_FAILURE(Make(dialog, change));
        EXPECT_EQ(S_OK, m_Page->IsPageDirty());
        EXPECT_GT(m_Site.m_StatusChanges, told);
        const HRESULT applied = m_Page->Apply();
        const std::wstring message = WindowText(GetDlgItem(dialog, IDC_PAGE_ERROR));
        if (row.applies) {
            EXPECT_EQ(S_OK, applied);
            EXPECT_EQ(S_FALSE, m_Page->IsPageDirty());
            EXPECT_EQ(L"", message);
        } else {
            EXPECT_TRUE(FAILED(applied)) << std::hex << applied;
            EXPECT_EQ(S_OK, m_Page->IsPageDirty());
            EXPECT_NE(std::wstring::npos, message.find(row.message))
                << testing::PrintToString(message);
        }
        for (const Ref<IDispatch>& control : m_Controls)
            for (const Expect& expect : row.after)
                EXPECT_EQ(expect.value, Read(control.get(), expect.property)) << expect.property;
    }
}

// A window's pixels as the screen shows them, once it has painted.
std::vector<COLORREF> Pixels(HWND window) {
    UpdateWindow(window);
    RECT area{};
    GetClientRect(window, &area);
    const HDC screen = GetDC(window);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO format{{sizeof(BITMAPINFOHEADER), area.right, -area.bottom, 1, 32, BI_RGB}};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, area.right, area.bottom, screen, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<COLORREF> pixels;
    for (LONG i = 0; bits && i < area.right * area.bottom; ++i) {
        const DWORD bgr = static_cast<const DWORD*>(bits)[i];
        pixels.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return pixels;
}

// Each page's preview is the control drawn with the page's settings before
// anything is applied: the General page's shows the value in the picture
// being chosen, the Appearance page's its colours.
TEST_F(PropertyPagesTest, ThePreviewShowsThePagesSettings) {
    struct Row {
        const char* what;
        std::size_t page;
        std::vector<Change> changes;
        int color; // a system colour most of the preview shows after, or -1
    };
    const Row rows[] = {
        {"a value in another picture",
         General,
         {{IDC_PAGE_VALUE, L"1234.5"}, {IDC_PAGE_FORMAT, L"#,##0.000"}},
         -1},
        {"the back colour", Appearance, {{IDC_PAGE_BACKCOLOR, L"Highlight"}}, COLOR_HIGHLIGHT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TearDown();
        SetUp();
        const HWND dialog = Open(row.page);
        ASSERT_TRUE(dialog);
        const HWND preview = GetDlgItem(dialog, IDC_PAGE_PREVIEW);
        const std::vector<COLORREF> before = Pixels(preview);
        ASSERT_FALSE(before.empty());
        for (const Change& change : row.changes)
            ASSERT_NO_FATAL_FAILURE(Make(dialog, change));
        const std::vector<COLORREF> after = Pixels(preview);
        EXPECT_NE(before, after);
        if (row.color >= 0)
            EXPECT_GT(std::count(after.begin(), after.end(), GetSysColor(row.color)) * 2,
                      static_cast<std::ptrdiff_t>(after.size()));
        EXPECT_EQ(S_OK, m_Page->IsPageDirty());
        EXPECT_EQ(L"0", Read(m_Controls[0].get(), L"value"));
    }
}

// EditProperty puts the caret in the property's field, on either page; a
// property the page does not edit is refused.
TEST_F(PropertyPagesTest, EditPropertyFocusesTheField) {
    struct Row {
        std::size_t page;
        const wchar_t* property;
        int field; // 0: refused
    };
    const Row rows[] = {
        {General, L"MaxValue", IDC_PAGE_MAXVALUE},      {General, L"Format", IDC_PAGE_FORMAT},
        {General, L"Locked", IDC_PAGE_LOCKED},          {Appearance, L"Font", IDC_PAGE_FONT},
        {Appearance, L"ForeColor", IDC_PAGE_FORECOLOR}, {General, L"BackColor", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.property)));
        TearDown();
        SetUp();
        const HWND dialog = Open(row.page);
        ASSERT_TRUE(dialog);
        const HRESULT hr = m_Page->EditProperty(DispidOf(m_Controls[0].get(), row.property));
        if (!row.field) {
            EXPECT_EQ(E_INVALIDARG, hr);
            continue;
        }
        EXPECT_EQ(S_OK, hr);
        const HWND field = GetDlgItem(dialog, row.field);
        EXPECT_TRUE(GetFocus() == field || GetParent(GetFocus()) == field);
    }
}

// What a property browser asks beside the type library: the texts of the
// font and the system colours, the page of each property, and Format's list.
TEST_F(PropertyPagesTest, PerPropertyBrowsing) {
    const auto browsing = m_Controls[0].try_as<IPerPropertyBrowsing>();
    ASSERT_TRUE(browsing);
    // 9 points are whole pixels at 96 per inch, so the size stays as set
    // when the font is made; the face is whichever the system has.
    FONTDESC description{
        sizeof description, const_cast<LPOLESTR>(L"Tahoma"), {}, FW_BOLD, ANSI_CHARSET, TRUE};
    description.cySize.int64 = 90000;
    unique_variant font;
    ASSERT_HRESULT_SUCCEEDED(OleCreateFontIndirect(
        &description, IID_IFontDisp, reinterpret_cast<void**>(&V_DISPATCH(font.get()))));
    V_VT(font.get()) = VT_DISPATCH;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{font.get(), &named, 1, 1};
    ASSERT_HRESULT_SUCCEEDED(m_Controls[0]->Invoke(DispidOf(m_Controls[0].get(), L"Font"), IID_NULL,
                                                   0, DISPATCH_PROPERTYPUTREF, &params, nullptr,
                                                   nullptr, nullptr));
    VARIANT color;
    V_VT(&color) = VT_I4;
    V_I4(&color) = static_cast<LONG>(0x80000005);
    ASSERT_NO_FATAL_FAILURE(Write(0, L"BackColor", color));
    V_I4(&color) = 0x00FF00;
    ASSERT_NO_FATAL_FAILURE(Write(0, L"ForeColor", color));

    Ref<IFontDisp> held;
    ASSERT_HRESULT_SUCCEEDED(m_Controls[0].try_as<_Quillomet>()->get_Font(held.put()));
    unique_bstr face;
    ASSERT_HRESULT_SUCCEEDED(held.try_as<IFont>()->get_Name(face.put()));
    const std::wstring fontShown = std::wstring(face.get()) + L", 9 pt, bold, italic";
    struct Row {
        const wchar_t* property;
        const wchar_t* shown; // null: E_NOTIMPL
        const CLSID* page;    // null: no page
    };
    const Row rows[] = {
        {L"Font", fontShown.c_str(), &PageClassIds[Appearance]},
        {L"BackColor", L"Window Background", &PageClassIds[Appearance]},
        {L"ForeColor", nullptr, &PageClassIds[Appearance]},
        {L"Format", nullptr, &PageClassIds[General]},
        {L"UpDownIncrement", nullptr, &PageClassIds[General]},
        {L"SkipFocus", nullptr, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.property)));
        const DISPID id = DispidOf(m_Controls[0].get(), row.property);
        unique_bstr shown;
        const HRESULT hr = browsing->GetDisplayString(id, shown.put());
        if (row.shown) {
            EXPECT_EQ(S_OK, hr);
            EXPECT_STREQ(row.shown, shown.get());
        } else {
            EXPECT_EQ(E_NOTIMPL, hr);
        }
        CLSID page{};
        EXPECT_EQ(row.page ? S_OK : PERPROP_E_NOPAGEAVAILABLE,
                  browsing->MapPropertyToPage(id, &page));
        EXPECT_EQ(row.page ? *row.page : CLSID_NULL, page);
    }

    // Format's pictures, each with an example; the one picked is written.
    const DISPID format = DispidOf(m_Controls[0].get(), L"Format");
    CALPOLESTR strings{};
    CADWORD cookies{};
    ASSERT_EQ(S_OK, browsing->GetPredefinedStrings(format, &strings, &cookies));
    ASSERT_EQ(strings.cElems, cookies.cElems);
    ASSERT_GE(strings.cElems, 2u);
    EXPECT_STREQ(L"1,234 (#,##0)", strings.pElems[2]);
    unique_variant picked;
    EXPECT_EQ(S_OK, browsing->GetPredefinedValue(format, cookies.pElems[2], picked.put()));
    ASSERT_EQ(VT_BSTR, V_VT(picked.get()));
    EXPECT_STREQ(L"#,##0", V_BSTR(picked.get()));
    for (ULONG i = 0; i < strings.cElems; ++i)
        CoTaskMemFree(strings.pElems[i]);
    CoTaskMemFree(strings.pElems);
    CoTaskMemFree(cookies.pElems);
    EXPECT_EQ(E_INVALIDARG, browsing->GetPredefinedValue(format, 1000, picked.put()));
    EXPECT_EQ(E_NOTIMPL, browsing->GetPredefinedStrings(DispidOf(m_Controls[0].get(), L"value"),
                                                        &strings, &cookies));
}

// The system's property frame, found by a timer in its modal loop: its tabs
// and each page's first field, then cancelled.
struct FrameSeen {
    int tabs = -1;
    std::wstring titles;
    bool fields[2] = {};
};
FrameSeen g_Seen;

BOOL CALLBACK FindFrame(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && SendMessageW(window, PSM_GETTABCONTROL, 0, 0)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK LookAtFrame(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND frame = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindFrame, reinterpret_cast<LPARAM>(&frame));
    if (!frame)
        return;
    KillTimer(nullptr, timer);
    const auto tabs = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETTABCONTROL, 0, 0));
    g_Seen.tabs = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    const int firstFields[] = {IDC_PAGE_FORMAT, IDC_PAGE_BACKCOLOR};
    for (int i = 0; i < 2 && i < g_Seen.tabs; ++i) {
        SendMessageW(frame, PSM_SETCURSEL, i, 0);
        wchar_t title[64] = {};
        TCITEMW item{TCIF_TEXT};
        item.pszText = title;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        g_Seen.titles += std::wstring(title) + L";";
        const auto page = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETCURRENTPAGEHWND, 0, 0));
        g_Seen.fields[i] = GetDlgItem(GetWindow(page, GW_CHILD), firstFields[i]) != nullptr;
    }
    PropSheet_PressButton(frame, PSBTN_CANCEL);
}

// The control lists its own verbs, and each works; the Properties verb
// opens both pages in the system's frame, with the library unregistered.
TEST_F(PropertyPagesTest, TheVerbsAndTheFrame) {
    const auto ole = m_Controls[0].try_as<IOleObject>();
    Site site(m_Window);
    ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
    Ref<IEnumOLEVERB> verbs;
    ASSERT_EQ(S_OK, ole->EnumVerbs(verbs.put()));
    std::vector<LONG> listed;
    OLEVERB verb{};
    while (verbs->Next(1, &verb, nullptr) == S_OK) {
        listed.push_back(verb.lVerb);
        EXPECT_TRUE(verb.lpszVerbName && *verb.lpszVerbName);
        CoTaskMemFree(verb.lpszVerbName);
    }
    EXPECT_EQ((std::vector<LONG>{OLEIVERB_PRIMARY, OLEIVERB_PROPERTIES}), listed);

    g_Seen = {};
    SetTimer(nullptr, 0, 50, &LookAtFrame);
    EXPECT_EQ(S_OK,
              ole->DoVerb(OLEIVERB_PROPERTIES, nullptr, &site, 0, m_Window, &site.m_Position));
    EXPECT_EQ(2, g_Seen.tabs);
    EXPECT_EQ(L"General;Appearance;", g_Seen.titles);
    EXPECT_TRUE(g_Seen.fields[0] && g_Seen.fields[1]);
    EXPECT_EQ(S_OK, ole->DoVerb(OLEIVERB_PRIMARY, nullptr, &site, 0, m_Window, &site.m_Position));
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "property_pages_test");
}
