// A form that hosts two Quillomet controls, built from the distribution's
// files alone: include/ordinalex.h and include/ordinalex_i.c describe the
// control, and Quillomet.ocx with its Quillomet.manifest sit beside this
// program. Nothing is registered: the control is found through an
// activation context made from the manifest.
//
// It places the controls with a small OLE container of its own, shows each
// control's value in a label whenever the control raises Change, sets values
// and types into one, then saves both controls' settings to one stream and
// loads them into two new controls. It prints every step, ends with
//   examples/host: N checks passed, M failed
// and exits with 0 only when nothing failed. It needs no input and closes
// its own window, so it runs unattended (under Xvfb, for one).
#include "ordinalex.h"

#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// --- Reporting ---------------------------------------------------------------

int g_Passed = 0;
int g_Failed = 0;

void Step(const char* what) {
    std::printf("- %s\n", what);
    std::fflush(stdout);
}

bool Check(bool ok, const std::wstring& what) {
    ++(ok ? g_Passed : g_Failed);
    std::printf("  %s %ls\n", ok ? "ok    " : "FAILED", what.c_str());
    std::fflush(stdout);
    return ok;
}

// Locale-free, as the control's own text is: "." is always the decimal point.
std::wstring NumberText(double number) {
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%.15g", number);
    return text;
}

// --- Small owners for BSTR and VARIANT -----------------------------------------

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : m_Value(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(m_Value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return m_Value; }
    BSTR* put() {
        SysFreeString(std::exchange(m_Value, nullptr));
        return &m_Value;
    }
    std::wstring str() const {
        return m_Value ? std::wstring(m_Value, SysStringLen(m_Value)) : L"";
    }

private:
    BSTR m_Value = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&m_Value); }
    explicit Variant(double number) : Variant() {
        V_VT(&m_Value) = VT_R8;
        V_R8(&m_Value) = number;
    }
    ~Variant() { VariantClear(&m_Value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    const VARIANT& get() const { return m_Value; }
    VARIANT* put() {
        VariantClear(&m_Value);
        return &m_Value;
    }
    // The number it holds (a number of any type, or a numeric text); NaN
    // when it holds none.
    double Number() {
        VARIANT number;
        VariantInit(&number);
        if (FAILED(VariantChangeType(&number, &m_Value, 0, VT_R8)))
            return std::numeric_limits<double>::quiet_NaN();
        return V_R8(&number);
    }

private:
    VARIANT m_Value;
};

// --- The environment: OLE, the activation context, the form ---------------------

// OLE for this thread, which in-place activation needs (COM alone is not
// enough). Every interface must be released before it ends.
class OleSession {
public:
    OleSession() : m_Result(OleInitialize(nullptr)) {}
    ~OleSession() {
        if (SUCCEEDED(m_Result))
            OleUninitialize();
    }
    HRESULT Result() const { return m_Result; }

private:
    HRESULT m_Result;
};

// While this object lives, the class, its ProgID and its type library are
// known to COM from the manifest, as if the control were registered.
class ActivationContext {
public:
    explicit ActivationContext(const std::wstring& manifest) {
        ACTCTXW description{};
        description.cbSize = sizeof description;
        description.lpSource = manifest.c_str();
        m_Context = CreateActCtxW(&description);
        if (m_Context != INVALID_HANDLE_VALUE && !ActivateActCtx(m_Context, &m_Cookie))
            m_Cookie = 0;
    }
    ~ActivationContext() {
        if (m_Cookie)
            DeactivateActCtx(0, m_Cookie);
        if (m_Context != INVALID_HANDLE_VALUE)
            ReleaseActCtx(m_Context);
    }
    ActivationContext(const ActivationContext&) = delete;
    ActivationContext& operator=(const ActivationContext&) = delete;

    bool Active() const { return m_Cookie != 0; }

private:
    HANDLE m_Context = INVALID_HANDLE_VALUE;
    ULONG_PTR m_Cookie = 0;
};

// The folder of this program, where the build put the control and its
// manifest.
std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// Runs the thread's messages until `done` holds or `milliseconds` pass;
// says whether `done` came true.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 10000) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done())
            return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
    }
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// --- The container -------------------------------------------------------------

// Reference counting shared by the two objects the host hands to a control.
template <typename Derived>
class RefCounted {
public:
    ULONG AddRefImpl() { return InterlockedIncrement(&m_References); }
    ULONG ReleaseImpl() {
        const ULONG left = InterlockedDecrement(&m_References);
        if (left == 0)
            delete static_cast<Derived*>(this);
        return left;
    }

private:
    LONG m_References = 1;
};

