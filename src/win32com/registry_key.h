#pragma once

#include "win32com/unique_any.h"

#include <windows.h>

#include <string>
#include <utility>

namespace quillomet::com {

using unique_hkey = unique_any<HKEY, &RegCloseKey>;

// A registry key, closed when it goes.
class RegistryKey {
public:
    // Created, or opened where it exists, for writing; a failure is thrown.
    static RegistryKey Create(HKEY parent, const std::wstring& path);
    // Opened for reading only, so that a user without write rights to the
    // machine's keys still reads them; empty where it cannot be opened.
    static RegistryKey OpenForReading(HKEY parent, const std::wstring& path);
    // The same with a path in the system's ANSI code page, for values that
    // are read as ANSI too.
    static RegistryKey OpenForReading(HKEY parent, const std::string& path);

    // A string value; null names the key's default value. A failure is thrown.
    void Set(const wchar_t* name, const std::wstring& value) const;

    HKEY get() const noexcept { return m_Key.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(m_Key); }

private:
    explicit RegistryKey(unique_hkey key) noexcept : m_Key(std::move(key)) {}

    unique_hkey m_Key;
};

} // namespace quillomet::com
