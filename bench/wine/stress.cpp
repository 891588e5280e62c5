// Many controls, one after another, in one process: what each leaves
// behind. Every 1,000 cycles it prints the working set, the bytes in use
// on the process's heaps, the GDI objects the library holds and the
// windows of the thread; at the end, whether the library may be unloaded.
//
//   stress PATH-TO-Quillomet.ocx [CYCLES]
//          [--client form|unload|apartment|dispatch|dual|null]
//
//   form       one whole life per cycle: created, sited, placed, typed
//              into, stepped, its calculator opened, saved, loaded into a
//              second control and released (the default)
//   unload     the form's cycle with the library loaded before it and
//              freed after it (LoadLibrary, FreeLibrary), as hosts that
//              free unused libraries and load them again do
//   apartment  a bare create, value write and read, release, from this
//              single-threaded apartment, through the registry
//   dispatch   the same from a multithreaded client, through IDispatch:
//              the control lives on the system's apartment thread and is
//              reached through proxies
//   dual       as dispatch, through the dual interface: its proxies are
//              made from the type library by the system's marshaller
//   null       as dispatch, but of an object of our own that does nothing
//              (null_server.dll beside this program, registered while it
//              runs): what the system's activation itself leaves behind
//
// The figures at the first checkpoint are the baseline: what the first
// thousand cycles settle (heaps grown to their working size, caches
// filled). It exits with 1 when a cycle fails, when the last checkpoint
// is more than 1 % above it in working set, when the heap grew by more
// than 4 bytes a cycle, when a GDI object or a window is left, or when
// DllCanUnloadNow does not answer S_OK. The unload client counts the
// process's GDI objects, as each load starts the library's own count
// afresh. Windows are counted on this thread:
// the multithreaded clients' controls live on the system's thread, where
// the library's own GDI count and the heap see them instead. The dual client's memory is shown, not
// judged: Wine's marshaller keeps about a kilobyte for every proxy it makes from a type library,
// whoever's library it is, while the control itself is gone (the library
// says it may be unloaded, and through IDispatch the same client stays
// flat).
#include "control_cycle.h"
#include "null_server.h"
#include "process_measures.h"
#include "server/diagnostics.h"
#include "test_site.h"
#include "win32com/registry_key.h"
#include "win32com/unique_variant.h"

#include <psapi.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using quillomet::testing::Library;
using quillomet::testing::Pump;
using quillomet::testing::Ref;

struct Checkpoint {
    long cycle = 0;
    double workingSetKb = 0;
    double heapKb = 0;
    long gdiObjects = 0;
    long windows = 0;
};

double WorkingSetKb() {
    PROCESS_MEMORY_COUNTERS counters{sizeof counters};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize) / 1024.0;
}

// Bytes in busy blocks over every heap of the process, in KB.
double HeapKb() {
    return quillomet::bench::HeapBytes() / 1024.0;
}

// The library's own count, read from a control made for the purpose.
long LiveGdiObjects(IClassFactory* factory) {
    Ref<IQuillometDiagnostics> diagnostics;
    if (!factory || FAILED(factory->CreateInstance(nullptr, __uuidof(IQuillometDiagnostics),
                                                   diagnostics.put_void())))
        return -1;
    LONG count = -1;
    diagnostics->LiveGdiObjects(&count);
    return count;
}

// The library loaded, a control's whole life on the form, and the library
// freed again: the first failure's HRESULT, or S_OK.
HRESULT LoadUseUnload(const std::string& path, HWND form) {
    Library library;
    if (!library.Load(path))
        return E_FAIL;
    HRESULT hr = S_OK;
    {
        Ref<IClassFactory> factory;
        hr = library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void());
        if (SUCCEEDED(hr))
            hr = quillomet::testing::UseOneControl(factory.get(), form) == 13.5 ? S_OK : E_FAIL;
    }
    Pump();
    if (SUCCEEDED(hr) && library.canUnload() != S_OK)
        hr = E_FAIL;
    FreeLibrary(library.module);
    if (SUCCEEDED(hr) && GetModuleHandleW(L"Quillomet.ocx"))
        hr = E_FAIL; // something else holds it
    return hr;
}

