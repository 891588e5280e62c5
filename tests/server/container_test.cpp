// A small test container: the control created through its class factory,
// event and property-notify sinks connected, settings round-tripped
// through a property bag and a stream. Runs under Wine.
#include "com_test_support.h"
#include "test_main.h"
#include "test_site.h"
#include "win32com/unique_bstr.h"
#include "win32com/unique_variant.h"

#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using quillomet::com::unique_bstr;
using quillomet::com::unique_variant;
using quillomet::testing::EventCounter;
using quillomet::testing::NotifySink;
using quillomet::testing::Ref;

std::string g_OcxPath;

using GetClassObjectFunction = quillomet::testing::GetClassObjectFunction;
using CanUnloadFunction = quillomet::testing::CanUnloadFunction;

// A host's property bag: keeps whatever is written, by name.
class MemoryBag final : public IPropertyBag {
public:
    std::map<std::wstring, unique_variant> m_Values;
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        const auto it = m_Values.find(name);
        if (it == m_Values.end())
            return E_INVALIDARG;
        return VariantCopy(value, it->second.get());
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        unique_variant copy;
        VariantCopy(copy.put(), value);
        m_Values[name] = std::move(copy);
        return S_OK;
    }
};

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Library = LoadLibraryA(g_OcxPath.c_str());
        ASSERT_NE(nullptr, m_Library) << g_OcxPath;
        m_GetClassObject =
            quillomet::testing::ProcAddress<GetClassObjectFunction>(m_Library, "DllGetClassObject");
        m_CanUnload =
            quillomet::testing::ProcAddress<CanUnloadFunction>(m_Library, "DllCanUnloadNow");
        ASSERT_TRUE(m_GetClassObject && m_CanUnload);
        ASSERT_HRESULT_SUCCEEDED(
            m_GetClassObject(CLSID_Quillomet, IID_IClassFactory, m_Factory.put_void()));
    }

    // A new control through the class factory.
    Ref<_Quillomet> Create() {
        Ref<_Quillomet> control;
        EXPECT_HRESULT_SUCCEEDED(
            m_Factory->CreateInstance(nullptr, IID__Quillomet, control.put_void()));
        return control;
    }

    // A control's three ways of being kept.
    struct Persistence {
        explicit Persistence(_Quillomet* control) {
            control->QueryInterface(IID_IPersistStreamInit, stream.put_void());
            control->QueryInterface(IID_IPersistPropertyBag, bag.put_void());
            control->QueryInterface(IID_IPersistStorage, storage.put_void());
        }
        Ref<IPersistStreamInit> stream;
        Ref<IPersistPropertyBag> bag;
        Ref<IPersistStorage> storage;
    };

    static std::wstring FormatOf(_Quillomet* control) {
        unique_bstr format;
        control->get_Format(format.put());
        return format ? format.get() : L"";
    }
    static double ValueOf(_Quillomet* control) {
        VARIANT value;
        VariantInit(&value);
        control->get_value(&value);
        VariantChangeType(&value, &value, 0, VT_R8);
        return V_R8(&value);
    }
    static void SetValue(_Quillomet* control, double number) {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_R8;
        V_R8(&value) = number;
        ASSERT_HRESULT_SUCCEEDED(control->put_value(value));
    }
    static DWORD Advise(IUnknown* control, REFIID iid, IUnknown* sink) {
        Ref<IConnectionPointContainer> container;
        EXPECT_HRESULT_SUCCEEDED(
            control->QueryInterface(IID_IConnectionPointContainer, container.put_void()));
        Ref<IConnectionPoint> point;
        EXPECT_HRESULT_SUCCEEDED(container->FindConnectionPoint(iid, point.put()));
        DWORD cookie = 0;
        EXPECT_HRESULT_SUCCEEDED(point->Advise(sink, &cookie));
        return cookie;
    }
    static void Unadvise(IUnknown* control, REFIID iid, DWORD cookie) {
        Ref<IConnectionPointContainer> container;
        control->QueryInterface(IID_IConnectionPointContainer, container.put_void());
        Ref<IConnectionPoint> point;
        container->FindConnectionPoint(iid, point.put());
        EXPECT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
    }

    // Settings saved to a stream, rewound.
    static Ref<IStream> SaveToStream(_Quillomet* control) {
        Ref<IPersistStreamInit> persist;
        EXPECT_HRESULT_SUCCEEDED(
            control->QueryInterface(IID_IPersistStreamInit, persist.put_void()));
        Ref<IStream> stream;
        CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
        EXPECT_HRESULT_SUCCEEDED(persist->Save(stream.get(), TRUE));
        LARGE_INTEGER start{};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        return stream;
    }
    static HRESULT LoadFromBytes(_Quillomet* control, const std::vector<unsigned char>& bytes) {
        Ref<IStream> stream;
        CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
        ULONG written = 0;
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        LARGE_INTEGER start{};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        Ref<IPersistStreamInit> persist;
        control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        return persist->Load(stream.get());
    }

    HMODULE m_Library = nullptr; // the loaded Quillomet.ocx
    GetClassObjectFunction m_GetClassObject = nullptr;
    CanUnloadFunction m_CanUnload = nullptr;
    Ref<IClassFactory> m_Factory;
};

