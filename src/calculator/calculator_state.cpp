#include "calculator/calculator_state.h"

#include <exception>

namespace quillomet {
namespace {

template <typename Step>
void Guarded(Step step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

} // namespace

CalculatorState& CalculatorState::ForThisThread() {
    thread_local CalculatorState state;
    return state;
}

void CalculatorState::Unload() {
    if (!m_Form)
        return;
    if (m_Form->Busy()) {
        m_Form->RequestClose();
        return;
    }
    Guarded([&] { m_Form.reset(); });
    m_Showing = false;
    const ExtenderRef owner = m_Owner; // a highlight may close a calculator again
    if (!owner)
        return;
    Guarded([&] { owner->SetProperty("SkipFocus", false); });
    Guarded([&] { owner->Invoke("Highlight"); });
}

} // namespace quillomet
