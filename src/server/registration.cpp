#include "server/registration.h"

#include "common/integer_text.h"
#include "ordinalex.h"
#include "server/class_facts.h"
#include "win32com/com_ptr.h"
#include "win32com/error.h"
#include "win32com/module.h"
#include "win32com/registry_key.h"
#include "win32com/resource_ids.h"
#include "win32com/text_conversion.h"
#include "win32com/unique_bstr.h"

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace quillomet {
namespace {

// The facts are ASCII.
std::wstring Wide(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

const std::wstring ProgId = Wide(class_facts::ProgId);
// The system's marshaller for automation interfaces, described by their
// type library.
constexpr wchar_t AutomationMarshaller[] = L"{00020424-0000-0000-C000-000000000046}";
// The component categories the class is in: controls, and safe to load from
// untrusted data (object_safety.cpp says why it is not safe for scripting).
// Removed with the class's key.
constexpr const wchar_t* Categories[] = {
    L"{40FC6ED4-2438-11CF-A3DB-080036F12502}",
    L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}",
};

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

// Type library versions and locales are written in hexadecimal.
std::wstring Hex(unsigned long value) {
    return Utf8ToWide(UnsignedText(static_cast<std::uint32_t>(value), 16));
}

std::wstring Decimal(unsigned long value) {
    return Utf8ToWide(UnsignedText(static_cast<std::uint32_t>(value)));
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

std::wstring LocaleTypeLibKey() {
    return TypeLibVersionKey() + L"\\" + Hex(class_facts::TypeLibLocale);
}

// The type library's system kind is this library's architecture: each
// registers and removes its own platform key under the shared version key.
#ifdef _WIN64
constexpr SYSKIND ThisSysKind = SYS_WIN64;
constexpr const wchar_t* PlatformKey = L"\\win64";
constexpr const wchar_t* OtherPlatformKey = L"\\win32";
constexpr REGSAM OtherView = KEY_WOW64_32KEY;
#else
constexpr SYSKIND ThisSysKind = SYS_WIN32;
constexpr const wchar_t* PlatformKey = L"\\win32";
constexpr const wchar_t* OtherPlatformKey = L"\\win64";
constexpr REGSAM OtherView = KEY_WOW64_64KEY;
#endif

// The keys of the classes: the machine's or the user's (which needs no
// administrator rights), each opened where it lies: HKEY_CLASSES_ROOT would
// write the machine's registration into the user's keys wherever the user
// has keys of the class.
class ClassesRoot {
public:
    explicit ClassesRoot(RegistrationScope scope)
        : m_Hive(scope == RegistrationScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER) {
        com::ThrowIfFailed(HRESULT_FROM_WIN32(RegCreateKeyExW(m_Hive, ClassesPath, 0, nullptr, 0,
                                                              KEY_READ | KEY_WRITE | DELETE,
                                                              nullptr, m_Root.put(), nullptr)));
    }

    void Set(const std::wstring& path, const std::wstring& value) const {
        com::RegistryKey::Create(m_Root.get(), path).Set(nullptr, value);
    }
    com::RegistryKey Create(const std::wstring& path) const {
        return com::RegistryKey::Create(m_Root.get(), path);
    }
    bool Exists(const std::wstring& path) const {
        return static_cast<bool>(com::RegistryKey::OpenForReading(m_Root.get(), path));
    }
    void DeleteTree(const std::wstring& path) const {
        Deleted(RegDeleteTreeW(m_Root.get(), path.c_str()));
    }
    // The same key in both registry views, where the system keeps two.
    void DeleteTreeInBothViews(const std::wstring& parent, const std::wstring& leaf) const {
        for (const REGSAM view : {REGSAM{KEY_WOW64_32KEY}, REGSAM{KEY_WOW64_64KEY}}) {
            com::unique_hkey key;
            if (RegOpenKeyExW(m_Hive, FromHive(parent).c_str(), 0, KEY_READ | DELETE | view,
                              key.put()) != ERROR_SUCCESS)
                continue;
            Deleted(RegDeleteTreeW(key.get(), leaf.c_str()));
        }
    }
    // Deletes a key that holds no other key any more.
    void DeleteIfEmpty(const std::wstring& path) const {
        if (Exists(path) && SubkeyCount(path) == 0)
            DeleteTree(path);
    }
    DWORD SubkeyCount(const std::wstring& path) const {
        DWORD subkeys = 0;
        const auto key = com::RegistryKey::OpenForReading(m_Root.get(), path);
        if (key)
            RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr);
        return subkeys;
    }
    // Whether the other architecture's library has its type library
    // registered here: then the keys both share stay.
    bool OtherPlatformRegistered() const {
        return Exists(LocaleTypeLibKey() + OtherPlatformKey) ||
               Exists(NeutralTypeLibKey() + OtherPlatformKey);
    }
    // Whether the library of the other architecture has the class
    // registered in its own registry view. On a system without a second
    // view this reads our own, where the class has just been removed.
    bool ClassRegisteredInOtherView() const {
        const std::wstring path = L"CLSID\\" + GuidText(CLSID_Quillomet) + L"\\InprocServer32";
        com::unique_hkey key;
        return RegOpenKeyExW(m_Hive, FromHive(path).c_str(), 0, KEY_READ | OtherView, key.put()) ==
               ERROR_SUCCESS;
    }

private:
    // A view is chosen when a key is opened from its hive: opened below a
    // key of one view, the other view's keys are not reached.
    // A key that was not there is deleted too.
    static void Deleted(LONG result) {
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
            com::ThrowIfFailed(HRESULT_FROM_WIN32(result));
    }

    static constexpr wchar_t ClassesPath[] = L"Software\\Classes";
    static std::wstring FromHive(const std::wstring& path) {
        return std::wstring(ClassesPath) + L"\\" + path;
    }
    HKEY m_Hive;
    com::unique_hkey m_Root;
};

struct InterfaceEntry {
    const IID& iid;
    const wchar_t* name;
};
const InterfaceEntry Interfaces[] = {
    {IID__Quillomet, L"_Quillomet"},
    {DIID___Quillomet, L"__Quillomet"},
};

// What the system's RegisterTypeLib writes for the machine, written by
// hand for the user: the system registers the user's type library
// machine-wide on some versions, which a user without rights cannot do.
void RegisterTypeLibForUser(const ClassesRoot& root, ITypeLib* typeLib, const std::wstring& path) {
    const std::wstring libid = GuidText(LIBID_Ordinalex);
    // Named by its help string, as the system names it, else by its name.
    com::unique_bstr name, help;
    com::ThrowIfFailed(typeLib->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr));
    const BSTR title = SysStringLen(help.get()) ? help.get() : name.get();
    root.Set(TypeLibVersionKey(), std::wstring(title, SysStringLen(title)));
    TLIBATTR* attributes = nullptr;
    com::ThrowIfFailed(typeLib->GetLibAttr(&attributes));
    const WORD flags = attributes->wLibFlags;
    typeLib->ReleaseTLibAttr(attributes);
    root.Set(TypeLibVersionKey() + L"\\FLAGS", Hex(flags));
    root.Set(TypeLibVersionKey() + L"\\HELPDIR", path.substr(0, path.find_last_of(L'\\')));
    root.Set(LocaleTypeLibKey() + PlatformKey, path);
    for (const InterfaceEntry& entry : Interfaces) {
        const std::wstring key = L"Interface\\" + GuidText(entry.iid);
        root.Set(key, entry.name);
        root.Set(key + L"\\ProxyStubClsid", AutomationMarshaller);
        root.Set(key + L"\\ProxyStubClsid32", AutomationMarshaller);
        const com::RegistryKey library = root.Create(key + L"\\TypeLib");
        library.Set(nullptr, libid);
        library.Set(L"Version", TypeLibVersion());
    }
}

// The user's type library keys; what both architectures share goes with the
// last of them: the version key, and the interfaces' keys in both views.
void UnregisterTypeLibForUser(const ClassesRoot& root) {
    root.DeleteTree(LocaleTypeLibKey() + PlatformKey);
    root.DeleteIfEmpty(LocaleTypeLibKey());
    if (root.OtherPlatformRegistered())
        return;
    root.DeleteTree(TypeLibVersionKey());
    root.DeleteIfEmpty(L"TypeLib\\" + GuidText(LIBID_Ordinalex));
    for (const InterfaceEntry& entry : Interfaces)
        root.DeleteTreeInBothViews(L"Interface", GuidText(entry.iid));
}

} // namespace

