#include "control/quillomet.h"

// Switching between the designer's inert control and the working one.

namespace quillomet {

// Entering design mode leaves the control as a user leaving it would (the
// display form, the range applied), with no events: the host is designing
// now. Leaving it gives a field that holds the focus its plain form and
// caret back, as if the focus had just arrived.
void Quillomet::SetDesignMode(bool design) {
    if (design == m_DesignMode)
        return;
    m_DesignMode = design;
    m_KeyLeftTheEdit = false;
    m_KeypadDecimal = false;
    m_WheelDelta = 0;
    if (design) {
        StopSpinning();
        ReleaseCalculator();
        if (m_GotFocus)
            TextBoxFocusLoss();
    }
    LockField();
    if (m_FieldFocused)
        TextBoxFocusArrival();
}

} // namespace quillomet
