#include "backend/win32/accessible_proxy.h"

#include "backend/win32/host_entry.h"
#include "backend/win32/on_demand_imports.h"
#include "common/described_error.h"
#include "win32com/error.h"

namespace quillomet::win32 {

AccessibleProxy::AccessibleProxy(HWND window) : m_Window(window) {
    com::ThrowIfFailed(on_demand::CreateStdAccessibleObject(
        window, OBJID_CLIENT, __uuidof(IAccessible), m_Inner.put_void()));
    if (!m_Inner)
        throw DescribedError("the window has no accessible object");
}

LONG AccessibleProxy::ChildId(const VARIANT& child) {
    const VARIANT* given = &child;
    if (given->vt == (VT_BYREF | VT_VARIANT) && given->pvarVal)
        given = given->pvarVal;
    switch (given->vt) {
    case VT_EMPTY:
        return CHILDID_SELF;
    case VT_ERROR: // an optional argument left out
        return given->scode == DISP_E_PARAMNOTFOUND ? CHILDID_SELF : -1;
    case VT_I4:
    case VT_INT:
        return given->lVal;
    case VT_I2:
        return given->iVal;
    case VT_UI2:
        return given->uiVal;
    case VT_UI4:
    case VT_UINT:
        return given->ulVal <= 0x7FFFFFFF ? static_cast<LONG>(given->ulVal) : -1;
    default:
        return -1;
    }
}

HRESULT AccessibleProxy::Answer(const std::wstring& text, BSTR* result) {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (text.empty())
        return S_FALSE;
    *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *result ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP AccessibleProxy::GetTypeInfoCount(UINT* count) noexcept {
    return m_Inner->GetTypeInfoCount(count);
}

STDMETHODIMP AccessibleProxy::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) noexcept {
    return m_Inner->GetTypeInfo(index, locale, info);
}

STDMETHODIMP AccessibleProxy::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) noexcept {
    return m_Inner->GetIDsOfNames(iid, names, count, locale, ids);
}

STDMETHODIMP AccessibleProxy::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) noexcept {
    com::com_ptr<ITypeInfo> info;
    if (FAILED(m_Inner->GetTypeInfo(0, locale, info.put())) || !info)
        return E_NOTIMPL;
    (void)iid;
    return DispInvoke(static_cast<IAccessible*>(this), info.get(), id, flags, parameters, result,
                      exception, argumentError);
}

