#include "control/persisted_properties.h"

#include "common/automation_error.h"
#include "common/text_length.h"
#include "control/property_keys.h"
#include "control/quillomet.h"
#include "control/value_text.h"

#include <algorithm>
#include <array>

namespace quillomet {
namespace {

// A stored font, or the host's ambient font as a copy of the control's own.
FontRef TakeFont(const Variant& stored, const FontRef& ambient) {
    if (!stored.IsObject())
        ThrowTypeMismatch();
    if (stored.Object() == ambient)
        return ambient ? ambient->SharedCopy() : nullptr;
    auto font = std::dynamic_pointer_cast<FontObject>(stored.Object());
    if (!font)
        ThrowTypeMismatch();
    return font;
}

FontRef FontOf(const Variant& value) {
    return value.IsObject() ? std::dynamic_pointer_cast<FontObject>(value.Object()) : nullptr;
}

OleColor ColorOf(const Variant& stored) {
    return static_cast<OleColor>(stored.ToLong());
}
Variant StoredColor(OleColor color) {
    return static_cast<std::int32_t>(color);
}

std::string FormatOf(const Variant& stored) {
    std::string format = stored.ToString();
    if (Utf16Length(format) > MaxTextLength)
        ThrowOverflow();
    return format;
}

} // namespace

// Reaches the control's members for the table; the control befriends it.
struct PersistedPropertyTable {
    using Table = std::array<PersistedProperty, 14>;
    using Q = Quillomet;
    using V = const Variant&;

    // A flag held as it is stored: initialised and loaded alike.
    template <bool Quillomet::*Member>
    static void SetFlag(Q& c, V v) {
        c.*Member = v.ToBoolean();
    }
    template <bool Quillomet::*Member>
    static void LoadFlag(Q& c, V v, V) {
        SetFlag<Member>(c, v);
    }
    // A number as held; loading takes only what a write would accept, with
    // no range check and no cross-check of the limits.
    template <Variant Quillomet::*Member>
    static void SetNumber(Q& c, V v) {
        c.*Member = v;
    }
    template <Variant Quillomet::*Member>
    static void LoadNumber(Q& c, V v, V) {
        c.*Member = AcceptedValue(v);
    }
    template <auto Member>
    static Variant Save(const Q& c, V) {
        return Variant(c.*Member);
    }

