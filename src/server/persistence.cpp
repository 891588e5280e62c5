#include "server/persistence.h"

#include "backend/win32/variant_conversion.h"
#include "common/automation_error.h"
#include "control/property_keys.h"
#include "control/stored_settings.h"
#include "win32com/com_ptr.h"
#include "win32com/error.h"
#include "win32com/text_conversion.h"
#include "win32com/unique_bstr.h"
#include "win32com/unique_variant.h"

#include <oleauto.h>
#include <olectl.h>

#include <array>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace quillomet {
namespace {

class BagAdapter final : public PropertyBag {
public:
    BagAdapter(IPropertyBag* bag, IErrorLog* log) : m_Bag(bag), m_Log(log) {}

    Variant ReadProperty(std::string_view key, const Variant& defaultValue) override {
        const std::wstring name = Utf8ToWide(key);
        com::unique_variant value;
        if (FAILED(m_Bag->Read(name.c_str(), value.put(), m_Log)))
            return defaultValue;
        return FromVariant(*value);
    }

    void WriteProperty(std::string_view key, const Variant& value,
                       const Variant& defaultValue) override {
        if (value == defaultValue)
            return;
        const std::wstring name = Utf8ToWide(key);
        com::unique_variant v;
        ToVariant(value, v.put());
        com::ThrowIfFailed(m_Bag->Write(name.c_str(), v.get()));
    }

private:
    IPropertyBag* m_Bag;
    IErrorLog* m_Log;
};

// --- Writing ----------------------------------------------------------------

class Writer {
public:
    void U16(std::uint16_t v) { Bytes(&v, 2); }
    void U32(std::uint32_t v) { Bytes(&v, 4); }
    void Bytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        m_Data.insert(m_Data.end(), p, p + size);
    }
    void Text(const std::wstring& text) { Bytes(text.data(), text.size() * sizeof(wchar_t)); }
    const std::vector<std::uint8_t>& Data() const { return m_Data; }

private:
    std::vector<std::uint8_t> m_Data;
};

// The font as the standard font class: a font object of another class that
// a host shared is saved as a standard font with its attributes, so that
// what is saved loads back.
com::com_ptr<IPersistStream> StandardFont(IUnknown* object) {
    com::com_ptr<IPersistStream> persist;
    CLSID clsid{};
    if (SUCCEEDED(object->QueryInterface(IID_IPersistStream, persist.put_void())) &&
        SUCCEEDED(persist->GetClassID(&clsid)) && clsid == CLSID_StdFont)
        return persist;
    com::com_ptr<IFont> font;
    com::ThrowIfFailed(object->QueryInterface(IID_IFont, font.put_void()));
    com::unique_bstr name;
    com::ThrowIfFailed(font->get_Name(name.put()));
    FONTDESC description{sizeof(FONTDESC), name.get(), {}, 0, 0, FALSE, FALSE, FALSE};
    BOOL bold = FALSE, italic = FALSE, underline = FALSE, strikethrough = FALSE;
    font->get_Size(&description.cySize);
    font->get_Weight(&description.sWeight);
    font->get_Charset(&description.sCharset);
    font->get_Bold(&bold);
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    font->get_Strikethrough(&strikethrough);
    description.sWeight = bold && description.sWeight < FW_BOLD ? FW_BOLD : description.sWeight;
    description.fItalic = italic;
    description.fUnderline = underline;
    description.fStrikethrough = strikethrough;
    com::ThrowIfFailed(OleCreateFontIndirect(&description, IID_IPersistStream, persist.put_void()));
    return persist;
}

