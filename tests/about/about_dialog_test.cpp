#include "about/about_dialog.h"
#include "about/about_state.h"
#include "about/maker.h"
#include "backend/memory/memory_about.h"
#include "control/control_fixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillomet {
namespace {

const std::string Hklm = std::to_string(LocalMachine);
const std::string MsInfo = Hklm + "\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO\\PATH";
const std::string Location = Hklm + "\\SOFTWARE\\Microsoft\\Shared Tools Location\\MSINFO";

memory::MemoryPlatform::Stored Text(const std::string& text, bool terminated = true) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    if (terminated)
        bytes.push_back(0);
    return {RegistryString, bytes};
}

TEST(AboutDialogTest, LoadSetsItsTexts) {
    memory::MemoryPlatform platform;
    AboutDialog dialog(platform);
    EXPECT_EQ("Version", dialog.Texts().version); // as stored, before loading
    dialog.Load();
    EXPECT_EQ(" About Quillomet", dialog.Texts().caption);
    EXPECT_EQ("Quillomet", dialog.Texts().title);
    EXPECT_EQ("Version 1.4", dialog.Texts().version);
    EXPECT_EQ("The Quillomet custom ActiveX control is one that enhances the standard text box by "
              "adding special numeric capabilities.",
              dialog.Texts().description);
    EXPECT_EQ(maker::EmailAddress, dialog.Texts().email);
    EXPECT_EQ(maker::WebAddress, dialog.Texts().web);
}

