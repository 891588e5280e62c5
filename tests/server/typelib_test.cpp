// Reads Ordinalex.tlb back through oleaut32, as a container or a script
// host would, and compares it field by field with what the control
// publishes: library attributes, the three type descriptions, every member
// of the dual interface and of the event interface, and the references into
// stdole2.
#include "control/persisted_properties.h"

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>

#include <algorithm>
#include <cwchar>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#ifndef QUILLOMET_TLB_PATH
#error "QUILLOMET_TLB_PATH must name the type library file"
#endif

namespace {

// Owns one COM reference.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (m_P)
            m_P->Release();
    }
    T** operator&() { return &m_P; }
    T* operator->() const { return m_P; }
    T* get() const { return m_P; }

private:
    T* m_P = nullptr;
};

// Takes ownership of a BSTR and hands back its text ("" for null).
std::wstring Take(BSTR s) {
    std::wstring text = s ? std::wstring(s, SysStringLen(s)) : std::wstring();
    SysFreeString(s);
    return text;
}

// For SCOPED_TRACE: the names here are ASCII.
std::string Narrow(const wchar_t* text) {
    return std::string(text, text + std::wcslen(text));
}

std::wstring Guid(const GUID& g) {
    wchar_t text[40] = {};
    StringFromGUID2(g, text, 40);
    return text;
}

struct Doc {
    std::wstring name, help;
};

Doc Documentation(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr, help = nullptr;
    EXPECT_EQ(S_OK, info->GetDocumentation(id, &name, &help, nullptr, nullptr));
    return {Take(name), Take(help)};
}

// A type as text; a user-defined type is qualified by its library's name,
// so "stdole.Font*" says both which type and from where.
std::wstring TypeText(ITypeInfo* owner, const TYPEDESC& t) {
    switch (t.vt) {
    case VT_PTR:
        return TypeText(owner, *t.lptdesc) + L"*";
    case VT_USERDEFINED: {
        Ref<ITypeInfo> ref;
        if (owner->GetRefTypeInfo(t.hreftype, &ref) != S_OK)
            return L"<unresolved>";
        Ref<ITypeLib> lib;
        UINT index = 0;
        if (ref->GetContainingTypeLib(&lib, &index) != S_OK)
            return L"<no library>";
        BSTR libName = nullptr;
        lib->GetDocumentation(-1, &libName, nullptr, nullptr, nullptr);
        return Take(libName) + L"." + Documentation(ref.get(), MEMBERID_NIL).name;
    }
    case VT_BOOL:
        return L"VARIANT_BOOL";
    case VT_I2:
        return L"short";
    case VT_I4:
        return L"long";
    case VT_R4:
        return L"float";
    case VT_BSTR:
        return L"BSTR";
    case VT_VARIANT:
        return L"VARIANT";
    case VT_HRESULT:
        return L"HRESULT";
    case VT_VOID:
        return L"void";
    default:
        return L"vt" + std::to_wstring(t.vt);
    }
}

std::vector<std::wstring> Names(ITypeInfo* info, MEMBERID id) {
    BSTR names[8] = {};
    UINT count = 0;
    EXPECT_EQ(S_OK, info->GetNames(id, names, 8, &count));
    std::vector<std::wstring> result;
    for (UINT i = 0; i < count; ++i)
        result.push_back(Take(names[i]));
    return result;
}

// Function descriptions are released with their type info.
struct FuncDescRef {
    ITypeInfo* info;
    FUNCDESC* desc = nullptr;
    FuncDescRef(ITypeInfo* i, UINT index) : info(i) {
        EXPECT_EQ(S_OK, info->GetFuncDesc(index, &desc));
    }
    FuncDescRef(const FuncDescRef&) = delete;
    FuncDescRef& operator=(const FuncDescRef&) = delete;
    ~FuncDescRef() {
        if (desc)
            info->ReleaseFuncDesc(desc);
    }
};

TYPEATTR Attributes(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(S_OK, info->GetTypeAttr(&attr));
    TYPEATTR copy{};
    if (attr) {
        copy = *attr;
        info->ReleaseTypeAttr(attr);
    }
    return copy;
}

const wchar_t* const kStdoleLibId = L"{00020430-0000-0000-C000-000000000046}";

class TypeLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        const std::string path = QUILLOMET_TLB_PATH;
        const std::wstring wide(path.begin(), path.end());
        ASSERT_EQ(S_OK, LoadTypeLibEx(wide.c_str(), REGKIND_NONE, &s_Lib)) << path;
    }
    static void TearDownTestSuite() {
        if (s_Lib)
            s_Lib->Release();
        s_Lib = nullptr;
        CoUninitialize();
    }
    void SetUp() override { ASSERT_NE(nullptr, s_Lib); }

    // The type description at an index; for the dual interface, the
    // dispatch view (what the library lists) or its vtable view.
    static void TypeInfo(UINT index, ITypeInfo** out) {
        ASSERT_EQ(S_OK, s_Lib->GetTypeInfo(index, out));
    }
    static void VtableView(ITypeInfo* dispatchView, ITypeInfo** out) {
        HREFTYPE href = 0;
        ASSERT_EQ(S_OK, dispatchView->GetRefTypeOfImplType(static_cast<UINT>(-1), &href));
        ASSERT_EQ(S_OK, dispatchView->GetRefTypeInfo(href, out));
    }

    static ITypeLib* s_Lib;
};
ITypeLib* TypeLibrary::s_Lib = nullptr;

TEST_F(TypeLibrary, LibraryAttributes) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, s_Lib->GetLibAttr(&attr));
    EXPECT_EQ(L"{DA8E6FEF-D096-4FE2-BAA0-C01C92C54929}", Guid(attr->guid));
    EXPECT_EQ(0x409u, attr->lcid);
    // Each architecture's library describes its own calling layout.
#ifdef _WIN64
    EXPECT_EQ(SYS_WIN64, attr->syskind);
#else
    EXPECT_EQ(SYS_WIN32, attr->syskind);
#endif
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    // oleaut32 adds "has disk image" to a library it loaded from a file.
    EXPECT_EQ(LIBFLAG_FCONTROL | LIBFLAG_FHASDISKIMAGE, attr->wLibFlags);
    s_Lib->ReleaseTLibAttr(attr);

    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(S_OK, s_Lib->GetDocumentation(-1, &name, &help, nullptr, nullptr));
    EXPECT_EQ(L"Ordinalex", Take(name));
    EXPECT_EQ(L"Ordinalex", Take(help));
}

// Only the library's own type descriptions are counted: stdole2's types are
// referenced, never copied in.
TEST_F(TypeLibrary, TypeDescriptions) {
    struct Expected {
        const wchar_t* name;
        TYPEKIND kind;
        const wchar_t* guid;
        WORD flags;
    };
    const Expected expected[] = {
        // The dual interface's flags as stored, read on its vtable view.
        {L"_Quillomet", TKIND_DISPATCH, L"{153561D1-A07D-4013-A91F-B83036C25ABE}", 0x11D0},
        {L"Quillomet", TKIND_COCLASS, L"{4961C579-D863-465B-849B-0EF294641960}", 0x20},
        {L"__Quillomet", TKIND_DISPATCH, L"{FE152D10-FD9F-42E9-97DB-A64B530E220A}", 0x1090},
    };
    ASSERT_EQ(std::size(expected), s_Lib->GetTypeInfoCount());
    for (UINT i = 0; i < std::size(expected); ++i) {
        const Expected& e = expected[i];
        SCOPED_TRACE(e.name);
        Ref<ITypeInfo> info;
        ASSERT_NO_FATAL_FAILURE(TypeInfo(i, &info));
        TYPEKIND kind{};
        EXPECT_EQ(S_OK, s_Lib->GetTypeInfoType(i, &kind));
        EXPECT_EQ(e.kind, kind);
        EXPECT_EQ(e.name, Documentation(info.get(), MEMBERID_NIL).name);
        const TYPEATTR attr = Attributes(info.get());
        EXPECT_EQ(e.kind, attr.typekind);
        EXPECT_EQ(e.guid, Guid(attr.guid));
        EXPECT_EQ(1, attr.wMajorVerNum);
        EXPECT_EQ(0, attr.wMinorVerNum);
        WORD flags = attr.wTypeFlags;
        if (attr.wTypeFlags & TYPEFLAG_FDUAL) {
            Ref<ITypeInfo> vtable;
            ASSERT_NO_FATAL_FAILURE(VtableView(info.get(), &vtable));
            const TYPEATTR vattr = Attributes(vtable.get());
            EXPECT_EQ(TKIND_INTERFACE, vattr.typekind);
            EXPECT_EQ(1, vattr.wMajorVerNum);
            flags = vattr.wTypeFlags;
        }
        EXPECT_EQ(e.flags, flags) << std::hex << "0x" << flags;
    }
}

