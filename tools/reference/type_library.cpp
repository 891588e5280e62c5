#include "reference/type_library.h"

#include "reference/examples.h"
#include "win32com/com_ptr.h"
#include "win32com/error.h"
#include "win32com/text_conversion.h"
#include "win32com/unique_bstr.h"

#include <windows.h>

#include <oleauto.h>

namespace quillomet::reference {
namespace {

using com::com_ptr;
using com::ThrowIfFailed;

// A description the type information hands out and takes back.
template <typename Desc, void (STDMETHODCALLTYPE ITypeInfo::*Release)(Desc*)>
class Borrowed {
public:
    explicit Borrowed(ITypeInfo* info) : m_Info(info) {}
    Borrowed(const Borrowed&) = delete;
    Borrowed& operator=(const Borrowed&) = delete;
    ~Borrowed() {
        if (m_Desc)
            (m_Info->*Release)(m_Desc);
    }
    Desc** put() { return &m_Desc; }
    const Desc* operator->() const { return m_Desc; }

private:
    ITypeInfo* m_Info;
    Desc* m_Desc = nullptr;
};
using TypeAttr = Borrowed<TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using FuncDesc = Borrowed<FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;

struct Documentation {
    std::string name;
    std::string help;
};

Documentation Document(ITypeInfo* info, MEMBERID id) {
    com::unique_bstr name, help;
    ThrowIfFailed(info->GetDocumentation(id, name.put(), help.put(), nullptr, nullptr));
    return {BstrToUtf8(name.get()), BstrToUtf8(help.get())};
}

std::string NameOf(ITypeInfo* info) {
    return Document(info, MEMBERID_NIL).name;
}

TypeName NameType(ITypeInfo* owner, const TYPEDESC& type) {
    switch (type.vt) {
    case VT_PTR: {
        const TypeName target = NameType(owner, *type.lptdesc);
        return {target.cpp + "*", target.script};
    }
    case VT_USERDEFINED: {
        com_ptr<ITypeInfo> referenced;
        ThrowIfFailed(owner->GetRefTypeInfo(type.hreftype, referenced.put()));
        const std::string name = NameOf(referenced.get());
        return {name, name};
    }
    case VT_BOOL:
        return {"VARIANT_BOOL", "Boolean"};
    case VT_I2:
        return {"short", "Integer"};
    case VT_I4:
        return {"LONG", "Long"};
    case VT_R4:
        return {"float", "Single"};
    case VT_BSTR:
        return {"BSTR", "String"};
    case VT_VARIANT:
        return {"VARIANT", "Variant"};
    case VT_HRESULT:
        return {"HRESULT", ""};
    case VT_VOID:
        return {"void", ""};
    default:
        throw InputError("a type the reference cannot name: VARTYPE " + std::to_string(type.vt));
    }
}

Access AccessOf(INVOKEKIND kind) {
    switch (kind) {
    case INVOKE_PROPERTYGET:
        return Access::Get;
    case INVOKE_PROPERTYPUT:
        return Access::Put;
    case INVOKE_PROPERTYPUTREF:
        return Access::PutRef;
    default:
        return Access::Call;
    }
}

com_ptr<ITypeInfo> Referenced(ITypeInfo* info, UINT index) {
    HREFTYPE reference = 0;
    ThrowIfFailed(info->GetRefTypeOfImplType(index, &reference));
    com_ptr<ITypeInfo> target;
    ThrowIfFailed(info->GetRefTypeInfo(reference, target.put()));
    return target;
}

// Adds the functions of `info` to `members`: a function joins the member of
// its id, so a property's read and write make one member.
void ReadFunctions(ITypeInfo* info, bool events, std::vector<Member>& members) {
    TypeAttr attributes(info);
    ThrowIfFailed(info->GetTypeAttr(attributes.put()));
    const std::size_t first = members.size();
    for (UINT index = 0; index < attributes->cFuncs; ++index) {
        FuncDesc desc(info);
        ThrowIfFailed(info->GetFuncDesc(index, desc.put()));
        Function function{AccessOf(desc->invkind), NameType(info, desc->elemdescFunc.tdesc), {}};
        // The event interface's parameters are named as the IDL names them.
        // GetNames finds a property's read for its write too, so the
        // interface's own are not read here: its header names them.
        std::vector<BSTR> names(desc->cParams + 1);
        UINT named = 0;
        if (events)
            ThrowIfFailed(
                info->GetNames(desc->memid, names.data(), static_cast<UINT>(names.size()), &named));
        std::vector<com::unique_bstr> owned;
        for (UINT n = 0; n < named; ++n)
            owned.emplace_back(names[n]);
        for (SHORT p = 0; p < desc->cParams; ++p) {
            const auto slot = static_cast<std::size_t>(p) + 1;
            function.parameters.push_back({slot < named ? BstrToUtf8(names[slot]) : std::string(),
                                           NameType(info, desc->lprgelemdescParam[p].tdesc)});
        }

        auto member = members.begin() + static_cast<std::ptrdiff_t>(first);
        while (member != members.end() && member->dispid != desc->memid)
            ++member;
        if (member == members.end()) {
            const Documentation documentation = Document(info, desc->memid);
            Member added;
            added.name = documentation.name;
            added.help = documentation.help;
            added.dispid = desc->memid;
            added.kind = events                            ? MemberKind::Event
                         : function.access == Access::Call ? MemberKind::Method
                                                           : MemberKind::Property;
            members.push_back(std::move(added));
            member = members.end() - 1;
        } else if (member->kind != MemberKind::Property || function.access == Access::Call) {
            throw InputError("two members share the id " + std::to_string(desc->memid));
        }
        const WORD flags = desc->wFuncFlags;
        member->hidden |= (flags & FUNCFLAG_FHIDDEN) != 0;
        member->nonBrowsable |= (flags & FUNCFLAG_FNONBROWSABLE) != 0;
        member->bindable |= (flags & FUNCFLAG_FBINDABLE) != 0;
        member->defaultBind |= (flags & FUNCFLAG_FDEFAULTBIND) != 0;
        member->functions.push_back(std::move(function));
    }
}

} // namespace

Surface ReadSurface(const std::wstring& path) {
    com_ptr<ITypeLib> library;
    ThrowIfFailed(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()));
    Surface surface;
    com::unique_bstr libraryName;
    ThrowIfFailed(library->GetDocumentation(-1, libraryName.put(), nullptr, nullptr, nullptr));
    surface.library = BstrToUtf8(libraryName.get());

