#include "about/about_dialog.h"

#include "about/maker.h"
#include "common/automation_error.h"
#include "common/integer_text.h"

#include <exception>

namespace quillomet {
namespace {

// Dispatch identifiers of the mail components.
constexpr std::int32_t SessionSignOn = 8;
constexpr std::int32_t SessionSignOff = 9;
constexpr std::int32_t SessionId = 5;
constexpr std::int32_t MessagesSessionId = 31;
constexpr std::int32_t MessagesCompose = 35;
constexpr std::int32_t MessagesRecipientAddress = 26;
constexpr std::int32_t MessagesSubject = 32;
constexpr std::int32_t MessagesSend = 43;

constexpr std::size_t ValueCapacity = 1024;

} // namespace

AboutDialog::AboutDialog(PlatformServices& platform) : m_Platform(&platform) {
    // What the window holds before it loads.
    m_Texts.title = maker::ProductTitle;
    m_Texts.version = "Version";
    m_Texts.disclaimer = "Please send any comments or suggestions to:";
    m_Texts.email = maker::EmailAddress;
    m_Texts.webLabel = "Web site:";
    m_Texts.web = maker::WebAddress;
}

void AboutDialog::Load() {
    m_Texts.caption = std::string(" About ") + maker::ProductTitle;
    m_Texts.version = "Version " + std::to_string(maker::VersionMajor) + "." +
                      std::to_string(maker::VersionMinor);
    m_Texts.description = "The Quillomet custom ActiveX control is one that enhances the standard "
                          "text box by adding special numeric capabilities.";
    m_Texts.title = maker::ProductTitle;
}

// The mail components are made on the first click and kept for the next:
// where they do not exist, only this click fails, not every close.
void AboutDialog::ClickEmail() {
    try {
        if (!m_Messages) {
            auto session = m_Platform->CreateObject("MSMAPI.MAPISession");
            auto messages = m_Platform->CreateObject("MSMAPI.MAPIMessages");
            m_Session = std::move(session);
            m_Messages = std::move(messages);
        }
        if (m_Messages->Get(MessagesSessionId).ToLong() == 0) {
            m_Session->Call(SessionSignOn);
            m_Messages->Put(MessagesSessionId, m_Session->Get(SessionId));
        }
        m_Messages->Call(MessagesCompose);
        m_Messages->Put(MessagesRecipientAddress, m_Texts.email);
        m_Messages->Put(MessagesSubject, std::string(maker::ProductTitle) + ", " + m_Texts.version);
        const Variant showFirst[] = {true};
        m_Messages->Call(MessagesSend, showFirst);
    } catch (const std::exception&) {
        m_Platform->ShowMessage(EmailFailed, maker::ProductTitle);
    }
}

void AboutDialog::ClickWeb() {
    m_Platform->ShellOpen(m_Texts.web);
}

// Closing the dialog never fails for the mail system's sake; the next
// showing starts without a session.
void AboutDialog::Unload() {
    if (!m_Messages)
        return;
    try {
        if (m_Messages->Get(MessagesSessionId).ToLong() > 0)
            m_Session->Call(SessionSignOff);
    } catch (const std::exception&) {
    }
    m_Messages.reset();
    m_Session.reset();
}

void AboutDialog::StartSysInfo() {
    try {
        std::string path;
        if (!GetKeyValue(LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) {
            if (!GetKeyValue(LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO",
                             path)) {
                m_Platform->ShowMessage(SysInfoUnavailable, maker::ProductTitle);
                return;
            }
            const std::string program = path + "\\MSINFO32.EXE";
            if (!m_Platform->FileExists(program)) {
                m_Platform->ShowMessage(SysInfoUnavailable, maker::ProductTitle);
                return;
            }
            path = program;
        }
        m_Platform->StartProcess(path);
    } catch (const std::exception&) {
        m_Platform->ShowMessage(SysInfoUnavailable, maker::ProductTitle);
    }
}

// The key is opened for reading only: a user without write rights to the
// machine's keys still finds the tool. An empty value counts as none.
bool AboutDialog::GetKeyValue(std::uint32_t keyRoot, std::string_view keyName,
                              std::string_view subKeyRef, std::string& keyVal) {
    const RegistryQuery query = m_Platform->QueryValue(keyRoot, keyName, subKeyRef, ValueCapacity);
    if (!query.opened || !query.read) {
        keyVal.clear();
        return false;
    }
    // A value stored with its terminating zero loses it; one stored without
    // keeps all its characters.
    std::size_t size = query.data.size();
    if (size > 0 && query.data[size - 1] == 0)
        --size;
    const std::string text(query.data.begin(),
                           query.data.begin() + static_cast<std::ptrdiff_t>(size));
    if (query.type == RegistryString || query.type == RegistryExpandString) {
        keyVal = text;
        return !keyVal.empty();
    }
    if (query.type == RegistryNumber && query.data.size() >= 4) {
        const std::uint32_t number = query.data[0] | (query.data[1] << 8) | (query.data[2] << 16) |
                                     (static_cast<std::uint32_t>(query.data[3]) << 24);
        keyVal = "&h" + UnsignedText(number, 16, HexCase::Upper);
        return true;
    }
    return false; // a kind of value the dialog cannot use
}

} // namespace quillomet
