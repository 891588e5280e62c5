// The four exports and the entry point.
#include "ordinalex.h"
#include "server/class_factory.h"
#include "server/com/error.h"
#include "server/com/module.h"
#include "server/registration.h"

#include <windows.h>

using namespace quillomet;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        com::SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return com::CanUnload() ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) try {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_Quillomet)
        return CLASS_E_CLASSNOTAVAILABLE;
    return MakeClassFactory()->QueryInterface(iid, object);
} catch (...) {
    return com::ToHresult();
}

STDAPI DllRegisterServer() try {
    RegisterServer();
    return S_OK;
} catch (...) {
    return com::ToHresult();
}

STDAPI DllUnregisterServer() try {
    UnregisterServer();
    return S_OK;
} catch (...) {
    return com::ToHresult();
}
