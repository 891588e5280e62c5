#pragma once

// A container's site for one placed control: client site, in-place site,
// control site, frame and ambient properties in one object. It records
// every call the control makes on it, so a test can tell the unexpected
// ones. Used by the demo host, the tests and the benchmarks.
#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace quillomet::testing {

// An automation object that lives as long as its owner (no reference
// counting) and answers IDispatch and `extra`, without type information.
class PlainDispatch : public IDispatch {
public:
    explicit PlainDispatch(const IID& extra = IID_IDispatch) : m_Extra(extra) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_Extra)
                      ? static_cast<IDispatch*>(this)
                      : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

protected:
    ~PlainDispatch() = default;

private:
    IID m_Extra;
};

// The host's side of one placed control: client site, in-place site,
// control site, ambient properties and a frame, all in one object.
class Site final : public IOleClientSite,
                   public IOleInPlaceSite,
                   public IOleControlSite,
                   public IOleInPlaceFrame,
                   public IDispatch {
public:
    explicit Site(HWND window) : m_Window(window) {}

    std::vector<std::string> m_Calls;
    RECT m_Position{10, 10, 10 + 116, 10 + 20};
    RECT m_CorrectedTo{};
    // What the host does when the control asks for another place.
    std::function<void(const RECT&)> m_OnPosRectChange;
    IFontDisp* m_AmbientFont = nullptr;
    // The host's name for the control; none when empty.
    std::wstring m_DisplayName;
    // False while the host designs its form; UIDead true while its program
    // is stopped.
    bool m_UserMode = true;
    bool m_UIDead = false;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *object = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *object = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleControlSite)
            *object = static_cast<IOleControlSite*>(this);
        else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow)
            *object = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDispatch)
            *object = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return Note("SaveObject"); }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
        *m = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** c) override {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return Note("ShowObject"); }
    STDMETHODIMP OnShowWindow(BOOL) override { return Note("OnShowWindow"); }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, shared by the in-place site and the frame
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = m_Window;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return Note("OnInPlaceActivate"); }
    STDMETHODIMP OnUIActivate() override { return Note("OnUIActivate"); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO) override {
        *frame = this;
        *document = nullptr;
        *position = m_Position;
        *clip = m_Position;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return Note("OnUIDeactivate"); }
    STDMETHODIMP OnInPlaceDeactivate() override { return Note("OnInPlaceDeactivate"); }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT position) override {
        m_CorrectedTo = *position;
        Note("OnPosRectChange");
        if (m_OnPosRectChange)
            m_OnPosRectChange(*position);
        return S_OK;
    }

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return Note("OnControlInfoChanged"); }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return Note("LockInPlaceActive"); }
    STDMETHODIMP GetExtendedControl(IDispatch** extender) override {
        Note("GetExtendedControl");
        *extender = &m_Extender;
        return S_OK;
    }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return Note("OnFocus"); }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    // IOleInPlaceUIWindow, IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override {
        return Note(active ? "SetActiveObject" : "SetActiveObject(none)");
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        Note(id == DISPID_AMBIENT_FONT          ? "Ambient Font"
             : id == DISPID_AMBIENT_DISPLAYNAME ? "Ambient DisplayName"
             : id == DISPID_AMBIENT_USERMODE    ? "Ambient UserMode"
             : id == DISPID_AMBIENT_UIDEAD      ? "Ambient UIDead"
                                                : "Ambient other");
        if ((id == DISPID_AMBIENT_USERMODE || id == DISPID_AMBIENT_UIDEAD) && result) {
            V_VT(result) = VT_BOOL;
            const bool flag = id == DISPID_AMBIENT_USERMODE ? m_UserMode : m_UIDead;
            V_BOOL(result) = flag ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        if (id == DISPID_AMBIENT_FONT && m_AmbientFont && result) {
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = m_AmbientFont;
            m_AmbientFont->AddRef();
            return S_OK;
        }
        if (id == DISPID_AMBIENT_DISPLAYNAME && !m_DisplayName.empty() && result) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(m_DisplayName.c_str());
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    // The calls the test did not allow for.
    std::vector<std::string> Unexpected(const std::vector<std::string>& allowed) const {
        std::vector<std::string> unexpected;
        for (const std::string& call : m_Calls)
            if (std::find(allowed.begin(), allowed.end(), call) == allowed.end())
                unexpected.push_back(call);
        return unexpected;
    }

    // The host-side object of the control: its TabStop and Name, by name.
    class Extender final : public PlainDispatch {
    public:
        bool m_TabStop = true;
        std::wstring m_Name = L"Quillomet1";
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
            if (_wcsicmp(names[0], L"TabStop") == 0)
                ids[0] = 1;
            else if (_wcsicmp(names[0], L"Name") == 0)
                ids[0] = 2;
            else
                return DISP_E_UNKNOWNNAME;
            return S_OK;
        }
        STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                            UINT*) override {
            if (!result || (id != 1 && id != 2))
                return DISP_E_MEMBERNOTFOUND;
            if (id == 2) {
                V_VT(result) = VT_BSTR;
                V_BSTR(result) = SysAllocString(m_Name.c_str());
                return S_OK;
            }
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = m_TabStop ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
    };
    Extender m_Extender;

private:
    HRESULT Note(const char* call) {
        m_Calls.emplace_back(call);
        return S_OK;
    }
    HWND m_Window;
};

} // namespace quillomet::testing