TEST_F(TypeLibrary, CoclassInterfaces) {
    Ref<ITypeInfo> coclass;
    ASSERT_NO_FATAL_FAILURE(TypeInfo(1, &coclass));
    ASSERT_EQ(2, Attributes(coclass.get()).cImplTypes);
    const std::pair<const wchar_t*, INT> expected[] = {
        {L"_Quillomet", IMPLTYPEFLAG_FDEFAULT},
        {L"__Quillomet", IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
    };
    for (UINT i = 0; i < 2; ++i) {
        SCOPED_TRACE(expected[i].first);
        INT flags = 0;
        EXPECT_EQ(S_OK, coclass->GetImplTypeFlags(i, &flags));
        EXPECT_EQ(expected[i].second, flags);
        HREFTYPE href = 0;
        ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(i, &href));
        Ref<ITypeInfo> ref;
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(href, &ref));
        EXPECT_EQ(expected[i].first, Documentation(ref.get(), MEMBERID_NIL).name);
    }
}

// One row per function of the dual interface, in member order. `type` is
// the property's type (the result of a read, the parameter of a write);
// `result` is the name GetNames gives after the function's own, if any.
struct Member {
    const wchar_t* name;
    MEMBERID id;
    INVOKEKIND invoke;
    const wchar_t* type;
    WORD flags;
    const wchar_t* result;
};

constexpr INVOKEKIND Get = INVOKE_PROPERTYGET, Put = INVOKE_PROPERTYPUT,
                     PutRef = INVOKE_PROPERTYPUTREF, Method = INVOKE_FUNC;
constexpr WORD Hidden = FUNCFLAG_FHIDDEN;

const Member kMembers[] = {
    {L"SkipFocus", 0x40030012, Get, L"VARIANT_BOOL", Hidden, L"SkipFocus"},
    {L"SkipFocus", 0x40030012, Put, L"VARIANT_BOOL", Hidden, nullptr},
    {L"Calculator", 0x6803000E, Get, L"VARIANT_BOOL", 0, nullptr},
    {L"Calculator", 0x6803000E, Put, L"VARIANT_BOOL", 0, nullptr},
    {L"UpDownFunction", 0x6803000D, Get, L"VARIANT_BOOL", 0, nullptr},
    {L"UpDownFunction", 0x6803000D, Put, L"VARIANT_BOOL", 0, nullptr},
    {L"UpDownIncrement", 0x6803000C, Get, L"short", 0, nullptr},
    {L"UpDownIncrement", 0x6803000C, Put, L"short", 0, nullptr},
    {L"value", 0, Get, L"VARIANT", FUNCFLAG_FBINDABLE | FUNCFLAG_FDEFAULTBIND, nullptr},
    {L"value", 0, Put, L"VARIANT", FUNCFLAG_FBINDABLE | FUNCFLAG_FDEFAULTBIND, nullptr},
    {L"MaxValue", 0x6803000B, Get, L"VARIANT", 0, nullptr},
    {L"MaxValue", 0x6803000B, Put, L"VARIANT", 0, nullptr},
    {L"MinValue", 0x6803000A, Get, L"VARIANT", 0, nullptr},
    {L"MinValue", 0x6803000A, Put, L"VARIANT", 0, nullptr},
    {L"UseMaxMinValues", 0x68030009, Get, L"VARIANT_BOOL", 0, nullptr},
    {L"UseMaxMinValues", 0x68030009, Put, L"VARIANT_BOOL", 0, nullptr},
    {L"Format", 0x68030008, Get, L"BSTR", 0, nullptr},
    {L"Format", 0x68030008, Put, L"BSTR", 0, nullptr},
    {L"Enabled", 0x68030007, Get, L"VARIANT_BOOL", 0, nullptr},
    {L"Enabled", 0x68030007, Put, L"VARIANT_BOOL", 0, nullptr},
    {L"PositiveOnly", 0x68030006, Get, L"VARIANT_BOOL", 0, nullptr},
    {L"PositiveOnly", 0x68030006, Put, L"VARIANT_BOOL", 0, nullptr},
    {L"BackColor", 0x68030005, Get, L"stdole.OLE_COLOR", 0, nullptr},
    {L"BackColor", 0x68030005, Put, L"stdole.OLE_COLOR", 0, nullptr},
    {L"ForeColor", 0x68030004, Get, L"stdole.OLE_COLOR", 0, nullptr},
    {L"ForeColor", 0x68030004, Put, L"stdole.OLE_COLOR", 0, nullptr},
    {L"Locked", 0x68030003, Get, L"VARIANT_BOOL", 0, nullptr},
    {L"Locked", 0x68030003, Put, L"VARIANT_BOOL", 0, nullptr},
    {L"GotFocus", 0x68030002, Get, L"VARIANT_BOOL", 0, nullptr},
    {L"hwnd", 0x68030001, Get, L"long", FUNCFLAG_FNONBROWSABLE, nullptr},
    {L"Font", 0x68030000, Get, L"stdole.Font*", 0, nullptr},
    {L"Font", 0x68030000, PutRef, L"stdole.Font*", 0, nullptr},
    {L"Refresh", 0x60030024, Method, nullptr, 0, nullptr},
    {L"Highlight", 0x60030025, Method, nullptr, 0, nullptr},
    {L"ShowCalculator", 0x60030026, Method, nullptr, 0, nullptr},
    {L"HideCalculator", 0x60030027, Method, nullptr, 0, nullptr},
    {L"DisplayAboutBox", DISPID_ABOUTBOX, Method, nullptr, Hidden, nullptr},
};

