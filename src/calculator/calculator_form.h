#pragma once

#include "calculator/calculator_engine.h"
#include "toolkit/calculator_window.h"
#include "toolkit/container.h"
#include "toolkit/toolkit.h"

#include <memory>

namespace quillomet {

class CalculatorState;

// The calculator window's logic: the engine behind its buttons and keys,
// activation and closing. Created when the window loads and destroyed when
// it unloads, so every opening starts afresh.
class CalculatorForm final : private CalculatorWindowEvents, private CalculatorEngineHost {
public:
    static constexpr std::int32_t WatchInterval = 100;

    // Loading: the engine takes the owner's amount and resets.
    CalculatorForm(Toolkit& toolkit, CalculatorState& state, ExtenderRef owner);
    ~CalculatorForm();
    CalculatorForm(const CalculatorForm&) = delete;
    CalculatorForm& operator=(const CalculatorForm&) = delete;

    void Move(std::int32_t leftTwips, std::int32_t topTwips);
    void SeedReadout(const Variant& value);
    void Show();

    // Whether one of the window's notifications is being handled; a close
    // asked for meanwhile waits until it has finished.
    bool Busy() const { return m_Busy > 0; }
    void RequestClose() { m_CloseRequested = true; }

    const CalculatorEngine& Engine() const { return m_Engine; }

private:
    // Window notifications.
    void OnButton(CalculatorButton button) override;
    void OnKeyDown(std::int16_t keyCode, std::int16_t shift) override;
    void OnKeyUp(std::int16_t keyCode, std::int16_t shift) override;
    void OnActivate() override;
    void OnDeactivate() override;
    void OnLostFocus() override;
    void OnDragStart() override;
    void OnTimer() override;

    // The owner, by name on its extender.
    Variant OwnerValue() override;
    void SetOwnerValue(const Variant& value) override;
    void ShowDivideByZero() override;

    void PressKey(std::int16_t keyCode, std::int16_t shift);
    void ShowReadout();
    // Runs a notification's work: failures inside a calculator key end
    // that key and are dropped, and a close requested meanwhile runs last.
    template <typename Work>
    void Handle(Work work);

    Toolkit& m_Toolkit;
    CalculatorState& m_State;
    ExtenderRef m_Owner;
    std::unique_ptr<CalculatorWindow> m_Window;
    CalculatorEngine m_Engine;
    int m_Busy = 0;
    bool m_CloseRequested = false;
    bool m_ShowingMessage = false;
};

} // namespace quillomet
