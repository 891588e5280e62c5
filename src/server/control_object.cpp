#include "server/control_object.h"

#include "server/control_object_class.h"

namespace quillomet {

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
