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
    // Frees the thread's dialog once the thread has no control left and it
    // is not showing.
    static void DiscardIfUnused();
    // Shows the dialog modally; returns when it closes.
    void Show(Toolkit& toolkit);

    std::unique_ptr<AboutDialog> m_Dialog;

private:
    int m_Showing = 0; // showings under way, nested ones included
};

} // namespace quillomet
