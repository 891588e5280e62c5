#include "common/automation_error.h"
#include "common/text_length.h"
#include "control/property_keys.h"
#include "control/quillomet.h"
#include "control/value_text.h"

#include <optional>

// The settings in the host's property bag.

namespace quillomet {
namespace {

// A stored font, or the host's ambient font as a copy of the control's own.
FontRef TakeFont(const Variant& stored, const FontRef& ambient) {
    if (!stored.IsObject())
        ThrowTypeMismatch();
    if (stored.Object() == ambient)
        return ambient ? ambient->Clone() : nullptr;
    auto font = std::dynamic_pointer_cast<FontObject>(stored.Object());
    if (!font)
        ThrowTypeMismatch();
    return font;
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

// Reads keys in turn. A stored value that cannot be converted must not cost
// the user the settings after it: that key takes its default, the others
// still load, and the first error is kept to report at the end.
class Loader {
public:
    explicit Loader(PropertyBag& bag) : m_Bag(bag) {}

    template <typename Apply>
    void Key(const char* key, const Variant& defaultValue, Apply apply) {
        try {
            apply(m_Bag.ReadProperty(key, defaultValue));
            return;
        } catch (const AutomationError& error) {
            if (!m_FirstError)
                m_FirstError.emplace(error.Number(), std::string(error.what()) +
                                                         " in the stored setting \"" + key + '"');
        }
        apply(defaultValue);
    }

    void ReportFirstError() const {
        if (m_FirstError)
            throw *m_FirstError;
    }

private:
    PropertyBag& m_Bag;
    std::optional<AutomationError> m_FirstError;
};

} // namespace

void Quillomet::ReadProperties(PropertyBag& bag) {
    ++m_ValueWrites; // a value write that raised a handler calling this ends
    Loader load(bag);
    const FontRef ambient = m_Host.AmbientFont();
    load.Key(keys::Font, Variant(ObjectRef(ambient)), [&](const Variant& v) {
        if (FontRef font = TakeFont(v, ambient))
            m_txtNumber->SetFont(std::move(font));
    });
    // Format before Value, so the stored value appears in the stored format.
    load.Key(keys::Format, DefaultFormat, [&](const Variant& v) {
        m_Format = FormatOf(v);
        SetMaxChars();
    });
    load.Key(keys::Enabled, true, [&](const Variant& v) { SetEnabled(v.ToBoolean()); });
    load.Key(keys::PositiveOnly, false, [&](const Variant& v) { m_PositiveOnly = v.ToBoolean(); });
    load.Key(keys::BackColor, StoredColor(SystemWindowBackground), [&](const Variant& v) {
        m_BackColor = ColorOf(v);
        m_txtNumber->SetBackColor(m_BackColor);
    });
    load.Key(keys::ForeColor, StoredColor(SystemWindowText), [&](const Variant& v) {
        m_ForeColor = ColorOf(v);
        m_txtNumber->SetForeColor(m_ForeColor);
    });
    // As held; no range check and no cross-check of the limits here.
    load.Key(keys::Value, "", [&](const Variant& v) { m_Value = AcceptedValue(v); });
    load.Key(keys::MaxValue, DefaultMaxValue,
             [&](const Variant& v) { m_MaxValue = AcceptedValue(v); });
    load.Key(keys::MinValue, std::int16_t{0},
             [&](const Variant& v) { m_MinValue = AcceptedValue(v); });
    load.Key(keys::UseMaxMinValues, false,
             [&](const Variant& v) { m_UseMaxMinValues = v.ToBoolean(); });
    load.Key(keys::Locked, false, [&](const Variant& v) {
        m_Locked = v.ToBoolean();
        m_txtNumber->SetLocked(m_Locked);
    });
    load.Key(keys::Calculator, true, [&](const Variant& v) { m_Calculator = v.ToBoolean(); });
    load.Key(keys::UpDownFunction, false,
             [&](const Variant& v) { m_UpDownFunction = v.ToBoolean(); });
    load.Key(keys::UpDownIncrement, std::int16_t{1},
             [&](const Variant& v) { m_UpDownIncrement = v.ToInteger(); });

    // The children follow the loaded flags; the Enabled writer above ran
    // while they still held their initial values.
    ArrangeChildren();
    m_Text.m_WorkText = ValueText(m_Value);
    Reformat();
    m_txtNumber->SetText(m_Text.m_WorkText);
    load.ReportFirstError();
}

void Quillomet::WriteProperties(PropertyBag& bag) const {
    // The control holds its own copy of the ambient font; while that copy
    // still looks like the host's font it is saved as the default, so the
    // form keeps nothing and the control follows the host's font on loading.
    const FontRef ambient = m_Host.AmbientFont();
    FontRef font = m_txtNumber->Font();
    if (font && ambient && font->SameAs(*ambient))
        font = ambient;
    bag.WriteProperty(keys::Font, Variant(ObjectRef(font)), Variant(ObjectRef(ambient)));
    bag.WriteProperty(keys::Value, m_Value, "");
    bag.WriteProperty(keys::MaxValue, m_MaxValue, DefaultMaxValue);
    bag.WriteProperty(keys::MinValue, m_MinValue, std::int16_t{0});
    bag.WriteProperty(keys::UseMaxMinValues, m_UseMaxMinValues, false);
    bag.WriteProperty(keys::Format, m_Format, DefaultFormat);
    bag.WriteProperty(keys::Enabled, m_Enabled, true);
    bag.WriteProperty(keys::PositiveOnly, m_PositiveOnly, false);
    bag.WriteProperty(keys::BackColor, StoredColor(m_BackColor),
                      StoredColor(SystemWindowBackground));
    bag.WriteProperty(keys::ForeColor, StoredColor(m_ForeColor), StoredColor(SystemWindowText));
    bag.WriteProperty(keys::Locked, m_Locked, false);
    bag.WriteProperty(keys::Calculator, m_Calculator, true);
    bag.WriteProperty(keys::UpDownFunction, m_UpDownFunction, false);
    bag.WriteProperty(keys::UpDownIncrement, m_UpDownIncrement, std::int16_t{1});
}

} // namespace quillomet
