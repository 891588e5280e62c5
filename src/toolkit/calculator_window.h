#pragma once

#include <cstdint>
#include <string_view>

namespace quillomet {

// The calculator's buttons. Operators by index: 0 "/", 1 "+", 2 "X",
// 3 "-", 4 "=".
enum class CalculatorButton {
    Number0,
    Number1,
    Number2,
    Number3,
    Number4,
    Number5,
    Number6,
    Number7,
    Number8,
    Number9,
    Decimal,
    Operator0,
    Operator1,
    Operator2,
    Operator3,
    Operator4,
    Percent,
    Cancel,
    CancelEntry,
};

// What the calculator window reports. Keys come with key preview: the
// window sees them before whichever button has the focus.
class CalculatorWindowEvents {
public:
    virtual void OnButton(CalculatorButton button) = 0;
    virtual void OnKeyDown(std::int16_t keyCode, std::int16_t shift) = 0;
    virtual void OnKeyUp(std::int16_t keyCode, std::int16_t shift) = 0;
    virtual void OnActivate() = 0;
    virtual void OnDeactivate() = 0;
    virtual void OnLostFocus() = 0;
    // A mouse press on the background or on the readout.
    virtual void OnDragStart() = 0;
    // The watch timer.
    virtual void OnTimer() = 0;

protected:
    ~CalculatorWindowEvents() = default;
};

// The calculator's modeless top-level window with no owner. Destroying the
// object destroys the window.
class CalculatorWindow {
public:
    virtual ~CalculatorWindow() = default;
    virtual void SetReadout(std::string_view text) = 0;
    // The window's top-left corner on the screen, in twips.
    virtual void Move(std::int32_t leftTwips, std::int32_t topTwips) = 0;
    // Shows and activates it.
    virtual void Show() = 0;
    // Whether it is the thread's active window.
    virtual bool IsActive() const = 0;
    // Moves the window with the mouse as if its title bar had been grabbed.
    virtual void Drag() = 0;
    // A modal message owned by this window, with an OK button.
    virtual void ShowMessage(std::string_view text, std::string_view title) = 0;
    virtual void StartTimer(std::int32_t milliseconds) = 0;
};

} // namespace quillomet