std::vector<std::uint8_t> SaveObject(IUnknown* object) {
    const com::com_ptr<IPersistStream> persist = StandardFont(object);
    com::com_ptr<IStream> memory;
    com::ThrowIfFailed(CreateStreamOnHGlobal(nullptr, TRUE, memory.put()));
    com::ThrowIfFailed(OleSaveToStream(persist.get(), memory.get()));
    HGLOBAL global = nullptr;
    com::ThrowIfFailed(GetHGlobalFromStream(memory.get(), &global));
    STATSTG stat{};
    com::ThrowIfFailed(memory->Stat(&stat, STATFLAG_NONAME));
    const auto* data = static_cast<const std::uint8_t*>(GlobalLock(global));
    std::vector<std::uint8_t> bytes(data, data + stat.cbSize.QuadPart);
    GlobalUnlock(global);
    return bytes;
}

class StreamCollector final : public PropertyBag {
public:
    Variant ReadProperty(std::string_view, const Variant& defaultValue) override {
        return defaultValue;
    }
    void WriteProperty(std::string_view key, const Variant& value,
                       const Variant& defaultValue) override {
        if (value == defaultValue)
            return;
        const std::wstring name = Utf8ToWide(key);
        m_Entries.U16(static_cast<std::uint16_t>(name.size()));
        m_Entries.Text(name);
        com::unique_variant v;
        ToVariant(value, v.put());
        VARIANT* p = v.get();
        switch (V_VT(p)) {
        case VT_EMPTY:
            m_Entries.U16(VT_EMPTY);
            break;
        case VT_I2:
            m_Entries.U16(VT_I2);
            m_Entries.Bytes(&V_I2(p), 2);
            break;
        case VT_BOOL:
            m_Entries.U16(VT_BOOL);
            m_Entries.Bytes(&V_BOOL(p), 2);
            break;
        case VT_I4:
            m_Entries.U16(VT_I4);
            m_Entries.Bytes(&V_I4(p), 4);
            break;
        case VT_R4:
            m_Entries.U16(VT_R4);
            m_Entries.Bytes(&V_R4(p), 4);
            break;
        case VT_R8:
            m_Entries.U16(VT_R8);
            m_Entries.Bytes(&V_R8(p), 8);
            break;
        case VT_CY:
            m_Entries.U16(VT_CY);
            m_Entries.Bytes(&V_CY(p), 8);
            break;
        case VT_BSTR: {
            m_Entries.U16(VT_BSTR);
            const UINT bytes = SysStringByteLen(V_BSTR(p));
            m_Entries.U32(bytes);
            m_Entries.Bytes(V_BSTR(p), bytes);
            break;
        }
        case VT_DISPATCH:
        case VT_UNKNOWN: {
            const std::vector<std::uint8_t> object = SaveObject(V_UNKNOWN(p));
            m_Entries.U16(VT_UNKNOWN);
            m_Entries.U32(static_cast<std::uint32_t>(object.size()));
            m_Entries.Bytes(object.data(), object.size());
            break;
        }
        default:
            ThrowTypeMismatch();
        }
    }

    std::vector<std::uint8_t> Stream() const {
        Writer out;
        out.U32(stored::Magic);
        out.U16(stored::FormatVersion);
        out.U32(static_cast<std::uint32_t>(m_Entries.Data().size()));
        out.Bytes(m_Entries.Data().data(), m_Entries.Data().size());
        return out.Data();
    }

private:
    Writer m_Entries;
};

// --- Reading ----------------------------------------------------------------

void ReadExactly(IStream* stream, void* out, ULONG size) {
    ULONG read = 0;
    const HRESULT hr = stream->Read(out, size, &read);
    if (FAILED(hr))
        com::ThrowIfFailed(hr);
    if (read != size)
        throw StoredFormatError("the stored settings are cut short");
}

