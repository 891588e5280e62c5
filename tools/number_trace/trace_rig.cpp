#include "trace_rig.h"

#include <algorithm>
#include <charconv>

namespace number_trace {

using quillomet::EventId;
using quillomet::Variant;
using quillomet::VariantType;

namespace {

const char* EventName(EventId event) {
    switch (event) {
    case EventId::Change:
        return "Change";
    case EventId::Click:
        return "Click";
    case EventId::DblClick:
        return "DblClick";
    case EventId::KeyDown:
        return "KeyDown";
    case EventId::KeyPress:
        return "KeyPress";
    case EventId::KeyUp:
        return "KeyUp";
    case EventId::MouseMove:
        return "MouseMove";
    case EventId::MouseUp:
        return "MouseUp";
    case EventId::MouseDown:
        return "MouseDown";
    }
    return "Event?";
}

std::string FloatText(float value) {
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);
    return std::string(buffer, result.ptr);
}

} // namespace

std::string Journal::Take() {
    std::string text;
    for (const std::string& entry : m_Entries)
        text += " " + entry;
    m_Entries.clear();
    return text;
}

int Journal::TakeChanges() {
    const auto changes = std::count(m_Entries.begin(), m_Entries.end(), "Change");
    m_Entries.clear();
    return static_cast<int>(changes);
}

// The hand-back is noted before it runs, so that the notifications and
// events it causes follow it in the journal.
void RecordingExtender::SetProperty(std::string_view name, const Variant& value) {
    if (name == "Value")
        m_Journal.Add("hand=" + Describe(value));
    try {
        m_Inner->SetProperty(name, value);
    } catch (const quillomet::AutomationError& error) {
        m_Journal.Add("hand-" + ErrorText(error));
        throw;
    }
}

RecordingHost::RecordingHost(quillomet::memory::MemoryContainer& inner, Journal& journal)
    : m_Inner(inner), m_Journal(journal),
      m_Extender(std::make_shared<RecordingExtender>(inner.Extender(), journal)) {}

void RecordingHost::PropertyChanged(std::string_view key) {
    if (key == "Value")
        m_Journal.Add("notify");
    m_Inner.PropertyChanged(key);
}

void RecordingHost::RaiseEvent(EventId event, std::span<Variant> arguments) {
    m_Journal.Add(EventName(event));
    m_Inner.RaiseEvent(event, arguments);
}

Rig::Rig() {
    memoryHost.Attach(control);
    control.InitProperties();
    control.OnResize();
    journal.Take();
}

void Rig::FocusIn() {
    control.OnEnterFocus();
    Field().ReceiveFocus();
}

void Rig::FocusOut() {
    Field().LoseFocus();
    control.OnExitFocus();
}

std::string DoubleText(double value) {
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

std::string Describe(const Variant& value) {
    switch (value.Type()) {
    case VariantType::Empty:
        return "E";
    case VariantType::Null:
        return "N";
    case VariantType::Integer:
        return "I" + std::to_string(value.ToInteger());
    case VariantType::Long:
        return "L" + std::to_string(value.ToLong());
    case VariantType::Single:
        return "S" + FloatText(static_cast<float>(value.ToDouble()));
    case VariantType::Double:
        return "D" + DoubleText(value.ToDouble());
    case VariantType::Currency:
        return "C" + std::to_string(value.ToCurrency().scaled);
    case VariantType::String:
        return "T" + Quoted(value.String());
    case VariantType::Boolean:
        return value.ToBoolean() ? "B1" : "B0";
    case VariantType::Object:
        return "O";
    }
    return "?";
}

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

std::string ErrorText(const quillomet::AutomationError& error) {
    return "error " + std::to_string(static_cast<int>(error.Number()));
}

} // namespace number_trace
