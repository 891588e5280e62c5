// Registration-free activation: in a prefix where nothing is registered,
// the control is known only inside an activation context made from the
// manifest the build writes beside the library. Created there by its class
// and by its ProgID, it is placed on a form, typed into, read through
// IDispatch and heard through its events; outside the context the same
// lookups fail. Run in a fresh prefix of its own (tools/wine/prefix.sh).
//   regfree_test PATH-TO-Quillomet.ocx PATH-TO-Quillomet.manifest
#include "server/class_facts.h"
#include "test_site.h"
#include "win32com/unique_any.h"
#include "win32com/unique_variant.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace facts = quillomet::class_facts;
using quillomet::com::unique_any;
using quillomet::com::unique_variant;
using quillomet::testing::EventCounter;
using quillomet::testing::FieldOf;
using quillomet::testing::Pump;
using quillomet::testing::Ref;
using quillomet::testing::Site;
using quillomet::testing::WindowsPath;

std::string g_OcxPath;
std::string g_ManifestPath;

// The automation marshaller, which the manifest names for both interfaces.
constexpr CLSID AutomationMarshaller = {
    0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr DISPID KeyPressEvent = 5;
constexpr DISPID ChangeEvent = 1;
// The assembly of a library must be of the architecture of the process
// that loads it.
constexpr const char* ProcessArchitecture = sizeof(void*) == 8 ? "amd64" : "x86";

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\'));
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The value of attribute `name` in the first element `element` of `xml`.
std::string AttributeOf(const std::string& xml, const std::string& element,
                        const std::string& name) {
    const std::size_t start = xml.find("<" + element + " ");
    const std::size_t end = xml.find("/>", start);
    const std::size_t at = xml.find(" " + name + "=\"", start);
    if (start == std::string::npos || at == std::string::npos || at > end)
        return {};
    const std::size_t value = at + name.size() + 3;
    return xml.substr(value, xml.find('"', value) - value);
}

void DeactivateContext(ULONG_PTR cookie) {
    DeactivateActCtx(0, cookie);
}
using unique_actctx = unique_any<HANDLE, &ReleaseActCtx>;
using unique_activation = unique_any<ULONG_PTR, &DeactivateContext>;
using unique_window = unique_any<HWND, &DestroyWindow>;

// How a host comes to the manifest.
enum class Route {
    // It passes the library's own manifest to CreateActCtxW.
    AssemblyManifest,
    // Its application manifest names the assembly by its identity; the
    // system looks for it in the application's folder, here the library's.
    ApplicationManifest,
};

const char* NameOf(Route route) {
    return route == Route::AssemblyManifest ? "AssemblyManifest" : "ApplicationManifest";
}
void PrintTo(Route route, std::ostream* out) {
    *out << NameOf(route);
}

// An application manifest that depends on the library's assembly, written
// to the temporary folder: the identity is copied from the library's
// manifest, which is what a host's author would do.
std::string WriteApplicationManifest() {
    const std::string library = ReadText(g_ManifestPath);
    std::string identity = library.substr(library.find("<assemblyIdentity "));
    identity = identity.substr(0, identity.find("/>") + 2);
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "regfree_host.manifest";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        << "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
        << "  <assemblyIdentity type=\"win32\" name=\"RegFreeHost\" version=\"1.0.0.0\""
        << " processorArchitecture=\"" << ProcessArchitecture << "\"/>\n"
        << "  <dependency><dependentAssembly>" << identity << "</dependentAssembly></dependency>\n"
        << "</assembly>\n";
    return path;
}

// An activation context made and activated for the lifetime of this object.
class ActiveContext {
public:
    explicit ActiveContext(Route route) {
        ACTCTXW description{};
        description.cbSize = sizeof description;
        const std::wstring manifest =
            Wide(route == Route::AssemblyManifest ? g_ManifestPath : WriteApplicationManifest());
        const std::wstring folder = Wide(FolderOf(g_ManifestPath));
        description.lpSource = manifest.c_str();
        if (route == Route::ApplicationManifest) {
            description.dwFlags = ACTCTX_FLAG_APPLICATION_NAME_VALID;
            description.lpApplicationName = folder.c_str();
        }
        const HANDLE context = CreateActCtxW(&description);
        if (context == INVALID_HANDLE_VALUE) {
            m_Error = GetLastError();
            return;
        }
        m_Context.reset(context);
        ULONG_PTR cookie = 0;
        if (!ActivateActCtx(m_Context.get(), &cookie))
            m_Error = GetLastError();
        m_Cookie.reset(cookie);
    }
    bool Active() const { return static_cast<bool>(m_Cookie); }
    DWORD Error() const { return m_Error; }
    void Deactivate() { m_Cookie.reset(); }

private:
    unique_actctx m_Context;
    // Declared after the context, so deactivated before it is released.
    unique_activation m_Cookie;
    DWORD m_Error = 0;
};

// One lookup of the system's, which the manifest alone must answer.
struct Lookup {
    const char* what;
    HRESULT (*run)();
};

HRESULT CreateByClass() {
    Ref<IUnknown> object;
    return CoCreateInstance(CLSID_Quillomet, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                            object.put_void());
}

HRESULT ClassOfProgId() {
    CLSID clsid{};
    return CLSIDFromProgID(Wide(facts::ProgId).c_str(), &clsid);
}

HRESULT LoadTypeLibrary() {
    Ref<ITypeLib> library;
    const HRESULT hr = LoadRegTypeLib(LIBID_Ordinalex, facts::TypeLibMajor, facts::TypeLibMinor,
                                      facts::TypeLibLocale, library.put());
    if (FAILED(hr))
        return hr;
    TLIBATTR* attributes = nullptr;
    library->GetLibAttr(&attributes);
    const bool same = attributes->guid == LIBID_Ordinalex;
    library->ReleaseTLibAttr(attributes);
    return same ? S_OK : E_UNEXPECTED;
}

template <const IID& Iid>
HRESULT MarshallerOf() {
    CLSID marshaller{};
    const HRESULT hr = CoGetPSClsid(Iid, &marshaller);
    return FAILED(hr) ? hr : marshaller == AutomationMarshaller ? S_OK : E_UNEXPECTED;
}

HRESULT MiscStatus() {
    DWORD status = 0;
    const HRESULT hr = OleRegGetMiscStatus(CLSID_Quillomet, DVASPECT_CONTENT, &status);
    return FAILED(hr) ? hr : status == facts::MiscStatus ? S_OK : E_UNEXPECTED;
}

const Lookup Lookups[] = {
    {"CoCreateInstance by CLSID", &CreateByClass},
    {"CLSIDFromProgID", &ClassOfProgId},
    {"LoadRegTypeLib", &LoadTypeLibrary},
    {"CoGetPSClsid of _Quillomet", &MarshallerOf<IID__Quillomet>},
    {"CoGetPSClsid of __Quillomet", &MarshallerOf<DIID___Quillomet>},
    {"OleRegGetMiscStatus", &MiscStatus},
};

// The prefix is fresh: without a context nothing of the control is known.
TEST(RegFree, WithoutTheManifestTheSystemKnowsNothingOfTheControl) {
    for (const Lookup& lookup : Lookups)
        EXPECT_NE(S_OK, lookup.run()) << lookup.what;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CreateByClass());
}