TEST_F(ContainerTest, FactoryServesOnlyItsClass) {
    Ref<IClassFactory> other;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              m_GetClassObject(IID_IDispatch, IID_IClassFactory, other.put_void()));
    EXPECT_EQ(nullptr, other.get());
    Ref<IUnknown> aggregated;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              m_Factory->CreateInstance(reinterpret_cast<IUnknown*>(m_Factory.get()), IID_IUnknown,
                                        aggregated.put_void()));
}

TEST_F(ContainerTest, ControlAnswersItsInterfaces) {
    Ref<_Quillomet> control = Create();
    const IID interfaces[] = {IID_IDispatch,
                              IID_IProvideClassInfo,
                              IID_IProvideClassInfo2,
                              IID_ISupportErrorInfo,
                              IID_IConnectionPointContainer,
                              IID_IPersistPropertyBag,
                              IID_IPersistStreamInit,
                              IID_IPersist};
    for (const IID& iid : interfaces) {
        Ref<IUnknown> unknown;
        EXPECT_HRESULT_SUCCEEDED(control->QueryInterface(iid, unknown.put_void()));
    }
    Ref<IProvideClassInfo2> info;
    control->QueryInterface(IID_IProvideClassInfo2, info.put_void());
    GUID source{};
    EXPECT_HRESULT_SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    EXPECT_TRUE(IsEqualGUID(DIID___Quillomet, source));
}

TEST_F(ContainerTest, EventsReachTheSinkAndItsChangesComeBack) {
    Ref<_Quillomet> control = Create();
    EventCounter sink;
    sink.m_VetoKey = '3';
    const DWORD cookie = Advise(control.get(), DIID___Quillomet, &sink);
    SetValue(control.get(), 5);
    ASSERT_EQ(std::vector<DISPID>{1}, sink.m_Events); // Change

    LONG handle = 0;
    control->get_hwnd(&handle);
    HWND edit = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
    SetWindowTextW(edit, L"");
    for (wchar_t c : std::wstring(L"1234a"))
        SendMessageW(edit, WM_CHAR, c, 0);
    wchar_t text[32] = {};
    GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(L"124", text); // 3 cancelled by the host, the letter by the filter
    Unadvise(control.get(), DIID___Quillomet, cookie);
    sink.m_Events.clear();
    SetValue(control.get(), 9);
    EXPECT_TRUE(sink.m_Events.empty());
}

TEST_F(ContainerTest, PropertyChangesAreNotifiedAndMakeTheControlDirty) {
    Ref<_Quillomet> control = Create();
    Ref<IPersistStreamInit> persist;
    control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
    NotifySink sink;
    Advise(control.get(), IID_IPropertyNotifySink, &sink);
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    const unique_bstr format(SysAllocString(L"0.0"));
    control->put_Format(format.get());
    control->put_Locked(VARIANT_TRUE);
    EXPECT_EQ((std::vector<DISPID>{0x68030008, 0x68030003}), sink.m_Changed);
    EXPECT_EQ(S_OK, persist->IsDirty());
    Ref<IStream> stream = SaveToStream(control.get());
    EXPECT_EQ(S_FALSE, persist->IsDirty());
}

TEST_F(ContainerTest, SettingsRoundTripThroughABagAndAStream) {
    Ref<_Quillomet> original = Create();
    const unique_bstr format(SysAllocString(L"#,##0.000"));
    original->put_Format(format.get());
    SetValue(original.get(), -12.5);
    original->put_BackColor(0x00112233);
    original->put_UpDownIncrement(7);
    original->put_Calculator(VARIANT_FALSE);

    MemoryBag bag;
    Ref<IPersistPropertyBag> saver;
    original->QueryInterface(IID_IPersistPropertyBag, saver.put_void());
    ASSERT_HRESULT_SUCCEEDED(saver->Save(&bag, TRUE, TRUE));
    EXPECT_EQ(5u, bag.m_Values.size()); // only what differs from the defaults

    Ref<IStream> stream = SaveToStream(original.get());

    for (int kind = 0; kind < 2; ++kind) {
        Ref<_Quillomet> copy = Create();
        if (kind == 0) {
            Ref<IPersistPropertyBag> loader;
            copy->QueryInterface(IID_IPersistPropertyBag, loader.put_void());
            ASSERT_HRESULT_SUCCEEDED(loader->Load(&bag, nullptr));
        } else {
            Ref<IPersistStreamInit> loader;
            copy->QueryInterface(IID_IPersistStreamInit, loader.put_void());
            ASSERT_HRESULT_SUCCEEDED(loader->Load(stream.get()));
        }
        EXPECT_EQ(L"#,##0.000", FormatOf(copy.get())) << kind;
        EXPECT_EQ(-12.5, ValueOf(copy.get())) << kind;
        OLE_COLOR colour = 0;
        copy->get_BackColor(&colour);
        EXPECT_EQ(0x00112233u, colour) << kind;
        short increment = 0;
        copy->get_UpDownIncrement(&increment);
        EXPECT_EQ(7, increment) << kind;
        VARIANT_BOOL calculator = VARIANT_TRUE;
        copy->get_Calculator(&calculator);
        EXPECT_EQ(VARIANT_FALSE, calculator) << kind;
    }
}