// A bare control from the registry, given a value and read through
// IDispatch; the first failure's HRESULT, or S_OK.
HRESULT CreateUseReleaseLate() {
    Ref<IDispatch> control;
    HRESULT hr = CoCreateInstance(CLSID_Quillomet, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                  control.put_void());
    if (FAILED(hr))
        return hr;
    const wchar_t* name = L"value";
    DISPID dispid = 0;
    if (FAILED(hr = control->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(&name), 1,
                                           LOCALE_USER_DEFAULT, &dispid)))
        return hr;
    quillomet::com::unique_variant value;
    V_VT(value.get()) = VT_I4;
    V_I4(value.get()) = 42;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{value.get(), &named, 1, 1};
    if (FAILED(hr = control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                    &put, nullptr, nullptr, nullptr)))
        return hr;
    DISPPARAMS none{};
    hr = control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                         value.put(), nullptr, nullptr);
    if (SUCCEEDED(hr))
        hr = VariantChangeType(value.get(), value.get(), 0, VT_I4);
    const bool same = SUCCEEDED(hr) && V_I4(value.get()) == 42;
    return FAILED(hr) ? hr : same ? S_OK : E_UNEXPECTED;
}

// The same through the dual interface.
HRESULT CreateUseRelease() {
    Ref<_Quillomet> control;
    HRESULT hr = CoCreateInstance(CLSID_Quillomet, nullptr, CLSCTX_INPROC_SERVER, IID__Quillomet,
                                  control.put_void());
    if (FAILED(hr))
        return hr;
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = 42;
    if (FAILED(hr = control->put_value(value)))
        return hr;
    VariantInit(&value);
    if (FAILED(hr = control->get_value(&value)) ||
        FAILED(hr = VariantChangeType(&value, &value, 0, VT_I4)))
        return hr;
    return V_I4(&value) == 42 ? S_OK : E_UNEXPECTED;
}

HRESULT CreateNullRelease() {
    Ref<IUnknown> object;
    return CoCreateInstance(CLSID_NullObject, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                            object.put_void());
}

// The server that does nothing, registered from beside the program, and
// unregistered again.
class NullServerRegistration {
public:
    NullServerRegistration() {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring server(path, length);
        server = server.substr(0, server.find_last_of(L'\\') + 1) + L"null_server.dll";
        HKEY created = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, (ClassKey() + L"\\InprocServer32").c_str(), 0,
                            nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) != ERROR_SUCCESS)
            return;
        const quillomet::com::unique_hkey key(created);
        RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                       static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
        const std::wstring model = L"Apartment";
        RegSetValueExW(key.get(), L"ThreadingModel", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(model.c_str()),
                       static_cast<DWORD>((model.size() + 1) * sizeof(wchar_t)));
    }
    ~NullServerRegistration() { RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey().c_str()); }

private:
    static std::wstring ClassKey() {
        wchar_t clsid[40] = {};
        StringFromGUID2(CLSID_NullObject, clsid, 40);
        return std::wstring(L"CLSID\\") + clsid;
    }
};

void Print(const Checkpoint& point) {
    std::printf(
        "%8ld cycles  working set %9.0f KB  heap %9.1f KB  GDI objects %3ld  windows %3ld\n",
        point.cycle, point.workingSetKb, point.heapKb, point.gdiObjects, point.windows);
    std::fflush(stdout);
}