// On the vtable view every function returns HRESULT; a read returns its
// value through a final [out, retval] pointer.
TEST_F(TypeLibrary, DualInterfaceMembers) {
    Ref<ITypeInfo> dispatch, vtable;
    ASSERT_NO_FATAL_FAILURE(TypeInfo(0, &dispatch));
    ASSERT_NO_FATAL_FAILURE(VtableView(dispatch.get(), &vtable));
    ASSERT_EQ(std::size(kMembers), Attributes(vtable.get()).cFuncs);
    Ref<ITypeInfo2> info2;
    ASSERT_EQ(S_OK, vtable->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(&info2)));
    for (UINT i = 0; i < std::size(kMembers); ++i) {
        const Member& m = kMembers[i];
        SCOPED_TRACE(std::to_string(i) + ": " + Narrow(m.name));
        FuncDescRef f(vtable.get(), i);
        ASSERT_NE(nullptr, f.desc);
        EXPECT_EQ(m.id, f.desc->memid);
        EXPECT_EQ(m.invoke, f.desc->invkind);
        EXPECT_EQ(FUNC_PUREVIRTUAL, f.desc->funckind);
        EXPECT_EQ(CC_STDCALL, f.desc->callconv);
        EXPECT_EQ(m.flags, f.desc->wFuncFlags);
        EXPECT_EQ(L"HRESULT", TypeText(vtable.get(), f.desc->elemdescFunc.tdesc));
        // A write shares its read's id; the invoke kind tells them apart.
        UINT index = 0;
        EXPECT_EQ(S_OK, info2->GetFuncIndexOfMemId(m.id, m.invoke, &index));
        EXPECT_EQ(i, index);
        if (!m.type) {
            EXPECT_EQ(0, f.desc->cParams);
            EXPECT_EQ(std::vector<std::wstring>{m.name}, Names(vtable.get(), m.id));
            continue;
        }
        ASSERT_EQ(1, f.desc->cParams);
        const ELEMDESC& param = f.desc->lprgelemdescParam[0];
        if (m.invoke == Get) {
            EXPECT_EQ(PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, param.paramdesc.wParamFlags);
            EXPECT_EQ(std::wstring(m.type) + L"*", TypeText(vtable.get(), param.tdesc));
            // GetNames finds the first function with an id: the read. Its
            // result is unnamed unless the row names it.
            std::vector<std::wstring> names{m.name};
            if (m.result)
                names.push_back(m.result);
            EXPECT_EQ(names, Names(vtable.get(), m.id));
        } else {
            EXPECT_EQ(PARAMFLAG_FIN, param.paramdesc.wParamFlags);
            EXPECT_EQ(m.type, TypeText(vtable.get(), param.tdesc));
        }
    }
}

