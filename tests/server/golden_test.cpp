// Stored documents outlive the code that wrote them: settings saved by the
// control (a stream, a storage's Contents stream, a property bag) are kept
// in tests/server/golden, and the control must still write exactly those
// bytes, and load each file to a state that saves the same bytes again.
//
// With QUILLOMET_WRITE_GOLDEN set, the test writes the files instead; that
// is done once, by the control whose documents are to be kept.
// QUILLOMET_DOCUMENTS_DIR (a Unix path) names another folder to read or
// write: documents saved by the library of the other architecture.
#include "com_test_support.h"
#include "test_main.h"
#include "win32com/unique_bstr.h"
#include "win32com/unique_variant.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using quillomet::com::unique_bstr;
using quillomet::com::unique_variant;
using quillomet::testing::Ref;

std::string g_OcxPath;
std::string g_GoldenDir;

using Bytes = std::vector<unsigned char>;

// A host's property bag that keeps what is written in order, and prints
// it as lines a person can read and a test can compare: name, variant
// type, value. A font is written as its attributes.
class OrderedBag final : public IPropertyBag {
public:
    std::vector<std::pair<std::wstring, unique_variant>> m_Values;
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IPropertyBag ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        for (auto& [key, stored] : m_Values)
            if (key == name)
                return VariantCopy(value, stored.get());
        return E_INVALIDARG;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        unique_variant copy;
        const HRESULT hr = VariantCopy(copy.put(), value);
        if (SUCCEEDED(hr))
            m_Values.emplace_back(name, std::move(copy));
        return hr;
    }

    std::string Text() const;
    // The bag a text of Text() describes.
    static bool Parse(const std::string& text, OrderedBag& bag);
};

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::string FontText(IUnknown* object) {
    Ref<IFont> font;
    if (!object || FAILED(object->QueryInterface(IID_IFont, font.put_void())))
        return "not a font";
    unique_bstr name;
    CY size{};
    SHORT weight = 0, charset = 0;
    BOOL italic = FALSE, underline = FALSE, strike = FALSE;
    font->get_Name(name.put());
    font->get_Size(&size);
    font->get_Weight(&weight);
    font->get_Charset(&charset);
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    font->get_Strikethrough(&strike);
    std::ostringstream out;
    out << Narrow(name ? name.get() : L"") << '|' << size.int64 << '|' << weight << '|' << charset
        << '|' << (italic ? 1 : 0) << (underline ? 1 : 0) << (strike ? 1 : 0);
    return out.str();
}

std::string OrderedBag::Text() const {
    std::ostringstream out;
    for (const auto& [name, owned] : m_Values) {
        const VARIANT& value = *owned;
        out << Narrow(name) << '\t' << V_VT(&value) << '\t';
        if (V_VT(&value) == VT_UNKNOWN || V_VT(&value) == VT_DISPATCH) {
            out << FontText(V_UNKNOWN(&value));
        } else if (V_VT(&value) == VT_BOOL) {
            out << (V_BOOL(&value) ? -1 : 0);
        } else {
            unique_variant text;
            VariantChangeTypeEx(text.get(), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0,
                                VT_BSTR);
            out << Narrow(V_VT(text.get()) == VT_BSTR ? V_BSTR(text.get()) : L"?");
        }
        out << '\n';
    }
    return out.str();
}

bool OrderedBag::Parse(const std::string& text, OrderedBag& bag) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto first = line.find('\t');
        const auto second = line.find('\t', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            return false;
        const std::wstring name = Widen(line.substr(0, first));
        const auto type = static_cast<VARTYPE>(std::stoi(line.substr(first + 1, second - first)));
        const std::string written = line.substr(second + 1);
        unique_variant value;
        if (type == VT_UNKNOWN || type == VT_DISPATCH) {
            std::istringstream parts(written);
            std::string fontName, size, weight, charset, styles;
            std::getline(parts, fontName, '|');
            std::getline(parts, size, '|');
            std::getline(parts, weight, '|');
            std::getline(parts, charset, '|');
            std::getline(parts, styles, '|');
            const std::wstring wideName = Widen(fontName);
            FONTDESC description{sizeof description};
            description.lpstrName = const_cast<LPOLESTR>(wideName.c_str());
            description.cySize.int64 = std::stoll(size);
            description.sWeight = static_cast<SHORT>(std::stoi(weight));
            description.sCharset = static_cast<SHORT>(std::stoi(charset));
            description.fItalic = styles.size() == 3 && styles[0] == '1';
            description.fUnderline = styles.size() == 3 && styles[1] == '1';
            description.fStrikethrough = styles.size() == 3 && styles[2] == '1';
            V_VT(value.get()) = type;
            if (FAILED(OleCreateFontIndirect(&description,
                                             type == VT_DISPATCH ? IID_IDispatch : IID_IUnknown,
                                             reinterpret_cast<void**>(&V_UNKNOWN(value.get())))))
                return false;
        } else if (type == VT_BOOL) {
            V_VT(value.get()) = VT_BOOL;
            V_BOOL(value.get()) = written == "0" ? VARIANT_FALSE : VARIANT_TRUE;
        } else {
            unique_variant source;
            V_VT(source.get()) = VT_BSTR;
            V_BSTR(source.get()) = SysAllocString(Widen(written).c_str());
            if (FAILED(VariantChangeTypeEx(value.get(), source.get(), LOCALE_INVARIANT, 0, type)))
                return false;
        }
        if (FAILED(bag.Write(name.c_str(), value.get())))
            return false;
    }
    return true;
}