double Growth(double from, double to) {
    return from > 0 ? (to - from) / from * 100.0 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: stress PATH-TO-Quillomet.ocx [CYCLES] "
                             "[--client form|unload|apartment|dispatch|dual|null]\n");
        return 2;
    }
    long cycles = 10000;
    std::string client = "form";
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--client") == 0 && i + 1 < argc)
            client = argv[++i];
        else
            cycles = std::atol(argv[i]);
    }
    const bool freeThreaded = client == "dispatch" || client == "dual" || client == "null";
    const bool unload = client == "unload";
    if (client != "form" && client != "apartment" && !unload && !freeThreaded) {
        std::fprintf(stderr, "unknown client %s\n", client.c_str());
        return 2;
    }
    if (freeThreaded)
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    else
        OleInitialize(nullptr);
    const NullServerRegistration nullServer;

    // The unload client loads the library for each cycle: it is not held here.
    const std::string path = quillomet::testing::WindowsPath(argv[1]);
    Library library;
    Ref<IClassFactory> factory;
    if (!unload && !library.Load(path)) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 2;
    }
    if (!unload &&
        FAILED(library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void()))) {
        std::fprintf(stderr, "no class factory in %s\n", argv[1]);
        return 2;
    }
    const HWND form =
        CreateWindowExW(0, L"STATIC", L"stress", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 30, 30, 300,
                        120, nullptr, nullptr, nullptr, nullptr);
    std::printf("%s client, %ld cycles\n", client.c_str(), cycles);

    std::vector<Checkpoint> points;
    long failures = 0;
    for (long cycle = 1; cycle <= cycles; ++cycle) {
        HRESULT hr = S_OK;
        if (client == "form")
            hr = quillomet::testing::UseOneControl(factory.get(), form) == 13.5 ? S_OK : E_FAIL;
        else if (unload)
            hr = LoadUseUnload(path, form);
        else if (client == "dispatch")
            hr = CreateUseReleaseLate();
        else if (client == "null")
            hr = CreateNullRelease();
        else
            hr = CreateUseRelease();
        if (FAILED(hr) && ++failures <= 3)
            std::printf("cycle %ld failed: 0x%08lx\n", cycle, static_cast<unsigned long>(hr));
        if (cycle % 1000 == 0 || cycle == cycles) {
            Pump();
            Checkpoint point{cycle, WorkingSetKb(), HeapKb(),
                             unload ? quillomet::bench::ProcessGdiObjects()
                                    : LiveGdiObjects(factory.get()),
                             quillomet::testing::ThreadWindows()};
            Print(point);
            points.push_back(point);
        }
    }
    factory.reset();
    DestroyWindow(form);
    Pump();
    CoFreeUnusedLibrariesEx(0, 0);
    const HRESULT canUnload = unload ? S_OK : library.canUnload();
    if (!unload)
        std::printf("DllCanUnloadNow: %s\n", canUnload == S_OK ? "S_OK" : "S_FALSE");

    int result = failures == 0 && canUnload == S_OK ? 0 : 1;
    if (failures)
        std::printf("%ld cycles failed\n", failures);
    if (points.size() >= 2) {
        const Checkpoint& first = points.front();
        const Checkpoint& last = points.back();
        const double workingSet = Growth(first.workingSetKb, last.workingSetKb);
        const double heap = Growth(first.heapKb, last.heapKb);
        const double perCycle =
            (last.heapKb - first.heapKb) * 1024.0 / static_cast<double>(last.cycle - first.cycle);
        std::printf("from cycle %ld to %ld: working set %+.2f %%, heap %+.2f %% (%+.1f bytes per "
                    "cycle), GDI objects %ld -> %ld, windows %ld -> %ld\n",
                    first.cycle, last.cycle, workingSet, heap, perCycle, first.gdiObjects,
                    last.gdiObjects, first.windows, last.windows);
        const bool memoryJudged = client != "dual";
        if ((memoryJudged && (workingSet > 1.0 || perCycle > 4.0)) || last.gdiObjects < 0 ||
            last.gdiObjects > first.gdiObjects || last.windows > first.windows)
            result = 1;
        if (!memoryJudged && result == 0) {
            std::printf("nothing of the control left; memory not judged\n");
            result = -1;
        }
    }
    if (result >= 0)
        std::printf("%s\n", result == 0 ? "flat" : "NOT FLAT");
    result = result < 0 ? 0 : result;
    if (freeThreaded)
        CoUninitialize();
    else
        OleUninitialize();
    return result;
}