// Each persisted property's key, dispatch identifier and type as the
// control's table gives them, against the type library: a property added
// to one and not the other, or declared with another type, fails here.
std::wstring DeclaredType(quillomet::PropertyType type) {
    using quillomet::PropertyType;
    switch (type) {
    case PropertyType::Font:
        return L"stdole.Font*";
    case PropertyType::Text:
        return L"BSTR";
    case PropertyType::Boolean:
        return L"VARIANT_BOOL";
    case PropertyType::Color:
        return L"stdole.OLE_COLOR";
    case PropertyType::Number:
        return L"VARIANT";
    case PropertyType::Integer:
        return L"short";
    }
    return L"<unknown>";
}

TEST_F(TypeLibrary, PersistedPropertiesMatchTheTable) {
    Ref<ITypeInfo> dispatch, vtable;
    ASSERT_NO_FATAL_FAILURE(TypeInfo(0, &dispatch));
    ASSERT_NO_FATAL_FAILURE(VtableView(dispatch.get(), &vtable));
    Ref<ITypeInfo2> info2;
    ASSERT_EQ(S_OK, vtable->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(&info2)));
    std::vector<MEMBERID> persisted;
    for (const quillomet::PersistedProperty& property : quillomet::PersistedProperties()) {
        const std::wstring key(property.m_Key.begin(), property.m_Key.end());
        SCOPED_TRACE(std::string(property.m_Key));
        persisted.push_back(property.m_Dispid);
        UINT read = 0;
        ASSERT_EQ(S_OK, info2->GetFuncIndexOfMemId(property.m_Dispid, INVOKE_PROPERTYGET, &read));
        // Automation names are case-insensitive: the default member is
        // "value" in the library and "Value" in stored documents.
        const std::vector<std::wstring> names = Names(vtable.get(), property.m_Dispid);
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(0, _wcsicmp(key.c_str(), names[0].c_str())) << Narrow(names[0].c_str());
        FuncDescRef get(vtable.get(), read);
        ASSERT_NE(nullptr, get.desc);
        ASSERT_EQ(1, get.desc->cParams);
        EXPECT_EQ(DeclaredType(property.m_Type) + L"*",
                  TypeText(vtable.get(), get.desc->lprgelemdescParam[0].tdesc));
        // A host sets what it stores: by value, or by reference for a font.
        const INVOKEKIND write = property.m_Type == quillomet::PropertyType::Font ? PutRef : Put;
        UINT written = 0;
        ASSERT_EQ(S_OK, info2->GetFuncIndexOfMemId(property.m_Dispid, write, &written));
        FuncDescRef put(vtable.get(), written);
        ASSERT_NE(nullptr, put.desc);
        ASSERT_EQ(1, put.desc->cParams);
        EXPECT_EQ(DeclaredType(property.m_Type),
                  TypeText(vtable.get(), put.desc->lprgelemdescParam[0].tdesc));
    }
    EXPECT_EQ(persisted.size(), std::set<MEMBERID>(persisted.begin(), persisted.end()).size());
    // The other way: every property a host can set is stored, but for the
    // hidden SkipFocus, which lasts only while the control runs.
    for (const Member& m : kMembers) {
        if ((m.invoke != Put && m.invoke != PutRef) || m.id == 0x40030012)
            continue;
        SCOPED_TRACE(Narrow(m.name));
        EXPECT_NE(persisted.end(), std::find(persisted.begin(), persisted.end(), m.id));
    }
}

