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

} // namespace

AboutState& AboutState::ForThisThread() {
    thread_local AboutState state;
    return state;
}

void AboutState::Show(Toolkit& toolkit) {
    if (!m_Dialog)
        m_Dialog = std::make_unique<AboutDialog>(toolkit.Platform());
    AboutDialog& dialog = *m_Dialog;
    dialog.SetPlatform(toolkit.Platform());
    dialog.Load();
    Clicks clicks(dialog);
    const AboutClose closed = toolkit.CreateAboutWindow()->ShowModal(dialog.Texts(), clicks);
    dialog.Unload();
    if (closed == AboutClose::Ok)
        m_Dialog.reset();
}

} // namespace quillomet
