// The control as a screen reader meets it: its window's object, made on the
// first question, and the name it goes by.
#include "server/control_object.h"
#include "win32com/text_conversion.h"

namespace quillomet {

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

// One object for the window, asked for again and again by a screen reader;
// made anew for a new window. Without active accessibility the system
// answers for the window.
LRESULT ControlObject::AccessibleObject(WPARAM wParam, LPARAM lParam) {
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
}

bool ControlObject::PostDefaultAction(DefaultAction action) {
    return m_Toolkit.Window().Post(static_cast<WPARAM>(action));
}

} // namespace quillomet
