#include "common/automation_error.h"
#include "control/persisted_properties.h"
#include "control/quillomet.h"
#include "control/value_text.h"

#include <algorithm>
#include <optional>
#include <vector>

// The settings in the host's property bag, through the table of persisted
// properties.

namespace quillomet {
namespace {

// Reads keys in turn. A stored value that cannot be converted must not cost
// the user the settings after it: that key takes its default, the others
// still load, and the first error is kept to report at the end.
class Loader {
public:
    explicit Loader(PropertyBag& bag) : m_Bag(bag) {}

    template <typename Apply>
    void Key(std::string_view key, const Variant& defaultValue, Apply apply) {
        try {
            apply(m_Bag.ReadProperty(key, defaultValue));
            return;
        } catch (const AutomationError& error) {
            if (!m_FirstError)
                m_FirstError.emplace(error.Number(), std::string(error.what()) +
                                                         " in the stored setting \"" +
                                                         std::string(key) + '"');
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

// The properties in the order they are loaded.
std::vector<const PersistedProperty*> InLoadOrder() {
    std::vector<const PersistedProperty*> order;
    for (const PersistedProperty& property : PersistedProperties())
        order.push_back(&property);
    std::ranges::stable_sort(order, {}, &PersistedProperty::m_LoadOrder);
    return order;
}

// What a new control holds: a font's is the host's ambient font.
Variant DefaultOf(const PersistedProperty& property, const FontRef& ambient) {
    return property.m_Type == PropertyType::Font ? Variant(ObjectRef(ambient)) : property.m_Default;
}

} // namespace

void Quillomet::InitProperties() {
    const FontRef ambient = m_Host.AmbientFont();
    for (const PersistedProperty& property : PersistedProperties())
        property.m_Initialise(*this, DefaultOf(property, ambient));
    m_MaxChars = 10; // the default picture's first section; SetMaxChars does not run
}

void Quillomet::ReadProperties(PropertyBag& bag) {
    ++m_ValueWrites; // a value write that raised a handler calling this ends
    Loader load(bag);
    const FontRef ambient = m_Host.AmbientFont();
    static const std::vector<const PersistedProperty*> loadOrder = InLoadOrder();
    for (const PersistedProperty* property : loadOrder) {
        const Variant defaultValue = DefaultOf(*property, ambient);
        load.Key(property->m_Key, defaultValue,
                 [&](const Variant& v) { property->m_Load(*this, v, defaultValue); });
    }

    // The children follow the loaded flags; the Enabled writer above ran
    // while they still held their initial values.
    ArrangeChildren();
    m_txtNumber->SetText(Reformat(ValueText(m_Value)));
    load.ReportFirstError();
}

void Quillomet::WriteProperties(PropertyBag& bag) const {
    const FontRef ambient = m_Host.AmbientFont();
    for (const PersistedProperty& property : PersistedProperties()) {
        const Variant defaultValue = DefaultOf(property, ambient);
        bag.WriteProperty(property.m_Key, property.m_Save(*this, defaultValue), defaultValue);
    }
}

} // namespace quillomet
