#include "server/persistence.h"

#include "backend/win32/variant_conversion.h"
#include "common/automation_error.h"
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

// --- The font's own bytes ----------------------------------------------------

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

std::vector<std::uint8_t> SaveFont(const ObjectRef& object) {
    com::unique_variant font;
    ToVariant(Variant(object), font.put());
    if (V_VT(font.get()) != VT_DISPATCH && V_VT(font.get()) != VT_UNKNOWN)
        ThrowTypeMismatch();
    if (!V_UNKNOWN(font.get()))
        ThrowTypeMismatch();
    const com::com_ptr<IPersistStream> persist = StandardFont(V_UNKNOWN(font.get()));
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
Variant LoadFont(std::span<const std::uint8_t> bytes) {
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

std::unique_ptr<StoredSettingsBag> ReadEntries(IStream* stream) {
    std::array<std::uint8_t, stored::HeaderSize> header{};
    ReadExactly(stream, header.data(), stored::HeaderSize);
    const std::uint32_t length = StoredPayloadLength(header);
    std::vector<std::uint8_t> payload(length);
    if (length > 0)
        ReadExactly(stream, payload.data(), length);
    return std::make_unique<StoredSettingsBag>(payload, LoadFont);
}

std::vector<std::uint8_t> Document(const Quillomet& control) {
    StoredSettingsWriter writer(SaveFont);
    control.WriteProperties(writer);
    return writer.Document();
}

} // namespace

void LoadFromStream(Quillomet& control, IStream* stream) {
    std::unique_ptr<StoredSettingsBag> entries;
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
    const std::vector<std::uint8_t> data = Document(control);
    ULONG written = 0;
    com::ThrowIfFailed(stream->Write(data.data(), static_cast<ULONG>(data.size()), &written));
    if (written != data.size())
        com::ThrowIfFailed(STG_E_MEDIUMFULL);
}

std::uint64_t StreamSize(const Quillomet& control) {
    return Document(control).size();
}

} // namespace quillomet
