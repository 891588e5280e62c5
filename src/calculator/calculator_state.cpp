#include "calculator/calculator_state.h"

#include "common/dropped_error.h"
#include "common/thread_data.h"

#include <exception>
#include <utility>

namespace quillomet {
namespace {

// One step of closing, which must not keep the steps after it from
// running: its failure has nobody to go to, and is reported as dropped.
template <typename Step>
void Guarded(Step step) noexcept {
    try {
        step();
    } catch (...) {
        ReportDroppedError("closing the calculator");
    }
}

} // namespace

CalculatorState& CalculatorState::ForThisThread() {
    ThreadData& thread = ThisThreadData();
    if (!thread.calculator)
        thread.calculator = new CalculatorState();
    return *thread.calculator;
}

CalculatorState* CalculatorState::Existing() {
    const ThreadData* thread = ExistingThreadData();
    return thread ? thread->calculator : nullptr;
}

void CalculatorState::DiscardIfUnused() {
    ThreadData* thread = ExistingThreadData();
    if (!thread || thread->controls > 0 || !thread->calculator || thread->calculator->m_Form)
        return;
    delete std::exchange(thread->calculator, nullptr);
}

void CalculatorState::Open(Toolkit& toolkit, ExtenderRef owner, FunctionRef<Opening()> where) {
    m_Owner = owner;
    Close();
    m_Form = std::make_unique<CalculatorForm>(toolkit, *this, std::move(owner));
    const Opening opening = where();
    m_Form->Move(opening.left, opening.top);
    m_Form->SeedReadout(opening.seed);
    m_Form->Show();
}

void CalculatorState::OwnerGone(const ExtenderRef& owner) {
    if (!owner || m_Owner != owner)
        return;
    m_Owner = nullptr;
    Close();
}

void CalculatorState::Close() {
    if (!m_Form)
        return;
    if (m_Form->Busy()) {
        m_Form->RequestClose();
        return;
    }
    // Taken out first: destroying the window can run the host's code, which
    // may end the thread's last control and with it this state, so nothing
    // of it is used from here on.
    std::unique_ptr<CalculatorForm> form = std::move(m_Form);
    m_Showing = false;
    const ExtenderRef owner = m_Owner; // a highlight may close a calculator again
    Guarded([&] { form.reset(); });
    if (!owner)
        return;
    Guarded([&] { owner->SetProperty("SkipFocus", false); });
    Guarded([&] { owner->Invoke("Highlight"); });
}

} // namespace quillomet