class RegFreeRoute : public ::testing::TestWithParam<Route> {};

// Inside the context the manifest answers every lookup: the class, its
// ProgID, the type library, the marshaller of each interface and the
// miscellaneous status by the names the manifest gives its bits. Once the
// context is gone, so is the class.
TEST_P(RegFreeRoute, TheManifestAnswersEveryLookup) {
    ActiveContext context(GetParam());
    ASSERT_TRUE(context.Active()) << "error " << context.Error();
    for (const Lookup& lookup : Lookups)
        EXPECT_EQ(S_OK, lookup.run()) << lookup.what;
    context.Deactivate();
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CreateByClass());
}

INSTANTIATE_TEST_SUITE_P(Routes, RegFreeRoute,
                         ::testing::Values(Route::AssemblyManifest, Route::ApplicationManifest),
                         [](const auto& test) { return std::string(NameOf(test.param)); });

// A 64-bit process binds only an amd64 assembly, a 32-bit one only x86;
// Wine does not hold a host to that, so the manifest is read here.
TEST(RegFree, TheAssemblyIsOfThisProcessArchitecture) {
    EXPECT_EQ(ProcessArchitecture,
              AttributeOf(ReadText(g_ManifestPath), "assemblyIdentity", "processorArchitecture"));
}

// How the host asks for the control.
enum class Creation { ByClass, ByProgId };

struct Placement {
    Route route;
    Creation creation;
};
std::string NameOf(const Placement& placement) {
    return std::string(NameOf(placement.route)) +
           (placement.creation == Creation::ByClass ? "ByClass" : "ByProgId");
}
void PrintTo(const Placement& placement, std::ostream* out) {
    *out << NameOf(placement);
}

// Runs the message loop until `done` holds; false if it never does.
template <typename Done>
bool PumpUntil(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
    return true;
}

