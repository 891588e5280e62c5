#include "common/number_conversion.h"
#include "common/scope_exit.h"
#include "control/key_codes.h"
#include "control/quillomet.h"
#include "control/value_text.h"

#include <algorithm>
#include <cmath>

// The spinner and the arrow keys: steps of UpDownIncrement that snap to its
// multiples, stop at the range, and repeat while the spinner is held.

namespace quillomet {
namespace {

constexpr std::int32_t FirstRepeatDelay = 700;
constexpr std::int32_t RepeatInterval = 50;

// The remainder of v, rounded half to even, by n, with the dividend's sign
// (7 by 5 is 2, -7 by 5 is -2). Computed in doubles, so a number beyond
// the 32-bit range steps like any other instead of overflowing.
double Remainder(double v, std::int16_t n) {
    return std::fmod(std::nearbyint(v), n);
}

} // namespace

// A step that would reach 10^15 stops there, as one at a limit does: no
// number of the control has more than 15 integer digits.
bool Quillomet::Holdable(double next) {
    if (std::isfinite(next) && WithinPlainRange(NumberText(next)))
        return true;
    StopRepeating();
    return false;
}

// An increment of 0 moves nothing, so such a step is ignored rather than
// dividing by zero.
// Below the maximum when the range holds; a step that finds the maximum
// stops the repeat.
bool Quillomet::MayStepUp() {
    if (m_UseMaxMinValues && !(Value().ToDouble() < MemberValue(m_MaxValue))) {
        StopRepeating();
        return false;
    }
    return true;
}

// Above the floor (0 for a positive-only control) when the range holds. A
// positive-only control at 0 does not step and leaves the repeat running.
bool Quillomet::MayStepDown(double& floor) {
    floor = 0;
    if (m_PositiveOnly) {
        if (Value().ToDouble() == 0)
            return false;
    } else {
        // The minimum as a whole number, half to even; not confined to 16
        // bits, so a minimum beyond them is a floor like any other.
        floor = std::nearbyint(MemberValue(m_MinValue));
    }
    if (m_UseMaxMinValues && !(Value().ToDouble() > floor)) {
        StopRepeating();
        return false;
    }
    return true;
}

void Quillomet::StepUp() {
    if (m_UpDownIncrement == 0)
        return;
    m_Stepping = true;
    const scope_exit stepped([this] { m_Stepping = false; });
    if (!MayStepUp())
        return;
    const double r = Remainder(Value().ToDouble(), m_UpDownIncrement);
    if (!Holdable((r > 0 ? Value().ToDouble() - r : Value().ToDouble()) + m_UpDownIncrement))
        return;
    if (r > 0)
        SetValue(Value().ToDouble() - r);
    SetValue(Value().ToDouble() + m_UpDownIncrement);
}

void Quillomet::StepDown() {
    if (m_UpDownIncrement == 0)
        return;
    m_Stepping = true;
    const scope_exit stepped([this] { m_Stepping = false; });
    double floor = 0;
    if (!MayStepDown(floor))
        return;
    const double r = Remainder(Value().ToDouble(), m_UpDownIncrement);
    if (!Holdable(r > 0 ? Value().ToDouble() - r : Value().ToDouble() - m_UpDownIncrement))
        return;
    if (r > 0)
        SetValue(Value().ToDouble() - r);
    else
        SetValue(Value().ToDouble() - m_UpDownIncrement);
}

// Page Up and Page Down: from the number snapped as the arrows snap it,
// ten increments in one write, so the host hears one Change: the result is
// held within the range first (where the arrows' last step would overshoot
// and be brought back), and a positive-only control stops at 0, where a
// negative number would lose its sign.
void Quillomet::StepPage(bool up) {
    if (m_UpDownIncrement == 0)
        return;
    m_Stepping = true;
    const scope_exit stepped([this] { m_Stepping = false; });
    double floor = 0;
    if (up ? !MayStepUp() : !MayStepDown(floor))
        return;
    const double value = Value().ToDouble();
    const double r = Remainder(value, m_UpDownIncrement);
    const double snapped = r > 0 ? value - r : value;
    const double increments = static_cast<double>(key::PageSteps) * m_UpDownIncrement;
    double next = up ? snapped + increments : snapped - increments;
    if (m_UseMaxMinValues) // towards the limit it approaches; crossed limits stay the range rule's
        next =
            up ? std::min(next, MemberValue(m_MaxValue)) : std::max(next, MemberValue(m_MinValue));
    if (m_PositiveOnly)
        next = std::max(next, 0.0);
    if (Holdable(next))
        SetValue(next);
}

// The wheel over the focused field steps as the arrows do, a step a notch,
// and raises no key events. A field without the focus leaves it, so that
// scrolling a form never changes a number.
bool Quillomet::OnTxtNumberMouseWheel(std::int32_t delta) {
    if (!(m_UpDownFunction && m_Enabled && m_GotFocus)) {
        m_WheelDelta = 0;
        return false;
    }
    if ((delta > 0) != (m_WheelDelta > 0))
        m_WheelDelta = 0; // turned back: what was left of the other way goes
    m_WheelDelta += delta;
    bool stepped = false;
    while (m_GotFocus && (m_WheelDelta >= key::WheelNotch || m_WheelDelta <= -key::WheelNotch)) {
        if (m_WheelDelta > 0) {
            m_WheelDelta -= key::WheelNotch;
            StepUp();
        } else {
            m_WheelDelta += key::WheelNotch;
            StepDown();
        }
        stepped = true;
    }
    if (stepped)
        HighlightAfterSteps();
    return true;
}

// The stepped number back in its plain form, selected, in a focused field.
void Quillomet::HighlightAfterSteps() {
    if (m_GotFocus) {
        m_SkipFocus = false;
        Highlight();
    }
}

void Quillomet::OnUpDown1MouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    if (!SpinnerSteps())
        return;
    m_Spinning = true;
    Timer1().SetInterval(FirstRepeatDelay);
    m_SpinUp = y < static_cast<float>(UpDown1().Height()) / 2;
    Timer1().SetEnabled(true);
    std::int16_t keyCode = m_SpinUp ? key::Up : key::Down;
    std::int16_t noShift = 0;
    OnTxtNumberKeyDown(keyCode, noShift);
    RaiseMouseEvent(EventId::MouseDown, button, shift, x, y);
}

