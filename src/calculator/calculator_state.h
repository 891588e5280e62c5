#pragma once

#include "calculator/calculator_form.h"
#include "toolkit/container.h"

#include <memory>

namespace quillomet {

// The one calculator of a user-interface thread, shared by every control on
// it: the loaded window if any, the control that opened it last, and
// whether it is showing. Per thread, because two host threads must never
// share a window.
class CalculatorState {
public:
    static CalculatorState& ForThisThread();
    // The thread's calculator if one was made, else null.
    static CalculatorState* Existing();
    // Frees the thread's calculator once the thread has no control left
    // and no window of it is loaded (one still closing from inside its own
    // notification goes when that ends).
    static void DiscardIfUnused();

    std::unique_ptr<CalculatorForm> m_Form;
    // The owner's extender; cleared when that control terminates.
    ExtenderRef m_Owner;
    bool m_Showing = false;

    // Closes the window if one is loaded, then gives the owner its
    // highlight back. Each step runs even if one before it failed. Inside
    // one of the window's own notifications the close waits for its end.
    void Unload();
};

} // namespace quillomet
