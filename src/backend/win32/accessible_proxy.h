#pragma once

#include "win32com/com_object.h"
#include "win32com/com_ptr.h"

#include <windows.h>

#include <oleacc.h>

#include <string>

namespace quillomet::win32 {

// An accessible object that answers as the system's own proxy for a window
// does (so that caret, selection, children and navigation keep working),
// except where a derived class knows better. Made for one window; it may
// outlive it, as a screen reader may hold it.
class AccessibleProxy : public com::ComObject<AccessibleProxy, IAccessible, IOleWindow> {
public:
    // The system's proxy for the client area of `window`; throws when
    // active accessibility is not to be had.
    explicit AccessibleProxy(HWND window);

    // IDispatch is IAccessible's base: asked for by its own IID too.
    void* QueryExtra(REFIID iid) noexcept {
        return iid == __uuidof(IDispatch) ? static_cast<IAccessible*>(this) : nullptr;
    }

    // IDispatch: through IAccessible's type information, so that a client
    // calling by DISPID reaches the overrides.
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) noexcept override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                        VARIANT* result, EXCEPINFO* exception,
                        UINT* argumentError) noexcept override;

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) noexcept override;
    STDMETHODIMP get_accChildCount(LONG* count) noexcept override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) noexcept override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) noexcept override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) noexcept override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) noexcept override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) noexcept override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) noexcept override;
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) noexcept override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) noexcept override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept override;
    STDMETHODIMP get_accFocus(VARIANT* focused) noexcept override;
    STDMETHODIMP get_accSelection(VARIANT* selected) noexcept override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) noexcept override;
    STDMETHODIMP accSelect(LONG flags, VARIANT child) noexcept override;
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                             VARIANT child) noexcept override;
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) noexcept override;
    STDMETHODIMP accHitTest(LONG left, LONG top, VARIANT* child) noexcept override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) noexcept override;
    STDMETHODIMP put_accName(VARIANT child, BSTR name) noexcept override;
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) noexcept override;

    // IOleWindow: the window it stands for, which is how a client finds
    // the window of an object.
    STDMETHODIMP GetWindow(HWND* window) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }

protected:
    // The child id a client passed: callers through IDispatch may pass
    // another integer type, a reference, or nothing for the object itself.
    // -1 for what names no child.
    static LONG ChildId(const VARIANT& child);
    static bool IsSelf(const VARIANT& child) { return ChildId(child) == CHILDID_SELF; }
    // A text for a BSTR result; S_FALSE with none for an empty one, as
    // active accessibility reports a missing property.
    static HRESULT Answer(const std::wstring& text, BSTR* result);

    HWND m_Window;
    com::com_ptr<IAccessible> m_Inner;
};

// What a named proxy says of its window beyond the system's proxy: its name,
// and where the proxy knows no better, its role and value.
struct AccessibleFacts {
    std::wstring name;
    LONG role = 0;      // 0: the proxy's
    std::wstring value; // empty: the proxy's
};

// The system's proxy for a window under another name: what a screen reader
// says for the field (named after its control) and for the calculator and
// its keys (named by their meaning rather than by their captions).
class NamedAccessible final : public AccessibleProxy {
public:
    NamedAccessible(HWND window, AccessibleFacts facts);
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) noexcept override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) noexcept override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) noexcept override;

private:
    AccessibleFacts m_Facts;
};

// WM_GETOBJECT's answer with `object` for the client area; 0 for any other
// object a window is asked for (the system answers those) or when the
// object cannot be given.
LRESULT AnswerGetObject(WPARAM wParam, LPARAM lParam, IAccessible* object) noexcept;

// Answers WM_GETOBJECT for the client area of `window` with its system proxy
// telling `facts`; 0 (the window's own procedure answers) for anything else.
LRESULT AnswerNamed(HWND window, WPARAM wParam, LPARAM lParam, AccessibleFacts facts) noexcept;

} // namespace quillomet::win32
