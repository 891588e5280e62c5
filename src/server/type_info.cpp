#include "server/type_info.h"

#include "ordinalex.h"
#include "win32com/com_ptr.h"
#include "win32com/error.h"
#include "win32com/module.h"

#include <atomic>
#include <string>

namespace quillomet {
namespace {

com::com_ptr<ITypeLib> LoadOwnTypeLib() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(com::ModuleInstance(), path, MAX_PATH * 2);
    com::com_ptr<ITypeLib> typeLib;
    com::ThrowIfFailed(LoadTypeLibEx(path, REGKIND_NONE, typeLib.put()));
    return typeLib;
}

com::com_ptr<ITypeInfo> InfoOf(REFGUID guid) {
    com::com_ptr<ITypeInfo> info;
    com::ThrowIfFailed(OrdinalexTypeLib()->GetTypeInfoOfGuid(guid, info.put()));
    return info;
}

com::com_ptr<ITypeInfo> VtableView() {
    com::com_ptr<ITypeInfo> dispatchView = InfoOf(IID__Quillomet);
    HREFTYPE vtable = 0;
    com::ThrowIfFailed(dispatchView->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable));
    com::com_ptr<ITypeInfo> info;
    com::ThrowIfFailed(dispatchView->GetRefTypeInfo(vtable, info.put()));
    return info;
}

// What is kept, to be let go of in the order it was made in reverse.
std::atomic<IUnknown*> g_TypeLib, g_InterfaceInfo, g_ClassInfo;

template <typename T>
T* Kept(com::com_ptr<T> object, std::atomic<IUnknown*>& slot) {
    slot = object.get();
    return object.detach();
}

} // namespace

// Loaded once and kept while the library is loaded: type information is the
// same for every control. Unloaded while the process goes on, the library
// lets go of it (the system makes the vtable view anew for each load, and
// would keep every one); at the process's end it leaves it to the system,
// as releasing it then would call into a library that may be gone already.
ITypeLib* OrdinalexTypeLib() {
    static ITypeLib* const typeLib = Kept(LoadOwnTypeLib(), g_TypeLib);
    return typeLib;
}

ITypeInfo* QuillometInterfaceInfo() {
    static ITypeInfo* const info = Kept(VtableView(), g_InterfaceInfo);
    return info;
}

ITypeInfo* QuillometClassInfo() {
    static ITypeInfo* const info = Kept(InfoOf(CLSID_Quillomet), g_ClassInfo);
    return info;
}

void ReleaseTypeInformation() noexcept {
    for (std::atomic<IUnknown*>* slot : {&g_ClassInfo, &g_InterfaceInfo, &g_TypeLib})
        if (IUnknown* kept = slot->exchange(nullptr))
            kept->Release();
}

} // namespace quillomet
