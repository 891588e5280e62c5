#pragma once

// A control on the in-memory backend, with a host that writes down what it
// sees in order, and the texts the trace prints.

#include "backend/memory/memory_container.h"
#include "backend/memory/memory_toolkit.h"
#include "common/automation_error.h"
#include "common/variant.h"
#include "control/quillomet.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace number_trace {

// What the host saw since it was last asked: hand-backs through the
// extender, "Value" notifications and events, as short words.
class Journal {
public:
    void Add(std::string entry) { m_Entries.push_back(std::move(entry)); }
    // The entries, each after a blank, and a fresh start.
    std::string Take();
    // How many Change events there were, and a fresh start.
    int TakeChanges();

private:
    std::vector<std::string> m_Entries;
};

// The extender the calculator hands its results to: notes each value
// written, then lets the in-memory extender write it to the control.
class RecordingExtender final : public quillomet::ExtenderObject {
public:
    RecordingExtender(quillomet::ExtenderRef inner, Journal& journal)
        : m_Inner(std::move(inner)), m_Journal(journal) {}

    quillomet::Variant GetProperty(std::string_view name) override {
        return m_Inner->GetProperty(name);
    }
    void SetProperty(std::string_view name, const quillomet::Variant& value) override;
    void Invoke(std::string_view method) override { m_Inner->Invoke(method); }

private:
    quillomet::ExtenderRef m_Inner;
    Journal& m_Journal;
};

// The in-memory container, seen through a journal: every call goes on to
// it unchanged, so it still records and behaves as in the tests.
class RecordingHost final : public quillomet::Container {
public:
    RecordingHost(quillomet::memory::MemoryContainer& inner, Journal& journal);

    void PropertyChanged(std::string_view key) override;
    quillomet::FontRef AmbientFont() override { return m_Inner.AmbientFont(); }
    std::string AmbientDisplayName() override { return m_Inner.AmbientDisplayName(); }
    quillomet::ExtenderRef Extender() override { return m_Extender; }
    std::int32_t Width() override { return m_Inner.Width(); }
    std::int32_t Height() override { return m_Inner.Height(); }
    void SetWidth(std::int32_t twips) override { m_Inner.SetWidth(twips); }
    void SetHeight(std::int32_t twips) override { m_Inner.SetHeight(twips); }
    std::int32_t ScaleWidth() override { return m_Inner.ScaleWidth(); }
    std::int32_t ScaleHeight() override { return m_Inner.ScaleHeight(); }
    void SetEnabled(bool enabled) override { m_Inner.SetEnabled(enabled); }
    void RaiseEvent(quillomet::EventId event, std::span<quillomet::Variant> arguments) override;

private:
    quillomet::memory::MemoryContainer& m_Inner;
    Journal& m_Journal;
    std::shared_ptr<RecordingExtender> m_Extender;
};

// A new control placed and sized as a host places a fresh one.
struct Rig {
    Rig();

    quillomet::memory::MemoryTextBox& Field() { return toolkit.Field(); }
    // The focus arriving from outside: into the composite, then its field.
    void FocusIn();
    // Tabbing away: the field loses the focus, then the composite.
    void FocusOut();

    quillomet::memory::MemoryToolkit toolkit;
    quillomet::memory::MemoryContainer memoryHost;
    Journal journal;
    RecordingHost host{memoryHost, journal};
    quillomet::Quillomet control{toolkit, host};
};

// Shortest round trip is not enough to show a last-bit difference next to
// a neighbour that prints the same at 15 digits: always 17 significant.
std::string DoubleText(double value);
// A type letter and the value: D1.5, I0, C12500 (scaled), T"text", E.
std::string Describe(const quillomet::Variant& value);
std::string Quoted(std::string_view text);
std::string ErrorText(const quillomet::AutomationError& error);

// Runs a call the control may refuse: "" when it succeeded, " error N"
// when it threw.
template <typename Action>
std::string Attempt(Action action) {
    try {
        action();
        return {};
    } catch (const quillomet::AutomationError& error) {
        return " " + ErrorText(error);
    }
}

// A read-back: the value described, or "error N".
template <typename Read>
std::string ReadBack(Read read) {
    try {
        return Describe(read());
    } catch (const quillomet::AutomationError& error) {
        return ErrorText(error);
    }
}

} // namespace number_trace
