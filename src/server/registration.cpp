#include "server/registration.h"

#include "ordinalex.h"
#include "server/class_facts.h"
#include "win32com/com_ptr.h"
#include "win32com/error.h"
#include "win32com/module.h"
#include "win32com/registry_key.h"
#include "win32com/resource_ids.h"

#include <windows.h>

#include <oleauto.h>

#include <cwchar>
#include <string>

namespace quillomet {
namespace {

// The facts are ASCII.
std::wstring Wide(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

const std::wstring ProgId = Wide(class_facts::ProgId);

void SetKey(const std::wstring& path, const std::wstring& value) {
    com::RegistryKey::Create(HKEY_CLASSES_ROOT, path).Set(nullptr, value);
}

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(com::ModuleInstance(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            com::ThrowIfFailed(HRESULT_FROM_WIN32(GetLastError()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void DeleteTree(const std::wstring& path) {
    const LONG result = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        com::ThrowIfFailed(HRESULT_FROM_WIN32(result));
}

// Type library versions and locales are written in hexadecimal.
std::wstring Hex(unsigned long value) {
    wchar_t text[16] = {};
    swprintf(text, 16, L"%lx", value);
    return text;
}

std::wstring TypeLibVersion() {
    return Hex(class_facts::TypeLibMajor) + L"." + Hex(class_facts::TypeLibMinor);
}

// The type library's version key, which the system writes.
std::wstring TypeLibVersionKey() {
    return L"TypeLib\\" + GuidText(LIBID_Ordinalex) + L"\\" + TypeLibVersion();
}

std::wstring NeutralTypeLibKey() {
    return TypeLibVersionKey() + L"\\0";
}

// The type library's system kind is this library's architecture: each
// registers and removes its own platform key under the shared version key.
#ifdef _WIN64
constexpr SYSKIND ThisSysKind = SYS_WIN64;
constexpr const wchar_t* PlatformKey = L"\\win64";
#else
constexpr SYSKIND ThisSysKind = SYS_WIN32;
constexpr const wchar_t* PlatformKey = L"\\win32";
#endif

bool KeyExists(const std::wstring& path) {
    return static_cast<bool>(com::RegistryKey::OpenForReading(HKEY_CLASSES_ROOT, path));
}

// Deletes a key that holds no other key any more.
void DeleteIfEmpty(const std::wstring& path) {
    DWORD subkeys = 0;
    {
        const auto key = com::RegistryKey::OpenForReading(HKEY_CLASSES_ROOT, path);
        if (!key ||
            RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return;
    }
    if (subkeys == 0)
        DeleteTree(path);
}

// Whether the library of the other architecture has the class registered in
// its own registry view. On a system without a second view this reads our
// own, where the class has just been removed.
bool ClassRegisteredInOtherView() {
#ifdef _WIN64
    constexpr REGSAM otherView = KEY_WOW64_32KEY;
#else
    constexpr REGSAM otherView = KEY_WOW64_64KEY;
#endif
    const std::wstring path = L"CLSID\\" + GuidText(CLSID_Quillomet) + L"\\InprocServer32";
    com::unique_hkey key;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | otherView, key.put()) ==
           ERROR_SUCCESS;
}

} // namespace

void RegisterServer() {
    const std::wstring path = ModulePath();
    const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_Quillomet);

    const std::wstring className = Wide(class_facts::ClassName);
    const std::wstring miscStatus = std::to_wstring(class_facts::MiscStatus);
    SetKey(clsid, className);
    {
        const com::RegistryKey server =
            com::RegistryKey::Create(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32");
        server.Set(nullptr, path);
        server.Set(L"ThreadingModel", Wide(class_facts::ThreadingModel));
    }
    SetKey(clsid + L"\\ProgID", ProgId);
    SetKey(clsid + L"\\Control", L"");
    SetKey(clsid + L"\\ToolboxBitmap32", path + L", " + std::to_wstring(IDB_TOOLBOX));
    SetKey(clsid + L"\\MiscStatus", miscStatus);
    SetKey(clsid + L"\\MiscStatus\\1", miscStatus);
    SetKey(clsid + L"\\TypeLib", GuidText(LIBID_Ordinalex));
    SetKey(clsid + L"\\Version", TypeLibVersion());
    SetKey(ProgId, className);
    SetKey(ProgId + L"\\CLSID", GuidText(CLSID_Quillomet));

    // The type library from resource 1, with both interfaces as
    // automation interfaces.
    com::com_ptr<ITypeLib> typeLib;
    com::ThrowIfFailed(LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib.put()));
    com::ThrowIfFailed(RegisterTypeLib(typeLib.get(), const_cast<wchar_t*>(path.c_str()), nullptr));
    // The library's locale is US English, but the system's proxies, through
    // which a client in another apartment calls the control, look it up
    // under the neutral locale: without this path no such client can reach
    // the control at all.
    SetKey(NeutralTypeLibKey() + PlatformKey, path);
}

void UnregisterServer() {
    DeleteTree(L"CLSID\\" + GuidText(CLSID_Quillomet));
    // Both architectures' libraries share the ProgID and the type library's
    // version key (the class keys are each in their own registry view): what
    // is shared stays while the other library is registered.
    if (!ClassRegisteredInOtherView())
        DeleteTree(ProgId);
    // Ours, not the system's: this platform's path under the neutral
    // locale, and the locale's key once no platform is left under it (it
    // would keep the version key alive).
    DeleteTree(NeutralTypeLibKey() + PlatformKey);
    DeleteIfEmpty(NeutralTypeLibKey());
    // Unregistering what is not registered succeeds; the system reports a
    // library that is not registered as an invalid argument. The system
    // removes its platform key, and the version key and the interfaces'
    // keys once no other platform is registered.
    if (!KeyExists(TypeLibVersionKey() + L"\\" + Hex(class_facts::TypeLibLocale) + PlatformKey))
        return;
    const HRESULT hr =
        UnRegisterTypeLib(LIBID_Ordinalex, class_facts::TypeLibMajor, class_facts::TypeLibMinor,
                          class_facts::TypeLibLocale, ThisSysKind);
    if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED)
        com::ThrowIfFailed(hr);
}

} // namespace quillomet
