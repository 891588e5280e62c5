#include "control/stored_settings.h"

#include "common/automation_error.h"
#include "common/text_length.h"
#include "control/property_keys.h"

#include <bit>
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

// Bytes appended little-endian, as the format keeps them.
class Writer {
public:
    explicit Writer(std::vector<std::uint8_t>& out) : m_Out(out) {}
    void U16(std::uint16_t v) { Little(v, 2); }
    void U32(std::uint32_t v) { Little(v, 4); }
    void U64(std::uint64_t v) { Little(v, 8); }
    void Bytes(std::span<const std::uint8_t> bytes) {
        m_Out.insert(m_Out.end(), bytes.begin(), bytes.end());
    }
    // UTF-8 as UTF-16 units; a byte that starts no character becomes U+FFFD
    // (texts from a host are always whole characters).
    void Utf16(std::string_view utf8) {
        for (std::size_t i = 0; i < utf8.size();) {
            const std::uint32_t c = NextCharacter(utf8, i);
            if (c >= 0x10000) {
                U16(static_cast<std::uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
                U16(static_cast<std::uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                U16(static_cast<std::uint16_t>(c));
            }
        }
    }

private:
    void Little(std::uint64_t v, int bytes) {
        for (int k = 0; k < bytes; ++k)
            m_Out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    }
    static std::uint32_t NextCharacter(std::string_view utf8, std::size_t& i) {
        constexpr std::uint32_t Replacement = 0xFFFD;
        const auto lead = static_cast<unsigned char>(utf8[i++]);
        const int continuation = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
        if (lead >= 0x80 && lead < 0xC0)
            return Replacement;
        std::uint32_t c = continuation == 0 ? lead : lead & (0x3F >> continuation);
        for (int k = 0; k < continuation; ++k) {
            if (i >= utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80)
                return Replacement;
            c = (c << 6) | (static_cast<unsigned char>(utf8[i++]) & 0x3F);
        }
        return c > 0x10FFFF ? Replacement : c;
    }

    std::vector<std::uint8_t>& m_Out;
};

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

StoredSettingsBag::StoredSettingsBag(std::span<const std::uint8_t> payload, ObjectLoader loadObject)
    : m_Settings(payload), m_LoadObject(std::move(loadObject)) {}

Variant StoredSettingsBag::ReadProperty(std::string_view key, const Variant& defaultValue) {
    const StoredEntry* entry = m_Settings.Find(key);
    if (!entry)
        return defaultValue;
    if (entry->type != stored::Object)
        return StoredSettings::ValueOf(*entry);
    if (key != keys::Font)
        ThrowTypeMismatch();
    return m_LoadObject(entry->bytes);
}

void StoredSettingsBag::ThrowIfDamaged() const {
    if (!m_Settings.Damage().empty())
        throw StoredFormatError(m_Settings.Damage());
}

StoredSettingsWriter::StoredSettingsWriter(ObjectSaver saveObject)
    : m_SaveObject(std::move(saveObject)) {}

void StoredSettingsWriter::WriteProperty(std::string_view key, const Variant& value,
                                         const Variant& defaultValue) {
    if (value == defaultValue)
        return;
    // What cannot be written fails before anything of the entry is.
    std::vector<std::uint8_t> object;
    if (value.IsObject()) {
        if (!value.Object())
            ThrowTypeMismatch();
        object = m_SaveObject(value.Object());
    } else if (value.IsNull()) {
        ThrowTypeMismatch();
    }
    Writer out(m_Entries);
    out.U16(static_cast<std::uint16_t>(Utf16Length(key)));
    out.Utf16(key);
    switch (value.Type()) {
    case VariantType::Empty:
    case VariantType::Null:
        out.U16(stored::Empty);
        break;
    case VariantType::Integer:
        out.U16(stored::Integer);
        out.U16(static_cast<std::uint16_t>(value.ToInteger()));
        break;
    case VariantType::Boolean:
        out.U16(stored::Boolean);
        out.U16(value.ToBoolean() ? 0xFFFF : 0); // as automation's true, -1
        break;
    case VariantType::Long:
        out.U16(stored::Long);
        out.U32(static_cast<std::uint32_t>(value.ToLong()));
        break;
    case VariantType::Single:
        out.U16(stored::Single);
        out.U32(std::bit_cast<std::uint32_t>(static_cast<float>(value.ToDouble())));
        break;
    case VariantType::Double:
        out.U16(stored::Double);
        out.U64(std::bit_cast<std::uint64_t>(value.ToDouble()));
        break;
    case VariantType::Currency:
        out.U16(stored::Currency);
        out.U64(static_cast<std::uint64_t>(value.ToCurrency().scaled));
        break;
    case VariantType::String: {
        out.U16(stored::Text);
        const std::size_t lengthAt = m_Entries.size();
        out.U32(0);
        out.Utf16(value.String());
        const auto bytes = static_cast<std::uint32_t>(m_Entries.size() - lengthAt - 4);
        for (int k = 0; k < 4; ++k)
            m_Entries[lengthAt + static_cast<std::size_t>(k)] =
                static_cast<std::uint8_t>(bytes >> (8 * k));
        break;
    }
    case VariantType::Object:
        out.U16(stored::Object);
        out.U32(static_cast<std::uint32_t>(object.size()));
        out.Bytes(object);
        break;
    }
}

std::vector<std::uint8_t> StoredSettingsWriter::Document() const {
    std::vector<std::uint8_t> document;
    document.reserve(stored::HeaderSize + m_Entries.size());
    Writer out(document);
    out.U32(stored::Magic);
    out.U16(stored::FormatVersion);
    out.U32(static_cast<std::uint32_t>(m_Entries.size()));
    out.Bytes(m_Entries);
    return document;
}

} // namespace quillomet
