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
    if (!thread || thread->controls > 0 || !thread->about || thread->about->m_Showing > 0)
        return;
    delete std::exchange(thread->about, nullptr);
}

void AboutState::Show(Toolkit& toolkit) {
    if (!m_Dialog)
        m_Dialog = std::make_unique<AboutDialog>(toolkit.Platform());
    AboutDialog& dialog = *m_Dialog;
    dialog.SetPlatform(toolkit.Platform());
    dialog.Load();
    Clicks clicks(dialog);
    struct Showing {
        explicit Showing(int& count) : m_Count(count) { ++m_Count; }
        ~Showing() { --m_Count; }
        int& m_Count;
    } showing(m_Showing);
    const AboutClose closed = toolkit.CreateAboutWindow()->ShowModal(dialog.Texts(), clicks);
    dialog.Unload();
    if (closed == AboutClose::Ok)
        m_Dialog.reset();
}

} // namespace quillomet
