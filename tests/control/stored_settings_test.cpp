#include "backend/memory/memory_container.h"
#include "backend/memory/memory_toolkit.h"
#include "common/automation_error.h"
#include "common/variant_printer.h"
#include "control/quillomet.h"
#include "control/stored_settings.h"
#include "toolkit/font.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace quillomet {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append16(Bytes& bytes, unsigned value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Append32(Bytes& bytes, std::uint32_t value) {
    Append16(bytes, value & 0xFFFF);
    Append16(bytes, value >> 16);
}
// An entry: the key's UTF-16 units, the type, then `value` as given.
void Entry(Bytes& bytes, const std::u16string& key, std::uint16_t type, const Bytes& value) {
    Append16(bytes, static_cast<unsigned>(key.size()));
    for (char16_t unit : key)
        Append16(bytes, unit);
    Append16(bytes, type);
    bytes.insert(bytes.end(), value.begin(), value.end());
}
Bytes StoredTextBytes(const std::u16string& text) {
    Bytes bytes;
    Append32(bytes, static_cast<std::uint32_t>(text.size() * 2));
    for (char16_t unit : text)
        Append16(bytes, unit);
    return bytes;
}

TEST(StoredSettingsTest, HeaderGivesThePayloadLengthOrSaysWhatIsWrong) {
    const struct {
        std::uint32_t magic;
        unsigned version;
        std::uint32_t length;
        const char* error; // nullptr: accepted
    } rows[] = {
        {stored::Magic, 1, 0, nullptr},
        {stored::Magic, 1, stored::MaxPayload, nullptr},
        {0x12345678, 1, 0, "no Quillomet settings"},
        {stored::Magic, 2, 0, "unknown version"},
        {stored::Magic, 1, stored::MaxPayload + 1, "impossible length"},
        {stored::Magic, 1, 0xFFFFFFFF, "impossible length"},
    };
    for (const auto& row : rows) {
        Bytes header;
        Append32(header, row.magic);
        Append16(header, row.version);
        Append32(header, row.length);
        const std::span<const std::uint8_t, stored::HeaderSize> fixed(header.data(),
                                                                      stored::HeaderSize);
        if (!row.error) {
            EXPECT_EQ(row.length, StoredPayloadLength(fixed));
            continue;
        }
        try {
            StoredPayloadLength(fixed);
            ADD_FAILURE() << "accepted: " << row.error;
        } catch (const StoredFormatError& error) {
            EXPECT_NE(std::string::npos, std::string(error.what()).find(row.error)) << error.what();
        }
    }
}

TEST(StoredSettingsTest, EveryTypeReadsBackItsValue) {
    Bytes payload;
    Entry(payload, u"I", stored::Integer, {0xFE, 0xFF});
    Entry(payload, u"B", stored::Boolean, {0xFF, 0xFF});
    Entry(payload, u"L", stored::Long, {0x01, 0x00, 0x01, 0x00});
    Entry(payload, u"S", stored::Single, {0x00, 0x00, 0xC0, 0x3F});
    Entry(payload, u"D", stored::Double, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F});
    Entry(payload, u"C", stored::Currency, {0x10, 0x27, 0, 0, 0, 0, 0, 0});
    Entry(payload, u"T", stored::Text, StoredTextBytes(u"0.0 \u20ac \U0001F600"));
    Entry(payload, u"E", stored::Empty, {});
    Entry(payload, u"\u00e9", stored::Text, StoredTextBytes(u"accent"));
    Entry(payload, u"I", stored::Integer, {0x07, 0x00}); // a later entry wins
    const StoredSettings settings(payload);
    EXPECT_EQ("", settings.Damage());
    const struct {
        const char* key;
        Variant value;
    } rows[] = {
        {"I", std::int16_t{7}},
        {"B", true},
        {"L", std::int32_t{65537}},
        {"S", 1.5f},
        {"D", 1.5},
        {"C", Currency{10000}},
        {"T", std::string("0.0 \u20ac \U0001F600")},
        {"E", Variant()},
        {"\u00e9", std::string("accent")},
    };
    for (const auto& row : rows) {
        const StoredEntry* entry = settings.Find(row.key);
        ASSERT_NE(nullptr, entry) << row.key;
        EXPECT_EQ(row.value, StoredSettings::ValueOf(*entry)) << row.key;
    }
    EXPECT_EQ(nullptr, settings.Find("Missing"));
}

