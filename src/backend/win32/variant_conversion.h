#pragma once

#include "common/variant.h"
#include "win32com/com_ptr.h"
#include "win32com/unique_variant.h"

#include <oaidl.h>
#include <oleauto.h>

namespace quillomet {

// An automation VARIANT as the core's Variant: references followed, an
// object kept as an object (a font as the core's font), numbers of other
// widths widened; an array or other unconvertible type is a type mismatch.
Variant FromVariant(const VARIANT& value);
// The core's Variant into a VARIANT the caller owns (a com::unique_variant's
// put() receives it).
void ToVariant(const Variant& value, VARIANT* result);
// Writes a property of an automation object; a failure is thrown.
void PutProperty(IDispatch* object, DISPID id, const Variant& value);

// An automation object whose default value is read through IDispatch.
class DispatchObject final : public Object {
public:
    explicit DispatchObject(IUnknown* object);
    Variant DefaultValue() const override;
    IUnknown* Unknown() const { return m_Object.get(); }

private:
    com::com_ptr<IUnknown> m_Object;
};

} // namespace quillomet
