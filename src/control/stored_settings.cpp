#include "control/stored_settings.h"

#include "common/automation_error.h"

#include <cstring>

namespace quillomet {
namespace {

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : m_Data(data) {}
    bool AtEnd() const { return m_Position == m_Data.size(); }
    std::size_t Remaining() const { return m_Data.size() - m_Position; }
    std::span<const std::uint8_t> Bytes(std::size_t size) {
        if (size > Remaining())
            throw StoredFormatError("the stored settings are cut short");
        const auto bytes = m_Data.subspan(m_Position, size);
        m_Position += size;
        return bytes;
    }
    std::uint16_t U16() {
        const auto b = Bytes(2);
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::uint32_t U32() {
        const auto b = Bytes(4);
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }

private:
    std::span<const std::uint8_t> m_Data;
    std::size_t m_Position = 0;
};

// The fixed size of an entry's value, or how it is sized.
constexpr std::size_t LengthFirst = static_cast<std::size_t>(-1);
std::size_t ValueSize(std::uint16_t type) {
    switch (type) {
    case stored::Empty:
        return 0;
    case stored::Integer:
    case stored::Boolean:
        return 2;
    case stored::Long:
    case stored::Single:
        return 4;
    case stored::Double:
    case stored::Currency:
        return 8;
    case stored::Text:
    case stored::Object:
        return LengthFirst;
    default:
        throw StoredFormatError("the stored settings hold an unknown kind of value");
    }
}

template <typename T>
T Load(const std::vector<std::uint8_t>& bytes) {
    T value{};
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string Utf16ToUtf8(std::span<const std::uint8_t> units) {
    constexpr std::uint32_t Replacement = 0xFFFD;
    std::string out;
    out.reserve(units.size() / 2);
    const auto unit = [&](std::size_t k) {
        return static_cast<std::uint32_t>(units[2 * k] | (units[2 * k + 1] << 8));
    };
    const std::size_t count = units.size() / 2;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t u = unit(k);
        if (u >= 0xD800 && u < 0xDC00 && k + 1 < count && unit(k + 1) >= 0xDC00 &&
            unit(k + 1) < 0xE000) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(k + 1) - 0xDC00));
            ++k;
        } else if (u >= 0xD800 && u < 0xE000) {
            AppendUtf8(out, Replacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::uint32_t StoredPayloadLength(std::span<const std::uint8_t, stored::HeaderSize> header) {
    Reader in(header);
    if (in.U32() != stored::Magic)
        throw StoredFormatError("the stream holds no Quillomet settings");
    if (in.U16() != stored::FormatVersion)
        throw StoredFormatError("the stored settings are of an unknown version");
    const std::uint32_t length = in.U32();
    if (length > stored::MaxPayload)
        throw StoredFormatError("the stored settings claim an impossible length");
    return length;
}

StoredSettings::StoredSettings(std::span<const std::uint8_t> payload) {
    try {
        ReadAll(payload);
    } catch (const StoredFormatError& error) {
        m_Damage = error.what();
    }
}

void StoredSettings::ReadAll(std::span<const std::uint8_t> payload) {
    Reader in(payload);
    while (!in.AtEnd()) {
        const std::uint16_t keyUnits = in.U16();
        std::string key = Utf16ToUtf8(in.Bytes(std::size_t{keyUnits} * 2));
        StoredEntry entry;
        entry.type = in.U16();
        std::size_t size = ValueSize(entry.type);
        if (size == LengthFirst) {
            size = in.U32();
            if (size > in.Remaining())
                throw StoredFormatError("the stored settings are damaged: an entry claims more "
                                        "bytes than the stream holds");
        }
        if (entry.type == stored::Text && size % 2 != 0)
            throw StoredFormatError("the stored settings are damaged: a text of an odd number "
                                    "of bytes");
        const auto bytes = in.Bytes(size);
        entry.bytes.assign(bytes.begin(), bytes.end());
        m_Entries.insert_or_assign(std::move(key), std::move(entry));
    }
}

const StoredEntry* StoredSettings::Find(std::string_view key) const {
    const auto it = m_Entries.find(key);
    return it == m_Entries.end() ? nullptr : &it->second;
}

Variant StoredSettings::ValueOf(const StoredEntry& entry) {
    switch (entry.type) {
    case stored::Empty:
        return {};
    case stored::Integer:
        return Load<std::int16_t>(entry.bytes);
    case stored::Boolean:
        return Load<std::int16_t>(entry.bytes) != 0;
    case stored::Long:
        return Load<std::int32_t>(entry.bytes);
    case stored::Single:
        return Load<float>(entry.bytes);
    case stored::Double:
        return Load<double>(entry.bytes);
    case stored::Currency:
        return Currency{Load<std::int64_t>(entry.bytes)};
    case stored::Text:
        return Utf16ToUtf8(entry.bytes);
    default:
        ThrowTypeMismatch(); // an object: only the caller can rebuild one
    }
}

} // namespace quillomet
