#include "win32com/registry_key.h"

#include "win32com/error.h"

namespace quillomet::com {

// A key is adopted only once it opened: what a failed call leaves in its
// out-parameter is no key to close.

RegistryKey RegistryKey::Create(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    ThrowIfFailed(HRESULT_FROM_WIN32(
        RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)));
    return RegistryKey(unique_hkey(key));
}

RegistryKey RegistryKey::OpenForReading(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return RegistryKey(unique_hkey());
    return RegistryKey(unique_hkey(key));
}

RegistryKey RegistryKey::OpenForReading(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return RegistryKey(unique_hkey());
    return RegistryKey(unique_hkey(key));
}

void RegistryKey::Set(const wchar_t* name, const std::wstring& value) const {
    ThrowIfFailed(HRESULT_FROM_WIN32(
        RegSetValueExW(m_Key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)))));
}

} // namespace quillomet::com