TEST_F(ContainerTest, ChangedFontIsStoredThroughItsOwnPersistence) {
    Ref<_Quillomet> original = Create();
    Ref<IFontDisp> fontDisp;
    original->get_Font(fontDisp.put());
    ASSERT_NE(nullptr, fontDisp.get());
    Ref<IFont> font;
    fontDisp->QueryInterface(IID_IFont, font.put_void());
    font->put_Bold(TRUE);
    Ref<IStream> stream = SaveToStream(original.get());
    Ref<_Quillomet> copy = Create();
    Ref<IPersistStreamInit> loader;
    copy->QueryInterface(IID_IPersistStreamInit, loader.put_void());
    ASSERT_HRESULT_SUCCEEDED(loader->Load(stream.get()));
    Ref<IFontDisp> copiedDisp;
    copy->get_Font(copiedDisp.put());
    Ref<IFont> copied;
    copiedDisp->QueryInterface(IID_IFont, copied.put_void());
    BOOL bold = FALSE;
    copied->get_Bold(&bold);
    EXPECT_TRUE(bold);
}

std::vector<unsigned char> Header(unsigned magic, unsigned short version, unsigned length) {
    std::vector<unsigned char> bytes(10);
    memcpy(bytes.data(), &magic, 4);
    memcpy(bytes.data() + 4, &version, 2);
    memcpy(bytes.data() + 6, &length, 4);
    return bytes;
}

// An entry of the stream format: key length and key, type, then `payload`
// as the type has it (a length first for texts and objects).
void AppendRawEntry(std::vector<unsigned char>& bytes, const std::wstring& key, VARTYPE type,
                    const std::vector<unsigned char>& payload) {
    const auto append = [&](const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), p, p + size);
    };
    const unsigned short keyLength = static_cast<unsigned short>(key.size());
    append(&keyLength, 2);
    append(key.data(), key.size() * 2);
    append(&type, 2);
    append(payload.data(), payload.size());
}

void AppendEntry(std::vector<unsigned char>& bytes, const std::wstring& key, VARTYPE type,
                 const std::wstring& text) {
    const unsigned length = static_cast<unsigned>(text.size() * 2);
    std::vector<unsigned char> payload(4 + length);
    memcpy(payload.data(), &length, 4);
    memcpy(payload.data() + 4, text.data(), length);
    AppendRawEntry(bytes, key, type, payload);
}

std::vector<unsigned char> Stream(const std::vector<unsigned char>& entries) {
    std::vector<unsigned char> bytes = Header(0x544D4C51, 1, static_cast<unsigned>(entries.size()));
    bytes.insert(bytes.end(), entries.begin(), entries.end());
    return bytes;
}

// An object entry naming a class: its length, then the class identifier.
std::vector<unsigned char> ObjectOfClass(REFCLSID clsid) {
    std::vector<unsigned char> payload(4 + sizeof(CLSID));
    const unsigned length = sizeof(CLSID);
    memcpy(payload.data(), &length, 4);
    memcpy(payload.data() + 4, &clsid, sizeof(CLSID));
    return payload;
}

std::wstring ErrorDescription() {
    Ref<IErrorInfo> info;
    std::wstring text;
    if (GetErrorInfo(0, info.put()) == S_OK) {
        unique_bstr description;
        info->GetDescription(description.put());
        text = description ? description.get() : L"";
    }
    return text;
}

// A stream that is not ours, or is cut short, fails and leaves a control
// initialised as new.
TEST_F(ContainerTest, CorruptStreamsFailAndLeaveANewControl) {
    constexpr unsigned Magic = 0x544D4C51;
    std::vector<unsigned char> goodEntry;
    AppendEntry(goodEntry, L"Format", VT_BSTR, L"0.0");
    std::vector<unsigned char> cutEntry = Header(Magic, 1, static_cast<unsigned>(goodEntry.size()));
    cutEntry.insert(cutEntry.end(), goodEntry.begin(), goodEntry.end() - 3);
    std::vector<unsigned char> unknownType = Header(Magic, 1, 10);
    unknownType.insert(unknownType.end(), {1, 0, 'A', 0, 0x11, 0x20, 0, 0, 0, 0});

    const std::vector<std::vector<unsigned char>> corrupt = {
        {},                           // empty
        {0x51, 0x4C},                 // a header cut short
        Header(0x12345678, 1, 0),     // not ours
        Header(Magic, 2, 0),          // a version we do not know
        Header(Magic, 1, 100),        // longer than what follows
        Header(Magic, 1, 0xFFFFFFF0), // an impossible length
        cutEntry,                     // an entry cut short
        unknownType,                  // a kind of value we do not store
    };
    for (std::size_t row = 0; row < corrupt.size(); ++row) {
        Ref<_Quillomet> control = Create();
        SetValue(control.get(), 3);
        EXPECT_TRUE(FAILED(LoadFromBytes(control.get(), corrupt[row]))) << row;
        EXPECT_EQ(L"###,##0.00;(##,###.00)", FormatOf(control.get())) << row;
        EXPECT_EQ(0.0, ValueOf(control.get())) << row;
    }
}

