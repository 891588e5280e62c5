// Creating, placing and destroying a thousand controls leaves the windows,
// the GDI objects the control made, and the library's readiness to unload
// as they were.
#include "server/diagnostics.h"
#include "test_main.h"
#include "test_site.h"

#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace {

using quillomet::testing::Pump;
using quillomet::testing::Ref;
using quillomet::testing::Site;
using quillomet::testing::ThreadWindows;

std::string g_OcxPath;

// The GDI objects all controls hold, read through a fresh control.
LONG LiveGdiObjects(IClassFactory* factory) {
    Ref<IQuillometDiagnostics> diagnostics;
    factory->CreateInstance(nullptr, __uuidof(IQuillometDiagnostics), diagnostics.put_void());
    LONG live = -1;
    if (diagnostics.get())
        diagnostics->LiveGdiObjects(&live);
    return live;
}

TEST(LifetimeTest, AThousandControlsLeaveNothingBehind) {
    quillomet::testing::Library library;
    ASSERT_TRUE(library.Load(g_OcxPath));
    HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                100, nullptr, nullptr, nullptr, nullptr);
    Site site(form);
    Ref<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(
        library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void()));

    // What one unused control costs, and the thread's parking window, which
    // the first control whose window is asked for before it is placed makes.
    const LONG gdiBefore = LiveGdiObjects(factory.get());
    {
        Ref<_Quillomet> parked;
        ASSERT_HRESULT_SUCCEEDED(
            factory->CreateInstance(nullptr, IID__Quillomet, parked.put_void()));
        long hwnd = 0;
        ASSERT_HRESULT_SUCCEEDED(parked->get_hwnd(&hwnd));
        ASSERT_TRUE(IsWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(hwnd))));
    }
    Pump();
    const int windowsBefore = ThreadWindows();
    ASSERT_GE(gdiBefore, 0);

    for (int i = 0; i < 1000; ++i) {
        Ref<_Quillomet> control;
        ASSERT_HRESULT_SUCCEEDED(
            factory->CreateInstance(nullptr, IID__Quillomet, control.put_void()));
        Ref<IOleObject> ole;
        control->QueryInterface(IID_IOleObject, ole.put_void());
        ole->SetClientSite(&site);
        Ref<IPersistStreamInit> persist;
        control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        persist->InitNew();
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.m_Position);
        if (i % 2)
            control->put_UpDownFunction(VARIANT_TRUE); // its window comes and goes too
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_I4;
        V_I4(&value) = i;
        control->put_value(value);
        control->put_BackColor(0x00FFEEDD); // a brush of its own, once painted
        if (i % 100 == 0) { // the calculator's window, fonts and brushes come and go too
            control->ShowCalculator();
            Pump();
            HWND calculator = FindWindowW(L"QuillometCalculator", nullptr);
            ASSERT_NE(nullptr, calculator) << i;
            SendMessageW(calculator, WM_KEYDOWN, '7', 0);
            SendMessageW(calculator, WM_KEYDOWN, VK_ADD, 0);
            control->HideCalculator();
        }
        UpdateWindow(form);
        Pump();
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
    }
    Pump();
    EXPECT_EQ(windowsBefore, ThreadWindows());
    EXPECT_EQ(gdiBefore, LiveGdiObjects(factory.get()));
    factory.reset();
    EXPECT_EQ(S_OK, library.canUnload());
    DestroyWindow(form);
}

// A thread that ends while a control it made is still alive, its window
// made and parked (a script's control released late, or never), or placed
// on the thread's form with its calculator open: the thread ends, its
// windows go with it, and with them what its controls shared (the
// calculator's fonts and brushes, its hold on the library). The control left
// refuses every use from elsewhere, saying why, and is released from here;
// the process, later, ends cleanly too (a fault at the thread's end would
// hang it at its exit).
struct AbandonedControl {
    quillomet::testing::Library* library;
    bool uninitialize; // the thread ends its apartment first, or just ends
    bool calculator;   // placed, its calculator open
    HRESULT result = E_FAIL;
    LONG hwnd = 0;
    bool calculatorOpen = false;
    _Quillomet* control = nullptr; // released by the test
    std::unique_ptr<Site> site;    // the control holds it past the thread

