#include "backend/memory/memory_about.h"

#include "common/automation_error.h"

namespace quillomet::memory {

Variant MemoryMailObject::Get(std::int32_t dispid) {
    m_Calls.push_back("get " + std::to_string(dispid));
    const auto it = m_Values.find(dispid);
    return it == m_Values.end() ? Variant(std::int32_t{0}) : it->second;
}

void MemoryMailObject::Put(std::int32_t dispid, const Variant& value) {
    m_Calls.push_back("put " + std::to_string(dispid));
    m_Values[dispid] = value;
}

void MemoryMailObject::Call(std::int32_t dispid, std::span<const Variant>) {
    m_Calls.push_back("call " + std::to_string(dispid));
    if (dispid == m_FailOn)
        throw AutomationError(ErrorNumber::InvalidProcedureCall, "the mail call failed");
    if (dispid == 8) // sign-on opens a session
        m_Values[5] = std::int32_t{4711};
}

RegistryQuery MemoryPlatform::QueryValue(std::uint32_t root, std::string_view key,
                                         std::string_view valueName, std::size_t capacity) {
    RegistryQuery query;
    const std::string keyPath = std::to_string(root) + "\\" + std::string(key);
    if (m_UnreadableKeys.count(keyPath))
        return query;
    const auto it = m_Registry.find(keyPath + "\\" + std::string(valueName));
    bool keyExists = it != m_Registry.end();
    for (const auto& [stored, value] : m_Registry)
        keyExists = keyExists || stored.rfind(keyPath + "\\", 0) == 0;
    query.opened = keyExists;
    if (it == m_Registry.end() || it->second.data.size() > capacity)
        return query;
    query.read = true;
    query.type = it->second.type;
    query.data = it->second.data;
    return query;
}

void MemoryPlatform::StartProcess(std::string_view path) {
    if (!m_Startable.count(std::string(path)))
        throw AutomationError(ErrorNumber::InvalidProcedureCall,
                              "the program could not be started");
    m_Started.emplace_back(path);
}

void MemoryPlatform::ShowMessage(std::string_view text, std::string_view title) {
    m_Messages.push_back(std::string(title) + ": " + std::string(text));
}

std::shared_ptr<DispatchTarget> MemoryPlatform::CreateObject(std::string_view progId) {
    if (!m_MailInstalled)
        throw AutomationError(ErrorNumber::InvalidProcedureCall, "no such component");
    ++m_ObjectsCreated;
    auto object = std::make_shared<MemoryMailObject>();
    m_Created[std::string(progId)] = object;
    return object;
}

} // namespace quillomet::memory
