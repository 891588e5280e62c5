#include "backend/win32/variant_conversion.h"

#include "backend/win32/win32_font.h"
#include "common/automation_error.h"
#include "win32com/com_ptr.h"
#include "win32com/error.h"
#include "win32com/text_conversion.h"

#include <oleauto.h>

namespace quillomet {

DispatchObject::DispatchObject(IUnknown* object) : m_Object(object) {}

Variant DispatchObject::DefaultValue() const {
    com::com_ptr<IDispatch> dispatch;
    if (FAILED(m_Object->QueryInterface(IID_IDispatch, dispatch.put_void())))
        ThrowTypeMismatch();
    DISPPARAMS none{};
    com::unique_variant result;
    const HRESULT hr =
        dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                         result.put(), nullptr, nullptr);
    if (FAILED(hr))
        ThrowTypeMismatch(); // an object without a default value
    return FromVariant(*result);
}

Variant FromVariant(const VARIANT& given) {
    const VARIANT* v = &given;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT))
        v = V_VARIANTREF(v);
    com::unique_variant plain;
    if (V_VT(v) & VT_BYREF) {
        if (FAILED(VariantCopyInd(plain.put(), const_cast<VARIANT*>(v))))
            ThrowTypeMismatch();
        v = plain.get();
    }

    switch (V_VT(v)) {
    case VT_EMPTY:
        return {};
    case VT_NULL:
        return Variant::Null();
    case VT_I2:
        return V_I2(v);
    case VT_I4:
        return static_cast<std::int32_t>(V_I4(v));
    case VT_R4:
        return V_R4(v);
    case VT_R8:
        return V_R8(v);
    case VT_CY:
        return Currency{V_CY(v).int64};
    case VT_BSTR:
        return BstrToUtf8(V_BSTR(v));
    case VT_BOOL:
        return V_BOOL(v) != VARIANT_FALSE;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        IUnknown* object = V_VT(v) == VT_DISPATCH ? V_DISPATCH(v) : V_UNKNOWN(v);
        if (!object)
            return ObjectRef();
        if (auto font = win32::Win32Font::FromUnknown(object))
            return ObjectRef(font);
        return ObjectRef(std::make_shared<DispatchObject>(object));
    }
    default: {
        // Other numbers (bytes, unsigned, 64-bit, dates, decimals) as doubles.
        com::unique_variant number;
        if (!(V_VT(v) & VT_ARRAY) &&
            SUCCEEDED(VariantChangeType(number.put(), const_cast<VARIANT*>(v), 0, VT_R8)))
            return V_R8(number.get());
        ThrowTypeMismatch();
    }
    }
}

void ToVariant(const Variant& value, VARIANT* result) {
    VariantInit(result);
    switch (value.Type()) {
    case VariantType::Empty:
        return;
    case VariantType::Null:
        V_VT(result) = VT_NULL;
        return;
    case VariantType::Integer:
        V_VT(result) = VT_I2;
        V_I2(result) = value.ToInteger();
        return;
    case VariantType::Long:
        V_VT(result) = VT_I4;
        V_I4(result) = value.ToLong();
        return;
    case VariantType::Single:
        V_VT(result) = VT_R4;
        V_R4(result) = static_cast<float>(value.ToDouble());
        return;
    case VariantType::Double:
        V_VT(result) = VT_R8;
        V_R8(result) = value.ToDouble();
        return;
    case VariantType::Currency:
        V_VT(result) = VT_CY;
        V_CY(result).int64 = value.ToCurrency().scaled;
        return;
    case VariantType::String:
        V_BSTR(result) = Utf8ToBstr(value.String());
        V_VT(result) = VT_BSTR;
        return;
    case VariantType::Boolean:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = value.ToBoolean() ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    case VariantType::Object: {
        IUnknown* object = nullptr;
        if (const auto* font = dynamic_cast<const win32::Win32Font*>(value.Object().get()))
            object = font->Font();
        else if (const auto* other = dynamic_cast<const DispatchObject*>(value.Object().get()))
            object = other->Unknown();
        if (!object) {
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = nullptr;
            return;
        }
        IDispatch* dispatch = nullptr;
        if (SUCCEEDED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = dispatch;
        } else {
            object->AddRef();
            V_VT(result) = VT_UNKNOWN;
            V_UNKNOWN(result) = object;
        }
        return;
    }
    }
}

void PutProperty(IDispatch* object, DISPID id, const Variant& value) {
    com::unique_variant argument;
    ToVariant(value, argument.put());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{argument.get(), &named, 1, 1};
    com::ThrowIfFailed(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                      &params, nullptr, nullptr, nullptr));
}

} // namespace quillomet
