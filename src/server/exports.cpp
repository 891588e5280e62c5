// The four exports and the entry point.
#include "backend/win32/host_entry.h"
#include "backend/win32/text_shaping.h"
#include "backend/win32/window_owners.h"
#include "common/thread_data.h"
#include "control/quillomet.h"
#include "ordinalex.h"
#include "server/class_factory.h"
#include "server/registration.h"
#include "server/type_info.h"
#include "win32com/error.h"
#include "win32com/module.h"

#include <windows.h>

// The static C++ runtime's own allocations, its emergency pool for
// exceptions among them, which it never frees by itself.
namespace __gnu_cxx {
void __freeres() noexcept;
}

using namespace quillomet;

// Threads are told of, for the windows' bookkeeping each keeps. At the
// process's end nothing is freed: the system takes it all. Unloaded while
// the process goes on, the library gives back what it keeps for the
// process and what the C++ runtime holds, or each load and unload would
// leave it behind (a host that frees unused libraries and loads them again
// would grow by it each time).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        com::SetModuleInstance(instance);
        return win32::ThreadWindows::ProcessAttached();
    case DLL_THREAD_DETACH:
        // What the thread's controls shared goes before the bookkeeping
        // its windows need to go.
        if (ThreadData* thread = ExistingThreadData())
            quillomet::Quillomet::EndThread(*thread);
        win32::ThreadWindows::ThreadDetached();
        break;
    case DLL_PROCESS_DETACH:
        if (!reserved) {
            win32::ThreadWindows::LibraryUnloading();
            win32::ReleaseTextShaping();
            ReleaseTypeInformation();
            __gnu_cxx::__freeres();
        }
        break;
    default:
        break;
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return com::CanUnload() ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return win32::EnterFromHost(nullptr, [&]() -> HRESULT {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (clsid != CLSID_Quillomet)
            return CLASS_E_CLASSNOTAVAILABLE;
        return TheClassFactory().QueryInterface(iid, object);
    });
}

STDAPI DllRegisterServer() {
    return win32::EnterFromHost(nullptr, [&]() -> HRESULT {
        RegisterServer(RegistrationScope::Machine);
        return S_OK;
    });
}

STDAPI DllUnregisterServer() {
    return win32::EnterFromHost(nullptr, [&]() -> HRESULT {
        UnregisterServer(RegistrationScope::Machine);
        return S_OK;
    });
}

// regsvr32 /i:user (with /n, alone) registers for the current user only and
// /u /i:user removes that; no command line is the machine-wide registration.
// A registration that fails halfway reports its failure and leaves what it
// wrote, as DllRegisterServer does: removing it could remove a working
// registration it was writing over.
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    return win32::EnterFromHost(nullptr, [&]() -> HRESULT {
        RegistrationScope scope = RegistrationScope::Machine;
        if (commandLine && *commandLine) {
            if (_wcsicmp(commandLine, L"user") != 0)
                return E_INVALIDARG;
            scope = RegistrationScope::User;
        }
        if (install)
            RegisterServer(scope);
        else
            UnregisterServer(scope);
        return S_OK;
    });
}
