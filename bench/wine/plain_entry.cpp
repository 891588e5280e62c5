// plain_entry.dll: the least an in-process server must do to be placed on
// a form as the control is. One class, PlainEntry, with a dual interface
// of one property (Text) answered through its own type library, loaded on
// first use; an embeddable object that a container can site, initialise,
// activate in place and close; placed, a window of its own holding one
// EDIT with the system's stock GUI font (no GDI object of its own).
//
// Built with the same toolchain, runtime and link options as the control,
// it is what the benchmarks hold the control's load time, memory and
// windows against.
#include "plain_entry.h"

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <new>

namespace {

HINSTANCE g_Module = nullptr;
std::atomic<long> g_Objects{0};
std::atomic<long> g_Locks{0};

constexpr wchar_t WindowClass[] = L"PlainEntryWindow";

void RegisterWindowClassOnce() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(g_Module, WindowClass, &existing))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = g_Module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = WindowClass;
    RegisterClassExW(&wc);
}

// The interface's type information, read from the library's own resources
// once, when a client first asks through IDispatch, and kept.
ITypeInfo* EntryTypeInfo() {
    static ITypeInfo* const info = [] {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(g_Module, path, MAX_PATH);
        ITypeLib* library = nullptr;
        ITypeInfo* found = nullptr;
        if (SUCCEEDED(LoadTypeLibEx(path, REGKIND_NONE, &library))) {
            library->GetTypeInfoOfGuid(IID_IPlainEntry, &found);
            library->Release();
        }
        return found;
    }();
    return info;
}

template <typename T>
void ReleaseAndClear(T*& pointer) {
    if (T* p = pointer) {
        pointer = nullptr;
        p->Release();
    }
}