// A stored font: the standard font class's identifier, then its own data,
// as OleSaveToStream writes it. No other class is ever created from stored
// data: a document must not make the control instantiate what it names.
Variant LoadFont(const std::vector<std::uint8_t>& bytes) {
    CLSID stored{};
    if (bytes.size() < sizeof stored)
        ThrowTypeMismatch();
    std::memcpy(&stored, bytes.data(), sizeof stored);
    if (stored != CLSID_StdFont)
        ThrowTypeMismatch();
    com::com_ptr<IStream> memory;
    com::ThrowIfFailed(CreateStreamOnHGlobal(nullptr, TRUE, memory.put()));
    const ULONG size = static_cast<ULONG>(bytes.size() - sizeof stored);
    ULONG written = 0;
    com::ThrowIfFailed(memory->Write(bytes.data() + sizeof stored, size, &written));
    LARGE_INTEGER start{};
    com::ThrowIfFailed(memory->Seek(start, STREAM_SEEK_SET, nullptr));
    com::com_ptr<IPersistStream> font;
    com::ThrowIfFailed(CoCreateInstance(CLSID_StdFont, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IPersistStream, font.put_void()));
    if (FAILED(font->Load(memory.get())))
        ThrowTypeMismatch(); // the font's own data is damaged
    com::unique_variant v;
    V_VT(v.get()) = VT_UNKNOWN;
    com::ThrowIfFailed(
        font->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&V_UNKNOWN(v.get()))));
    return FromVariant(*v);
}

// The entries of a stream, served as a bag in the control's read order.
class StreamEntries final : public PropertyBag {
public:
    explicit StreamEntries(std::span<const std::uint8_t> payload) : m_Settings(payload) {}

    Variant ReadProperty(std::string_view key, const Variant& defaultValue) override {
        const StoredEntry* entry = m_Settings.Find(key);
        if (!entry)
            return defaultValue;
        if (entry->type != stored::Object)
            return StoredSettings::ValueOf(*entry);
        // Only the font is an object; one under any other key is a damaged
        // setting.
        if (key != keys::Font)
            ThrowTypeMismatch();
        return LoadFont(entry->bytes);
    }
    void WriteProperty(std::string_view, const Variant&, const Variant&) override {}

    void ThrowIfDamaged() const {
        if (!m_Settings.Damage().empty())
            throw StoredFormatError(m_Settings.Damage());
    }

private:
    StoredSettings m_Settings;
};

} // namespace

void LoadFromBag(Quillomet& control, IPropertyBag* bag, IErrorLog* log) {
    BagAdapter adapter(bag, log);
    control.ReadProperties(adapter);
}

void SaveToBag(const Quillomet& control, IPropertyBag* bag) {
    BagAdapter adapter(bag, nullptr);
    control.WriteProperties(adapter);
}

namespace {

std::unique_ptr<StreamEntries> ReadEntries(IStream* stream) {
    std::array<std::uint8_t, stored::HeaderSize> header{};
    ReadExactly(stream, header.data(), stored::HeaderSize);
    const std::uint32_t length = StoredPayloadLength(header);
    std::vector<std::uint8_t> payload(length);
    if (length > 0)
        ReadExactly(stream, payload.data(), length);
    return std::make_unique<StreamEntries>(payload);
}

} // namespace

void LoadFromStream(Quillomet& control, IStream* stream) {
    std::unique_ptr<StreamEntries> entries;
    try {
        entries = ReadEntries(stream); // the whole stream, before anything applies
    } catch (...) {
        control.ResetToNew();
        throw;
    }
    try {
        control.ReadProperties(*entries);
    } catch (...) {
        entries->ThrowIfDamaged();
        throw;
    }
    entries->ThrowIfDamaged();
}

void SaveToStream(const Quillomet& control, IStream* stream) {
    StreamCollector collector;
    control.WriteProperties(collector);
    const std::vector<std::uint8_t> data = collector.Stream();
    ULONG written = 0;
    com::ThrowIfFailed(stream->Write(data.data(), static_cast<ULONG>(data.size()), &written));
    if (written != data.size())
        com::ThrowIfFailed(STG_E_MEDIUMFULL);
}

std::uint64_t StreamSize(const Quillomet& control) {
    StreamCollector collector;
    control.WriteProperties(collector);
    return collector.Stream().size();
}

} // namespace quillomet
