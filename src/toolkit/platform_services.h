#pragma once

#include "common/variant.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillomet {

// A registry value as the query returned it: the raw bytes written into a
// buffer of the asked capacity.
struct RegistryQuery {
    bool opened = false; // the key could be opened for reading
    bool read = false;   // the value fitted and was read
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data; // `size` bytes
};

inline constexpr std::uint32_t RegistryString = 1;       // REG_SZ
inline constexpr std::uint32_t RegistryExpandString = 2; // REG_EXPAND_SZ
inline constexpr std::uint32_t RegistryNumber = 4;       // REG_DWORD
inline constexpr std::uint32_t LocalMachine = 0x80000002;

// An automation object reached by dispatch identifier.
class DispatchTarget {
public:
    virtual ~DispatchTarget() = default;
    virtual Variant Get(std::int32_t dispid) = 0;
    virtual void Put(std::int32_t dispid, const Variant& value) = 0;
    virtual void Call(std::int32_t dispid, std::span<const Variant> arguments = {}) = 0;
};

// The few operating-system services the about dialog uses. Failures are
// AutomationErrors (or other exceptions), which the dialog traps.
class PlatformServices {
public:
    virtual ~PlatformServices() = default;
    // Opens the key for reading only and reads one value.
    virtual RegistryQuery QueryValue(std::uint32_t root, std::string_view key,
                                     std::string_view valueName, std::size_t capacity) = 0;
    virtual bool FileExists(std::string_view path) = 0;
    // A new process with a normal, focused window; not waited for.
    virtual void StartProcess(std::string_view path) = 0;
    // Opens a document or address with the system's handler; reports nothing.
    virtual void ShellOpen(std::string_view document) = 0;
    // A modal message with only an OK button.
    virtual void ShowMessage(std::string_view text, std::string_view title) = 0;
    // Creates an automation object by its program identifier.
    virtual std::shared_ptr<DispatchTarget> CreateObject(std::string_view progId) = 0;
};

} // namespace quillomet
