// Fuzzes the reading of stored settings: any bytes as a stream (header and
// payload), decoded entry by entry and loaded into a control, as a document
// a host opens would be. Nothing may crash, read out of bounds or leave the
// control unable to answer.
#include "backend/memory/memory_container.h"
#include "backend/memory/memory_toolkit.h"
#include "common/automation_error.h"
#include "control/property_keys.h"
#include "control/quillomet.h"
#include "control/stored_settings.h"
#include "fuzz_require.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace {

using namespace quillomet;

// The stored settings served to the control as the server serves them,
// with every object refused (only the server can rebuild a font).
class StoredBag final : public PropertyBag {
public:
    explicit StoredBag(const StoredSettings& settings) : m_Settings(settings) {}
    Variant ReadProperty(std::string_view key, const Variant& defaultValue) override {
        const StoredEntry* entry = m_Settings.Find(key);
        return entry ? StoredSettings::ValueOf(*entry) : defaultValue;
    }
    void WriteProperty(std::string_view, const Variant&, const Variant&) override {}

private:
    const StoredSettings& m_Settings;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    // A header first when there is one; the rest is the payload either way,
    // so that entries are fuzzed whatever the header says.
    if (bytes.size() >= stored::HeaderSize) {
        try {
            const std::uint32_t length = StoredPayloadLength(bytes.first<stored::HeaderSize>());
            Require(length <= stored::MaxPayload, "a length within the limit");
        } catch (const StoredFormatError&) {
        }
        bytes = bytes.subspan(stored::HeaderSize);
    }
    const StoredSettings settings(bytes);

    memory::MemoryToolkit toolkit;
    memory::MemoryContainer host;
    Quillomet control(toolkit, host);
    StoredBag bag(settings);
    try {
        control.ReadProperties(bag);
    } catch (const AutomationError&) {
        // a damaged setting: its default, the others loaded
    }
    // Whatever was stored, the control answers.
    try {
        (void)control.Value();
    } catch (const AutomationError& error) {
        Require(error.Number() == ErrorNumber::Overflow, "only an overflow reading the value");
    }
    (void)control.MaxValue();
    (void)control.MinValue();
    Require(control.Format().size() <= 4 * 32767, "the picture within its limit");
    return 0;
}
