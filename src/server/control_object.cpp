#include "server/control_object.h"

#include "server/control_object_class.h"

namespace quillomet {

// The control's window keeps the object alive while a message is handled,
// and tells the control of the focus crossing its boundary.
void ControlObject::ConnectWindow() {
    win32::CompositeWindow& window = m_Toolkit.Window();
    window.SetLifetime([this] { AddRef(); }, [this] { Release(); });
    m_Toolkit.Boundary().entered = [this] { m_Control.OnEnterFocus(); };
    m_Toolkit.Boundary().left = [this] { m_Control.OnExitFocus(); };
    // The control's own window passes the focus on to its field.
    window.OnFocus(
        [this] {
            m_Control.OnUserControlGotFocus();
            SetFocus(reinterpret_cast<HWND>(static_cast<INT_PTR>(m_Control.hwnd())));
        },
        [this] { m_Control.OnUserControlLostFocus(); });
}

// Nothing may reach the control while it is being destroyed.
void ControlObject::DisconnectWindow() {
    win32::CompositeWindow& window = m_Toolkit.Window();
    window.SetLifetime(nullptr, nullptr);
    window.OnFocus(nullptr, nullptr);
    m_Toolkit.Boundary().entered = nullptr;
    m_Toolkit.Boundary().left = nullptr;
}

HRESULT CreateControlObject(REFIID iid, void** object) {
    auto control = com::make<ControlObject>();
    return control->QueryInterface(iid, object);
}

} // namespace quillomet
