#pragma once

#include "common/variant.h"
#include "toolkit/font.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace quillomet {

// The events of the control's outgoing interface; the number is the DISPID.
enum class EventId : std::int32_t {
    Change = 1,
    Click = 2,
    DblClick = 3,
    KeyDown = 4,
    KeyPress = 5,
    KeyUp = 6,
    MouseMove = 7,
    MouseUp = 8,
    MouseDown = 9,
};

// The host's store of settings (IPropertyBag on Win32).
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    // The stored value, or `defaultValue` when the key is absent.
    virtual Variant ReadProperty(std::string_view key, const Variant& defaultValue) = 0;
    // May leave out a value equal to `defaultValue`.
    virtual void WriteProperty(std::string_view key, const Variant& value,
                               const Variant& defaultValue) = 0;
};

// The host-side object of a placed control (its extender): the host's own
// properties such as TabStop, and the control's public members, all reached
// by name. This is how the calculator reaches the control that opened it.
class ExtenderObject {
public:
    virtual ~ExtenderObject() = default;
    // Empty when the object has no such property.
    virtual Variant GetProperty(std::string_view name) = 0;
    virtual void SetProperty(std::string_view name, const Variant& value) = 0;
    virtual void Invoke(std::string_view method) = 0;
};
using ExtenderRef = std::shared_ptr<ExtenderObject>;

// What the control needs of the container that sites it. On Win32:
// IPropertyNotifySink, the ambient DISPIDs, IOleControlSite's extended
// control, the site's extent and the connection point's sinks.
class Container {
public:
    virtual ~Container() = default;

    // Marks the host's form as modified; delivered for every write.
    virtual void PropertyChanged(std::string_view key) = 0;
    virtual FontRef AmbientFont() = 0;
    // The host's name for the control (its ambient DisplayName), or empty.
    virtual std::string AmbientDisplayName() = 0;
    virtual ExtenderRef Extender() = 0;

    // Outer size and inner area in twips. A size write may run the
    // control's resize handling again before it returns.
    virtual std::int32_t Width() = 0;
    virtual std::int32_t Height() = 0;
    virtual void SetWidth(std::int32_t twips) = 0;
    virtual void SetHeight(std::int32_t twips) = 0;
    virtual std::int32_t ScaleWidth() = 0;
    virtual std::int32_t ScaleHeight() = 0;
    virtual void SetEnabled(bool enabled) = 0;

    // Raises an event; the arguments are by reference: what the host's
    // handler writes into them is there when the call returns.
    virtual void RaiseEvent(EventId event, std::span<Variant> arguments) = 0;
};

} // namespace quillomet