// A readable stream with a value that cannot be converted: every other
// setting applies and the error is returned.
TEST_F(ContainerTest, UnconvertibleStoredValueKeepsTheOtherSettings) {
    std::vector<unsigned char> entries;
    AppendEntry(entries, L"Format", VT_BSTR, L"#0.0");
    AppendEntry(entries, L"Calculator", VT_BSTR, L"maybe");
    AppendEntry(entries, L"Value", VT_BSTR, L"12.25");
    std::vector<unsigned char> bytes = Header(0x544D4C51, 1, static_cast<unsigned>(entries.size()));
    bytes.insert(bytes.end(), entries.begin(), entries.end());
    Ref<_Quillomet> control = Create();
    EXPECT_EQ(static_cast<HRESULT>(0x800A000D), LoadFromBytes(control.get(), bytes));
    EXPECT_EQ(L"#0.0", FormatOf(control.get()));
    EXPECT_EQ(12.2, ValueOf(control.get()));
    VARIANT_BOOL calculator = VARIANT_FALSE;
    control->get_Calculator(&calculator);
    EXPECT_EQ(VARIANT_TRUE, calculator);
}

// Stored objects: only the font, only of the standard font class. Any
// other is a damaged setting: its default, the other settings load, and
// Load reports it. A damaged entry keeps what came before it.
TEST_F(ContainerTest, DamagedStreamsKeepWhatCameBeforeAndCreateNothing) {
    std::vector<unsigned char> fontOfOurClass; // 42 bytes that once crashed the host
    AppendRawEntry(fontOfOurClass, L"Font", VT_UNKNOWN, ObjectOfClass(CLSID_Quillomet));
    std::vector<unsigned char> valueObject;
    AppendEntry(valueObject, L"Format", VT_BSTR, L"0.0");
    AppendRawEntry(valueObject, L"Value", VT_UNKNOWN, ObjectOfClass(CLSID_StdFont));
    std::vector<unsigned char> unknownAfterGood;
    AppendEntry(unknownAfterGood, L"Format", VT_BSTR, L"0.0");
    AppendRawEntry(unknownAfterGood, L"Value", 0x2011, {1, 2, 3, 4});
    std::vector<unsigned char> hugeText;
    AppendEntry(hugeText, L"Format", VT_BSTR, L"0.0");
    AppendRawEntry(hugeText, L"Value", VT_BSTR, {0xFF, 0xFF, 0xFF, 0xFF, '1', 0});
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
        const wchar_t* format;
        const wchar_t* description; // what the error says, in part
    } rows[] = {
        {"a font of another class", Stream(fontOfOurClass), L"###,##0.00;(##,###.00)", L"Font"},
        {"an object as the value", Stream(valueObject), L"0.0", L"Value"},
        {"an unknown type after a good entry", Stream(unknownAfterGood), L"0.0", L"unknown kind"},
        {"a text longer than the stream", Stream(hugeText), L"0.0", L"damaged"},
    };
    ASSERT_EQ(42u, rows[0].bytes.size());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Ref<_Quillomet> control = Create();
        SetValue(control.get(), 3);
        EXPECT_TRUE(FAILED(LoadFromBytes(control.get(), row.bytes)));
        const std::wstring description = ErrorDescription();
        EXPECT_NE(std::wstring::npos, description.find(row.description)) << description;
        EXPECT_EQ(std::wstring::npos, description.find(L"vector")) << description;
        EXPECT_EQ(row.format, FormatOf(control.get()));
        EXPECT_EQ(0.0, ValueOf(control.get()));
    }
}

// A new control is dirty whichever way it was initialised, so that a host
// that saves only the dirty ones keeps it; a save that clears the flag
// cleans it, and a clean control still writes its whole state.
TEST_F(ContainerTest, NewControlsAreDirtyUntilSaved) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way == 0 ? "stream" : way == 1 ? "bag" : "storage");
        Ref<_Quillomet> control = Create();
        const Persistence kept(control.get());
        IPersistStreamInit* persist = kept.stream.get();
        Ref<IStorage> store;
        ASSERT_HRESULT_SUCCEEDED(StgCreateDocfile(
            nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
            store.put()));
        EXPECT_EQ(S_OK, way == 0   ? persist->InitNew()
                        : way == 1 ? kept.bag->InitNew()
                                   : kept.storage->InitNew(store.get()));
        EXPECT_EQ(S_OK, persist->IsDirty());
        const auto bytesOf = [](IStream* stream) {
            HGLOBAL memory = nullptr;
            GetHGlobalFromStream(stream, &memory);
            STATSTG stat{};
            stream->Stat(&stat, STATFLAG_NONAME);
            const auto* data = static_cast<const char*>(GlobalLock(memory));
            std::string bytes(data, static_cast<std::size_t>(stat.cbSize.QuadPart));
            GlobalUnlock(memory);
            return bytes;
        };
        Ref<IStream> whileDirty, whileClean;
        CreateStreamOnHGlobal(nullptr, TRUE, whileDirty.put());
        CreateStreamOnHGlobal(nullptr, TRUE, whileClean.put());
        EXPECT_EQ(S_OK, persist->Save(whileDirty.get(), FALSE));
        EXPECT_EQ(S_OK, persist->IsDirty());
        if (way == 2) { // a storage is clean once the container's commit is done
            EXPECT_EQ(S_OK, kept.storage->Save(store.get(), TRUE));
            EXPECT_EQ(S_OK, persist->IsDirty());
            EXPECT_EQ(S_OK, kept.storage->SaveCompleted(nullptr));
        } else {
            Ref<IStream> cleaning;
            CreateStreamOnHGlobal(nullptr, TRUE, cleaning.put());
            EXPECT_EQ(S_OK, persist->Save(cleaning.get(), TRUE));
        }
        EXPECT_EQ(S_FALSE, persist->IsDirty());
        EXPECT_EQ(S_OK, persist->Save(whileClean.get(), FALSE));
        EXPECT_EQ(bytesOf(whileDirty.get()), bytesOf(whileClean.get()));
    }
}

