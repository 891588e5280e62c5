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

// A plain pointer, freed by hand: a thread_local with a destructor keeps
// its library loaded for the rest of the process, and would run at the
// thread's end after the windows and the apartment it refers to have gone.
thread_local CalculatorState* t_State = nullptr;

} // namespace

CalculatorState& CalculatorState::ForThisThread() {
    if (!t_State)
        t_State = new CalculatorState();
    return *t_State;
}

void CalculatorState::DiscardForThisThread() {
    if (!t_State || t_State->m_Form)
        return;
    delete t_State;
    t_State = nullptr;
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
