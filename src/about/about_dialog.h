#pragma once

#include "toolkit/about_window.h"
#include "toolkit/platform_services.h"

#include <memory>
#include <string>

namespace quillomet {

// The about dialog's logic: its texts, the mail, web and system-information
// actions, and what closing does. The window shows the texts and reports
// the clicks.
class AboutDialog {
public:
    static constexpr const char* EmailFailed =
        "A problem has occurred while trying to send an e-mail.";
    static constexpr const char* SysInfoUnavailable =
        "System Information Is Unavailable At This Time";

    explicit AboutDialog(PlatformServices& platform);
    // The dialog is shared by the controls of a thread: each showing uses
    // the services of the control that shows it.
    void SetPlatform(PlatformServices& platform) { m_Platform = &platform; }

    // Runs each time the dialog loads, before it is first painted.
    void Load();
    const AboutTexts& Texts() const { return m_Texts; }

    void ClickEmail();
    void ClickWeb();
    void ClickSysInfo() { StartSysInfo(); }
    // Signs off a mail session if one is open.
    void Unload();

    void StartSysInfo();
    // One value under a key of the machine's registry: true when read.
    bool GetKeyValue(std::uint32_t keyRoot, std::string_view keyName, std::string_view subKeyRef,
                     std::string& keyVal);

    bool HasMailSession() const { return m_Messages != nullptr; }

private:
    PlatformServices* m_Platform;
    AboutTexts m_Texts;
    std::shared_ptr<DispatchTarget> m_Session;
    std::shared_ptr<DispatchTarget> m_Messages;
};

} // namespace quillomet
