#include "backend/memory/memory_calculator_window.h"

#include "backend/memory/memory_toolkit.h"

namespace quillomet::memory {

MemoryCalculatorWindow::MemoryCalculatorWindow(CalculatorWindowEvents& events,
                                               MemoryToolkit& toolkit)
    : m_Events(events), m_Toolkit(toolkit) {
    m_Toolkit.m_CalculatorWindow = this;
    ++m_Toolkit.m_CalculatorWindowsMade;
}

MemoryCalculatorWindow::~MemoryCalculatorWindow() {
    if (m_Toolkit.m_CalculatorWindow == this)
        m_Toolkit.m_CalculatorWindow = nullptr;
}

void MemoryCalculatorWindow::Move(std::int32_t leftTwips, std::int32_t topTwips) {
    m_Left = leftTwips;
    m_Top = topTwips;
}

void MemoryCalculatorWindow::Show() {
    m_Shown = true;
    m_Active = true;
    m_Events.OnActivate();
}

void MemoryCalculatorWindow::ShowMessage(std::string_view text, std::string_view title) {
    m_Messages.push_back({std::string(text), std::string(title)});
    const bool wasActive = m_Active;
    m_Active = false; // the message box is the active window now
    if (m_WhileMessageUp)
        m_WhileMessageUp();
    m_Active = wasActive;
}

void MemoryCalculatorWindow::StartTimer(std::int32_t milliseconds) {
    m_Timer = std::make_unique<MemoryTimer>(static_cast<TimerEvents&>(*this), m_Toolkit.m_Clock,
                                            milliseconds);
    m_Timer->SetEnabled(true);
}

void MemoryCalculatorWindow::Press(std::int16_t keyCode, std::int16_t shift) {
    MemoryToolkit& toolkit = m_Toolkit;
    KeyDown(keyCode, shift);
    if (toolkit.m_CalculatorWindow == this)
        KeyUp(keyCode, shift);
}

void MemoryCalculatorWindow::ActivateElsewhere() {
    m_Active = false;
    m_Events.OnDeactivate();
}

} // namespace quillomet::memory
