#include "control/quillomet.h"

#include "about/about_state.h"
#include "calculator/calculator_state.h"
#include "common/automation_error.h"
#include "common/thread_data.h"
#include "control/layout_constants.h"
#include "control/property_keys.h"

#include <array>
#include <cmath>
#include <utility>

namespace quillomet {
Quillomet::Quillomet(Toolkit& toolkit, Container& host)
    : m_Toolkit(toolkit), m_Host(host), m_Thread(ThisThreadData()),
      m_txtNumber(toolkit.CreateTextBox(m_TextBoxSink, layout::TxtNumber)),
      m_CalcButton(
          toolkit.CreateImage(&m_CalcButtonSink, layout::CalcButton, Glyph::Calculator, true)) {
    // The thread's calculator and about dialog go with its last control, so
    // that nothing of the library is left in use once no control is.
    ++m_Thread.controls;
    HoldThreadData(m_Thread);
}

// Released after its thread ended (from another thread, which has a
// calculator of its own), it has nothing of the thread's left to free.
Quillomet::~Quillomet() {
    if (!m_Thread.ended) {
        ReleaseCalculator();
        --m_Thread.controls;
        CalculatorState::DiscardIfUnused();
        AboutState::DiscardIfUnused();
    }
    ReleaseThreadData(m_Thread);
}

// The calculator's window, its fonts and its hold on the library, and the
// about dialog's mail session, would otherwise stay for the process.
void Quillomet::EndThread(ThreadData& thread) noexcept {
    thread.ended = true;
    try {
        delete std::exchange(thread.calculator, nullptr);
    } catch (...) {
    }
    try {
        delete std::exchange(thread.about, nullptr);
    } catch (...) {
    }
}

// Most controls never show a spinner: theirs is made when first shown, with
// its repeat timer when first pressed, and then kept.
Spinner& Quillomet::UpDown1() {
    if (!m_UpDown1)
        m_UpDown1 = m_Toolkit.CreateSpinner(m_SpinnerSink, layout::UpDown1);
    return *m_UpDown1;
}

Timer& Quillomet::Timer1() {
    if (!m_Timer1)
        m_Timer1 = m_Toolkit.CreateTimer(m_TimerSink, layout::Timer1Interval);
    return *m_Timer1;
}

// The hidden holders of the drop button's two pictures, made when the
// button's picture is first swapped: a new control shows the first already.
Image& Quillomet::CalcPic1() {
    if (!m_CalcPic1)
        m_CalcPic1 = m_Toolkit.CreateImage(nullptr, layout::CalcPic1, Glyph::Calculator, false);
    return *m_CalcPic1;
}

Image& Quillomet::CalcPic2() {
    if (!m_CalcPic2)
        m_CalcPic2 = m_Toolkit.CreateImage(nullptr, layout::CalcPic2, Glyph::CalculatorGrey, false);
    return *m_CalcPic2;
}

void Quillomet::StopRepeating() {
    if (m_Timer1)
        m_Timer1->SetEnabled(false);
}

void Quillomet::ResetToNew() {
    InitProperties();
    m_LastText.clear();
    m_txtNumber->SetText("");
}

void Quillomet::OnTerminate() {
    if (m_Thread.ended)
        return; // the calculator went with the thread
    ReleaseCalculator();
    CloseCalculator();
}

// --- Simple properties -----------------------------------------------------

void Quillomet::SetUpDownIncrement(std::int16_t iUpDownIncrement) {
    m_UpDownIncrement = iUpDownIncrement;
    m_Host.PropertyChanged(keys::UpDownIncrement);
}

void Quillomet::SetBackColor(OleColor New_BackColor) {
    m_BackColor = New_BackColor;
    m_txtNumber->SetBackColor(New_BackColor);
    m_Host.PropertyChanged(keys::BackColor);
}

void Quillomet::SetForeColor(OleColor New_ForeColor) {
    m_ForeColor = New_ForeColor;
    m_txtNumber->SetForeColor(New_ForeColor);
    m_Host.PropertyChanged(keys::ForeColor);
}

void Quillomet::SetLocked(bool iLocked) {
    m_Locked = iLocked;
    LockField();
    m_Host.PropertyChanged(keys::Locked);
}

std::int32_t Quillomet::hwnd() const {
    return m_txtNumber->WindowHandle();
}

// Handed to the host, the font may be changed there: a control still
// showing a shared copy takes its own first, so the change reaches only it.
FontRef Quillomet::Font() {
    FontRef font = m_txtNumber->Font();
    if (font && font->IsSharedCopy()) {
        font = font->Clone();
        m_txtNumber->SetFont(font);
    }
    return font;
}

void Quillomet::SetFont(FontRef New_Font) {
    if (!New_Font)
        throw AutomationError(ErrorNumber::InvalidProcedureCall, "Font needs a font object");
    m_txtNumber->SetFont(std::move(New_Font));
    Refresh();
    m_Host.PropertyChanged(keys::Font);
}

void Quillomet::LockField() {
    m_txtNumber->SetLocked(m_Locked || m_DesignMode);
}

void Quillomet::Refresh() {
    if (m_Enabled)
        m_txtNumber->Refresh();
}

// --- The calculator --------------------------------------------------------

// The calculator is for entering a number at run time: in design mode it
// does not open, from the drop button, the keys or this method.
void Quillomet::ShowCalculator() {
    if (!m_Enabled || m_DesignMode)
        return;
    CalculatorState& calculator = CalculatorState::ForThisThread();
    // A second opening while it is up closes it.
    if (calculator.IsShowing()) {
        calculator.Close();
        return;
    }
    m_CalculatorOwner = m_Host.Extender();
    // Closing one open before is complete when it returns (the window gone,
    // the owner highlighted again): nothing is left queued to wait for.
    calculator.Open(m_Toolkit, m_CalculatorOwner, [&] {
        // Directly below the control, one pixel left of it; not kept on the
        // screen.
        m_CalcRect = m_Toolkit.ControlWindowRect();
        const double top = m_Toolkit.TwipsPerPixelY() * m_CalcRect.top + m_Host.Height();
        const double left = m_Toolkit.TwipsPerPixelX() * m_CalcRect.left - 15;
        return CalculatorState::Opening{static_cast<std::int32_t>(std::nearbyint(left)),
                                        static_cast<std::int32_t>(std::nearbyint(top)), Value()};
    });
    TextBoxFocusLoss();
}

void Quillomet::HideCalculator() {
    CloseCalculator();
}

// Also in design mode: designers offer the about box of a control.
void Quillomet::DisplayAboutBox() {
    AboutState::ForThisThread().Show(m_Toolkit);
}

void Quillomet::CloseCalculator() {
    if (CalculatorState* calculator = CalculatorState::Existing())
        calculator->Close();
}

// A control that goes while it owns the calculator takes it along, and
// leaves no owner behind to be called.
void Quillomet::ReleaseCalculator() {
    if (CalculatorState* calculator = CalculatorState::Existing())
        calculator->OwnerGone(m_CalculatorOwner);
    m_CalculatorOwner = nullptr;
}

// --- Events ----------------------------------------------------------------

// A designed control raises nothing: the host's handlers are for run time,
// and, as while the host freezes events, nothing is kept for later.
void Quillomet::Raise(EventId event, std::span<Variant> arguments) {
    if (!m_DesignMode)
        m_Host.RaiseEvent(event, arguments);
}

void Quillomet::RaiseEvent(EventId event) {
    Raise(event, {});
}

// The host's handler may change the arguments; what it leaves in them comes
// back to the child's own handling.
void Quillomet::RaiseKeyEvent(EventId event, std::int16_t& keyCode, std::int16_t& shift) {
    std::array<Variant, 2> arguments{keyCode, shift};
    Raise(event, arguments);
    keyCode = arguments[0].ToInteger();
    shift = arguments[1].ToInteger();
}

void Quillomet::RaiseMouseEvent(EventId event, std::int16_t& button, std::int16_t& shift, float& x,
                                float& y) {
    std::array<Variant, 4> arguments{button, shift, x, y};
    Raise(event, arguments);
    button = arguments[0].ToInteger();
    shift = arguments[1].ToInteger();
    x = static_cast<float>(arguments[2].ToDouble());
    y = static_cast<float>(arguments[3].ToDouble());
}

} // namespace quillomet
