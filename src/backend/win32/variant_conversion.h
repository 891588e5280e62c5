#pragma once

#include "common/variant.h"

#include <oaidl.h>
#include <oleauto.h>

namespace quillomet {

// An automation VARIANT as the core's Variant: references followed, an
// object kept as an object (a font as the core's font), numbers of other
// widths widened; an array or other unconvertible type is a type mismatch.
Variant FromVariant(const VARIANT& value);
// The core's Variant into a VARIANT the caller owns (VariantClear).
void ToVariant(const Variant& value, VARIANT* result);
// Writes a property of an automation object; a failure is thrown.
void PutProperty(IDispatch* object, DISPID id, const Variant& value);

// An automation object whose default value is read through IDispatch.
class DispatchObject final : public Object {
public:
    explicit DispatchObject(IUnknown* object);
    ~DispatchObject() override;
    Variant DefaultValue() const override;
    IUnknown* Unknown() const { return m_Object; }

private:
    IUnknown* m_Object;
};

// A VARIANT this code owns, cleared when it goes.
class OwnedVariant {
public:
    OwnedVariant() { VariantInit(&m_Value); }
    ~OwnedVariant() { VariantClear(&m_Value); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    VARIANT* get() { return &m_Value; }

private:
    VARIANT m_Value;
};

} // namespace quillomet