// The one way the host makes its COM objects: the reference that `new`
// starts with goes to the ComPtr.
template <typename T, typename... Arguments>
ComPtr<T> Make(Arguments&&... arguments) {
    ComPtr<T> object;
    object.Attach(new T(std::forward<Arguments>(arguments)...));
    return object;
}

// The host's side of one placed control. A control asks its client site
// for the in-place site; the in-place site gives it the window to live in,
// its rectangle and the frame. This host has no menus, toolbars or
// documents, so one object plays all three roles.
class Site final : public IOleClientSite,
                   public IOleInPlaceSite,
                   public IOleInPlaceFrame,
                   public RefCounted<Site> {
public:
    Site(HWND form, const RECT& position) : m_Form(form), m_Position(position) {}

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *object = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *object = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *object = static_cast<IOleInPlaceFrame*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }

    // IOleClientSite: the control is embedded, not linked, and this form
    // keeps no documents of its own.
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, for the in-place site and the frame alike
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = m_Form;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) override {
        *frame = this;
        AddRef();
        *document = nullptr; // no document window between the form and the control
        *position = m_Position;
        *clip = m_Position;
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = m_Form;
            info->haccel = nullptr; // no accelerators for the control to pass on
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    // The control keeps a minimum size and tells its site when it took a
    // rectangle other than the one it was given: the form accepts it.
    STDMETHODIMP OnPosRectChange(const RECT* position) override {
        m_Position = *position;
        return S_OK;
    }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: no toolbars, menus or
    // status bar to share with the control.
    STDMETHODIMP GetBorder(RECT*) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }

    const RECT& Position() const { return m_Position; }

private:
    HWND m_Form;
    RECT m_Position;
};

// Receives the control's events. __Quillomet is a dispinterface: the
// control calls Invoke with the event's number, so a sink needs no type
// information, only the numbers it cares about.
class EventSink final : public IDispatch, public RefCounted<EventSink> {
public:
    static constexpr DISPID Change = 1;

    explicit EventSink(std::function<void()> onChange) : m_OnChange(std::move(onChange)) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID___Quillomet)
            return E_NOINTERFACE;
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    // Events this host does not handle are accepted and ignored.
    STDMETHODIMP Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) noexcept override {
        // Nothing may leave a COM call: the control is calling from inside
        // its own work.
        try {
            if (event == Change)
                m_OnChange();
        } catch (...) {
        }
        return S_OK;
    }

private:
    std::function<void()> m_OnChange;
};

// One control on the form with its site, its event connection and the
// label beside it that shows its value.
class PlacedControl {
public:
    PlacedControl(HWND form, std::wstring name, const RECT& position, HWND label)
        : m_Form(form), m_Name(std::move(name)), m_Label(label),
          m_Site(Make<Site>(form, position)) {}
    ~PlacedControl() { Remove(); }
    PlacedControl(const PlacedControl&) = delete;
    PlacedControl& operator=(const PlacedControl&) = delete;

    // Creates the control and gives it its site. The control asks for its
    // site first (OLEMISC_SETCLIENTSITEFIRST), so the site comes before the
    // settings, which the caller gives next: InitNew, or Load.
    HRESULT Create() {
        HRESULT hr = CoCreateInstance(CLSID_Quillomet, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&m_Control));
        if (SUCCEEDED(hr))
            hr = m_Control.As(&m_Object);
        if (SUCCEEDED(hr))
            hr = m_Control.As(&m_Persist);
        if (SUCCEEDED(hr))
            hr = m_Object->SetClientSite(m_Site.Get());
        return hr;
    }

    // Connects the label to the control's Change event, then shows the
    // control in its place on the form.
    HRESULT Activate() {
        ComPtr<IConnectionPointContainer> points;
        HRESULT hr = m_Control.As(&points);
        if (SUCCEEDED(hr))
            hr = points->FindConnectionPoint(DIID___Quillomet, &m_Events);
        if (SUCCEEDED(hr))
            hr = m_Events->Advise(Make<EventSink>([this] { OnChange(); }).Get(), &m_Cookie);
        RECT position = m_Site->Position();
        if (SUCCEEDED(hr))
            hr = m_Object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_Site.Get(), 0, m_Form,
                                  &position);
        return hr;
    }

    // Takes the control off the form: events first, so that nothing calls
    // into a half-removed host, then the window, then the site.
    void Remove() {
        if (m_Events && m_Cookie)
            m_Events->Unadvise(m_Cookie);
        m_Events.Reset();
        m_Cookie = 0;
        if (m_Object) {
            m_Object->Close(OLECLOSE_NOSAVE);
            m_Object->SetClientSite(nullptr);
        }
        m_Object.Reset();
        m_Persist.Reset();
        m_Control.Reset();
    }

    _Quillomet* Control() const { return m_Control.Get(); }
    IPersistStreamInit* Persist() const { return m_Persist.Get(); }
    const std::wstring& Name() const { return m_Name; }
    int Changes() const { return m_Changes; }

    // The control's edit field, where the user types (the control's own
    // window is a composite around it).
    HWND Field() const {
        LONG handle = 0;
        m_Control->get_hwnd(&handle);
        return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
    }
    double Value() const {
        Variant value;
        m_Control->get_value(value.put());
        return value.Number();
    }
    std::wstring Label() const { return WindowText(m_Label); }
    std::wstring LabelFor(double value) const { return m_Name + L": " + NumberText(value); }

