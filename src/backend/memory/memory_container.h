#pragma once

#include "backend/memory/memory_font.h"

namespace quillomet {
class Quillomet;
}
#include "toolkit/container.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace quillomet::memory {

struct RaisedEvent {
    EventId event;
    std::vector<Variant> arguments; // as the handler left them
};

// The host-side object of a control in memory: the host's own properties,
// and the control's public members by name once a control is attached.
class MemoryExtender final : public ExtenderObject {
public:
    Variant GetProperty(std::string_view name) override;
    void SetProperty(std::string_view name, const Variant& value) override;
    void Invoke(std::string_view method) override;

    std::map<std::string, Variant, std::less<>> m_Properties{{"TabStop", true}};
    Quillomet* m_Control = nullptr;
};

// A container in memory: records what the control tells it, and lets a
// test play the host's event handler.
class MemoryContainer final : public Container {
public:
    using EventHandler = std::function<void(EventId, std::span<Variant>)>;

    void PropertyChanged(std::string_view key) override;
    FontRef AmbientFont() override { return m_AmbientFont; }
    std::string AmbientDisplayName() override { return m_DisplayName; }
    ExtenderRef Extender() override { return m_Extender; }
    // Lets the extender reach the control's members by name.
    void Attach(Quillomet& control) { m_Extender->m_Control = &control; }
    std::int32_t Width() override { return m_Width; }
    std::int32_t Height() override { return m_Height; }
    // A size write runs m_OnResize when set, as a host that reports the
    // new size at once re-enters the control's resize handling.
    void SetWidth(std::int32_t twips) override;
    void SetHeight(std::int32_t twips) override;
    std::int32_t ScaleWidth() override { return m_Width - 2 * m_Border; }
    std::int32_t ScaleHeight() override { return m_Height - 2 * m_Border; }
    void SetEnabled(bool enabled) override { m_Enabled = enabled; }
    void RaiseEvent(EventId event, std::span<Variant> arguments) override;

    // How many Change events were raised.
    int Changes() const;
    void ClearRecords();

    FontRef m_AmbientFont = std::make_shared<MemoryFont>();
    std::string m_DisplayName;
    std::shared_ptr<MemoryExtender> m_Extender = std::make_shared<MemoryExtender>();
    std::int32_t m_Width = 1740;
    std::int32_t m_Height = 300;
    std::int32_t m_Border = 0; // between the outer size and the inner area
    std::function<void()> m_OnResize;
    int m_SizeWrites = 0;
    bool m_Enabled = true;
    EventHandler m_OnEvent;

    std::vector<std::string> m_ChangedKeys;
    std::vector<RaisedEvent> m_Events;
};

// A property bag that keeps only what differs from the default, as hosts'
// bags may.
class MemoryPropertyBag final : public PropertyBag {
public:
    Variant ReadProperty(std::string_view key, const Variant& defaultValue) override;
    void WriteProperty(std::string_view key, const Variant& value,
                       const Variant& defaultValue) override;

    std::map<std::string, Variant, std::less<>> m_Values;
    std::vector<std::string> m_ReadOrder;
    std::vector<std::string> m_WriteOrder;
};

} // namespace quillomet::memory