    static DWORD WINAPI Run(LPVOID argument) {
        auto* self = static_cast<AbandonedControl*>(argument);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Ref<IClassFactory> factory;
        self->result =
            self->library->getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void());
        _Quillomet*& control = self->control;
        if (SUCCEEDED(self->result))
            self->result = factory->CreateInstance(nullptr, IID__Quillomet,
                                                   reinterpret_cast<void**>(&control));
        if (SUCCEEDED(self->result))
            self->result = control->put_UpDownFunction(VARIANT_TRUE);
        if (SUCCEEDED(self->result) && self->calculator)
            self->result = self->PlaceAndOpen();
        if (SUCCEEDED(self->result))
            self->result = control->get_hwnd(&self->hwnd);
        factory.reset();
        if (self->uninitialize)
            CoUninitialize();
        return 0;
    }

    HRESULT PlaceAndOpen() {
        const HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                          0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
        site = std::make_unique<Site>(form);
        Ref<IOleObject> ole;
        Ref<IPersistStreamInit> persist;
        HRESULT hr = control->QueryInterface(IID_IOleObject, ole.put_void());
        if (SUCCEEDED(hr))
            hr = ole->SetClientSite(site.get());
        if (SUCCEEDED(hr))
            hr = control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        if (SUCCEEDED(hr))
            hr = persist->InitNew();
        if (SUCCEEDED(hr))
            hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, form,
                             &site->m_Position);
        if (SUCCEEDED(hr))
            hr = control->ShowCalculator();
        Pump();
        calculatorOpen = FindWindowW(L"QuillometCalculator", nullptr) != nullptr;
        return hr;
    }
};

TEST(LifetimeTest, AControlOutlivingItsThreadIsRefusedAndFreesWhatTheThreadShared) {
    quillomet::testing::Library library;
    ASSERT_TRUE(library.Load(g_OcxPath));
    Ref<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(
        library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void()));
    const LONG gdiBefore = LiveGdiObjects(factory.get());
    for (const auto& [uninitialize, calculator] :
         {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
        SCOPED_TRACE(::testing::Message()
                     << (uninitialize ? "apartment ended first" : "thread just ends")
                     << (calculator ? ", calculator open" : ""));
        AbandonedControl work{&library, uninitialize, calculator};
        HANDLE thread = CreateThread(nullptr, 0, &AbandonedControl::Run, &work, 0, nullptr);
        ASSERT_TRUE(thread);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        CloseHandle(thread);
        ASSERT_HRESULT_SUCCEEDED(work.result);
        EXPECT_EQ(calculator, work.calculatorOpen);
        ASSERT_NE(0, work.hwnd);
        EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(work.hwnd))))
            << "the thread's windows went with it";

        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_I4;
        V_I4(&value) = 7;
        EXPECT_EQ(RPC_E_WRONG_THREAD, work.control->put_value(value)) << "a write dropped";
        Ref<IErrorInfo> error;
        BSTR description = nullptr;
        if (GetErrorInfo(0, error.put()) == S_OK)
            error->GetDescription(&description);
        EXPECT_NE(nullptr, description ? wcsstr(description, L"thread") : nullptr);
        SysFreeString(description);
        VariantInit(&value);
        EXPECT_EQ(RPC_E_WRONG_THREAD, work.control->get_value(&value));
        work.control->Release();
    }
    EXPECT_EQ(gdiBefore, LiveGdiObjects(factory.get()));
    factory.reset();
    EXPECT_EQ(S_OK, library.canUnload());
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "lifetime_test");
}