// Loading makes the control clean; a loaded control is no new one, but a
// designer may load it again.
TEST_F(ContainerTest, LoadIsCleanAndInitNewAfterLoadFails) {
    Ref<_Quillomet> saved = Create();
    SetValue(saved.get(), 8);
    Ref<IStream> stream = SaveToStream(saved.get());
    Ref<_Quillomet> control = Create();
    const Persistence kept(control.get());
    IPersistStreamInit* persist = kept.stream.get();
    IPersistPropertyBag* bag = kept.bag.get();
    IPersistStorage* storage = kept.storage.get();
    EXPECT_EQ(S_OK, persist->InitNew());
    EXPECT_EQ(S_OK, persist->IsDirty()); // a new control is a change to save
    EXPECT_EQ(S_OK, persist->Load(stream.get()));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    EXPECT_EQ(8.0, ValueOf(control.get()));
    EXPECT_EQ(E_UNEXPECTED, persist->InitNew());
    EXPECT_EQ(E_UNEXPECTED, bag->InitNew());
    Ref<IStorage> store;
    ASSERT_HRESULT_SUCCEEDED(StgCreateDocfile(
        nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
        store.put()));
    EXPECT_EQ(CO_E_ALREADYINITIALIZED, storage->InitNew(store.get()));
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(S_OK, persist->Load(stream.get())); // loading again is allowed
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    SetValue(control.get(), 9);
    EXPECT_EQ(S_OK, persist->IsDirty());

    // A load that failed leaves a new control, which may be initialised.
    Ref<_Quillomet> failed = Create();
    EXPECT_TRUE(FAILED(LoadFromBytes(failed.get(), Header(0x12345678, 1, 0))));
    Ref<IPersistStreamInit> again;
    failed->QueryInterface(IID_IPersistStreamInit, again.put_void());
    EXPECT_EQ(S_OK, again->InitNew());
}

// An automation object whose default value is a text, a number, the object
// itself, or another object (whose default value is itself).
class DefaultValued final : public quillomet::testing::PlainDispatch {
public:
    enum class Kind { Text, Number, Itself, Object };
    explicit DefaultValued(Kind kind) : PlainDispatch(IID_IDispatch), m_Kind(kind) {}
    explicit DefaultValued(const wchar_t* text)
        : PlainDispatch(IID_IDispatch), m_Kind(Kind::Text), m_Text(text) {}
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (id != DISPID_VALUE || !result)
            return DISP_E_MEMBERNOTFOUND;
        static DefaultValued other(Kind::Itself);
        switch (m_Kind) {
        case Kind::Text:
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(m_Text);
            break;
        case Kind::Number:
            V_VT(result) = VT_R8;
            V_R8(result) = 12.5;
            break;
        case Kind::Itself:
        case Kind::Object:
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = m_Kind == Kind::Itself ? this : &other;
            break;
        }
        return S_OK;
    }

private:
    Kind m_Kind;
    const wchar_t* m_Text = nullptr;
};

// An object for a typed property is taken by its default value, one level
// deep; one that is its own default value is a type mismatch, not a stack
// overflow. The caller's arguments are byte for byte as they were.
TEST_F(ContainerTest, DispatchArgumentsAreReadNeverChanged) {
    DefaultValued itself(DefaultValued::Kind::Itself), picture(L"0.0");
    Ref<_Quillomet> control = Create();
    const auto put = [&](DISPID id, VARIANT& argument) {
        VARIANT before = argument;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&argument, &named, 1, 1};
        const HRESULT hr = control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr,
                                           nullptr, nullptr);
        EXPECT_EQ(0, memcmp(&before, &argument, sizeof(VARIANT)));
        return hr;
    };
    VARIANT object;
    VariantInit(&object);
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = &itself;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, put(0x68030008, object)); // Format
    EXPECT_EQ(DISP_E_TYPEMISMATCH, put(0x68030007, object)); // Enabled
    EXPECT_EQ(DISP_E_TYPEMISMATCH, put(0x6803000C, object)); // UpDownIncrement
    EXPECT_EQ(DISP_E_TYPEMISMATCH, put(0x68030005, object)); // BackColor
    EXPECT_EQ(L"###,##0.00;(##,###.00)", FormatOf(control.get()));
    V_DISPATCH(&object) = &picture;
    EXPECT_EQ(S_OK, put(0x68030008, object));
    EXPECT_EQ(L"0.0", FormatOf(control.get()));

    // The font by reference: Nothing, or an object by reference, is refused
    // and the caller's argument left as it was.
    VARIANT nothing;
    VariantInit(&nothing);
    V_VT(&nothing) = VT_DISPATCH;
    V_DISPATCH(&nothing) = nullptr;
    IDispatch* referencedObject = &picture;
    VARIANT objectByReference;
    VariantInit(&objectByReference);
    V_VT(&objectByReference) = VT_DISPATCH | VT_BYREF;
    V_DISPATCHREF(&objectByReference) = &referencedObject;
    for (VARIANT* argument : {&nothing, &objectByReference}) {
        const VARIANT before = *argument;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{argument, &named, 1, 1};
        EXPECT_TRUE(FAILED(control->Invoke(0x68030000, IID_NULL, 0, DISPATCH_PROPERTYPUTREF,
                                           &params, nullptr, nullptr, nullptr)));
        EXPECT_EQ(0, memcmp(&before, argument, sizeof(VARIANT)));
    }
    EXPECT_EQ(&picture, referencedObject);

    LONG colour = static_cast<LONG>(0x80000005);
    VARIANT byReference;
    VariantInit(&byReference);
    V_VT(&byReference) = VT_I4 | VT_BYREF;
    V_I4REF(&byReference) = &colour;
    EXPECT_EQ(S_OK, put(0x68030005, byReference));
    VARIANT plain;
    VariantInit(&plain);
    V_VT(&plain) = VT_I4;
    V_I4(&plain) = 0x00FF00;
    EXPECT_EQ(S_OK, put(0x68030004, plain));
    OLE_COLOR back = 0, fore = 0;
    control->get_BackColor(&back);
    control->get_ForeColor(&fore);
    EXPECT_EQ(0x80000005u, back);
    EXPECT_EQ(0x00FF00u, fore);
}

