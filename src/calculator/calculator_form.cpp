#include "calculator/calculator_form.h"

#include "calculator/calculator_state.h"
#include "common/automation_error.h"
#include "toolkit/mouse_events.h"

#include <exception>

namespace quillomet {
namespace {

constexpr std::int16_t KeyEscape = 27;
constexpr std::int16_t KeyUp = 38;
constexpr std::int16_t KeyF4 = 115;

} // namespace

CalculatorForm::CalculatorForm(Toolkit& toolkit, CalculatorState& state, ExtenderRef owner)
    : m_Toolkit(toolkit), m_State(state), m_Owner(std::move(owner)),
      m_Window(toolkit.CreateCalculatorWindow(*this)), m_Engine(*this, toolkit.DecimalSeparator()) {
    ShowReadout();
    m_Window->StartTimer(WatchInterval);
}

CalculatorForm::~CalculatorForm() = default;

void CalculatorForm::Move(std::int32_t leftTwips, std::int32_t topTwips) {
    m_Window->Move(leftTwips, topTwips);
}

void CalculatorForm::SeedReadout(const Variant& value) {
    m_Engine.SeedReadout(value);
    ShowReadout();
}

void CalculatorForm::Show() {
    m_Window->Show();
}

void CalculatorForm::ShowReadout() {
    m_Window->SetReadout(m_Engine.Readout());
}

template <typename Work>
void CalculatorForm::Handle(Work work) {
    ++m_Busy;
    try {
        work();
    } catch (...) {
        // A failing key ends there; the calculator stays usable.
    }
    try {
        ShowReadout();
    } catch (...) {
    }
    if (--m_Busy == 0 && m_CloseRequested) {
        CalculatorState& state = m_State;
        m_CloseRequested = false;
        state.Close(); // destroys this form: nothing of it may follow
        // Its owner may have gone while it was busy, the thread's last
        // control with it.
        CalculatorState::DiscardIfUnused();
    }
}

void CalculatorForm::OnButton(CalculatorButton button) {
    Handle([&] {
        const int index = static_cast<int>(button);
        if (button <= CalculatorButton::Number9) {
            m_Engine.PressDigit(index);
            return;
        }
        switch (button) {
        case CalculatorButton::Decimal:
            m_Engine.PressDecimal();
            break;
        case CalculatorButton::Operator0:
            m_Engine.PressOperator("/");
            break;
        case CalculatorButton::Operator1:
            m_Engine.PressOperator("+");
            break;
        case CalculatorButton::Operator2:
            m_Engine.PressOperator("X");
            break;
        case CalculatorButton::Operator3:
            m_Engine.PressOperator("-");
            break;
        case CalculatorButton::Operator4:
            m_Engine.PressOperator("=");
            break;
        case CalculatorButton::Percent:
            m_Engine.PressPercent();
            break;
        case CalculatorButton::Cancel:
            m_Engine.PressClear();
            break;
        case CalculatorButton::CancelEntry:
            m_Engine.PressClearEntry();
            break;
        default:
            break;
        }
    });
}

void CalculatorForm::OnKeyDown(std::int16_t keyCode, std::int16_t shift) {
    Handle([&] { PressKey(keyCode, shift); });
}

// The keyboard map: main-keyboard and keypad digits and operators; Ctrl
// itself is "=", so Ctrl+C copies the evaluated result.
void CalculatorForm::PressKey(std::int16_t keyCode, std::int16_t shift) {
    // Closed as a drop-down list closes: F4 (also with Alt, which would
    // otherwise close the window behind the calculator's back) and Alt+Up.
    if (keyCode == KeyF4 || (keyCode == KeyUp && (shift & shift::Alt) != 0)) {
        RequestClose();
        return;
    }
    // Other Alt combinations are the system's (menus, typed character codes).
    if ((shift & shift::Alt) != 0)
        return;
    if (shift == shift::Shift && keyCode == 56)
        keyCode = 88; // Shift+8, "*" on common layouts
    if (keyCode >= 48 && keyCode <= 57) {
        m_Engine.PressDigit(keyCode - 48);
        return;
    }
    if (keyCode >= 96 && keyCode <= 105) {
        m_Engine.PressDigit(keyCode - 96);
        return;
    }
    switch (keyCode) {
    case 8:
        m_Engine.PressBackspace();
        break;
    case 17:
    case 187:
        m_Engine.PressOperator("=");
        break;
    case 67:
        if (shift == shift::Ctrl) {
            m_Toolkit.ClearClipboard();
            m_Toolkit.SetClipboardText(m_Engine.Readout());
        } else {
            m_Engine.PressClear();
        }
        break;
    case 88:
    case 106:
        m_Engine.PressOperator("X");
        break;
    case 107:
        m_Engine.PressOperator("+");
        break;
    case 109:
    case 189:
        m_Engine.PressOperator("-");
        break;
    case 110:
    case 190:
        m_Engine.PressDecimal();
        break;
    case 111:
    case 191:
        m_Engine.PressOperator("/");
        break;
    default:
        break;
    }
}

void CalculatorForm::OnKeyUp(std::int16_t keyCode, std::int16_t) {
    Handle([&] {
        if (keyCode == KeyEscape)
            RequestClose();
    });
}

void CalculatorForm::OnActivate() {
    Handle([&] { m_State.Shown(); });
}

// Losing the activation closes the calculator, except to its own division
// message.
void CalculatorForm::OnDeactivate() {
    Handle([&] {
        if (!m_ShowingMessage)
            RequestClose();
    });
}

void CalculatorForm::OnLostFocus() {
    OnDeactivate();
}

void CalculatorForm::OnDragStart() {
    Handle([&] { m_Window->Drag(); });
}

// Catches activation moving away without a deactivation notice.
void CalculatorForm::OnTimer() {
    Handle([&] {
        if (!m_ShowingMessage && !m_Window->IsActive())
            RequestClose();
    });
}

Variant CalculatorForm::OwnerValue() {
    return m_Owner ? m_Owner->GetProperty("Value") : Variant(std::int16_t{0});
}

void CalculatorForm::SetOwnerValue(const Variant& value) {
    if (m_Owner)
        m_Owner->SetProperty("Value", value);
}

void CalculatorForm::ShowDivideByZero() {
    m_ShowingMessage = true;
    try {
        m_Window->ShowMessage("Can't divide by zero", "Calculator");
    } catch (...) {
        m_ShowingMessage = false;
        throw;
    }
    m_ShowingMessage = false;
}

} // namespace quillomet