void RegisterServer(RegistrationScope scope) {
    const ClassesRoot root(scope);
    const std::wstring path = ModulePath();
    const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_Quillomet);

    const std::wstring className = Wide(class_facts::ClassName);
    const std::wstring miscStatus = Decimal(class_facts::MiscStatus);
    root.Set(clsid, className);
    {
        const com::RegistryKey server = root.Create(clsid + L"\\InprocServer32");
        server.Set(nullptr, path);
        server.Set(L"ThreadingModel", Wide(class_facts::ThreadingModel));
    }
    root.Set(clsid + L"\\ProgID", ProgId);
    root.Set(clsid + L"\\Control", L"");
    root.Set(clsid + L"\\ToolboxBitmap32", path + L", " + Decimal(IDB_TOOLBOX));
    root.Set(clsid + L"\\MiscStatus", miscStatus);
    root.Set(clsid + L"\\MiscStatus\\1", miscStatus);
    root.Set(clsid + L"\\TypeLib", GuidText(LIBID_Ordinalex));
    root.Set(clsid + L"\\Version", TypeLibVersion());
    for (const wchar_t* category : Categories)
        root.Create(clsid + L"\\Implemented Categories\\" + category);
    root.Set(ProgId, className);
    root.Set(ProgId + L"\\CLSID", GuidText(CLSID_Quillomet));

    // The type library from resource 1, with both interfaces as automation
    // interfaces.
    com::com_ptr<ITypeLib> typeLib;
    com::ThrowIfFailed(LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib.put()));
    if (scope == RegistrationScope::User)
        RegisterTypeLibForUser(root, typeLib.get(), path);
    else
        com::ThrowIfFailed(
            RegisterTypeLib(typeLib.get(), const_cast<wchar_t*>(path.c_str()), nullptr));
    // The library's locale is US English, but the system's proxies, through
    // which a client in another apartment calls the control, look it up
    // under the neutral locale: without this path no such client can reach
    // the control at all.
    root.Set(NeutralTypeLibKey() + PlatformKey, path);
}

