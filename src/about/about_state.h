#pragma once

#include "about/about_dialog.h"
#include "toolkit/toolkit.h"

#include <memory>

namespace quillomet {

// The one about dialog of a user-interface thread, shared by its controls:
// OK discards it, the close box keeps it for the next showing.
class AboutState {
public:
    static AboutState& ForThisThread();
    // Frees the thread's dialog when the thread's last control has gone,
    // unless it is showing.
    static void DiscardForThisThread();
    // Shows the dialog modally; returns when it closes.
    void Show(Toolkit& toolkit);

    std::unique_ptr<AboutDialog> m_Dialog;

private:
    bool m_Showing = false;
};

} // namespace quillomet
