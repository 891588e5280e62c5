#pragma once

#include "calculator/calculator_form.h"
#include "common/function_ref.h"
#include "toolkit/container.h"

#include <cstdint>
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

    // Where a new calculator goes, in twips on the screen, and the number
    // its readout starts from.
    struct Opening {
        std::int32_t left = 0, top = 0;
        Variant seed;
    };
    // Opens a new calculator for `owner`, the one open before closed first
    // (it gives the highlight back to the new owner). `where` is asked once
    // that has closed and the new window exists: closing may run a host's
    // code.
    void Open(Toolkit& toolkit, ExtenderRef owner, FunctionRef<Opening()> where);
    // Showing: the window was activated since it opened.
    bool IsShowing() const { return m_Showing; }
    // The open calculator, and the extender of the control it hands back to.
    const CalculatorForm* Form() const { return m_Form.get(); }
    const ExtenderRef& Owner() const { return m_Owner; }
    void Shown() { m_Showing = true; }
    // Closes the window if one is loaded, then gives the owner its
    // highlight back. Each step runs even if one before it failed. Inside
    // one of the window's own notifications the close waits for its end.
    void Close();
    // The control whose extender `owner` is goes: when it owns the
    // calculator, the calculator closes with nobody to hand back to.
    void OwnerGone(const ExtenderRef& owner);

private:
    std::unique_ptr<CalculatorForm> m_Form;
    // The owner's extender; cleared when that control terminates.
    ExtenderRef m_Owner;
    bool m_Showing = false;
};

} // namespace quillomet
