#pragma once

#include "common/described_error.h"
#include "common/variant.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillomet {

// The stream format of the control's stored settings, the same through a
// stream and a storage: a header ("QLMT", version 1, payload length), then
// entries of key (a 16-bit length and UTF-16 units), an automation type code
// and the value's bytes (texts and objects with a 32-bit length first).
// Reading it needs no platform: only the font object is left to the caller.
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

// UTF-16 units as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::span<const std::uint8_t> littleEndianUnits);

} // namespace quillomet
