// Siting and in-place activation: what any container needs to host the
// control in one of its windows.
#include "backend/win32/screen_units.h"
#include "common/scope_exit.h"
#include "server/class_facts.h"
#include "server/control_object.h"
#include "win32com/error.h"

#include <cmath>
#include <string>

namespace quillomet {
namespace {

static_assert(class_facts::MiscStatus ==
              (OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
               OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST));

// The longest edge the window system gives a window, in pixels.
constexpr int MaxWindowPixels = 32767;

// HIMETRIC (hundredths of a millimetre) and twips.
std::int32_t HimetricToTwips(LONG himetric) {
    return MulDiv(himetric, 1440, 2540);
}
LONG TwipsToHimetric(std::int32_t twips) {
    return MulDiv(twips, 2540, 1440);
}

} // namespace

com::com_ptr<IOleInPlaceSite> ControlObject::InPlaceSite() const {
    com::com_ptr<IOleClientSite> site(m_Container.ClientSite());
    return site.try_as<IOleInPlaceSite>();
}

STDMETHODIMP ControlObject::SetClientSite(IOleClientSite* site) noexcept {
    m_Container.SetClientSite(site);
    if (!site)
        return S_OK;
    return Enter([&] {
        FollowAmbientMode();
        return S_OK;
    });
}

// Nothing is made again: the same windows stop or start taking input.
void ControlObject::FollowAmbientMode() {
    m_Control.SetDesignMode(m_Container.AmbientDesignMode());
}

STDMETHODIMP ControlObject::GetClientSite(IOleClientSite** site) noexcept {
    if (!site)
        return E_POINTER;
    *site = m_Container.ClientSite();
    if (*site)
        (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP ControlObject::Close(DWORD) noexcept {
    return Enter([&] {
        InPlaceDeactivate();
        if (m_AdviseHolder)
            m_AdviseHolder->SendOnClose();
        return S_OK;
    });
}

STDMETHODIMP ControlObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

// The control's own data object: its picture as a metafile.
STDMETHODIMP ControlObject::GetClipboardData(DWORD, IDataObject** data) noexcept {
    if (!data)
        return E_POINTER;
    *data = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP ControlObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND,
                                   LPCRECT) noexcept {
    return Enter([&]() -> HRESULT {
        if (site && !m_Container.ClientSite()) {
            m_Container.SetClientSite(site);
            FollowAmbientMode();
        }
        // A designer's double-click edits the control's settings, not its
        // number: the verb is valid, and there is nothing to do.
        if (verb == OLEIVERB_PRIMARY && m_Control.DesignMode())
            return OLEOBJ_S_CANNOT_DOVERB_NOW;
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
            return ActivateInPlace(true);
        case OLEIVERB_INPLACEACTIVATE:
            return ActivateInPlace(false);
        case OLEIVERB_HIDE:
            if (const HWND window = m_Toolkit.Window().Existing())
                ShowWindow(window, SW_HIDE);
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    });
}

HRESULT ControlObject::ReadPlace(IOleInPlaceSite& site, HWND& parent, RECT& position, RECT& clip) {
    com::com_ptr<IOleInPlaceUIWindow> document;
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    HRESULT hr = site.GetWindow(&parent);
    if (SUCCEEDED(hr))
        hr = site.GetWindowContext(m_Frame.put(), document.put(), &position, &clip, &frameInfo);
    return hr;
}

// Moves the control's window into the container's and shows it there.
HRESULT ControlObject::ActivateInPlace(bool uiActivate) {
    Ready();
    const com::com_ptr<IOleInPlaceSite> site = InPlaceSite();
    if (!site)
        return E_UNEXPECTED;
    win32::CompositeWindow& window = m_Toolkit.Window();
    bool activatedNow = false;
    HWND parent = nullptr;
    RECT position{}, clip{};
    if (!m_InPlaceActive) {
        if (site->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        com::ThrowIfFailed(site->OnInPlaceActivate());
        if (const HRESULT hr = ReadPlace(*site.get(), parent, position, clip); FAILED(hr)) {
            // The site heard it was active: it hears it is not, and a later
            // activation starts over.
            m_Frame.reset();
            site->OnInPlaceDeactivate();
            com::ThrowIfFailed(hr);
        }
        m_InPlaceActive = true;
        activatedNow = true;
    } else if (m_PlaceLost) {
        // Still active for its site, whose window (a form the host rebuilt)
        // is another now.
        com::ThrowIfFailed(ReadPlace(*site.get(), parent, position, clip));
    }
    if (activatedNow || m_PlaceLost) {
        m_PlaceLost = false;
        // A control not yet made is laid out first, then made in place.
        window.SetParentWindow(parent);
        SetObjectRects(&position, &clip);
    }
    // Shown also again after a hide verb.
    try {
        m_Toolkit.Show();
    } catch (...) {
        // Its windows could not be made: the site hears it is not active.
        if (activatedNow) {
            m_InPlaceActive = false;
            ParkWindow();
            m_Frame.reset();
            site->OnInPlaceDeactivate();
        }
        throw;
    }
    if (uiActivate && !m_UIActive) {
        m_UIActive = true;
        site->OnUIActivate();
        if (m_Frame)
            m_Frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
        SetFocus(reinterpret_cast<HWND>(static_cast<INT_PTR>(m_Control.hwnd())));
    }
    return S_OK;
}

// Back into hiding, as a control with no container lives.
void ControlObject::ParkWindow() {
    win32::CompositeWindow& window = m_Toolkit.Window();
    if (window.Existing())
        ShowWindow(window.Existing(), SW_HIDE);
    window.SetParentWindow(nullptr);
}

STDMETHODIMP ControlObject::InPlaceDeactivate() noexcept {
    return Enter([&]() -> HRESULT {
        if (!m_InPlaceActive)
            return S_OK;
        UIDeactivate();
        m_InPlaceActive = false;
        ParkWindow();
        m_Frame.reset();
        if (const auto site = InPlaceSite())
            site->OnInPlaceDeactivate();
        return S_OK;
    });
}

STDMETHODIMP ControlObject::UIDeactivate() noexcept {
    return Enter([&]() -> HRESULT {
        if (!m_UIActive)
            return S_OK;
        m_UIActive = false;
        if (m_Frame)
            m_Frame->SetActiveObject(nullptr, nullptr);
        if (const auto site = InPlaceSite())
            site->OnUIDeactivate(FALSE);
        return S_OK;
    });
}

// Made now if need be; none while it is being made (a host asking from a
// notification sent during its creation).
STDMETHODIMP ControlObject::GetWindow(HWND* window) noexcept {
    return Enter([&]() -> HRESULT {
        if (!window)
            return E_POINTER;
        *window = nullptr;
        *window = m_Toolkit.Window().Handle();
        return *window ? S_OK : E_FAIL;
    });
}

// The container places the control; the control takes its size from the
// rectangle, and a size it corrects (its minimum) goes back to the site,
// once: a container that answers by placing it again, in a rectangle of its
// own, has the last word, and the control stands there.
STDMETHODIMP ControlObject::SetObjectRects(LPCRECT position, LPCRECT) noexcept {
    return Enter([&]() -> HRESULT {
        if (!position)
            return E_POINTER;
        Ready();
        const int width = position->right - position->left;
        const int height = position->bottom - position->top;
        win32::CompositeWindow& window = m_Toolkit.Window();
        window.Move(*position); // or remembered, for a window not made yet
        // A form that moved to a screen of another resolution places its
        // controls in the new pixels, maybe before its children hear of it.
        window.FollowResolution();
        const int dpi = window.Dpi();
        m_Container.SetSize(
            static_cast<std::int32_t>(std::lround(win32::PixelsToTwips(width, dpi))),
            static_cast<std::int32_t>(std::lround(win32::PixelsToTwips(height, dpi))));
        m_Control.OnResize();
        const int keptWidth = win32::TwipsToPixels(m_Container.Width(), dpi);
        const int keptHeight = win32::TwipsToPixels(m_Container.Height(), dpi);
        if (keptWidth != width || keptHeight != height) {
            if (m_AskingForPlace) {
                window.Move(*position);
                return S_OK;
            }
            RECT corrected{position->left, position->top, position->left + keptWidth,
                           position->top + keptHeight};
            window.Move(corrected);
            if (const auto site = InPlaceSite()) {
                const auto asking = scoped_value(m_AskingForPlace, true);
                site->OnPosRectChange(&corrected);
            }
        }
        return S_OK;
    });
}

// Keys the control's own field handles are no accelerators of ours.
STDMETHODIMP ControlObject::TranslateAccelerator(LPMSG) noexcept {
    return S_FALSE;
}

STDMETHODIMP ControlObject::EnumVerbs(IEnumOLEVERB** verbs) noexcept {
    return OleRegEnumVerbs(CLSID_Quillomet, verbs);
}

STDMETHODIMP ControlObject::GetUserType(DWORD form, LPOLESTR* type) noexcept {
    return OleRegGetUserType(CLSID_Quillomet, form, type);
}

// The container's view of the size, in HIMETRIC. Containers differ in what
// they pass here, so it applies only while the control is not placed in a
// window; once placed, SetObjectRects decides. A size the control's window
// could not have is refused, placed or not, and the size kept.
STDMETHODIMP ControlObject::SetExtent(DWORD aspect, SIZEL* size) noexcept {
    return Enter([&]() -> HRESULT {
        if (!size)
            return E_POINTER;
        if (aspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        const int dpi = m_Toolkit.Window().Dpi();
        const auto fits = [dpi](LONG himetric) {
            return himetric > 0 &&
                   win32::TwipsToPixels(HimetricToTwips(himetric), dpi) <= MaxWindowPixels;
        };
        if (!fits(size->cx) || !fits(size->cy))
            throw com::HresultError(E_INVALIDARG, "an extent is positive and at most " +
                                                      std::to_string(MaxWindowPixels) +
                                                      " pixels each way");
        Ready();
        if (!m_InPlaceActive) {
            m_Container.SetSize(HimetricToTwips(size->cx), HimetricToTwips(size->cy));
            m_Control.OnResize();
        }
        return S_OK;
    });
}

STDMETHODIMP ControlObject::GetExtent(DWORD aspect, SIZEL* size) noexcept {
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    size->cx = TwipsToHimetric(m_Container.Width());
    size->cy = TwipsToHimetric(m_Container.Height());
    return S_OK;
}

STDMETHODIMP ControlObject::Advise(IAdviseSink* sink, DWORD* connection) noexcept {
    if (!m_AdviseHolder && FAILED(CreateOleAdviseHolder(m_AdviseHolder.put())))
        return E_OUTOFMEMORY;
    return m_AdviseHolder->Advise(sink, connection);
}

STDMETHODIMP ControlObject::Unadvise(DWORD connection) noexcept {
    return m_AdviseHolder ? m_AdviseHolder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP ControlObject::EnumAdvise(IEnumSTATDATA** advise) noexcept {
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    return m_AdviseHolder ? m_AdviseHolder->EnumAdvise(advise) : S_OK;
}

STDMETHODIMP ControlObject::GetMiscStatus(DWORD, DWORD* status) noexcept {
    if (!status)
        return E_POINTER;
    *status = class_facts::MiscStatus;
    return S_OK;
}

STDMETHODIMP ControlObject::GetControlInfo(CONTROLINFO* info) noexcept {
    if (!info)
        return E_POINTER;
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

// A host that renames the control tells of its DisplayName; a screen reader
// hears of the new name. A host that starts, stops or breaks its program
// tells of UserMode or UIDead.
STDMETHODIMP ControlObject::OnAmbientPropertyChange(DISPID id) noexcept {
    return Enter([&] {
        const bool any = id == DISPID_UNKNOWN;
        if (any || id == DISPID_AMBIENT_DISPLAYNAME)
            if (const HWND window = m_Toolkit.Window().Existing())
                NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
        if (any || id == DISPID_AMBIENT_USERMODE || id == DISPID_AMBIENT_UIDEAD)
            FollowAmbientMode();
        return S_OK;
    });
}

STDMETHODIMP ControlObject::FreezeEvents(BOOL freeze) noexcept {
    m_FreezeCount += freeze ? 1 : (m_FreezeCount > 0 ? -1 : 0);
    return S_OK;
}

} // namespace quillomet
