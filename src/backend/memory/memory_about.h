#pragma once

#include "toolkit/about_window.h"
#include "toolkit/platform_services.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quillomet::memory {

// A mail component in memory: records the calls it receives, by dispatch
// identifier, and holds what was put.
class MemoryMailObject final : public DispatchTarget {
public:
    Variant Get(std::int32_t dispid) override;
    void Put(std::int32_t dispid, const Variant& value) override;
    void Call(std::int32_t dispid, std::span<const Variant> arguments) override;

    std::vector<std::string> m_Calls; // "get 31", "put 26", "call 8"
    std::map<std::int32_t, Variant> m_Values;
    std::int32_t m_FailOn = 0; // a call identifier that fails
};

// The operating system as the about dialog sees it, in memory.
class MemoryPlatform final : public PlatformServices {
public:
    RegistryQuery QueryValue(std::uint32_t root, std::string_view key, std::string_view valueName,
                             std::size_t capacity) override;
    bool FileExists(std::string_view path) override { return m_Files.count(std::string(path)) > 0; }
    void StartProcess(std::string_view path) override;
    void ShellOpen(std::string_view document) override { m_Opened.emplace_back(document); }
    void ShowMessage(std::string_view text, std::string_view title) override;
    std::shared_ptr<DispatchTarget> CreateObject(std::string_view progId) override;

    // Key "root\key\value" → type and raw bytes.
    struct Stored {
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    std::map<std::string, Stored> m_Registry;
    std::set<std::string> m_UnreadableKeys; // keys that cannot be opened
    std::set<std::string> m_Files;
    std::set<std::string> m_Startable;
    std::vector<std::string> m_Started;
    std::vector<std::string> m_Opened;
    std::vector<std::string> m_Messages; // "title: text"
    bool m_MailInstalled = false;
    std::map<std::string, std::shared_ptr<MemoryMailObject>> m_Created; // by ProgID, the last
    int m_ObjectsCreated = 0;
};

// A modal about window in memory: a test's script plays the user.
class MemoryAboutWindow final : public AboutWindow {
public:
    using Script = std::function<AboutClose(const AboutTexts&, AboutWindowEvents&)>;
    MemoryAboutWindow(Script& script, int& raised) : m_Script(script), m_Raised(raised) {}
    AboutClose ShowModal(const AboutTexts& texts, AboutWindowEvents& events) override {
        return m_Script ? m_Script(texts, events) : AboutClose::Ok;
    }
    void Raise() override { ++m_Raised; }

private:
    Script& m_Script;
    int& m_Raised;
};

} // namespace quillomet::memory
