#include "backend/memory/memory_container.h"

#include <algorithm>

namespace quillomet::memory {

void MemoryContainer::PropertyChanged(std::string_view key) {
    m_ChangedKeys.emplace_back(key);
}

Variant MemoryContainer::ExtenderProperty(std::string_view name) {
    const auto it = m_Extender.find(name);
    return it == m_Extender.end() ? Variant() : it->second;
}

void MemoryContainer::SetWidth(std::int32_t twips) {
    m_Width = twips;
    ++m_SizeWrites;
    if (m_OnResize)
        m_OnResize();
}

void MemoryContainer::SetHeight(std::int32_t twips) {
    m_Height = twips;
    ++m_SizeWrites;
    if (m_OnResize)
        m_OnResize();
}

void MemoryContainer::RaiseEvent(EventId event, std::span<Variant> arguments) {
    if (m_OnEvent)
        m_OnEvent(event, arguments);
    m_Events.push_back({event, {arguments.begin(), arguments.end()}});
}

int MemoryContainer::Changes() const {
    return static_cast<int>(std::count_if(m_Events.begin(), m_Events.end(), [](const auto& e) {
        return e.event == EventId::Change;
    }));
}

void MemoryContainer::ClearRecords() {
    m_ChangedKeys.clear();
    m_Events.clear();
}

Variant MemoryPropertyBag::ReadProperty(std::string_view key, const Variant& defaultValue) {
    m_ReadOrder.emplace_back(key);
    const auto it = m_Values.find(key);
    return it == m_Values.end() ? defaultValue : it->second;
}

void MemoryPropertyBag::WriteProperty(std::string_view key, const Variant& value,
                                      const Variant& defaultValue) {
    m_WriteOrder.emplace_back(key);
    if (value == defaultValue)
        m_Values.erase(std::string(key));
    else
        m_Values.insert_or_assign(std::string(key), value);
}

} // namespace quillomet::memory