// Help strings by member id, as a property browser shows them.
TEST_F(TypeLibrary, HelpStrings) {
    const std::pair<MEMBERID, const wchar_t*> expected[] = {
        {0x40030012, L""},
        {0x6803000E, L"Returns/sets a value that determines whether a Calculator control will "
                     L"appear next to the number."},
        {0x6803000D, L"Returns/sets a value that determines whether an UpDown control will appear "
                     L"next to the number."},
        {0x6803000C, L"Get/set the amount by which the number changes on each click of the "
                     L"UpDown control."},
        {0, L"Returns/sets an unformatted numeric value for a control."},
        {0x6803000B, L"Returns/sets an unformatted maximum value for a control.  UseMinMaxValues "
                     L"must be set to true."},
        {0x6803000A, L"Returns/sets an unformatted minimum value for a control.  UseMinMaxValues "
                     L"must be set to true."},
        {0x68030009, L"Returns/sets a value that determines whether MinValue and MaxValue are "
                     L"used to limit the range of an entered number."},
        {0x68030008, L"Specifies the format for displaying numbers."},
        {0x68030007, L"Returns/sets a value that determines whether an object can respond to "
                     L"user-generated events."},
        {0x68030006, L"Returns/sets a value that determines whether negative numbers can be "
                     L"entered."},
        {0x68030005, L"Returns/sets the background color used to display text and graphics in an "
                     L"object."},
        {0x68030004, L"Returns/sets the foreground color used to display text and graphics in an "
                     L"object."},
        {0x68030003, L"Determines whether a control can be edited."},
        {0x68030002, L""},
        {0x68030001, L""},
        {0x68030000, L"Returns/sets a font object."},
        {0x60030024, L""},
        {0x60030025, L""},
        {0x60030026, L""},
        {0x60030027, L""},
        {DISPID_ABOUTBOX, L"Displays general information about the Quillomet control and "
                          L"Marrowfen."},
    };
    Ref<ITypeInfo> dispatch;
    ASSERT_NO_FATAL_FAILURE(TypeInfo(0, &dispatch));
    for (const auto& [id, help] : expected) {
        SCOPED_TRACE(id);
        EXPECT_EQ(help, Documentation(dispatch.get(), id).help);
    }
}

// Scripts bind the default property under any spelling.
TEST_F(TypeLibrary, NamesResolveCaseInsensitively) {
    Ref<ITypeInfo> dispatch, vtable;
    ASSERT_NO_FATAL_FAILURE(TypeInfo(0, &dispatch));
    ASSERT_NO_FATAL_FAILURE(VtableView(dispatch.get(), &vtable));
    const std::pair<const wchar_t*, MEMBERID> expected[] = {
        {L"Value", 0},
        {L"value", 0},
        {L"VALUE", 0},
        {L"skipfocus", 0x40030012},
        {L"DisplayAboutBox", DISPID_ABOUTBOX},
    };
    for (ITypeInfo* view : {dispatch.get(), vtable.get()}) {
        for (const auto& [name, id] : expected) {
            SCOPED_TRACE(Narrow(name));
            LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
            MEMBERID got = 12345;
            EXPECT_EQ(S_OK, view->GetIDsOfNames(names, 1, &got));
            EXPECT_EQ(id, got);
        }
    }
}

struct Event {
    const wchar_t* name;
    MEMBERID id;
    std::vector<std::pair<const wchar_t*, const wchar_t*>> params; // name, type
};

TEST_F(TypeLibrary, EventInterfaceMembers) {
    const std::pair<const wchar_t*, const wchar_t*> keyCode{L"KeyCode", L"short*"},
        shift{L"Shift", L"short*"}, button{L"Button", L"short*"}, x{L"X", L"float*"},
        y{L"Y", L"float*"};
    const Event expected[] = {
        {L"Change", 1, {}},
        {L"Click", 2, {}},
        {L"DblClick", 3, {}},
        {L"KeyDown", 4, {keyCode, shift}},
        {L"KeyPress", 5, {{L"KeyAscii", L"short*"}}},
        {L"KeyUp", 6, {keyCode, shift}},
        {L"MouseMove", 7, {button, shift, x, y}},
        {L"MouseUp", 8, {button, shift, x, y}},
        {L"MouseDown", 9, {button, shift, x, y}},
    };
    Ref<ITypeInfo> events;
    ASSERT_NO_FATAL_FAILURE(TypeInfo(2, &events));
    const TYPEATTR attr = Attributes(events.get());
    ASSERT_EQ(std::size(expected), attr.cFuncs);
    EXPECT_EQ(0, attr.cVars);
    for (UINT i = 0; i < std::size(expected); ++i) {
        const Event& e = expected[i];
        SCOPED_TRACE(Narrow(e.name));
        FuncDescRef f(events.get(), i);
        ASSERT_NE(nullptr, f.desc);
        EXPECT_EQ(e.id, f.desc->memid);
        EXPECT_EQ(FUNC_DISPATCH, f.desc->funckind);
        EXPECT_EQ(INVOKE_FUNC, f.desc->invkind);
        EXPECT_EQ(0, f.desc->wFuncFlags);
        EXPECT_EQ(L"void", TypeText(events.get(), f.desc->elemdescFunc.tdesc));
        ASSERT_EQ(e.params.size(), static_cast<size_t>(f.desc->cParams));
        std::vector<std::wstring> names{e.name};
        for (size_t p = 0; p < e.params.size(); ++p) {
            const ELEMDESC& param = f.desc->lprgelemdescParam[p];
            EXPECT_EQ(e.params[p].second, TypeText(events.get(), param.tdesc)) << p;
            EXPECT_EQ(PARAMFLAG_FIN | PARAMFLAG_FOUT, param.paramdesc.wParamFlags) << p;
            names.push_back(e.params[p].first);
        }
        EXPECT_EQ(names, Names(events.get(), e.id));
        const Doc doc = Documentation(events.get(), e.id);
        EXPECT_EQ(e.name, doc.name);
        EXPECT_EQ(L"", doc.help);
    }
}

