#pragma once

#include "backend/memory/memory_container.h"
#include "backend/memory/memory_toolkit.h"
#include "common/automation_error.h"
#include "common/variant_printer.h"
#include "control/quillomet.h"

#include <functional>
#include <gtest/gtest.h>

namespace quillomet::testing {

// A new control, initialised as a host initialises a freshly placed one,
// in the in-memory container.
class ControlTest : public ::testing::Test {
protected:
    ControlTest() { control.InitProperties(); }

    memory::MemoryTextBox& Field() { return toolkit.Field(); }
    std::string Shown() { return Field().Text(); }

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
