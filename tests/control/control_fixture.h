#pragma once

#include "backend/memory/memory_container.h"
#include "backend/memory/memory_toolkit.h"
#include "common/automation_error.h"
#include "common/variant_printer.h"
#include "control/quillomet.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace quillomet::testing {

// A new control, initialised and sized as a host does with a freshly placed
// one, in the in-memory container.
class ControlTest : public ::testing::Test {
protected:
    ControlTest() {
        host.Attach(control);
        control.InitProperties();
        control.OnResize();
    }

    memory::MemoryTextBox& Field() { return toolkit.Field(); }
    memory::MemorySpinner& Spinner() { return toolkit.Spinner(); }
    memory::MemoryImage& CalcButton() { return toolkit.Image(0); }
    memory::MemoryImage& CalcPic1() { return toolkit.HiddenImage(Glyph::Calculator); }
    memory::MemoryImage& CalcPic2() { return toolkit.HiddenImage(Glyph::CalculatorGrey); }
    // The spinner's repeat runs (its timer is made on the first press).
    bool Repeating() const { return toolkit.HasTimer() && toolkit.Timer().Enabled(); }
    std::string Shown() { return Field().Text(); }

    // The focus arriving from outside, as the host delivers it: into the
    // composite, then into its text box.
    void FocusIn() {
        control.OnEnterFocus();
        Field().ReceiveFocus();
    }
    // Tabbing away: the text box loses the focus, then the composite.
    void FocusOut() {
        Field().LoseFocus();
        control.OnExitFocus();
    }
    void SelectAll() {
        Field().SetSelStart(0);
        Field().SetSelLength(1 << 20);
    }
    // The events the host received, in order.
    std::vector<EventId> Events() const {
        std::vector<EventId> events;
        for (const auto& raised : host.m_Events)
            events.push_back(raised.event);
        return events;
    }

    memory::MemoryToolkit toolkit;
    memory::MemoryContainer host;
    Quillomet control{toolkit, host};
};

// Runs `action` and returns the automation error number it fails with.
inline ErrorNumber ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AutomationError& error) {
        return error.Number();
    }
    ADD_FAILURE() << "expected an automation error";
    return ErrorNumber{};
}

} // namespace quillomet::testing
