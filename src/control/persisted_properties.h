#pragma once

#include "common/variant.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace quillomet {

class Quillomet;

// How a persisted property is declared to automation, which is also what
// its stored value holds.
enum class PropertyType {
    Font,    // a font object
    Text,    // a string
    Boolean, // VARIANT_BOOL
    Color,   // OLE_COLOR, stored as a Long
    Number,  // a VARIANT: a number, or empty text for none
    Integer, // a 16-bit integer
};

// The dispatch identifier of an object's default member.
inline constexpr std::int32_t DispidDefaultMember = 0;

// One persisted property of the control, described once: initialisation,
// loading, saving and change notification all read it from here.
struct PersistedProperty {
    // The name in the property bag and in change notifications.
    std::string_view m_Key;
    // The property's dispatch identifier in the type library.
    std::int32_t m_Dispid;
    PropertyType m_Type;
    // Its place when loading, which differs from the order saved documents
    // hold: the stored format must be in place before the stored value.
    int m_LoadOrder;
    // What a new control holds and what is not saved. A font's default is
    // the host's ambient font instead, so this is empty.
    Variant m_Default;
    // A new control: sets the member only (no writer runs, nothing is
    // notified).
    void (*m_Initialise)(Quillomet& control, const Variant& initial);
    // A stored value: applies it as loading does. Throws an automation
    // error when the value cannot be converted.
    void (*m_Load)(Quillomet& control, const Variant& stored, const Variant& defaultValue);
    // The value to store.
    Variant (*m_Save)(const Quillomet& control, const Variant& defaultValue);
};

// Every persisted property, in the order a saved document holds them.
std::span<const PersistedProperty> PersistedProperties();
// The property persisted under key, or null for a key that is not one.
const PersistedProperty* FindPersistedProperty(std::string_view key);

} // namespace quillomet
