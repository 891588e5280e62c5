#include "server/control_object.h"

#include "win32com/gdi_objects.h"

namespace quillomet {

ControlObject::ControlObject() : m_Container(*this), m_Control(m_Toolkit, m_Container) {
    ConnectWindow();
}

ControlObject::~ControlObject() {
    DisconnectWindow();
    if (m_Accessible)
        m_Accessible->Disconnect(); // a screen reader may hold it longer
    if (m_Events)
        m_Events->Detach();
    if (m_PropertyNotify)
        m_PropertyNotify->Detach();
    m_Control.OnTerminate();
}

void* ControlObject::QueryExtra(REFIID iid) noexcept {
    if (iid == IID_IDispatch)
        return static_cast<_Quillomet*>(this);
    if (iid == IID_IProvideClassInfo)
        return static_cast<IProvideClassInfo2*>(this);
    if (iid == IID_IPersist)
        return static_cast<IPersistPropertyBag*>(this);
    if (iid == IID_IOleWindow)
        return static_cast<IOleInPlaceObject*>(this);
    if (iid == IID_IViewObject)
        return static_cast<IViewObject2*>(this);
    return nullptr;
}

STDMETHODIMP ControlObject::LiveGdiObjects(LONG* count) noexcept {
    if (!count)
        return E_POINTER;
    *count = com::GdiObjects::Live();
    return S_OK;
}

// The control's window keeps the object alive while a message is handled,
// and tells the control of the focus crossing its boundary.
void ControlObject::ConnectWindow() {
    m_Container.SetSelf(static_cast<_Quillomet*>(this));
    m_Toolkit.Window().SetOwner(this);
}

// Nothing may reach the control while it is being destroyed.
void ControlObject::DisconnectWindow() {
    m_Container.SetSelf(nullptr);
    m_Toolkit.Window().SetOwner(nullptr);
}

// A screen reader's default action, arriving as a click would; a control
// disabled meanwhile takes it as a disabled control takes a click.
void ControlObject::PostedAction(WPARAM action) {
    switch (static_cast<DefaultAction>(action)) {
    case DefaultAction::Increase:
        m_Control.ClickSpinner(true);
        break;
    case DefaultAction::Decrease:
        m_Control.ClickSpinner(false);
        break;
    case DefaultAction::OpenCalculator:
        if (m_Control.Enabled())
            m_Control.ClickCalcButton();
        break;
    }
}

// The host destroyed the control's window (its form first): a screen
// reader's object for it answers as for a dead one, and an in-place active
// control takes its place in its site's window again when next activated.
void ControlObject::WindowDestroyed() {
    if (m_Accessible)
        m_Accessible->Disconnect();
    m_Accessible.reset();
    m_PlaceLost = m_InPlaceActive;
}

// The control's own window: focus from outside enters the control first; an
// enabled control passes it on to its field.
void ControlObject::WindowGotFocus(HWND previous) {
    const HWND own = m_Toolkit.Window().Existing();
    if (previous != own && !IsChild(own, previous))
        m_Control.OnEnterFocus();
    m_Control.OnUserControlGotFocus();
    if (m_Control.Enabled())
        SetFocus(reinterpret_cast<HWND>(static_cast<INT_PTR>(m_Control.hwnd())));
}

void ControlObject::WindowLostFocus(HWND next) {
    m_Control.OnUserControlLostFocus();
    const HWND own = m_Toolkit.Window().Existing();
    if (next != own && !IsChild(own, next))
        m_Control.OnExitFocus();
}

HRESULT CreateControlObject(REFIID iid, void** object) {
    auto control = com::make<ControlObject>();
    return control->QueryInterface(iid, object);
}

} // namespace quillomet