    static Table Make() {
        return {{
            {keys::Font, 0x68030000, PropertyType::Font, 0, Variant(),
             // A copy, so that changing the control's font never changes
             // the host's.
             [](Q& c, V ambient) {
                 if (FontRef font = FontOf(ambient))
                     c.m_txtNumber->SetFont(font->SharedCopy());
             },
             [](Q& c, V v, V ambient) {
                 if (FontRef font = TakeFont(v, FontOf(ambient)))
                     c.m_txtNumber->SetFont(std::move(font));
             },
             // The control holds a copy of the ambient font (shared with
             // the thread's other controls until handed out); while that
             // copy still looks like the host's font it is saved as the
             // default, so the form keeps nothing and the control follows
             // the host's font on loading.
             [](const Q& c, V ambient) {
                 FontRef font = c.m_txtNumber->Font();
                 const FontRef host = FontOf(ambient);
                 if (font && host && font->SameAs(*host))
                     return ambient;
                 // What is saved may be kept by whoever saves it.
                 if (font && font->IsSharedCopy())
                     font = font->Clone();
                 return Variant(ObjectRef(font));
             }},
            {keys::Value, DispidDefaultMember, PropertyType::Number, 6, Variant(""),
             SetNumber<&Q::m_Value>, LoadNumber<&Q::m_Value>, Save<&Q::m_Value>},
            {keys::MaxValue, 0x6803000B, PropertyType::Number, 7, Variant(Q::DefaultMaxValue),
             SetNumber<&Q::m_MaxValue>, LoadNumber<&Q::m_MaxValue>, Save<&Q::m_MaxValue>},
            {keys::MinValue, 0x6803000A, PropertyType::Number, 8, Variant(std::int16_t{0}),
             SetNumber<&Q::m_MinValue>, LoadNumber<&Q::m_MinValue>, Save<&Q::m_MinValue>},
            {keys::UseMaxMinValues, 0x68030009, PropertyType::Boolean, 9, Variant(false),
             SetFlag<&Q::m_UseMaxMinValues>, LoadFlag<&Q::m_UseMaxMinValues>,
             Save<&Q::m_UseMaxMinValues>},
            // Loaded before Value, so the stored value appears in the
            // stored format.
            {keys::Format, 0x68030008, PropertyType::Text, 1, Variant(Q::DefaultFormat),
             [](Q& c, V v) { c.m_Format = v.ToString(); },
             [](Q& c, V v, V) {
                 c.m_Format = FormatOf(v);
                 c.SetMaxChars();
             },
             Save<&Q::m_Format>},
            {keys::Enabled, 0x68030007, PropertyType::Boolean, 2, Variant(true),
             SetFlag<&Q::m_Enabled>, [](Q& c, V v, V) { c.SetEnabled(v.ToBoolean()); },
             Save<&Q::m_Enabled>},
            {keys::PositiveOnly, 0x68030006, PropertyType::Boolean, 3, Variant(false),
             SetFlag<&Q::m_PositiveOnly>, LoadFlag<&Q::m_PositiveOnly>, Save<&Q::m_PositiveOnly>},
            {keys::BackColor, 0x68030005, PropertyType::Color, 4,
             StoredColor(SystemWindowBackground), [](Q& c, V v) { c.m_BackColor = ColorOf(v); },
             [](Q& c, V v, V) {
                 c.m_BackColor = ColorOf(v);
                 c.m_txtNumber->SetBackColor(c.m_BackColor);
             },
             [](const Q& c, V) { return StoredColor(c.m_BackColor); }},
            {keys::ForeColor, 0x68030004, PropertyType::Color, 5, StoredColor(SystemWindowText),
             [](Q& c, V v) { c.m_ForeColor = ColorOf(v); },
             [](Q& c, V v, V) {
                 c.m_ForeColor = ColorOf(v);
                 c.m_txtNumber->SetForeColor(c.m_ForeColor);
             },
             [](const Q& c, V) { return StoredColor(c.m_ForeColor); }},
            {keys::Locked, 0x68030003, PropertyType::Boolean, 10, Variant(false),
             SetFlag<&Q::m_Locked>,
             [](Q& c, V v, V) {
                 SetFlag<&Q::m_Locked>(c, v);
                 c.LockField();
             },
             Save<&Q::m_Locked>},
            {keys::Calculator, 0x6803000E, PropertyType::Boolean, 11, Variant(true),
             SetFlag<&Q::m_Calculator>, LoadFlag<&Q::m_Calculator>, Save<&Q::m_Calculator>},
            {keys::UpDownFunction, 0x6803000D, PropertyType::Boolean, 12, Variant(false),
             SetFlag<&Q::m_UpDownFunction>, LoadFlag<&Q::m_UpDownFunction>,
             Save<&Q::m_UpDownFunction>},
            {keys::UpDownIncrement, 0x6803000C, PropertyType::Integer, 13, Variant(std::int16_t{1}),
             [](Q& c, V v) { c.m_UpDownIncrement = v.ToInteger(); },
             [](Q& c, V v, V) { c.m_UpDownIncrement = v.ToInteger(); },
             Save<&Q::m_UpDownIncrement>},
        }};
    }
};

std::span<const PersistedProperty> PersistedProperties() {
    static const PersistedPropertyTable::Table table = PersistedPropertyTable::Make();
    return table;
}

const PersistedProperty* FindPersistedProperty(std::string_view key) {
    const auto properties = PersistedProperties();
    const auto found = std::ranges::find(properties, key, &PersistedProperty::m_Key);
    return found == properties.end() ? nullptr : &*found;
}

} // namespace quillomet