private:
    // The control raises Change when the number it shows changes, whether
    // a program set it or the user typed it.
    void OnChange() {
        ++m_Changes;
        SetWindowTextW(m_Label, LabelFor(Value()).c_str());
    }

    HWND m_Form;
    std::wstring m_Name;
    HWND m_Label;
    ComPtr<Site> m_Site;
    ComPtr<_Quillomet> m_Control;
    ComPtr<IOleObject> m_Object;
    ComPtr<IPersistStreamInit> m_Persist;
    ComPtr<IConnectionPoint> m_Events;
    DWORD m_Cookie = 0;
    int m_Changes = 0;
};

// --- The form ------------------------------------------------------------------

class Form {
public:
    Form() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = L"QuillometHostExample";
        RegisterClassExW(&windowClass);
        // WS_CLIPCHILDREN: the controls paint themselves.
        m_Window = CreateWindowExW(0, windowClass.lpszClassName, L"Quillomet host example",
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 420, 160, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
        ShowWindow(m_Window, SW_SHOW);
    }
    ~Form() {
        if (m_Window)
            DestroyWindow(m_Window);
    }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Window() const { return m_Window; }

    HWND AddLabel(int left, int top) const {
        HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, left, top, 220, 20,
                                     m_Window, nullptr, nullptr, nullptr);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     TRUE);
        return label;
    }

private:
    HWND m_Window = nullptr;
};

// Types `text` into a field as the keyboard would (the pump turns each
// posted character into the control's key handling), and waits for `done`.
bool Type(HWND field, const wchar_t* text, const std::function<bool()>& done) {
    SetFocus(field);
    for (const wchar_t* character = text; *character; ++character)
        PostMessageW(field, WM_CHAR, static_cast<WPARAM>(*character), 0);
    return PumpUntil(done);
}

// Where each control sits on the form and its label beside it.
constexpr RECT AmountPlace{12, 16, 172, 38};
constexpr RECT QuantityPlace{12, 56, 172, 78};
constexpr int LabelLeft = 186;

// --- The session -----------------------------------------------------------------

