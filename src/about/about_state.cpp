#include "about/about_state.h"

#include "toolkit/about_window.h"

namespace quillomet {
namespace {

class Clicks final : public AboutWindowEvents {
public:
    explicit Clicks(AboutDialog& dialog) : m_Dialog(dialog) {}
    void OnEmail() override { m_Dialog.ClickEmail(); }
    void OnWeb() override { m_Dialog.ClickWeb(); }
    void OnSysInfo() override { m_Dialog.ClickSysInfo(); }

private:
    AboutDialog& m_Dialog;
};

// A plain pointer, freed by hand: a thread_local with a destructor keeps
// its library loaded for the rest of the process.
thread_local AboutState* t_State = nullptr;

} // namespace

AboutState& AboutState::ForThisThread() {
    if (!t_State)
        t_State = new AboutState();
    return *t_State;
}

void AboutState::DiscardForThisThread() {
    if (!t_State || t_State->m_Showing)
        return;
    delete t_State;
    t_State = nullptr;
}

void AboutState::Show(Toolkit& toolkit) {
    if (!m_Dialog)
        m_Dialog = std::make_unique<AboutDialog>(toolkit.Platform());
    AboutDialog& dialog = *m_Dialog;
    dialog.SetPlatform(toolkit.Platform());
    dialog.Load();
    Clicks clicks(dialog);
    struct Showing {
        explicit Showing(bool& flag) : m_Flag(flag) { m_Flag = true; }
        ~Showing() { m_Flag = false; }
        bool& m_Flag;
    } showing(m_Showing);
    const AboutClose closed = toolkit.CreateAboutWindow()->ShowModal(dialog.Texts(), clicks);
    dialog.Unload();
    if (closed == AboutClose::Ok)
        m_Dialog.reset();
}

} // namespace quillomet
