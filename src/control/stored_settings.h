#pragma once

#include "common/described_error.h"
#include "common/variant.h"
#include "toolkit/container.h"

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillomet {

// The stream format of the control's stored settings, the same through a
// stream and a storage, little-endian:
//   u32  magic "QLMT"
//   u16  format version, 1
//   u32  length in bytes of the entries that follow
//   entries, one per setting that differs from its default, in the order
//   the control writes them:
//     u16 key length in UTF-16 units, the key in UTF-16
//     u16 automation type code, then the value:
//       Integer and Boolean 2 bytes; Long and Single 4; Double and Currency
//       8; Text a u32 length in bytes, then UTF-16; Object (the font) a u32
//       length, then the font object's own persistence (class identifier
//       and data, as the platform saves objects).
// Reading and writing it need no platform: only the font object's own
// bytes are left to the caller.
namespace stored {

constexpr std::uint32_t Magic = 0x544D4C51; // "QLMT"
constexpr std::uint16_t FormatVersion = 1;
constexpr std::size_t HeaderSize = 10;
// Far more than any set of fourteen settings needs.
constexpr std::uint32_t MaxPayload = 16 * 1024 * 1024;

// The automation type codes the format uses.
enum Type : std::uint16_t {
    Empty = 0,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Text = 8,
    Boolean = 11,
    Object = 13,
};

} // namespace stored

// Stored settings that cannot be read: the description says what is wrong.
class StoredFormatError : public DescribedError {
public:
    using DescribedError::DescribedError;
};

// The payload length a header announces; the format error when the header
// is not one of ours.
std::uint32_t StoredPayloadLength(std::span<const std::uint8_t, stored::HeaderSize> header);

struct StoredEntry {
    std::uint16_t type = stored::Empty;
    std::vector<std::uint8_t> bytes;
};

// The entries of a payload, up to the first damaged one: an entry of
// unknown type carries no length, so nothing after it can be found, but
// what came before it is kept and the damage described.
class StoredSettings {
public:
    explicit StoredSettings(std::span<const std::uint8_t> payload);

    const StoredEntry* Find(std::string_view key) const;
    // Empty when every entry was read.
    const std::string& Damage() const { return m_Damage; }

    // The value of an entry other than an object; an object is a type
    // mismatch here.
    static Variant ValueOf(const StoredEntry& entry);

private:
    void ReadAll(std::span<const std::uint8_t> payload);

    std::map<std::string, StoredEntry, std::less<>> m_Entries;
    std::string m_Damage;
};

// An object's own bytes, and an object made from them: the caller's, as
// only the platform knows the font object.
using ObjectSaver = std::function<std::vector<std::uint8_t>(const ObjectRef&)>;
using ObjectLoader = std::function<Variant(std::span<const std::uint8_t>)>;

// Stored settings served to a control as its property bag, read in any
// order. The only object a document may hold is the font: one under any
// other key is a damaged setting, and `loadObject` alone rebuilds it, so a
// document never makes the control create what it names.
class StoredSettingsBag final : public PropertyBag {
public:
    StoredSettingsBag(std::span<const std::uint8_t> payload, ObjectLoader loadObject);

    Variant ReadProperty(std::string_view key, const Variant& defaultValue) override;
    void WriteProperty(std::string_view, const Variant&, const Variant&) override {}

    // The format error when part of the payload could not be read.
    void ThrowIfDamaged() const;

private:
    StoredSettings m_Settings;
    ObjectLoader m_LoadObject;
};

// The settings a control writes, as a document: the header and the entries
// in the order written, a value equal to its default left out.
class StoredSettingsWriter final : public PropertyBag {
public:
    explicit StoredSettingsWriter(ObjectSaver saveObject);

    Variant ReadProperty(std::string_view, const Variant& defaultValue) override {
        return defaultValue;
    }
    // A null (no stored type holds one) is a type mismatch.
    void WriteProperty(std::string_view key, const Variant& value,
                       const Variant& defaultValue) override;

    std::vector<std::uint8_t> Document() const;

private:
    std::vector<std::uint8_t> m_Entries;
    ObjectSaver m_SaveObject;
};

// UTF-16 units as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::span<const std::uint8_t> littleEndianUnits);

} // namespace quillomet
