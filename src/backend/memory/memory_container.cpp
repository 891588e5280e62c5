#include "backend/memory/memory_container.h"

#include "control/quillomet.h"

#include <algorithm>
#include <cctype>

namespace quillomet::memory {

void MemoryContainer::PropertyChanged(std::string_view key) {
    m_ChangedKeys.emplace_back(key);
}

namespace {

bool Named(std::string_view name, std::string_view expected) {
    if (name.size() != expected.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) !=
            std::tolower(static_cast<unsigned char>(expected[i])))
            return false;
    return true;
}

} // namespace

// Names are matched without regard to case, as automation does.
Variant MemoryExtender::GetProperty(std::string_view name) {
    if (m_Control && Named(name, "Value"))
        return m_Control->Value();
    if (m_Control && Named(name, "SkipFocus"))
        return m_Control->SkipFocus();
    const auto it = m_Properties.find(name);
    return it == m_Properties.end() ? Variant() : it->second;
}

void MemoryExtender::SetProperty(std::string_view name, const Variant& value) {
    if (m_Control && Named(name, "Value"))
        m_Control->SetValue(value);
    else if (m_Control && Named(name, "SkipFocus"))
        m_Control->SetSkipFocus(value.ToBoolean());
    else
        m_Properties.insert_or_assign(std::string(name), value);
}

void MemoryExtender::Invoke(std::string_view method) {
    if (m_Control && Named(method, "Highlight"))
        m_Control->Highlight();
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
