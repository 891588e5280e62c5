// Several user-interface threads at once, each with a form of its own,
// making controls, typing into them and reading their values back. Under
// Wine 8 two threads that shape text in a font for the first time at once
// can corrupt the system's shared shaping data (README: Known limits under
// Wine); the control must never be the one that does. With --plain-edit the
// same rounds run with the system's own EDIT in place of the control, made
// with its text before its font as such fields often are: what that shows
// is the system's alone.
#include "control_cycle.h"
#include "test_main.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

using quillomet::testing::Pump;
using quillomet::testing::Ref;

std::string g_OcxPath;
bool g_PlainEdit = false;
// A control's stored settings, made before the threads start.
std::vector<BYTE> g_Stored;
constexpr double StoredValue = 7.25;

constexpr int Threads = 4;
constexpr int Rounds = 150;
constexpr DWORD WaitLimit = 120000; // a thread caught in a corrupted list never ends

struct Typist {
    IClassFactory* factory;
    HANDLE go; // set once every thread is ready, so that they start together
    int rounds = 0;
    int wrong = 0;

    static DWORD WINAPI Run(void* argument) {
        auto& self = *static_cast<Typist*>(argument);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // A form that draws no text of its own.
        const HWND form = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100,
                                          nullptr, nullptr, nullptr, nullptr);
        WaitForSingleObject(self.go, INFINITE);
        for (int round = 0; round < Rounds; ++round) {
            self.wrong +=
                (g_PlainEdit ? self.PlainEditRound(form) : self.ControlRound(form)) ? 0 : 1;
            ++self.rounds;
        }
        DestroyWindow(form);
        Pump();
        CoUninitialize();
        return 0;
    }

    static void Type(HWND field) {
        for (const char typed : {'1', '2', '.', '5'})
            SendMessageW(field, WM_CHAR, static_cast<WPARAM>(typed), 0);
    }

    // A new control typed into, and one loaded with a stored value, whose
    // field is made with its text.
    bool ControlRound(HWND form) const {
        using namespace quillomet::testing::detail;
        quillomet::testing::Site newSite(form), loadedSite(form);
        Ref<_Quillomet> typed, loaded;
        Ref<IOleObject> typedOle, loadedOle;
        Ref<IStream> stored;
        bool right = Place(factory, newSite, form, nullptr, typed, typedOle);
        if (right) {
            Type(FieldWindow(typed.get()));
            right = ValueOf(typed.get()) == 12.5;
        }
        right = right && SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stored.put())) &&
                SUCCEEDED(
                    stored->Write(g_Stored.data(), static_cast<ULONG>(g_Stored.size()), nullptr)) &&
                Place(factory, loadedSite, form, stored.get(), loaded, loadedOle) &&
                ValueOf(loaded.get()) == StoredValue;
        Unplace(loadedOle);
        Unplace(typedOle);
        typed.reset();
        loaded.reset();
        Pump();
        return right;
    }

    static bool PlainEditRound(HWND form) {
        const HFONT font = CreateFontW(
            -11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
        const HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"0.00",
                                          WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 116, 20,
                                          form, nullptr, nullptr, nullptr);
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SetWindowTextW(edit, L"");
        Type(edit);
        wchar_t text[16] = {};
        GetWindowTextW(edit, text, 16);
        DestroyWindow(edit);
        DeleteObject(font);
        Pump();
        return std::wcscmp(text, L"12.5") == 0;
    }
};

std::vector<BYTE> StoredSettings(IClassFactory* factory) {
    Ref<_Quillomet> control;
    Ref<IPersistStreamInit> persist;
    Ref<IStream> stream;
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_R8;
    V_R8(&value) = StoredValue;
    HGLOBAL memory = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID__Quillomet, control.put_void())) ||
        FAILED(control->QueryInterface(IID_IPersistStreamInit, persist.put_void())) ||
        FAILED(persist->InitNew()) || FAILED(control->put_value(value)) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
        FAILED(persist->Save(stream.get(), TRUE)) ||
        FAILED(GetHGlobalFromStream(stream.get(), &memory)))
        return {};
    ULARGE_INTEGER size{};
    const LARGE_INTEGER none{};
    stream->Seek(none, STREAM_SEEK_CUR, &size);
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(memory));
    std::vector<BYTE> stored(bytes, bytes + size.QuadPart);
    GlobalUnlock(memory);
    return stored;
}

TEST(TypingThreadsTest, SeveralUserInterfaceThreadsTypeAtOnce) {
    quillomet::testing::Library library;
    ASSERT_TRUE(library.Load(g_OcxPath));
    Ref<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(
        library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void()));
    g_Stored = StoredSettings(factory.get());
    ASSERT_FALSE(g_Stored.empty());
    const HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<Typist> typists(Threads, Typist{factory.get(), go});
    std::vector<HANDLE> threads;
    for (Typist& typist : typists)
        threads.push_back(CreateThread(nullptr, 0, &Typist::Run, &typist, 0, nullptr));
    SetEvent(go);
    if (WaitForMultipleObjects(Threads, threads.data(), TRUE, WaitLimit) != WAIT_OBJECT_0) {
        // Nothing safe to go on with: the threads hold this test's objects.
        std::fprintf(stderr, "a typing thread never ended\n");
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    for (HANDLE thread : threads)
        CloseHandle(thread);
    CloseHandle(go);
    for (const Typist& typist : typists) {
        EXPECT_EQ(Rounds, typist.rounds);
        EXPECT_EQ(0, typist.wrong);
    }
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--plain-edit") == 0)
            g_PlainEdit = true;
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "typing_threads_test");
}