    com_ptr<ITypeInfo> coclass;
    for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
        TYPEKIND kind{};
        ThrowIfFailed(library->GetTypeInfoType(index, &kind));
        if (kind != TKIND_COCLASS)
            continue;
        if (coclass)
            throw InputError("the library describes more than one class");
        ThrowIfFailed(library->GetTypeInfo(index, coclass.put()));
    }
    if (!coclass)
        throw InputError("the library describes no class");
    surface.coclass = NameOf(coclass.get());

    com_ptr<ITypeInfo> dispatchView, events;
    TypeAttr classAttributes(coclass.get());
    ThrowIfFailed(coclass->GetTypeAttr(classAttributes.put()));
    for (UINT index = 0; index < classAttributes->cImplTypes; ++index) {
        INT flags = 0;
        ThrowIfFailed(coclass->GetImplTypeFlags(index, &flags));
        if (!(flags & IMPLTYPEFLAG_FDEFAULT))
            continue;
        (flags & IMPLTYPEFLAG_FSOURCE ? events : dispatchView) = Referenced(coclass.get(), index);
    }
    if (!dispatchView || !events)
        throw InputError("the class lacks a default interface or a default source");
    surface.interfaceName = NameOf(dispatchView.get());
    surface.eventsName = NameOf(events.get());

    // The dual interface's own functions, in slot order, are on its vtable
    // view; the dispatch view lists IDispatch's too.
    ReadFunctions(Referenced(dispatchView.get(), static_cast<UINT>(-1)).get(), false,
                  surface.members);
    ReadFunctions(events.get(), true, surface.members);
    return surface;
}

} // namespace quillomet::reference