class PlainEntry final : public IPlainEntry,
                         public IOleObject,
                         public IOleInPlaceObject,
                         public IPersistStreamInit {
public:
    PlainEntry() { ++g_Objects; }
    ~PlainEntry() {
        DestroyOwnWindow();
        ReleaseAndClear(m_Site);
        SysFreeString(m_Text);
        --g_Objects;
    }
    PlainEntry(const PlainEntry&) = delete;
    PlainEntry& operator=(const PlainEntry&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IPlainEntry)
            *object = static_cast<IPlainEntry*>(this);
        else if (iid == IID_IOleObject)
            *object = static_cast<IOleObject*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
            *object = static_cast<IOleInPlaceObject*>(this);
        else if (iid == IID_IPersist || iid == IID_IPersistStreamInit)
            *object = static_cast<IPersistStreamInit*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_References; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --m_References;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch, through the type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        if (!EntryTypeInfo())
            return TYPE_E_CANTLOADLIBRARY;
        *info = EntryTypeInfo();
        (*info)->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!EntryTypeInfo())
            return TYPE_E_CANTLOADLIBRARY;
        return DispGetIDsOfNames(EntryTypeInfo(), names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
        if (!EntryTypeInfo())
            return TYPE_E_CANTLOADLIBRARY;
        return DispInvoke(static_cast<IPlainEntry*>(this), EntryTypeInfo(), id, flags, parameters,
                          result, exception, argumentError);
    }

    // IPlainEntry: the field's text, or what it will show once placed
    STDMETHODIMP get_Text(BSTR* text) override {
        if (!text)
            return E_POINTER;
        if (m_Edit) {
            const int length = GetWindowTextLengthW(m_Edit);
            *text = SysAllocStringLen(nullptr, static_cast<UINT>(length));
            if (*text)
                GetWindowTextW(m_Edit, *text, length + 1);
        } else {
            *text = SysAllocStringLen(m_Text, SysStringLen(m_Text));
        }
        return *text ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP put_Text(BSTR text) override {
        BSTR copy = SysAllocStringLen(text, SysStringLen(text));
        if (!copy && text)
            return E_OUTOFMEMORY;
        SysFreeString(m_Text);
        m_Text = copy;
        if (m_Edit)
            SetWindowTextW(m_Edit, m_Text ? m_Text : L"");
        return S_OK;
    }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        if (site)
            site->AddRef();
        ReleaseAndClear(m_Site);
        m_Site = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override {
        if (!site)
            return E_POINTER;
        *site = m_Site;
        if (m_Site)
            m_Site->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override {
        AddRef(); // the site may release it when told
        InPlaceDeactivate();
        Release();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker)
            *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) override {
        if (data)
            *data = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) override {
        if (site && !m_Site)
            SetClientSite(site);
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
        case OLEIVERB_INPLACEACTIVATE:
            return ActivateInPlace();
        case OLEIVERB_HIDE:
            if (m_Window)
                ShowWindow(m_Window, SW_HIDE);
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override {
        if (verbs)
            *verbs = nullptr;
        return OLEOBJ_E_NOVERBS;
    }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR* type) override {
        if (type)
            *type = nullptr;
        return OLE_S_USEREG;
    }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
        if (!size)
            return E_POINTER;
        if (aspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        m_Extent = *size;
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override {
        if (!size)
            return E_POINTER;
        if (aspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        *size = m_Extent;
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink*, DWORD* connection) override {
        if (connection)
            *connection = 0;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override {
        if (advise)
            *advise = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        if (!status)
            return E_POINTER;
        *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                  OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window)
            return E_POINTER;
        *window = m_Window;
        return m_Window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override {
        if (!m_InPlaceActive)
            return S_OK;
        m_InPlaceActive = false;
        DestroyOwnWindow();
        if (IOleInPlaceSite* site = InPlaceSite()) {
            site->OnInPlaceDeactivate();
            site->Release();
        }
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT) override {
        if (!position)
            return E_POINTER;
        m_Position = *position;
        if (m_Window) {
            const int width = position->right - position->left;
            const int height = position->bottom - position->top;
            MoveWindow(m_Window, position->left, position->top, width, height, TRUE);
            MoveWindow(m_Edit, 0, 0, width, height, TRUE);
        }
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IPersistStreamInit: nothing to keep beyond the text, which is not kept
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        if (!clsid)
            return E_POINTER;
        *clsid = CLSID_PlainEntry;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream*) override { return S_OK; }
    STDMETHODIMP Save(IStream*, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
        if (!size)
            return E_POINTER;
        size->QuadPart = 0;
        return S_OK;
    }
    STDMETHODIMP InitNew() override { return S_OK; }

private:
    // The in-place site, with a reference the caller releases, or null.
    IOleInPlaceSite* InPlaceSite() const {
        IOleInPlaceSite* site = nullptr;
        if (m_Site)
            m_Site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site));
        return site;
    }

    HRESULT ActivateInPlace() {
        if (m_InPlaceActive)
            return S_OK;
        IOleInPlaceSite* site = InPlaceSite();
        if (!site)
            return E_UNEXPECTED;
        HRESULT hr = site->CanInPlaceActivate() == S_OK ? site->OnInPlaceActivate() : E_FAIL;
        HWND parent = nullptr;
        if (SUCCEEDED(hr))
            hr = site->GetWindow(&parent);
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* document = nullptr;
        RECT position{}, clip{};
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        if (SUCCEEDED(hr))
            hr = site->GetWindowContext(&frame, &document, &position, &clip, &frameInfo);
        ReleaseAndClear(frame);
        ReleaseAndClear(document);
        if (SUCCEEDED(hr) && !CreateOwnWindow(parent, position))
            hr = E_FAIL;
        if (SUCCEEDED(hr))
            m_InPlaceActive = true;
        else
            site->OnInPlaceDeactivate();
        site->Release();
        return hr;
    }

    bool CreateOwnWindow(HWND parent, const RECT& position) {
        RegisterWindowClassOnce();
        m_Position = position;
        const int width = position.right - position.left;
        const int height = position.bottom - position.top;
        m_Window = CreateWindowExW(WS_EX_CONTROLPARENT, WindowClass, nullptr, WS_CHILD | WS_VISIBLE,
                                   position.left, position.top, width, height, parent, nullptr,
                                   g_Module, nullptr);
        if (!m_Window)
            return false;
        m_Edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", m_Text ? m_Text : L"",
                                 WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, width, height,
                                 m_Window, nullptr, g_Module, nullptr);
        if (!m_Edit) {
            DestroyOwnWindow();
            return false;
        }
        SendMessageW(m_Edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
        return true;
    }

    // The text stays with the object when its window goes.
    void DestroyOwnWindow() {
        if (m_Edit) {
            BSTR text = nullptr;
            if (SUCCEEDED(get_Text(&text))) {
                SysFreeString(m_Text);
                m_Text = text;
            }
        }
        if (m_Window)
            DestroyWindow(m_Window);
        m_Window = nullptr;
        m_Edit = nullptr;
    }

    std::atomic<ULONG> m_References{1};
    IOleClientSite* m_Site = nullptr;
    HWND m_Window = nullptr;
    HWND m_Edit = nullptr;
    BSTR m_Text = nullptr;
    RECT m_Position{};
    SIZEL m_Extent{3069, 529}; // 116 by 20 pixels at 96 dots per inch
    bool m_InPlaceActive = false;
};

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* made = new (std::nothrow) PlainEntry();
        if (!made)
            return E_OUTOFMEMORY;
        const HRESULT hr = made->QueryInterface(iid, object);
        made->Release(); // the reference it was made with
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        g_Locks += lock ? 1 : -1;
        return S_OK;
    }
};

Factory g_Factory;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_Module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_PlainEntry)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_Factory.QueryInterface(iid, object);
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() {
    return g_Objects == 0 && g_Locks == 0 ? S_OK : S_FALSE;
}
