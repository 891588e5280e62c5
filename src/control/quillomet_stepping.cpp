#include "common/number_conversion.h"
#include "control/key_codes.h"
#include "control/quillomet.h"
#include "control/value_text.h"

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

class ScopedStep {
public:
    explicit ScopedStep(bool& stepping) : m_Stepping(stepping) { m_Stepping = true; }
    ~ScopedStep() { m_Stepping = false; }
    ScopedStep(const ScopedStep&) = delete;
    ScopedStep& operator=(const ScopedStep&) = delete;

private:
    bool& m_Stepping;
};

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
void Quillomet::StepUp() {
    if (m_UpDownIncrement == 0)
        return;
    ScopedStep step(m_Stepping);
    if (m_UseMaxMinValues && !(Value().ToDouble() < MemberValue(m_MaxValue))) {
        StopRepeating();
        return;
    }
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
    ScopedStep step(m_Stepping);
    double floor = 0;
    if (m_PositiveOnly) {
        if (Value().ToDouble() == 0)
            return;
    } else {
        // The minimum as a whole number, half to even; not confined to 16
        // bits, so a minimum beyond them is a floor like any other.
        floor = std::nearbyint(MemberValue(m_MinValue));
    }
    if (m_UseMaxMinValues && !(Value().ToDouble() > floor)) {
        StopRepeating();
        return;
    }
    const double r = Remainder(Value().ToDouble(), m_UpDownIncrement);
    if (!Holdable(r > 0 ? Value().ToDouble() - r : Value().ToDouble() - m_UpDownIncrement))
        return;
    if (r > 0)
        SetValue(Value().ToDouble() - r);
    else
        SetValue(Value().ToDouble() - m_UpDownIncrement);
}

void Quillomet::OnUpDown1MouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    if (!(m_Enabled && m_UpDownFunction))
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
    if (m_GotFocus) {
        m_SkipFocus = false;
        Highlight();
    }
    RaiseMouseEvent(EventId::MouseUp, button, shift, x, y);
    RaiseEvent(EventId::Click);
}

void Quillomet::OnTimer1Timer() {
    // A tick inside a running step (its Change handler may pump messages)
    // would step again before the first has finished.
    if (m_Stepping)
        return;
    if (!(m_Enabled && m_UpDownFunction)) {
        StopSpinning();
        return;
    }
    Timer1().SetInterval(RepeatInterval);
    std::int16_t keyCode = m_SpinUp ? key::Up : key::Down;
    std::int16_t noShift = 0;
    OnTxtNumberKeyDown(keyCode, noShift);
}

void Quillomet::StopSpinning() {
    StopRepeating();
    m_Spinning = false;
}

} // namespace quillomet