void Run() {
    Step("activation context from Quillomet.manifest beside the program");
    const std::wstring manifest = ProgramFolder() + L"Quillomet.manifest";
    ActivationContext context(manifest);
    if (!Check(context.Active(),
               L"the manifest makes the control known without registration: " + manifest))
        return;

    Step("two controls placed on a form, each with a label that follows its Change event");
    Form form;
    HWND amountLabel = form.AddLabel(LabelLeft, AmountPlace.top + 3);
    HWND quantityLabel = form.AddLabel(LabelLeft, QuantityPlace.top + 3);
    // Made after the form, so taken off it before its window goes.
    auto amount =
        std::make_unique<PlacedControl>(form.Window(), L"Amount", AmountPlace, amountLabel);
    auto quantity =
        std::make_unique<PlacedControl>(form.Window(), L"Quantity", QuantityPlace, quantityLabel);
    for (PlacedControl* control : {amount.get(), quantity.get()}) {
        HRESULT hr = control->Create();
        if (SUCCEEDED(hr))
            hr = control->Persist()->InitNew();
        if (SUCCEEDED(hr))
            hr = control->Activate();
        if (!Check(SUCCEEDED(hr) && IsChild(form.Window(), control->Field()),
                   control->Name() + L" is placed in-place: its field is a window of the form"))
            return;
    }

    Step("Amount: value set by the program, then a range");
    amount->Control()->put_value(Variant(1234.5).get());
    Check(amount->Changes() == 1 && amount->Label() == amount->LabelFor(1234.5),
          L"value = 1234.5 raised Change once; the label reads \"" + amount->Label() + L"\"");
    amount->Control()->put_MaxValue(Variant(5000).get());
    amount->Control()->put_UseMaxMinValues(VARIANT_TRUE);
    amount->Control()->put_value(Variant(9999).get());
    Check(amount->Value() == 5000 && amount->Label() == amount->LabelFor(5000),
          L"with MaxValue 5000 and UseMaxMinValues, value = 9999 is kept to " +
              NumberText(amount->Value()) + L"; the label reads \"" + amount->Label() + L"\"");

    Step("Quantity: a format of three decimals, no negatives, then typed into");
    quantity->Control()->put_Format(Bstr(L"#,##0.000").get());
    quantity->Control()->put_PositiveOnly(VARIANT_TRUE);
    const bool typed = Type(quantity->Field(), L"987.25",
                            [&] { return quantity->Label() == quantity->LabelFor(987.25); });
    Check(typed, L"typing 987.25 raised Change as it went; the label reads \"" + quantity->Label() +
                     L"\"");
    // Leaving the field: it shows the number in its display form.
    SetFocus(amount->Field());
    const bool shown = PumpUntil([&] { return WindowText(quantity->Field()) == L"987.250"; });
    Check(shown && quantity->Value() == 987.25,
          L"after the focus left it, the field shows \"" + WindowText(quantity->Field()) +
              L"\" and value is " + NumberText(quantity->Value()));

    Step("both controls' settings saved to one stream, as a form saves its controls");
    ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    for (PlacedControl* control : {amount.get(), quantity.get()})
        if (SUCCEEDED(hr))
            hr = control->Persist()->Save(stream.Get(), TRUE);
    ULARGE_INTEGER size{};
    if (SUCCEEDED(hr))
        hr = stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &size);
    if (!Check(SUCCEEDED(hr) && size.QuadPart > 0, L"IPersistStreamInit::Save of both wrote " +
                                                       std::to_wstring(size.QuadPart) + L" bytes"))
        return;
    amount.reset();
    quantity.reset();

    Step("two new controls loaded from the stream in the same order");
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    amount = std::make_unique<PlacedControl>(form.Window(), L"Amount", AmountPlace, amountLabel);
    quantity =
        std::make_unique<PlacedControl>(form.Window(), L"Quantity", QuantityPlace, quantityLabel);
    for (PlacedControl* control : {amount.get(), quantity.get()}) {
        hr = control->Create();
        if (SUCCEEDED(hr))
            hr = control->Persist()->Load(stream.Get());
        if (SUCCEEDED(hr))
            hr = control->Activate();
        if (!Check(SUCCEEDED(hr), control->Name() + L" loaded its settings and is placed"))
            return;
    }
    Variant maxValue;
    VARIANT_BOOL useRange = VARIANT_FALSE;
    amount->Control()->get_MaxValue(maxValue.put());
    amount->Control()->get_UseMaxMinValues(&useRange);
    Check(amount->Value() == 5000 && maxValue.Number() == 5000 && useRange == VARIANT_TRUE,
          L"Amount kept value " + NumberText(amount->Value()) + L", MaxValue " +
              NumberText(maxValue.Number()) + L", UseMaxMinValues " +
              (useRange ? L"true" : L"false"));
    Bstr format;
    VARIANT_BOOL positiveOnly = VARIANT_FALSE;
    quantity->Control()->get_Format(format.put());
    quantity->Control()->get_PositiveOnly(&positiveOnly);
    Check(quantity->Value() == 987.25 && format.str() == L"#,##0.000" &&
              positiveOnly == VARIANT_TRUE && WindowText(quantity->Field()) == L"987.250",
          L"Quantity kept value " + NumberText(quantity->Value()) + L", Format \"" + format.str() +
              L"\", PositiveOnly " + (positiveOnly ? L"true" : L"false") + L", shows \"" +
              WindowText(quantity->Field()) + L"\"");

    Step("the restored control raises Change to the label as the first one did");
    quantity->Control()->put_value(Variant(12).get());
    Check(quantity->Changes() == 1 && quantity->Label() == quantity->LabelFor(12),
          L"value = 12 raised Change once; the label reads \"" + quantity->Label() + L"\"");
}

} // namespace

int main() {
    std::printf("examples/host: %zu-bit host\n", sizeof(void*) * 8);
    {
        OleSession ole;
        if (Check(SUCCEEDED(ole.Result()), L"OLE initialised for this thread"))
            Run();
    }
    std::printf("examples/host: %d checks passed, %d failed\n", g_Passed, g_Failed);
    return g_Failed == 0 && g_Passed > 0 ? 0 : 1;
}
