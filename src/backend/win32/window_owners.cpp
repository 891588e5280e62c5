#include "backend/win32/window_owners.h"

#include "common/described_error.h"
#include "win32com/module.h"
#include "win32com/slim_lock.h"

namespace quillomet::win32 {
namespace {

DWORD g_Slot = TLS_OUT_OF_INDEXES;
com::SlimLock g_Registering;

ThreadWindows* Existing() {
    return g_Slot == TLS_OUT_OF_INDEXES ? nullptr
                                        : static_cast<ThreadWindows*>(TlsGetValue(g_Slot));
}

} // namespace

bool ThreadWindows::ProcessAttached() {
    SetThreadDataSource(&ThreadWindows::CoreData);
    g_Slot = TlsAlloc();
    return g_Slot != TLS_OUT_OF_INDEXES;
}

// The thread's windows go with it, destroyed by the system without a
// message to anyone: only the bookkeeping is ours to free.
void ThreadWindows::ThreadDetached() {
    delete Existing();
    if (g_Slot != TLS_OUT_OF_INDEXES)
        TlsSetValue(g_Slot, nullptr);
}

// Unloaded while the process goes on, which DllCanUnloadNow allows only
// when no control is alive: the unloading thread's parking window, empty
// by then, goes with the library. Another thread's cannot be destroyed from
// here; it is the system's at that thread's end.
void ThreadWindows::LibraryUnloading() {
    if (ThreadWindows* windows = Existing()) {
        if (windows->m_Parking)
            DestroyWindow(windows->m_Parking);
        delete windows;
    }
    if (g_Slot != TLS_OUT_OF_INDEXES)
        TlsFree(g_Slot);
    g_Slot = TLS_OUT_OF_INDEXES;
}

ThreadData* ThreadWindows::CoreData(bool create) {
    if (ThreadWindows* windows = create ? &Current() : Existing())
        return &windows->m_CoreData;
    return nullptr;
}

// The thread lets go of its core data; controls that outlive it keep it.
ThreadWindows::~ThreadWindows() {
    ReleaseThreadData(m_CoreData);
}

ThreadWindows& ThreadWindows::Current() {
    if (ThreadWindows* windows = Existing())
        return *windows;
    if (g_Slot == TLS_OUT_OF_INDEXES)
        throw DescribedError("no thread storage for the control's windows");
    auto* windows = new ThreadWindows();
    TlsSetValue(g_Slot, windows);
    return *windows;
}

HWND ThreadWindows::ParkingWindow() {
    if (!m_Parking)
        m_Parking = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
    return m_Parking;
}

void RegisterOwnClass(WNDCLASSEXW wc) {
    wc.cbSize = sizeof wc;
    wc.hInstance = com::ModuleInstance();
    const auto held = g_Registering.Hold();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing))
        RegisterClassExW(&wc);
}

// Shared by the thread's controls.
HDC ThreadWindows::MeasuringDc() {
    if (!m_MeasuringDc)
        m_MeasuringDc.reset(CreateCompatibleDC(nullptr));
    return m_MeasuringDc.get();
}

} // namespace quillomet::win32
