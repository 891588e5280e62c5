#pragma once

#include "backend/memory/memory_children.h"
#include "toolkit/calculator_window.h"

#include <functional>
#include <string>
#include <vector>

namespace quillomet::memory {

class MemoryToolkit;

// The calculator window in memory. It counts as active from Show until a
// test activates something else; its watch timer runs on the toolkit's
// clock.
class MemoryCalculatorWindow final : public CalculatorWindow, private TimerEvents {
public:
    MemoryCalculatorWindow(CalculatorWindowEvents& events, MemoryToolkit& toolkit);
    ~MemoryCalculatorWindow() override;

    void SetReadout(std::string_view text) override { m_Readout.assign(text); }
    void Move(std::int32_t leftTwips, std::int32_t topTwips) override;
    void Show() override;
    bool IsActive() const override { return m_Active; }
    void Drag() override { ++m_Drags; }
    void ShowMessage(std::string_view text, std::string_view title) override;
    void StartTimer(std::int32_t milliseconds) override;

    // The user's side. Each may destroy this window (a close): call nothing
    // on it afterwards without checking the toolkit's CalculatorWindow().
    void Click(CalculatorButton button) { m_Events.OnButton(button); }
    void KeyDown(std::int16_t keyCode, std::int16_t shift = 0) {
        m_Events.OnKeyDown(keyCode, shift);
    }
    void KeyUp(std::int16_t keyCode, std::int16_t shift = 0) { m_Events.OnKeyUp(keyCode, shift); }
    // A key pressed and released.
    void Press(std::int16_t keyCode, std::int16_t shift = 0);
    // Another window of the thread becomes active.
    void ActivateElsewhere();
    // Activation moves away without any notice.
    void LoseActivationSilently() { m_Active = false; }
    void MouseDownOnBackground() { m_Events.OnDragStart(); }

    const std::string& Readout() const { return m_Readout; }
    std::int32_t Left() const { return m_Left; }
    std::int32_t Top() const { return m_Top; }
    bool Shown() const { return m_Shown; }
    int Drags() const { return m_Drags; }

    struct Message {
        std::string text, title;
    };
    std::vector<Message> m_Messages;
    // What happens while the message is up (the modal loop may deliver a
    // deactivation, for one).
    std::function<void()> m_WhileMessageUp;

private:
    void OnTimer() override { m_Events.OnTimer(); }

    CalculatorWindowEvents& m_Events;
    MemoryToolkit& m_Toolkit;
    std::string m_Readout;
    std::int32_t m_Left = 0, m_Top = 0;
    bool m_Shown = false;
    bool m_Active = false;
    int m_Drags = 0;
    std::unique_ptr<MemoryTimer> m_Timer;
};

} // namespace quillomet::memory
