// The library comes and goes as the system decides: created through the
// registry (as the registration test left it), placed on a form and used,
// released, freed by CoFreeUnusedLibrariesEx, and loaded again for a new
// control that works; on the main thread and on threads of their own that
// must end. Runs under Wine.
#include "com_test_support.h"
#include "control_cycle.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using quillomet::testing::Pump;
using quillomet::testing::Ref;
using quillomet::testing::UseOneControl;

constexpr double CycleResult = 13.5; // typed 12.5, stepped up once

bool Loaded() {
    return GetModuleHandleW(L"Quillomet.ocx") != nullptr;
}

// A form of the calling thread with one cycle of a control on it.
double UseAControlOnAForm() {
    Ref<IClassFactory> factory;
    if (FAILED(CoGetClassObject(CLSID_Quillomet, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                factory.put_void())))
        return -1;
    const HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                      30, 30, 300, 120, nullptr, nullptr, nullptr, nullptr);
    const double result = UseOneControl(factory.get(), form);
    DestroyWindow(form);
    Pump();
    return result;
}

// Asked with no delay, the system frees a library that says it can go.
bool Freed() {
    CoFreeUnusedLibrariesEx(0, 0);
    Pump();
    return !Loaded();
}

TEST(UnloadTest, LibraryIsFreedAndLoadsAgain) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(CycleResult, UseAControlOnAForm());
        EXPECT_TRUE(Freed()) << "Quillomet.ocx is still loaded";
    }
}

// Waits for a thread that runs with this test's stack objects; one that
// does not end leaves nothing safe to go on with.
void Join(HANDLE thread) {
    if (WaitForSingleObject(thread, 20000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "a thread that used the control never ended";
        std::abort();
    }
    CloseHandle(thread);
}

struct ThreadRun {
    double result = 0;
    static DWORD WINAPI Run(void* self) {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
            return 1;
        static_cast<ThreadRun*>(self)->result = UseAControlOnAForm();
        CoFreeUnusedLibrariesEx(0, 0);
        CoUninitialize();
        return 0;
    }
};

// A host thread that showed controls ends, its apartment's hold on the
// library goes with it, and the library loads again for a control on
// another thread. The threads take turns: two user-interface threads
// typing into controls at once can fault under Wine, with or without the
// library being unloaded, and are not tested here.
TEST(UnloadTest, ThreadsThatUsedTheControlEnd) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ThreadRun run;
        Join(CreateThread(nullptr, 0, &ThreadRun::Run, &run, 0, nullptr));
        EXPECT_EQ(CycleResult, run.result);
        EXPECT_TRUE(Freed()) << "Quillomet.ocx is still loaded";
    }
    EXPECT_EQ(CycleResult, UseAControlOnAForm());
}

// A multithreaded client: the system makes the control on an apartment
// thread of its own and hands the client a proxy, built from the type
// library for the dual interface. The control is reached, and once
// released nothing of it, the class factory included, holds the library.
struct FreeThreadedRun {
    HRESULT created = E_FAIL;
    double value = 0;
    static DWORD WINAPI Run(void* self) {
        auto& run = *static_cast<FreeThreadedRun*>(self);
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
            return 1;
        {
            Ref<_Quillomet> control;
            run.created = CoCreateInstance(CLSID_Quillomet, nullptr, CLSCTX_INPROC_SERVER,
                                           IID__Quillomet, control.put_void());
            if (SUCCEEDED(run.created)) {
                VARIANT value;
                VariantInit(&value);
                V_VT(&value) = VT_R8;
                V_R8(&value) = 7.25;
                control->put_value(value);
                VariantInit(&value);
                control->get_value(&value);
                VariantChangeType(&value, &value, 0, VT_R8);
                run.value = V_R8(&value);
            }
        }
        CoUninitialize();
        return 0;
    }
};

TEST(UnloadTest, AClientInAnotherApartmentReachesTheControlAndLetsItGo) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        FreeThreadedRun run;
        Join(CreateThread(nullptr, 0, &FreeThreadedRun::Run, &run, 0, nullptr));
        EXPECT_EQ(S_OK, run.created);
        EXPECT_EQ(7.25, run.value);
        // The system's apartment thread keeps the library loaded (until the
        // process ends: this test comes last); asked, it says it may go.
        const HMODULE library = GetModuleHandleW(L"Quillomet.ocx");
        ASSERT_NE(nullptr, library);
        const auto canUnload =
            quillomet::testing::ProcAddress<quillomet::testing::CanUnloadFunction>(
                library, "DllCanUnloadNow");
        ASSERT_NE(nullptr, canUnload);
        EXPECT_EQ(S_OK, canUnload());
    }
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
