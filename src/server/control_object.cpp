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

// One object for the window, asked for again and again by a screen reader;
// made anew for a new window. Without active accessibility the system
// answers for the window.
LRESULT ControlObject::AccessibleObject(WPARAM wParam, LPARAM lParam) try {
    const HWND window = m_Toolkit.Window().Existing();
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !window)
        return 0;
    if (!m_Accessible || m_Accessible->Window() != window) {
        if (m_Accessible)
            m_Accessible->Disconnect();
        m_Accessible.reset();
        m_Accessible = com::make<ControlAccessible>(window, static_cast<AccessibleSource&>(*this));
    }
    return win32::AnswerGetObject(wParam, lParam, m_Accessible.get());
} catch (...) {
    return 0;
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

namespace {

// The text of a label placed just before the control among its siblings, as
// a dialog places a field's label: a static window of text, without its
// mnemonic marks.
std::wstring LabelBefore(HWND window) {
    const HWND previous = GetWindow(window, GW_HWNDPREV);
    wchar_t className[8] = {};
    if (!previous || !GetClassNameW(previous, className, 8) || _wcsicmp(className, L"Static") != 0)
        return {};
    // Pictures, frames and rectangles are no labels.
    switch (GetWindowLongW(previous, GWL_STYLE) & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        break;
    default:
        return {};
    }
    const std::wstring text = WindowText(previous);
    std::wstring name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i; // "&&" stands for one "&"; a single one marks the next letter
        name += text[i];
    }
    return name;
}

} // namespace

// Where a screen reader finds the control's name: the label the host placed
// before it, else the host's DisplayName for it, else its extender's Name.
std::wstring ControlObject::AccessibleName() {
    if (const HWND window = m_Toolkit.Window().Existing())
        if (std::wstring label = LabelBefore(window); !label.empty())
            return label;
    return Utf8ToWide(m_Control.HostName());
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
