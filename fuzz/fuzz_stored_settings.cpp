// Fuzzes the reading of stored settings: any bytes as a stream (header and
// payload), decoded entry by entry and loaded into a control, as a document
// a host opens would be. Nothing may crash, read out of bounds or leave the
// control unable to answer; and what the control then writes reads back to
// the same document (write, read, write gives the same bytes).
#include "backend/memory/memory_container.h"
#include "backend/memory/memory_font.h"
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
#include <vector>

namespace {

using namespace quillomet;

// A font's own bytes are the platform's: here its name stands for them, so
// that a font round-trips; a stored object that is no such name is refused,
// as the platform refuses a damaged font.
std::vector<std::uint8_t> SaveFontName(const ObjectRef& object) {
    const std::string name = object->DefaultValue().ToString();
    return {name.begin(), name.end()};
}
Variant LoadFontName(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > 64)
        ThrowTypeMismatch();
    return ObjectRef(std::make_shared<memory::MemoryFont>(std::string(bytes.begin(), bytes.end())));
}

std::vector<std::uint8_t> DocumentOf(const Quillomet& control) {
    StoredSettingsWriter writer(SaveFontName);
    control.WriteProperties(writer);
    return writer.Document();
}

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
    memory::MemoryToolkit toolkit;
    memory::MemoryContainer host;
    Quillomet control(toolkit, host);
    StoredSettingsBag bag(bytes, LoadFontName);
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

    // What was loaded is saved whole: saved, loaded and saved again, the
    // same bytes.
    const std::vector<std::uint8_t> saved = DocumentOf(control);
    memory::MemoryToolkit reloadedToolkit;
    memory::MemoryContainer reloadedHost;
    Quillomet reloaded(reloadedToolkit, reloadedHost);
    StoredSettingsBag savedBag(std::span(saved).subspan(stored::HeaderSize), LoadFontName);
    reloaded.ReadProperties(savedBag);
    Require(DocumentOf(reloaded) == saved, "a saved document loads to the same document");
    return 0;
}
