// Wine's ATL hosting as a second, independent container: it creates the
// control by its ProgID (registered by the registration test), sites and
// activates it in a window of its own, and releases it again.
#include "com_test_support.h"

#include <gtest/gtest.h>

namespace {

using quillomet::testing::Pump;
using quillomet::testing::Ref;

using AxWinInitFunction = BOOL(WINAPI*)();
using AxCreateControlFunction = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**);
using AxGetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);

class AtlHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Atl = LoadLibraryW(L"atl.dll");
        ASSERT_NE(nullptr, m_Atl);
        m_CreateControl =
            quillomet::testing::ProcAddress<AxCreateControlFunction>(m_Atl, "AtlAxCreateControl");
        m_GetControl =
            quillomet::testing::ProcAddress<AxGetControlFunction>(m_Atl, "AtlAxGetControl");
        auto init = quillomet::testing::ProcAddress<AxWinInitFunction>(m_Atl, "AtlAxWinInit");
        ASSERT_TRUE(m_CreateControl && m_GetControl && init);
        ASSERT_TRUE(init());
    }

    HMODULE m_Atl = nullptr;
    AxCreateControlFunction m_CreateControl = nullptr;
    AxGetControlFunction m_GetControl = nullptr;
};

TEST_F(AtlHostTest, HostsTheControlByItsProgId) {
    for (int cycle = 0; cycle < 3; ++cycle) {
        HWND host = CreateWindowExW(0, L"AtlAxWin", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                    300, 60, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, host);
        Ref<IUnknown> container;
        ASSERT_HRESULT_SUCCEEDED(
            m_CreateControl(L"Ordinalex.Quillomet", host, nullptr, container.put()));
        Pump();
        Ref<IUnknown> unknown;
        ASSERT_HRESULT_SUCCEEDED(m_GetControl(host, unknown.put()));
        Ref<_Quillomet> control;
        ASSERT_HRESULT_SUCCEEDED(unknown->QueryInterface(IID__Quillomet, control.put_void()));

        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_R8;
        V_R8(&value) = 4321.5;
        ASSERT_HRESULT_SUCCEEDED(control->put_value(value));
        LONG handle = 0;
        control->get_hwnd(&handle);
        const HWND field = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
        wchar_t text[64] = {};
        GetWindowTextW(field, text, 64);
        EXPECT_STREQ(L"4,321.50", text);
        EXPECT_TRUE(IsChild(host, field)) << "the field lives in the host's window";
        EXPECT_TRUE(IsWindowVisible(field));

        control.reset();
        unknown.reset();
        container.reset();
        DestroyWindow(host);
        Pump();
    }
    // Nothing of the control is left alive: the library may go.
    HMODULE ocx = GetModuleHandleW(L"Quillomet.ocx");
    ASSERT_NE(nullptr, ocx);
    auto canUnload = quillomet::testing::ProcAddress<quillomet::testing::CanUnloadFunction>(
        ocx, "DllCanUnloadNow");
    EXPECT_EQ(S_OK, canUnload());
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    const int result = RUN_ALL_TESTS();
    CoFreeUnusedLibraries();
    OleUninitialize();
    return result;
}