VARIANT Number(double number) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_R8;
    V_R8(&v) = number;
    return v;
}

// One stored document: the settings a host gave the control, in order.
struct Document {
    const char* name;
    std::vector<std::pair<const wchar_t*, VARIANT>> settings;
};

void Put(IDispatch* control, const wchar_t* name, VARIANT& value) {
    DISPID dispid = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    ASSERT_HRESULT_SUCCEEDED(
        control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid))
        << Narrow(name);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS arguments{&value, &named, 1, 1};
    const WORD how = V_VT(&value) == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    ASSERT_HRESULT_SUCCEEDED(control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, how, &arguments,
                                             nullptr, nullptr, nullptr))
        << Narrow(name);
}

// A golden file's bytes; a file that cannot be opened fails the test (an
// empty one is a legitimate empty bag).
Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << "cannot read " << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Bytes StreamBytes(IStream* stream) {
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    Bytes bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (!bytes.empty())
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    return bytes;
}

void StreamOf(const Bytes& bytes, Ref<IStream>& stream) {
    CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    ULONG written = 0;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
}

class GoldenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Library.Load(g_OcxPath)) << g_OcxPath;
        ASSERT_HRESULT_SUCCEEDED(
            m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, m_Factory.put_void()));
    }

    void NewControl(Ref<IDispatch>& control) {
        EXPECT_HRESULT_SUCCEEDED(
            m_Factory->CreateInstance(nullptr, IID_IDispatch, control.put_void()));
    }

    static Bytes SaveStream(IDispatch* control) {
        Ref<IPersistStreamInit> persist;
        control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        Ref<IStream> stream;
        CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
        EXPECT_HRESULT_SUCCEEDED(persist->Save(stream.get(), TRUE));
        return StreamBytes(stream.get());
    }
    // The Contents stream of a storage the control saved itself into.
    static Bytes SaveStorage(IDispatch* control) {
        Ref<IPersistStorage> persist;
        control->QueryInterface(IID_IPersistStorage, persist.put_void());
        Ref<ILockBytes> bytes;
        CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put());
        Ref<IStorage> storage;
        StgCreateDocfileOnILockBytes(
            bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.put());
        EXPECT_HRESULT_SUCCEEDED(persist->Save(storage.get(), FALSE));
        persist->SaveCompleted(nullptr);
        Ref<IStream> contents;
        EXPECT_HRESULT_SUCCEEDED(storage->OpenStream(
            L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.put()));
        return contents.get() ? StreamBytes(contents.get()) : Bytes{};
    }
    static std::string SaveBag(IDispatch* control) {
        Ref<IPersistPropertyBag> persist;
        control->QueryInterface(IID_IPersistPropertyBag, persist.put_void());
        OrderedBag bag;
        EXPECT_HRESULT_SUCCEEDED(persist->Save(&bag, TRUE, TRUE));
        return bag.Text();
    }

    // What a new control loaded with `bytes` saves.
    Bytes ResaveStream(const Bytes& bytes) {
        Ref<IDispatch> control;
        NewControl(control);
        Ref<IPersistStreamInit> persist;
        control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        Ref<IStream> stream;
        StreamOf(bytes, stream);
        EXPECT_HRESULT_SUCCEEDED(persist->Load(stream.get()));
        return SaveStream(control.get());
    }
    Bytes ResaveStorage(const Bytes& contentsBytes) {
        Ref<IDispatch> control;
        NewControl(control);
        Ref<ILockBytes> bytes;
        CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put());
        Ref<IStorage> storage;
        StgCreateDocfileOnILockBytes(
            bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.put());
        Ref<IStream> contents;
        storage->CreateStream(L"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                              contents.put());
        ULONG written = 0;
        contents->Write(contentsBytes.data(), static_cast<ULONG>(contentsBytes.size()), &written);
        contents.reset();
        Ref<IPersistStorage> persist;
        control->QueryInterface(IID_IPersistStorage, persist.put_void());
        EXPECT_HRESULT_SUCCEEDED(persist->Load(storage.get()));
        return SaveStorage(control.get());
    }
    std::string ResaveBag(const std::string& text) {
        Ref<IDispatch> control;
        NewControl(control);
        OrderedBag bag;
        EXPECT_TRUE(OrderedBag::Parse(text, bag));
        Ref<IPersistPropertyBag> persist;
        control->QueryInterface(IID_IPersistPropertyBag, persist.put_void());
        EXPECT_HRESULT_SUCCEEDED(persist->Load(&bag, nullptr));
        return SaveBag(control.get());
    }

    quillomet::testing::Library m_Library;
    Ref<IClassFactory> m_Factory;
};

