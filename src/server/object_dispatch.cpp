// Automation: IDispatch through the type library, the properties and
// methods of _Quillomet, and the class's type information.
#include "backend/win32/variant_conversion.h"
#include "backend/win32/win32_font.h"
#include "common/automation_error.h"
#include "common/scope_exit.h"
#include "control/persisted_properties.h"
#include "server/control_object.h"
#include "server/type_info.h"
#include "win32com/error.h"
#include "win32com/text_conversion.h"
#include "win32com/unique_variant.h"

#include <algorithm>

namespace quillomet {
namespace {

static_assert(DispidDefaultMember == DISPID_VALUE);

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The persisted property a DISPID names, or null for any other member.
const PersistedProperty* PersistedPropertyOf(DISPID id) {
    for (const PersistedProperty& property : PersistedProperties())
        if (property.m_Dispid == id)
            return &property;
    return nullptr;
}

// The properties whose argument is a VARIANT taken as given (objects
// included), or an object itself.
bool TakesAnyVariant(const PersistedProperty* property) {
    return property &&
           (property->m_Type == PropertyType::Number || property->m_Type == PropertyType::Font);
}

bool IsObject(const VARIANT& value) {
    return V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN;
}

// Replaces an object by its default value, one level deep; an object
// without one, or whose default value is an object, is a type mismatch.
HRESULT ResolveDefaultValue(com::unique_variant& argument) {
    const VARIANT& value = *argument;
    com::com_ptr<IDispatch> object;
    if (!V_UNKNOWN(&value) ||
        FAILED(V_UNKNOWN(&value)->QueryInterface(IID_IDispatch, object.put_void())))
        return DISP_E_TYPEMISMATCH;
    com::unique_variant returned, resolved;
    DISPPARAMS none{};
    // Dereferenced before it is judged: an object by reference is an object.
    if (FAILED(object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                              &none, returned.get(), nullptr, nullptr)) ||
        FAILED(VariantCopyInd(resolved.get(), returned.get())) || IsObject(*resolved.get()))
        return DISP_E_TYPEMISMATCH;
    argument = std::move(resolved);
    return S_OK;
}

} // namespace

// Every read: the out-parameter cleared first, then the control's answer.
template <typename T, typename Read>
HRESULT ControlObject::Get(T* result, Read read) noexcept {
    return Enter([&] {
        if (!result)
            return E_POINTER;
        *result = T{};
        Ready();
        *result = read();
        return S_OK;
    });
}

template <typename Read>
HRESULT ControlObject::GetVariant(VARIANT* result, Read read) noexcept {
    return Enter([&] {
        if (!result)
            return E_POINTER;
        VariantInit(result);
        Ready();
        ToVariant(read(), result);
        return S_OK;
    });
}

template <typename Write>
HRESULT ControlObject::Put(Write write) noexcept {
    return Enter([&] {
        Ready();
        write();
        return S_OK;
    });
}

// --- IDispatch, through the type library --------------------------------
STDMETHODIMP ControlObject::GetTypeInfoCount(UINT* count) noexcept {
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}
STDMETHODIMP ControlObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept {
    return Enter([&]() -> HRESULT {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        *info = QuillometInterfaceInfo();
        (*info)->AddRef();
        return S_OK;
    });
}
STDMETHODIMP ControlObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) noexcept {
    return Enter([&]() -> HRESULT {
        return DispGetIDsOfNames(QuillometInterfaceInfo(), names, count, ids);
    });
}
STDMETHODIMP ControlObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) noexcept {
    return Enter([&]() -> HRESULT {
        // The caller's arguments are read, never changed: a put works on a
        // copy of its argument, dereferenced.
        const PersistedProperty* persisted = PersistedPropertyOf(id);
        const bool colour = persisted && persisted->m_Type == PropertyType::Color;
        com::unique_variant argument;
        DISPPARAMS copied{};
        if (params && (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) &&
            params->cArgs == 1) {
            com::ThrowIfFailed(VariantCopyInd(argument.get(), &params->rgvarg[0]));
            // A typed property converts an object through its default value,
            // which the system follows without end when an object is its own
            // default value: one level here, as `value` takes it.
            if (!TakesAnyVariant(persisted) && IsObject(*argument.get()))
                if (const HRESULT hr = ResolveDefaultValue(argument); FAILED(hr))
                    return hr;
            // Colours are 32-bit patterns: scripts know only signed Longs, so
            // a system colour (&H80000005) arrives negative and an unsigned
            // result is a type they cannot use. Both cross as the same bits.
            if (colour && V_VT(argument.get()) == VT_I4)
                V_VT(argument.get()) = VT_UI4;
            copied = {argument.get(), params->rgdispidNamedArgs, 1,
                      std::min<UINT>(params->cNamedArgs, 1)};
            params = &copied;
        }
        const HRESULT hr = DispInvoke(static_cast<_Quillomet*>(this), QuillometInterfaceInfo(), id,
                                      flags, params, result, exception, argumentError);
        if (colour && result && V_VT(result) == VT_UI4)
            V_VT(result) = VT_I4;
        return hr;
    });
}

