#pragma once

#include "ordinalex.h"
#include "win32com/com_ptr.h"

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <string>

namespace quillomet::testing {

// An interface pointer the test owns: the library's own wrapper.
template <typename T>
using Ref = com::com_ptr<T>;

// A path handed over by ctest, as Windows sees it under Wine.
inline std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
    return path;
}

inline std::wstring WindowsPathW(const std::string& path) {
    const std::string windows = WindowsPath(path);
    return std::wstring(windows.begin(), windows.end());
}

using GetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadFunction = HRESULT(WINAPI*)();

// An exported function as the type it has; null where it is not exported.
// Through a function pointer without parameters, which converts to any.
template <class Function>
Function ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Quillomet.ocx loaded directly, without registration, and its factory.
struct Library {
    HMODULE module = nullptr;
    GetClassObjectFunction getClassObject = nullptr;
    CanUnloadFunction canUnload = nullptr;

    bool Load(const std::string& path) {
        module = LoadLibraryA(path.c_str());
        if (!module)
            return false;
        getClassObject = ProcAddress<GetClassObjectFunction>(module, "DllGetClassObject");
        canUnload = ProcAddress<CanUnloadFunction>(module, "DllCanUnloadNow");
        return getClassObject && canUnload;
    }
};

// Lets the window messages that are waiting be handled.
inline void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace quillomet::testing
