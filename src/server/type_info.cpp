#include "server/type_info.h"

#include "ordinalex.h"
#include "win32com/com_ptr.h"
#include "win32com/error.h"
#include "win32com/module.h"

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

} // namespace

// Loaded once and kept for the life of the process: type information is
// the same for every control, and releasing it while the process detaches
// the library would call into a system library that may be gone already.
ITypeLib* OrdinalexTypeLib() {
    static ITypeLib* const typeLib = LoadOwnTypeLib().detach();
    return typeLib;
}

ITypeInfo* QuillometInterfaceInfo() {
    static ITypeInfo* const info = VtableView().detach();
    return info;
}

ITypeInfo* QuillometClassInfo() {
    static ITypeInfo* const info = InfoOf(CLSID_Quillomet).detach();
    return info;
}

} // namespace quillomet