// The documents kept: a new control's, one with every setting chosen (a
// font among them), and one at the edge of what a value may hold.
std::vector<Document> Documents() {
    auto text = [](const wchar_t* s) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(s);
        return v;
    };
    auto boolean = [](bool b) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    };
    auto integer = [](LONG i) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_I4;
        V_I4(&v) = i;
        return v;
    };
    auto font = [] {
        FONTDESC description{sizeof description};
        // Wine names a font by the face it realises, so the name must be one
        // the machine has: ./dev setup installs it.
        description.lpstrName = const_cast<LPOLESTR>(L"DejaVu Sans");
        description.cySize.int64 = 120000;
        description.sWeight = FW_BOLD;
        description.sCharset = ANSI_CHARSET;
        description.fItalic = TRUE;
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_DISPATCH;
        OleCreateFontIndirect(&description, IID_IDispatch,
                              reinterpret_cast<void**>(&V_DISPATCH(&v)));
        return v;
    };
    return {
        {"default", {}},
        {"chosen",
         {{L"Format", text(L"#,##0.000;(#,##0.000)")},
          {L"MaxValue", Number(5000)},
          {L"MinValue", Number(-250.5)},
          {L"UseMaxMinValues", boolean(true)},
          {L"value", Number(1234.5)},
          {L"PositiveOnly", boolean(false)},
          {L"BackColor", integer(0x00C0FFFF)},
          {L"ForeColor", integer(0x00800000)},
          {L"Calculator", boolean(false)},
          {L"UpDownFunction", boolean(true)},
          {L"UpDownIncrement", integer(5)},
          {L"Font", font()},
          {L"Locked", boolean(true)},
          {L"Enabled", boolean(false)}}},
        {"edge",
         {{L"Format", text(L"0")},
          {L"PositiveOnly", boolean(true)},
          {L"value", Number(999999999999999.0)}}},
    };
}

TEST_F(GoldenTest, StoredDocumentsSaveAndLoadAsTheyAlwaysHave) {
    const bool write = std::getenv("QUILLOMET_WRITE_GOLDEN") != nullptr;
    for (Document& document : Documents()) {
        SCOPED_TRACE(document.name);
        const std::string base = g_GoldenDir + "\\" + document.name;
        Ref<IDispatch> control;
        NewControl(control);
        Ref<IPersistStreamInit> init;
        control->QueryInterface(IID_IPersistStreamInit, init.put_void());
        ASSERT_HRESULT_SUCCEEDED(init->InitNew());
        for (auto& [name, value] : document.settings) {
            unique_variant owned(std::move(value));
            Put(control.get(), name, *owned);
        }
        const Bytes stream = SaveStream(control.get());
        const Bytes contents = SaveStorage(control.get());
        const std::string bag = SaveBag(control.get());
        if (write) {
            ASSERT_TRUE(WriteBytes(base + ".stream", stream));
            ASSERT_TRUE(WriteBytes(base + ".contents", contents));
            ASSERT_TRUE(WriteBytes(base + ".bag", Bytes(bag.begin(), bag.end())));
            continue;
        }
        const Bytes goldenStream = ReadBytes(base + ".stream");
        const Bytes goldenContents = ReadBytes(base + ".contents");
        const Bytes goldenBagBytes = ReadBytes(base + ".bag");
        const std::string goldenBag(goldenBagBytes.begin(), goldenBagBytes.end());
        // A bag holds only what differs from a new control's settings.
        ASSERT_FALSE(goldenStream.empty()) << base << ".stream";

        // Written today as they were written then.
        EXPECT_EQ(goldenStream, stream);
        EXPECT_EQ(goldenContents, contents);
        EXPECT_EQ(goldenBag, bag);
        // Read back to a state that writes them again.
        EXPECT_EQ(goldenStream, ResaveStream(goldenStream));
        EXPECT_EQ(goldenContents, ResaveStorage(goldenContents));
        EXPECT_EQ(goldenBag, ResaveBag(goldenBag));
    }
    if (write)
        GTEST_SKIP() << "golden files written, nothing compared";
}

} // namespace

int main(int argc, char** argv) {
    const char* documents = std::getenv("QUILLOMET_DOCUMENTS_DIR");
    g_GoldenDir = quillomet::testing::WindowsPath(documents ? documents : QUILLOMET_GOLDEN_DIR);
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "golden_test");
}