// Every property put through IDispatch with every kind of argument a host
// or a document can send: each call ends (no crash, no hang), the caller's
// argument is byte for byte as it was, a refused put leaves the property as
// it was and says why, and the property still reads afterwards.
TEST_F(ContainerTest, BadArgumentsLeaveThePropertyAndTheArgumentAlone) {
    DefaultValued number(DefaultValued::Kind::Number), itself(DefaultValued::Kind::Itself),
        object(DefaultValued::Kind::Object);
    double referenced = 3.5;
    const unique_bstr referencedTextOwned(SysAllocString(L"4.5"));
    BSTR referencedText = referencedTextOwned.get(); // passed by reference: must stay the same
    std::wstring megabyte(1 << 19, L'7');
    const unique_bstr huge(SysAllocStringLen(megabyte.data(), static_cast<UINT>(megabyte.size())));
    const unique_bstr digits(SysAllocString(std::wstring(400, L'9').c_str()));
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 3);

    std::vector<std::pair<const char*, VARIANT>> arguments;
    const auto add = [&](const char* name, VARTYPE type, auto set) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = type;
        set(v);
        arguments.emplace_back(name, v);
    };
    add("Empty", VT_EMPTY, [](VARIANT&) {});
    add("Null", VT_NULL, [](VARIANT&) {});
    add("Nothing", VT_DISPATCH, [](VARIANT& v) { V_DISPATCH(&v) = nullptr; });
    add("object worth 12.5", VT_DISPATCH, [&](VARIANT& v) { V_DISPATCH(&v) = &number; });
    add("object that is itself", VT_DISPATCH, [&](VARIANT& v) { V_DISPATCH(&v) = &itself; });
    add("object worth an object", VT_DISPATCH, [&](VARIANT& v) { V_DISPATCH(&v) = &object; });
    add("array", VT_ARRAY | VT_I4, [&](VARIANT& v) { V_ARRAY(&v) = array; });
    add("double by reference", VT_R8 | VT_BYREF, [&](VARIANT& v) { V_R8REF(&v) = &referenced; });
    add("text by reference", VT_BSTR | VT_BYREF,
        [&](VARIANT& v) { V_BSTRREF(&v) = &referencedText; });
    add("1 MB text", VT_BSTR, [&](VARIANT& v) { V_BSTR(&v) = huge.get(); });
    add("400 digits", VT_BSTR, [&](VARIANT& v) { V_BSTR(&v) = digits.get(); });
    add("NaN", VT_R8, [](VARIANT& v) { V_R8(&v) = std::numeric_limits<double>::quiet_NaN(); });
    add("infinity", VT_R8, [](VARIANT& v) { V_R8(&v) = std::numeric_limits<double>::infinity(); });
    add("-infinity", VT_R8,
        [](VARIANT& v) { V_R8(&v) = -std::numeric_limits<double>::infinity(); });
    add("1e308", VT_R8, [](VARIANT& v) { V_R8(&v) = 1e308; });
    add("date", VT_DATE, [](VARIANT& v) { V_DATE(&v) = 45000.5; });
    add("VT_I8 max", VT_I8, [](VARIANT& v) { V_I8(&v) = std::numeric_limits<LONGLONG>::max(); });
    add("VT_UI4 max", VT_UI4, [](VARIANT& v) { V_UI4(&v) = 0xFFFFFFFFu; });
    add("decimal", VT_DECIMAL, [](VARIANT& v) {
        V_DECIMAL(&v).Lo64 = 12345;
        V_DECIMAL(&v).scale = 2;
        V_VT(&v) = VT_DECIMAL;
    });
    add("missing argument", VT_ERROR, [](VARIANT& v) { V_ERROR(&v) = DISP_E_PARAMNOTFOUND; });

    // The outcome of each cell, one character per argument above, in order:
    //   .  taken                       N  invalid use of Null (94)
    //   P  invalid procedure call (5)  T  type mismatch (13)
    //   O  overflow (6)                t  DISP_E_TYPEMISMATCH
    //   ?  the system's own conversion decides: taken, or a DISP_E_ error
    // The number-bearing properties take what is a number (a date as its
    // serial number, a decimal, a 32-bit unsigned) and refuse the rest with
    // the control's own error; a typed property refuses an object whose
    // default value is an object, and a picture longer than 32767.
    constexpr const char* Numbers = ".NP.TTT..OOOOOO.O..T";
    constexpr const char* Typed = ".??.tt?..???????????";
    const struct {
        const char* name;
        DISPID id;
        const char* outcomes;
    } properties[] = {
        {"value", DISPID_VALUE, Numbers},       {"MaxValue", 0x6803000B, Numbers},
        {"MinValue", 0x6803000A, Numbers},      {"Format", 0x68030008, ".??.tt?..O??????????"},
        {"Enabled", 0x68030007, Typed},         {"Locked", 0x68030003, Typed},
        {"PositiveOnly", 0x68030006, Typed},    {"UseMaxMinValues", 0x68030009, Typed},
        {"UpDownIncrement", 0x6803000C, Typed}, {"UpDownFunction", 0x6803000D, Typed},
        {"Calculator", 0x6803000E, Typed},      {"BackColor", 0x68030005, Typed},
        {"ForeColor", 0x68030004, Typed},
    };
    const auto matches = [](char outcome, HRESULT hr, SCODE scode) {
        const HRESULT control = hr == DISP_E_EXCEPTION ? scode : hr;
        switch (outcome) {
        case '.':
            return hr == S_OK;
        case 'N':
            return control == static_cast<HRESULT>(0x800A005E);
        case 'P':
            return control == static_cast<HRESULT>(0x800A0005);
        case 'T':
            return control == static_cast<HRESULT>(0x800A000D);
        case 'O':
            return control == static_cast<HRESULT>(0x800A0006);
        case 't':
            return hr == DISP_E_TYPEMISMATCH;
        default:
            return hr == S_OK || HRESULT_FACILITY(hr) == FACILITY_DISPATCH;
        }
    };
    Ref<_Quillomet> control = Create();
    const auto read = [&](DISPID id) {
        unique_variant value;
        DISPPARAMS none{};
        EXPECT_EQ(S_OK, control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.put(),
                                        nullptr, nullptr));
        unique_variant text;
        VariantChangeType(text.put(), value.get(), 0, VT_BSTR);
        std::wstring shown =
            V_VT(text.get()) == VT_BSTR && V_BSTR(text.get()) ? V_BSTR(text.get()) : L"?";
        return shown;
    };
    for (const auto& [property, id, outcomes] : properties) {
        ASSERT_EQ(arguments.size(), std::string_view(outcomes).size()) << property;
        for (std::size_t cell = 0; cell < arguments.size(); ++cell) {
            auto& [name, argument] = arguments[cell];
            SCOPED_TRACE(::testing::Message() << property << " = " << name);
            const std::wstring before = read(id);
            const VARIANT copy = argument;
            const double referencedBefore = referenced;
            const BSTR referencedTextBefore = referencedText;
            DISPID named = DISPID_PROPERTYPUT;
            DISPPARAMS params{&argument, &named, 1, 1};
            EXCEPINFO exception{};
            const HRESULT hr = control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params,
                                               nullptr, &exception, nullptr);
            const unique_bstr source(exception.bstrSource), helpFile(exception.bstrHelpFile),
                description(exception.bstrDescription);
            EXPECT_TRUE(matches(outcomes[cell], hr, exception.scode))
                << "expected " << outcomes[cell] << ", got " << std::hex << hr << " "
                << exception.scode;
            EXPECT_EQ(0, memcmp(&copy, &argument, sizeof(VARIANT))) << "the argument changed";
            EXPECT_EQ(referencedBefore, referenced);
            EXPECT_EQ(referencedTextBefore, referencedText);
            if (FAILED(hr)) {
                EXPECT_EQ(before, read(id)) << "a refused put changed the property";
                EXPECT_TRUE(hr != DISP_E_EXCEPTION ||
                            (exception.bstrDescription && *exception.bstrDescription))
                    << "an error without a description";
            } else {
                read(id);
            }
        }
    }
    SafeArrayDestroy(array);
}