// Where the system-information tool is looked for, and what a failure shows.
TEST(AboutDialogTest, StartSysInfoBranches) {
    const std::string unavailable = "Quillomet: System Information Is Unavailable At This Time";
    const struct {
        const char* what;
        std::function<void(memory::MemoryPlatform&)> setup;
        std::vector<std::string> started;
        std::vector<std::string> messages;
    } rows[] = {
        {"the first key's PATH, started unchecked",
         [](auto& p) {
             p.m_Registry[MsInfo] = Text("C:\\Tools\\msinfo32.exe");
             p.m_Startable.insert("C:\\Tools\\msinfo32.exe");
         },
         {"C:\\Tools\\msinfo32.exe"},
         {}},
        {"the first key's PATH to a missing program",
         [](auto& p) { p.m_Registry[MsInfo] = Text("C:\\Gone\\msinfo32.exe"); },
         {},
         {unavailable}},
        {"the second key's folder holding the program",
         [](auto& p) {
             p.m_Registry[Location] = Text("C:\\Shared");
             p.m_Files.insert("C:\\Shared\\MSINFO32.EXE");
             p.m_Startable.insert("C:\\Shared\\MSINFO32.EXE");
         },
         {"C:\\Shared\\MSINFO32.EXE"},
         {}},
        {"the second key's folder without it",
         [](auto& p) { p.m_Registry[Location] = Text("C:\\Shared"); },
         {},
         {unavailable}},
        {"neither key", [](auto&) {}, {}, {unavailable}},
        {"a first key that cannot be opened: the second",
         [](auto& p) {
             p.m_Registry[MsInfo] = Text("C:\\Tools\\msinfo32.exe");
             p.m_UnreadableKeys.insert(Hklm + "\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
             p.m_Registry[Location] = Text("C:\\Shared");
             p.m_Files.insert("C:\\Shared\\MSINFO32.EXE");
             p.m_Startable.insert("C:\\Shared\\MSINFO32.EXE");
         },
         {"C:\\Shared\\MSINFO32.EXE"},
         {}},
        {"an empty PATH counts as none",
         [](auto& p) {
             p.m_Registry[MsInfo] = {RegistryString, {}};
             p.m_Registry[Location] = Text("C:\\Shared");
             p.m_Files.insert("C:\\Shared\\MSINFO32.EXE");
             p.m_Startable.insert("C:\\Shared\\MSINFO32.EXE");
         },
         {"C:\\Shared\\MSINFO32.EXE"},
         {}},
    };
    for (const auto& row : rows) {
        memory::MemoryPlatform platform;
        row.setup(platform);
        AboutDialog dialog(platform);
        dialog.Load();
        dialog.ClickSysInfo();
        EXPECT_EQ(row.started, platform.m_Started) << row.what;
        EXPECT_EQ(row.messages, platform.m_Messages) << row.what;
    }
}

TEST(AboutDialogTest, GetKeyValueTrimsOnlyATerminatingZero) {
    memory::MemoryPlatform platform;
    const std::string key = "SOFTWARE\\Test";
    platform.m_Registry[Hklm + "\\" + key + "\\With"] = Text("abc", true);
    platform.m_Registry[Hklm + "\\" + key + "\\Without"] = Text("abc", false);
    platform.m_Registry[Hklm + "\\" + key + "\\Number"] = {RegistryNumber,
                                                           {0xEF, 0xBE, 0xAD, 0x0B}};
    platform.m_Registry[Hklm + "\\" + key + "\\Long"] = Text(std::string(1100, 'x'));
    AboutDialog dialog(platform);
    std::string value = "kept";
    EXPECT_TRUE(dialog.GetKeyValue(LocalMachine, key, "With", value));
    EXPECT_EQ("abc", value);
    EXPECT_TRUE(dialog.GetKeyValue(LocalMachine, key, "Without", value));
    EXPECT_EQ("abc", value);
    EXPECT_TRUE(dialog.GetKeyValue(LocalMachine, key, "Number", value));
    EXPECT_EQ("&hBADBEEF", value);
    EXPECT_FALSE(dialog.GetKeyValue(LocalMachine, key, "Long", value)); // beyond 1,024 bytes
    EXPECT_EQ("", value);
    value = "kept";
    EXPECT_FALSE(dialog.GetKeyValue(LocalMachine, key, "Missing", value));
    EXPECT_EQ("", value);
}

TEST(AboutDialogTest, TwoMailClicksSignOnOnceAndUnloadSignsOff) {
    memory::MemoryPlatform platform;
    platform.m_MailInstalled = true;
    AboutDialog dialog(platform);
    dialog.Load();
    dialog.ClickEmail();
    dialog.ClickEmail();
    EXPECT_EQ(2, platform.m_ObjectsCreated); // a session and a message object, once
    auto session = platform.m_Created["MSMAPI.MAPISession"];
    auto messages = platform.m_Created["MSMAPI.MAPIMessages"];
    EXPECT_EQ((std::vector<std::string>{"call 8", "get 5"}), session->m_Calls);
    EXPECT_EQ(
        (std::vector<std::string>{"get 31", "put 31", "call 35", "put 26", "put 32", "call 43",
                                  "get 31", "call 35", "put 26", "put 32", "call 43"}),
        messages->m_Calls);
    EXPECT_EQ(Variant(maker::EmailAddress), messages->m_Values[26]);
    EXPECT_EQ(Variant("Quillomet, Version 1.4"), messages->m_Values[32]);
    EXPECT_TRUE(platform.m_Messages.empty());
    dialog.Unload();
    EXPECT_EQ("call 9", session->m_Calls.back()); // signed off
    EXPECT_FALSE(dialog.HasMailSession());
}

TEST(AboutDialogTest, MailFailuresAreReportedAndClosingStillWorks) {
    const std::string failed = "Quillomet: A problem has occurred while trying to send an e-mail.";
    memory::MemoryPlatform missing; // no mail components at all
    AboutDialog dialog(missing);
    dialog.Load();
    dialog.ClickEmail();
    EXPECT_EQ(std::vector<std::string>{failed}, missing.m_Messages);
    dialog.Unload(); // no session: nothing to sign off, and no error

    memory::MemoryPlatform refusing;
    refusing.m_MailInstalled = true;
    AboutDialog second(refusing);
    second.Load();
    second.ClickEmail(); // creates the objects
    refusing.m_Created["MSMAPI.MAPIMessages"]->m_FailOn = 43;
    second.ClickEmail();
    EXPECT_EQ(std::vector<std::string>{failed}, refusing.m_Messages);
    second.Unload();
    EXPECT_EQ("call 9", refusing.m_Created["MSMAPI.MAPISession"]->m_Calls.back());
}

TEST(AboutDialogTest, WebLinkOpensTheAddress) {
    memory::MemoryPlatform platform;
    AboutDialog dialog(platform);
    dialog.ClickWeb();
    EXPECT_EQ(std::vector<std::string>{maker::WebAddress}, platform.m_Opened);
    EXPECT_TRUE(platform.m_Messages.empty());
}

class AboutBoxTest : public testing::ControlTest {};

// OK discards the shared dialog; the close box keeps it, and the next
// showing loads it again.
TEST_F(AboutBoxTest, CloseBoxKeepsTheDialogAndOkDiscardsIt) {
    AboutState& state = AboutState::ForThisThread();
    state.m_Dialog.reset();
    std::vector<std::string> captions;
    AboutClose closing = AboutClose::CloseBox;
    toolkit.m_AboutScript = [&](const AboutTexts& texts, AboutWindowEvents& events) {
        captions.push_back(texts.caption);
        events.OnWeb();
        return closing;
    };
    control.DisplayAboutBox();
    const AboutDialog* kept = state.m_Dialog.get();
    ASSERT_NE(nullptr, kept);
    control.DisplayAboutBox();
    EXPECT_EQ(kept, state.m_Dialog.get());
    closing = AboutClose::Ok;
    control.DisplayAboutBox();
    EXPECT_EQ(nullptr, state.m_Dialog.get());
    EXPECT_EQ(std::vector<std::string>(3, " About Quillomet"), captions);
    EXPECT_EQ(3u, toolkit.m_Platform.m_Opened.size());
}

// Asked for again while the box is up (a host's timer runs in its modal
// loop), through the same control or another of the thread: the box that is
// up comes to the front, the request returns at once, and the dialog it
// shows lives on until it closes.
TEST_F(AboutBoxTest, OneBoxAtATime) {
    memory::MemoryToolkit otherToolkit;
    memory::MemoryContainer otherHost;
    Quillomet other{otherToolkit, otherHost};
    for (Quillomet* asking : {&control, &other}) {
        SCOPED_TRACE(asking == &control ? "the same control" : "another control");
        toolkit.m_AboutWindowsShown = toolkit.m_AboutRaised = otherToolkit.m_AboutWindowsShown = 0;
        toolkit.m_Platform.m_Opened.clear();
        int depth = 0;
        toolkit.m_AboutScript = [&](const AboutTexts&, AboutWindowEvents& events) {
            if (++depth == 1) {
                asking->DisplayAboutBox();
                events.OnWeb(); // the dialog's click handlers still work
            }
            return AboutClose::Ok;
        };
        otherToolkit.m_AboutScript = toolkit.m_AboutScript;
        control.DisplayAboutBox();
        EXPECT_EQ(1, depth);
        EXPECT_EQ(1, toolkit.m_AboutWindowsShown + otherToolkit.m_AboutWindowsShown);
        EXPECT_EQ(1, toolkit.m_AboutRaised);
        EXPECT_EQ(1u, toolkit.m_Platform.m_Opened.size());
        EXPECT_EQ(nullptr, AboutState::ForThisThread().m_Dialog.get()); // OK discarded it
    }
}

} // namespace
} // namespace quillomet
