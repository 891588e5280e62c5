#pragma once

#include "toolkit/platform_services.h"

namespace quillomet::win32 {

// The operating system's services for the about dialog.
class Win32Platform final : public PlatformServices {
public:
    RegistryQuery QueryValue(std::uint32_t root, std::string_view key, std::string_view valueName,
                             std::size_t capacity) override;
    bool FileExists(std::string_view path) override;
    void StartProcess(std::string_view path) override;
    void ShellOpen(std::string_view document) override;
    void ShowMessage(std::string_view text, std::string_view title) override;
    std::shared_ptr<DispatchTarget> CreateObject(std::string_view progId) override;
};

} // namespace quillomet::win32