class RegFreeControl : public ::testing::TestWithParam<Placement> {
protected:
    void SetUp() override {
        m_Form.reset(CreateWindowExW(0, L"STATIC", L"Registration-free form",
                                     WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 30, 30,
                                     420, 160, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(m_Form);
        SetForegroundWindow(m_Form.get());
        m_Site = std::make_unique<Site>(m_Form.get());
        m_Site->m_Position = {10, 10, 10 + 160, 10 + 22};
    }
    void TearDown() override {
        if (m_Point)
            m_Point->Unadvise(m_Cookie);
        m_Point.reset();
        if (m_Ole) {
            m_Ole->Close(OLECLOSE_NOSAVE);
            m_Ole->SetClientSite(nullptr);
        }
        m_Ole.reset();
        m_Control.reset();
        m_Form.reset();
        Pump();
    }

    // Created, sited, placed on the form and listened to, all inside the
    // context, as a host that keeps its controls' manifest to itself does.
    void Place(const Placement& placement) {
        ActiveContext context(placement.route);
        ASSERT_TRUE(context.Active()) << "error " << context.Error();
        CLSID clsid = CLSID_Quillomet;
        // Inside a context the ProgID may lead to a class identifier of the
        // context's own; the object it creates tells its class below.
        if (placement.creation == Creation::ByProgId) {
            ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(Wide(facts::ProgId).c_str(), &clsid));
        }
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID__Quillomet, m_Control.put_void()));
        CLSID created{};
        ASSERT_HRESULT_SUCCEEDED(m_Control.try_as<IPersist>()->GetClassID(&created));
        EXPECT_EQ(CLSID_Quillomet, created);
        m_Ole = m_Control.try_as<IOleObject>();
        ASSERT_TRUE(m_Ole);
        ASSERT_HRESULT_SUCCEEDED(m_Ole->SetClientSite(m_Site.get()));
        ASSERT_HRESULT_SUCCEEDED(m_Control.try_as<IPersistStreamInit>()->InitNew());
        ASSERT_HRESULT_SUCCEEDED(m_Ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_Site.get(), 0,
                                               m_Form.get(), &m_Site->m_Position));
        ASSERT_HRESULT_SUCCEEDED(m_Control.try_as<IConnectionPointContainer>()->FindConnectionPoint(
            DIID___Quillomet, m_Point.put()));
        ASSERT_HRESULT_SUCCEEDED(m_Point->Advise(&m_Sink, &m_Cookie));
        Pump();
    }

    // The value as a script reads it: by name, through IDispatch.
    double ValueByName() {
        Ref<IDispatch> dispatch = m_Control.try_as<IDispatch>();
        LPOLESTR name = const_cast<LPOLESTR>(L"value");
        DISPID id = DISPID_UNKNOWN;
        EXPECT_HRESULT_SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
        DISPPARAMS none{};
        unique_variant value;
        EXPECT_HRESULT_SUCCEEDED(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                                  value.put(), nullptr, nullptr));
        EXPECT_HRESULT_SUCCEEDED(VariantChangeType(value.get(), value.get(), 0, VT_R8));
        return V_R8(value.get());
    }

    unique_window m_Form;
    std::unique_ptr<Site> m_Site;
    EventCounter m_Sink;
    Ref<_Quillomet> m_Control;
    Ref<IOleObject> m_Ole;
    Ref<IConnectionPoint> m_Point;
    DWORD m_Cookie = 0;
};

TEST_P(RegFreeControl, TypedIntoReadAndHeard) {
    ASSERT_NO_FATAL_FAILURE(Place(GetParam()));
    const HWND field = FieldOf(m_Control.get());
    ASSERT_TRUE(IsWindow(field));
    SetFocus(field);
    Pump();
    const std::string typed = "12.5";
    for (const char c : typed)
        PostMessageW(field, WM_CHAR, static_cast<WPARAM>(c), 0);
    const auto keyPresses = [this] { return m_Sink.Count(KeyPressEvent); };
    ASSERT_TRUE(PumpUntil([&] {
        return keyPresses() == static_cast<int>(typed.size()) && m_Sink.Count(ChangeEvent) > 0;
    })) << keyPresses()
        << " key presses, " << m_Sink.Count(ChangeEvent) << " changes";
    std::string heard;
    for (std::size_t i = 0; i < m_Sink.m_Events.size(); ++i)
        if (m_Sink.m_Events[i] == KeyPressEvent)
            heard += static_cast<char>(V_I2(&m_Sink.m_Arguments[i][0]));
    EXPECT_EQ(typed, heard);
    EXPECT_EQ(12.5, ValueByName());
}

INSTANTIATE_TEST_SUITE_P(Placements, RegFreeControl,
                         ::testing::Values(Placement{Route::AssemblyManifest, Creation::ByClass},
                                           Placement{Route::AssemblyManifest, Creation::ByProgId},
                                           Placement{Route::ApplicationManifest, Creation::ByClass},
                                           Placement{Route::ApplicationManifest,
                                                     Creation::ByProgId}),
                         [](const auto& test) { return NameOf(test.param); });

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        fprintf(stderr, "usage: regfree_test PATH-TO-Quillomet.ocx PATH-TO-Quillomet.manifest\n");
        return 2;
    }
    g_OcxPath = WindowsPath(argv[1]);
    g_ManifestPath = WindowsPath(argv[2]);
    OleInitialize(nullptr);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