void UnregisterServer(RegistrationScope scope) {
    const ClassesRoot root(scope);
    root.DeleteTree(L"CLSID\\" + GuidText(CLSID_Quillomet));
    // Both architectures' libraries share the ProgID and the type library's
    // version key (the class keys are each in their own registry view): what
    // is shared stays while the other library is registered.
    if (!root.ClassRegisteredInOtherView())
        root.DeleteTree(ProgId);
    // Ours, not the system's: this platform's path under the neutral
    // locale, and the locale's key once no platform is left under it (it
    // would keep the version key alive).
    root.DeleteTree(NeutralTypeLibKey() + PlatformKey);
    root.DeleteIfEmpty(NeutralTypeLibKey());
    if (scope == RegistrationScope::User) {
        UnregisterTypeLibForUser(root);
        return;
    }
    // Unregistering what is not registered succeeds; the system reports a
    // library that is not registered as an invalid argument.
    if (!root.Exists(LocaleTypeLibKey() + PlatformKey))
        return;
    // The system would take the interfaces' keys in both views with this
    // platform's, which the other library still needs: only this
    // platform's key goes then.
    if (root.OtherPlatformRegistered()) {
        root.DeleteTree(LocaleTypeLibKey() + PlatformKey);
        root.DeleteIfEmpty(LocaleTypeLibKey());
        return;
    }
    const HRESULT hr =
        UnRegisterTypeLib(LIBID_Ordinalex, class_facts::TypeLibMajor, class_facts::TypeLibMinor,
                          class_facts::TypeLibLocale, ThisSysKind);
    if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED)
        com::ThrowIfFailed(hr);
}

} // namespace quillomet
