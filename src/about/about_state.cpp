#include "about/about_state.h"

#include "common/thread_data.h"
#include "toolkit/about_window.h"

#include <utility>

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
    ThreadData& thread = ThisThreadData();
    if (!thread.about)
        thread.about = new AboutState();
    return *thread.about;
}

void AboutState::DiscardIfUnused() {
    ThreadData* thread = ExistingThreadData();
    if (!thread || thread->controls > 0 || !thread->about || thread->about->m_Up)
        return;
    delete std::exchange(thread->about, nullptr);
}

void AboutState::Show(Toolkit& toolkit) {
    if (m_Up) {
        m_Up->Raise();
        return;
    }
    if (!m_Dialog)
        m_Dialog = std::make_unique<AboutDialog>(toolkit.Platform());
    AboutDialog& dialog = *m_Dialog;
    dialog.SetPlatform(toolkit.Platform());
    dialog.Load();
    Clicks clicks(dialog);
    const std::unique_ptr<AboutWindow> window = toolkit.CreateAboutWindow();
    struct Up {
        Up(AboutWindow*& up, AboutWindow& window) : m_Up(up) { m_Up = &window; }
        ~Up() { m_Up = nullptr; }
        AboutWindow*& m_Up;
    } up(m_Up, *window);
    const AboutClose closed = window->ShowModal(dialog.Texts(), clicks);
    dialog.Unload();
    if (closed == AboutClose::Ok)
        m_Dialog.reset();
}

} // namespace quillomet