void Quillomet::OnUpDown1MouseUp(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    StopSpinning();
    HighlightAfterSteps();
    RaiseMouseEvent(EventId::MouseUp, button, shift, x, y);
    RaiseEvent(EventId::Click);
}

void Quillomet::OnTimer1Timer() {
    // A tick inside a running step (its Change handler may pump messages)
    // would step again before the first has finished.
    if (m_Stepping)
        return;
    if (!SpinnerSteps()) {
        StopSpinning();
        return;
    }
    Timer1().SetInterval(RepeatInterval);
    std::int16_t keyCode = m_SpinUp ? key::Up : key::Down;
    std::int16_t noShift = 0;
    OnTxtNumberKeyDown(keyCode, noShift);
}

// A press and release on one half, as the mouse makes them.
void Quillomet::ClickSpinner(bool up) {
    std::int16_t button = mouse::Left, shift = shift::None;
    float x = 0;
    float y = up ? 0.0f : static_cast<float>(UpDown1().Height());
    OnUpDown1MouseDown(button, shift, x, y);
    OnUpDown1MouseUp(button, shift, x, y);
}

bool Quillomet::SpinnerSteps() const {
    return m_Enabled && m_UpDownFunction && !m_DesignMode;
}

void Quillomet::StopSpinning() {
    StopRepeating();
    m_Spinning = false;
}

} // namespace quillomet