STDMETHODIMP AccessibleProxy::get_accParent(IDispatch** parent) noexcept {
    return m_Inner->get_accParent(parent);
}
STDMETHODIMP AccessibleProxy::get_accChildCount(LONG* count) noexcept {
    return m_Inner->get_accChildCount(count);
}
STDMETHODIMP AccessibleProxy::get_accChild(VARIANT child, IDispatch** object) noexcept {
    return m_Inner->get_accChild(child, object);
}
STDMETHODIMP AccessibleProxy::get_accName(VARIANT child, BSTR* name) noexcept {
    return m_Inner->get_accName(child, name);
}
STDMETHODIMP AccessibleProxy::get_accValue(VARIANT child, BSTR* value) noexcept {
    return m_Inner->get_accValue(child, value);
}
STDMETHODIMP AccessibleProxy::get_accDescription(VARIANT child, BSTR* description) noexcept {
    return m_Inner->get_accDescription(child, description);
}
STDMETHODIMP AccessibleProxy::get_accRole(VARIANT child, VARIANT* role) noexcept {
    return m_Inner->get_accRole(child, role);
}
STDMETHODIMP AccessibleProxy::get_accState(VARIANT child, VARIANT* state) noexcept {
    return m_Inner->get_accState(child, state);
}
STDMETHODIMP AccessibleProxy::get_accHelp(VARIANT child, BSTR* help) noexcept {
    return m_Inner->get_accHelp(child, help);
}
STDMETHODIMP AccessibleProxy::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) noexcept {
    return m_Inner->get_accHelpTopic(file, child, topic);
}
STDMETHODIMP AccessibleProxy::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept {
    return m_Inner->get_accKeyboardShortcut(child, shortcut);
}
STDMETHODIMP AccessibleProxy::get_accFocus(VARIANT* focused) noexcept {
    return m_Inner->get_accFocus(focused);
}
STDMETHODIMP AccessibleProxy::get_accSelection(VARIANT* selected) noexcept {
    return m_Inner->get_accSelection(selected);
}
STDMETHODIMP AccessibleProxy::get_accDefaultAction(VARIANT child, BSTR* action) noexcept {
    return m_Inner->get_accDefaultAction(child, action);
}
STDMETHODIMP AccessibleProxy::accSelect(LONG flags, VARIANT child) noexcept {
    return m_Inner->accSelect(flags, child);
}
STDMETHODIMP AccessibleProxy::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) noexcept {
    return m_Inner->accLocation(left, top, width, height, child);
}
STDMETHODIMP AccessibleProxy::accNavigate(LONG direction, VARIANT start, VARIANT* end) noexcept {
    return m_Inner->accNavigate(direction, start, end);
}
STDMETHODIMP AccessibleProxy::accHitTest(LONG left, LONG top, VARIANT* child) noexcept {
    return m_Inner->accHitTest(left, top, child);
}
STDMETHODIMP AccessibleProxy::accDoDefaultAction(VARIANT child) noexcept {
    return m_Inner->accDoDefaultAction(child);
}
STDMETHODIMP AccessibleProxy::put_accName(VARIANT child, BSTR name) noexcept {
    return m_Inner->put_accName(child, name);
}
STDMETHODIMP AccessibleProxy::put_accValue(VARIANT child, BSTR value) noexcept {
    return m_Inner->put_accValue(child, value);
}

STDMETHODIMP AccessibleProxy::GetWindow(HWND* window) noexcept {
    if (!window)
        return E_POINTER;
    *window = m_Window;
    return S_OK;
}

NamedAccessible::NamedAccessible(HWND window, AccessibleFacts facts)
    : AccessibleProxy(window), m_Facts(std::move(facts)) {}

STDMETHODIMP NamedAccessible::get_accName(VARIANT child, BSTR* name) noexcept {
    return EnterFromHost(static_cast<IAccessible*>(this), [&] {
        return IsSelf(child) ? Answer(m_Facts.name, name)
                             : AccessibleProxy::get_accName(child, name);
    });
}

STDMETHODIMP NamedAccessible::get_accValue(VARIANT child, BSTR* value) noexcept {
    return EnterFromHost(static_cast<IAccessible*>(this), [&] {
        return IsSelf(child) && !m_Facts.value.empty()
                   ? Answer(m_Facts.value, value)
                   : AccessibleProxy::get_accValue(child, value);
    });
}

STDMETHODIMP NamedAccessible::get_accRole(VARIANT child, VARIANT* role) noexcept {
    if (!IsSelf(child) || m_Facts.role == 0)
        return AccessibleProxy::get_accRole(child, role);
    if (!role)
        return E_POINTER;
    VariantInit(role);
    role->vt = VT_I4;
    role->lVal = m_Facts.role;
    return S_OK;
}

LRESULT AnswerGetObject(WPARAM wParam, LPARAM lParam, IAccessible* object) noexcept {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !object)
        return 0;
    // A failure comes back as a negative HRESULT: the system answers then.
    const LRESULT answer = on_demand::LresultFromObject(__uuidof(IAccessible), wParam, object);
    return answer > 0 ? answer : 0;
}

LRESULT AnswerNamed(HWND window, WPARAM wParam, LPARAM lParam, AccessibleFacts facts) noexcept try {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT)
        return 0;
    const auto object = com::make<NamedAccessible>(window, std::move(facts));
    return AnswerGetObject(wParam, lParam, object.get());
} catch (...) {
    return 0; // the window's own procedure answers
}

} // namespace quillomet::win32
