#pragma once

#include "about/about_dialog.h"
#include "toolkit/toolkit.h"

#include <memory>

namespace quillomet {

// The one about dialog of a user-interface thread, shared by its controls:
// OK discards it, the close box keeps it for the next showing.
//
// One box at a time: while it is up, its modal loop still runs the host's
// timers and posted work, and a request from there (through this control or
// another of the thread) only brings the box that is up to the front and
// returns at once. A second box on top of the first would share the one
// dialog, which closing either would discard under the other.
class AboutState {
public:
    static AboutState& ForThisThread();
    // Frees the thread's dialog once the thread has no control left and it
    // is not showing.
    static void DiscardIfUnused();
    // Shows the dialog modally and returns when it closes, or raises the one
    // already up and returns at once.
    void Show(Toolkit& toolkit);

    std::unique_ptr<AboutDialog> m_Dialog;

private:
    AboutWindow* m_Up = nullptr; // the box while it is up
};

} // namespace quillomet