// IDispatch, OLE_COLOR and Font come from stdole2 2.0, by reference.
TEST_F(TypeLibrary, ReferencesIntoStdole2) {
    Ref<ITypeInfo> dispatch, vtable;
    ASSERT_NO_FATAL_FAILURE(TypeInfo(0, &dispatch));
    ASSERT_NO_FATAL_FAILURE(VtableView(dispatch.get(), &vtable));

    HREFTYPE base = 0;
    ASSERT_EQ(S_OK, vtable->GetRefTypeOfImplType(0, &base));
    FuncDescRef backColor(vtable.get(), 22), font(vtable.get(), 31);
    ASSERT_NE(nullptr, backColor.desc);
    ASSERT_NE(nullptr, font.desc);
    ASSERT_EQ(1, backColor.desc->cParams);
    ASSERT_EQ(1, font.desc->cParams);
    // BackColor's read: OLE_COLOR*; Font's write by reference: Font*.
    ASSERT_EQ(VT_PTR, backColor.desc->lprgelemdescParam[0].tdesc.vt);
    const TYPEDESC& color = *backColor.desc->lprgelemdescParam[0].tdesc.lptdesc;
    const TYPEDESC& fontPointer = font.desc->lprgelemdescParam[0].tdesc;
    ASSERT_EQ(VT_USERDEFINED, color.vt);
    ASSERT_EQ(VT_PTR, fontPointer.vt);
    ASSERT_EQ(VT_USERDEFINED, fontPointer.lptdesc->vt);

    const struct {
        const wchar_t* name;
        HREFTYPE href;
        TYPEKIND kind;
    } expected[] = {
        {L"IDispatch", base, TKIND_INTERFACE},
        {L"OLE_COLOR", color.hreftype, TKIND_ALIAS},
        {L"Font", fontPointer.lptdesc->hreftype, TKIND_DISPATCH},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(Narrow(e.name));
        Ref<ITypeInfo> ref;
        ASSERT_EQ(S_OK, vtable->GetRefTypeInfo(e.href, &ref));
        EXPECT_EQ(e.name, Documentation(ref.get(), MEMBERID_NIL).name);
        EXPECT_EQ(e.kind, Attributes(ref.get()).typekind);
        Ref<ITypeLib> lib;
        UINT index = 0;
        ASSERT_EQ(S_OK, ref->GetContainingTypeLib(&lib, &index));
        TLIBATTR* attr = nullptr;
        ASSERT_EQ(S_OK, lib->GetLibAttr(&attr));
        EXPECT_EQ(kStdoleLibId, Guid(attr->guid));
        EXPECT_EQ(2, attr->wMajorVerNum);
        EXPECT_EQ(0, attr->wMinorVerNum);
        lib->ReleaseTLibAttr(attr);
    }
}

// The build stamp widl writes is gone: the library carries no custom data.
TEST_F(TypeLibrary, NoLibraryCustomData) {
    Ref<ITypeLib2> lib2;
    ASSERT_EQ(S_OK, s_Lib->QueryInterface(IID_ITypeLib2, reinterpret_cast<void**>(&lib2)));
    CUSTDATA data{};
    ASSERT_EQ(S_OK, lib2->GetAllCustData(&data));
    EXPECT_EQ(0u, data.cCustData);
    ClearCustData(&data);
}

} // namespace