// A Change handler that releases the host's last reference: the write that
// raised it finishes without touching a released control.
TEST_F(ContainerTest, HandlerReleasingTheLastReferenceEndsTheCallSafely) {
    class Releasing final : public quillomet::testing::PlainDispatch {
    public:
        Releasing() : PlainDispatch(DIID___Quillomet) {}
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
            return E_NOTIMPL;
        }
        STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                            UINT*) override {
            if (id == 1 && m_Control) // Change: the release under test
                std::exchange(m_Control, nullptr)->Release();
            return S_OK;
        }
        _Quillomet* m_Control = nullptr;
    };
    Releasing sink;
    _Quillomet* control = Create().detach(); // the reference the handler lets go
    Advise(control, DIID___Quillomet, &sink);
    sink.m_Control = control;
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_R8;
    V_R8(&value) = 5000;
    EXPECT_EQ(S_OK, control->put_value(value));
    EXPECT_EQ(nullptr, sink.m_Control);
    m_Factory.reset();
    EXPECT_EQ(S_OK, m_CanUnload()); // the control is gone
}

TEST_F(ContainerTest, ErrorsCarryTheirSourceThroughDispatch) {
    Ref<_Quillomet> control = Create();
    VARIANT argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_NULL;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    EXCEPINFO exception{};
    const HRESULT hr = control->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params,
                                       nullptr, &exception, nullptr);
    const unique_bstr source(exception.bstrSource), description(exception.bstrDescription),
        helpFile(exception.bstrHelpFile);
    EXPECT_EQ(DISP_E_EXCEPTION, hr);
    EXPECT_EQ(static_cast<HRESULT>(0x800A005E), exception.scode);
    EXPECT_STREQ(L"Quillomet", exception.bstrSource);
}