// What came before a damaged entry is kept, and the damage described.
TEST(StoredSettingsTest, DamageKeepsWhatCameBefore) {
    Bytes good;
    Entry(good, u"Format", stored::Text, StoredTextBytes(u"0.0"));
    const struct {
        const char* what;
        Bytes tail;
        const char* damage;
    } rows[] = {
        {"an unknown type",
         [] {
             Bytes b;
             Entry(b, u"Value", 0x2011, {1, 2});
             return b;
         }(),
         "unknown kind"},
        {"a text claiming 4 GB",
         [] {
             Bytes b;
             Entry(b, u"Value", stored::Text, {0xFF, 0xFF, 0xFF, 0xFF, 1, 0});
             return b;
         }(),
         "damaged"},
        {"a key cut short", Bytes{9, 0, 'V', 0}, "cut short"},
        {"a text of an odd length",
         [] {
             Bytes b;
             Entry(b, u"Value", stored::Text, {3, 0, 0, 0, '1', 0, '2'});
             return b;
         }(),
         "odd number"},
        {"a double cut short",
         [] {
             Bytes b;
             Entry(b, u"Value", stored::Double, {1, 2, 3});
             return b;
         }(),
         "cut short"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Bytes payload = good;
        payload.insert(payload.end(), row.tail.begin(), row.tail.end());
        const StoredSettings settings(payload);
        EXPECT_NE(std::string::npos, settings.Damage().find(row.damage)) << settings.Damage();
        ASSERT_NE(nullptr, settings.Find("Format"));
        EXPECT_EQ(Variant(std::string("0.0")), StoredSettings::ValueOf(*settings.Find("Format")));
        EXPECT_EQ(nullptr, settings.Find("Value"));
    }
}

TEST(StoredSettingsTest, AnObjectIsNoPlainValue) {
    Bytes payload;
    Entry(payload, u"Font", stored::Object, {4, 0, 0, 0, 1, 2, 3, 4});
    const StoredSettings settings(payload);
    ASSERT_NE(nullptr, settings.Find("Font"));
    EXPECT_THROW(StoredSettings::ValueOf(*settings.Find("Font")), AutomationError);
}

// A font as its own stored bytes: the platform's persistence, which only
// the Windows build can read, kept as it came.
class StoredFont final : public FontObject {
public:
    explicit StoredFont(Bytes bytes) : m_Bytes(std::move(bytes)) {}
    const Bytes& Stored() const { return m_Bytes; }
    Variant DefaultValue() const override { return std::string("stored font"); }
    FontRef Clone() const override { return std::make_shared<StoredFont>(m_Bytes); }
    FontRef SharedCopy() const override { return Clone(); }
    bool IsSharedCopy() const override { return false; }
    bool SameAs(const FontObject& other) const override {
        const auto* font = dynamic_cast<const StoredFont*>(&other);
        return font && font->m_Bytes == m_Bytes;
    }

private:
    Bytes m_Bytes;
};

// The documents the Windows build saved (tests/server/golden), loaded into
// a control and written again by the portable writer: the same bytes.
TEST(StoredSettingsTest, DocumentsLoadAndSaveToTheSameBytes) {
    const auto loadFont = [](std::span<const std::uint8_t> bytes) {
        return Variant(ObjectRef(std::make_shared<StoredFont>(Bytes(bytes.begin(), bytes.end()))));
    };
    const auto saveFont = [](const ObjectRef& font) {
        return dynamic_cast<const StoredFont&>(*font).Stored();
    };
    for (const char* name : {"default", "chosen", "edge"}) {
        std::string path = QUILLOMET_GOLDEN_DIR;
        path.append("/").append(name).append(".stream");
        std::ifstream file(path, std::ios::binary);
        const Bytes document{std::istreambuf_iterator<char>(file), {}};
        ASSERT_GE(document.size(), stored::HeaderSize) << name;
        memory::MemoryToolkit toolkit;
        memory::MemoryContainer host;
        Quillomet control(toolkit, host);
        StoredSettingsBag bag(std::span<const std::uint8_t>(document).subspan(stored::HeaderSize),
                              loadFont);
        control.ReadProperties(bag);
        bag.ThrowIfDamaged();
        StoredSettingsWriter writer(saveFont);
        control.WriteProperties(writer);
        EXPECT_EQ(document, writer.Document()) << name;
    }
}

TEST(StoredSettingsTest, UnpairedSurrogatesBecomeTheReplacementCharacter) {
    const Bytes units = {0x3D, 0xD8, 0x41, 0x00, 0x00, 0xDC, 0x3D, 0xD8, 0x00, 0xDE};
    EXPECT_EQ("\uFFFDA\uFFFD\U0001F600", Utf16ToUtf8(units));
}

} // namespace
} // namespace quillomet