// --- _Quillomet ---------------------------------------------------------
STDMETHODIMP ControlObject::get_SkipFocus(VARIANT_BOOL* v) noexcept {
    return Get(v, [&] { return ToVariantBool(m_Control.SkipFocus()); });
}
STDMETHODIMP ControlObject::put_SkipFocus(VARIANT_BOOL v) noexcept {
    return Put([&] { m_Control.SetSkipFocus(v != VARIANT_FALSE); });
}
STDMETHODIMP ControlObject::get_Calculator(VARIANT_BOOL* v) noexcept {
    return Get(v, [&] { return ToVariantBool(m_Control.Calculator()); });
}
STDMETHODIMP ControlObject::put_Calculator(VARIANT_BOOL v) noexcept {
    return Put([&] { m_Control.SetCalculator(v != VARIANT_FALSE); });
}
STDMETHODIMP ControlObject::get_UpDownFunction(VARIANT_BOOL* v) noexcept {
    return Get(v, [&] { return ToVariantBool(m_Control.UpDownFunction()); });
}
STDMETHODIMP ControlObject::put_UpDownFunction(VARIANT_BOOL v) noexcept {
    return Put([&] { m_Control.SetUpDownFunction(v != VARIANT_FALSE); });
}
STDMETHODIMP ControlObject::get_UpDownIncrement(short* v) noexcept {
    return Get(v, [&] { return m_Control.UpDownIncrement(); });
}
STDMETHODIMP ControlObject::put_UpDownIncrement(short v) noexcept {
    return Put([&] { m_Control.SetUpDownIncrement(v); });
}
STDMETHODIMP ControlObject::get_value(VARIANT* v) noexcept {
    return GetVariant(v, [&] { return m_Control.Value(); });
}
STDMETHODIMP ControlObject::put_value(VARIANT v) noexcept {
    return Put([&] { m_Control.SetValue(FromVariant(v)); });
}
STDMETHODIMP ControlObject::get_MaxValue(VARIANT* v) noexcept {
    return GetVariant(v, [&] { return m_Control.MaxValue(); });
}
STDMETHODIMP ControlObject::put_MaxValue(VARIANT v) noexcept {
    return Put([&] { m_Control.SetMaxValue(FromVariant(v)); });
}
STDMETHODIMP ControlObject::get_MinValue(VARIANT* v) noexcept {
    return GetVariant(v, [&] { return m_Control.MinValue(); });
}
STDMETHODIMP ControlObject::put_MinValue(VARIANT v) noexcept {
    return Put([&] { m_Control.SetMinValue(FromVariant(v)); });
}
STDMETHODIMP ControlObject::get_UseMaxMinValues(VARIANT_BOOL* v) noexcept {
    return Get(v, [&] { return ToVariantBool(m_Control.UseMaxMinValues()); });
}
STDMETHODIMP ControlObject::put_UseMaxMinValues(VARIANT_BOOL v) noexcept {
    return Put([&] { m_Control.SetUseMaxMinValues(v != VARIANT_FALSE); });
}
STDMETHODIMP ControlObject::get_Format(BSTR* v) noexcept {
    return Get(v, [&] { return Utf8ToBstr(m_Control.Format()); });
}
STDMETHODIMP ControlObject::put_Format(BSTR v) noexcept {
    return Put([&] { m_Control.SetFormat(BstrToUtf8(v)); });
}
STDMETHODIMP ControlObject::get_Enabled(VARIANT_BOOL* v) noexcept {
    return Get(v, [&] { return ToVariantBool(m_Control.Enabled()); });
}
STDMETHODIMP ControlObject::put_Enabled(VARIANT_BOOL v) noexcept {
    return Put([&] { m_Control.SetEnabled(v != VARIANT_FALSE); });
}
STDMETHODIMP ControlObject::get_PositiveOnly(VARIANT_BOOL* v) noexcept {
    return Get(v, [&] { return ToVariantBool(m_Control.PositiveOnly()); });
}
STDMETHODIMP ControlObject::put_PositiveOnly(VARIANT_BOOL v) noexcept {
    return Put([&] { m_Control.SetPositiveOnly(v != VARIANT_FALSE); });
}
STDMETHODIMP ControlObject::get_BackColor(OLE_COLOR* v) noexcept {
    return Get(v, [&] { return static_cast<OLE_COLOR>(m_Control.BackColor()); });
}
STDMETHODIMP ControlObject::put_BackColor(OLE_COLOR v) noexcept {
    return Put([&] { m_Control.SetBackColor(v); });
}
STDMETHODIMP ControlObject::get_ForeColor(OLE_COLOR* v) noexcept {
    return Get(v, [&] { return static_cast<OLE_COLOR>(m_Control.ForeColor()); });
}
STDMETHODIMP ControlObject::put_ForeColor(OLE_COLOR v) noexcept {
    return Put([&] { m_Control.SetForeColor(v); });
}
STDMETHODIMP ControlObject::get_Locked(VARIANT_BOOL* v) noexcept {
    return Get(v, [&] { return ToVariantBool(m_Control.Locked()); });
}
STDMETHODIMP ControlObject::put_Locked(VARIANT_BOOL v) noexcept {
    return Put([&] { m_Control.SetLocked(v != VARIANT_FALSE); });
}
STDMETHODIMP ControlObject::get_GotFocus(VARIANT_BOOL* v) noexcept {
    return Get(v, [&] { return ToVariantBool(m_Control.GotFocus()); });
}
STDMETHODIMP ControlObject::get_hwnd(LONG* v) noexcept {
    return Get(v, [&] { return static_cast<LONG>(m_Control.hwnd()); });
}
STDMETHODIMP ControlObject::get_Font(IFontDisp** v) noexcept {
    return Get(v, [&]() -> IFontDisp* {
        const FontRef held = m_Control.Font();
        const auto* font = dynamic_cast<const win32::Win32Font*>(held.get());
        IFontDisp* dispatch = nullptr;
        if (font)
            font->Font()->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&dispatch));
        return dispatch;
    });
}
STDMETHODIMP ControlObject::putref_Font(IFontDisp* v) noexcept {
    return Put([&] {
        auto font = win32::Win32Font::FromUnknown(v);
        if (!font)
            throw AutomationError(ErrorNumber::InvalidProcedureCall, "Font needs a font object");
        m_Control.SetFont(std::move(font));
    });
}
STDMETHODIMP ControlObject::Refresh() noexcept {
    return Put([&] { m_Control.Refresh(); });
}
STDMETHODIMP ControlObject::Highlight() noexcept {
    return Put([&] { m_Control.Highlight(); });
}
STDMETHODIMP ControlObject::ShowCalculator() noexcept {
    return Put([&] { m_Control.ShowCalculator(); });
}
STDMETHODIMP ControlObject::HideCalculator() noexcept {
    return Put([&] { m_Control.HideCalculator(); });
}
// While the modal dialog is up the container's frame is told to behave
// modally (EnableModeless(FALSE)), and a reference keeps the control
// alive should the host release it inside this call anyway.
STDMETHODIMP ControlObject::DisplayAboutBox() noexcept {
    return Put([&] {
        const com::com_ptr<IOleInPlaceFrame> frame = m_Frame;
        if (frame)
            frame->EnableModeless(FALSE);
        const scope_exit modeless([&] {
            if (frame)
                frame->EnableModeless(TRUE);
        });
        m_Control.DisplayAboutBox();
    });
}

// --- IProvideClassInfo2, ISupportErrorInfo -------------------------------
STDMETHODIMP ControlObject::GetClassInfo(ITypeInfo** info) noexcept {
    return Enter([&]() -> HRESULT {
        if (!info)
            return E_POINTER;
        *info = QuillometClassInfo();
        (*info)->AddRef();
        return S_OK;
    });
}
STDMETHODIMP ControlObject::GetGUID(DWORD kind, GUID* guid) noexcept {
    if (!guid)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
        return E_INVALIDARG;
    *guid = DIID___Quillomet;
    return S_OK;
}
STDMETHODIMP ControlObject::InterfaceSupportsErrorInfo(REFIID iid) noexcept {
    return iid == IID__Quillomet || iid == IID_IDispatch ? S_OK : S_FALSE;
}

} // namespace quillomet