TEST_F(ContainerTest, HwndStaysTheSameWindow) {
    Ref<_Quillomet> control = Create();
    LONG before = 0, after = 0;
    control->get_hwnd(&before);
    SetValue(control.get(), 4);
    control->put_Calculator(VARIANT_FALSE);
    Ref<IStream> stream = SaveToStream(control.get());
    Ref<IPersistStreamInit> loader;
    control->QueryInterface(IID_IPersistStreamInit, loader.put_void());
    loader->Load(stream.get());
    control->get_hwnd(&after);
    EXPECT_EQ(before, after);
    EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(after))));
}

TEST_F(ContainerTest, LibraryUnloadsOnlyWhenNothingIsAlive) {
    for (int cycle = 0; cycle < 5; ++cycle) {
        Ref<_Quillomet> control = Create();
        SetValue(control.get(), cycle);
        EXPECT_EQ(S_FALSE, m_CanUnload());
    }
    m_Factory->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, m_CanUnload());
    m_Factory->LockServer(FALSE);
    m_Factory.reset();
    EXPECT_EQ(S_OK, m_CanUnload());
}

TEST_F(ContainerTest, SettingsRoundTripThroughAStorage) {
    Ref<_Quillomet> original = Create();
    SetValue(original.get(), 77.5);
    Ref<ILockBytes> bytes;
    ASSERT_HRESULT_SUCCEEDED(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()));
    Ref<IStorage> storage;
    ASSERT_HRESULT_SUCCEEDED(StgCreateDocfileOnILockBytes(
        bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.put()));
    Ref<IPersistStorage> saver;
    original->QueryInterface(IID_IPersistStorage, saver.put_void());
    ASSERT_HRESULT_SUCCEEDED(saver->Save(storage.get(), FALSE));
    ASSERT_HRESULT_SUCCEEDED(saver->SaveCompleted(nullptr));
    Ref<_Quillomet> copy = Create();
    Ref<IPersistStorage> loader;
    copy->QueryInterface(IID_IPersistStorage, loader.put_void());
    ASSERT_HRESULT_SUCCEEDED(loader->Load(storage.get()));
    EXPECT_EQ(77.5, ValueOf(copy.get()));
}

// What hosts read from the file without running it.
TEST_F(ContainerTest, ResourcesAndVersionInformation) {
    struct Resource {
        LPCWSTR type;
        LPCWSTR name;
    };
    const auto size = [&](LPCWSTR type, LPCWSTR name) -> DWORD {
        HRSRC found = FindResourceW(m_Library, name, type);
        return found ? SizeofResource(m_Library, found) : 0;
    };
    const auto data = [&](LPCWSTR type, LPCWSTR name) {
        return static_cast<const unsigned char*>(
            LockResource(LoadResource(m_Library, FindResourceW(m_Library, name, type))));
    };
    EXPECT_GT(size(L"TYPELIB", MAKEINTRESOURCEW(1)), 6000u);
    const struct {
        LPCWSTR type;
        const GUID* iid;
    } identifiers[] = {{L"_IID_QUILLOMET", &IID__Quillomet},
                       {L"_SRCIID_QUILLOMET", &DIID___Quillomet}};
    for (const auto& row : identifiers) {
        ASSERT_EQ(20u, size(row.type, MAKEINTRESOURCEW(1)));
        const unsigned char* bytes = data(row.type, MAKEINTRESOURCEW(1));
        DWORD length = 0;
        memcpy(&length, bytes, 4);
        EXPECT_EQ(16u, length);
        EXPECT_EQ(0, memcmp(bytes + 4, row.iid, 16));
    }
    ASSERT_EQ(40u + 720u, size(RT_BITMAP, MAKEINTRESOURCEW(30000)));
    const auto* toolbox =
        reinterpret_cast<const BITMAPINFOHEADER*>(data(RT_BITMAP, MAKEINTRESOURCEW(30000)));
    EXPECT_EQ(16, toolbox->biWidth);
    EXPECT_EQ(15, toolbox->biHeight);
    EXPECT_EQ(24, toolbox->biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), toolbox->biCompression);

    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(m_Library, path, MAX_PATH);
    std::vector<unsigned char> version(GetFileVersionInfoSizeW(path, nullptr));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(version.size()), version.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(
        VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(MAKELONG(4, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(5, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"CompanyName", L"n/a"},        {L"ProductName", L"Quillomet"},
        {L"FileVersion", L"1.04.0005"},  {L"ProductVersion", L"1.04.0005"},
        {L"InternalName", L"Quillomet"}, {L"OriginalFilename", L"Quillomet.ocx"},
        {L"OLESelfRegister", L""},
    };
    for (const auto& row : strings) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + row.name;
        wchar_t* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(
            VerQueryValueW(version.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            << row.name;
        EXPECT_STREQ(row.value, length ? value : L"") << row.name;
    }
    DWORD* translation = nullptr;
    UINT translationSize = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &translationSize));
    EXPECT_EQ(MAKELONG(0x0409, 0x04B0), *translation);
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "container_test");
}
