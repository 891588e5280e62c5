#pragma once

// A test container's site for one control: client site, in-place site,
// control site, frame and ambient properties in one object, recording
// every call the control makes so a test can tell the unexpected ones.
#include "com_test_support.h"
#include "container/ole_site.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

namespace quillomet::testing {

// The field's window, as a host reads it through hwnd.
inline HWND FieldOf(_Quillomet* control) {
    LONG handle = 0;
    control->get_hwnd(&handle);
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
}

// A window's whole text.
inline std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

namespace detail {
struct WindowCount {
    const wchar_t* className;
    int count = 0;
    void Add(HWND window) {
        wchar_t name[64] = {};
        if (!className || (GetClassNameW(window, name, 64) && _wcsicmp(name, className) == 0))
            ++count;
    }
    static BOOL CALLBACK AddOne(HWND window, LPARAM self) {
        reinterpret_cast<WindowCount*>(self)->Add(window);
        return TRUE;
    }
    static BOOL CALLBACK AddTree(HWND window, LPARAM self) {
        AddOne(window, self);
        EnumChildWindows(window, &AddOne, self);
        return TRUE;
    }
};
} // namespace detail

// The windows of this thread of one class (of every class when null),
// message-only ones and their children included.
inline int ThreadWindows(const wchar_t* className = nullptr) {
    detail::WindowCount counter{className};
    const auto self = reinterpret_cast<LPARAM>(&counter);
    EnumThreadWindows(GetCurrentThreadId(), &detail::WindowCount::AddTree, self);
    for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));)
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
            detail::WindowCount::AddTree(window, self);
    return counter.count;
}

// Records the events it receives, and the deepest and shallowest stack its
// handler ran on; can veto one KeyAscii by reference.
class EventCounter final : public PlainDispatch {
public:
    EventCounter() : PlainDispatch(DIID___Quillomet) {}
    std::vector<DISPID> m_Events;
    std::vector<std::vector<VARIANT>> m_Arguments;
    short m_VetoKey = 0;
    std::uintptr_t m_StackLow = UINTPTR_MAX;
    std::uintptr_t m_StackHigh = 0;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        const auto stack = reinterpret_cast<std::uintptr_t>(&id);
        m_StackLow = std::min(m_StackLow, stack);
        m_StackHigh = std::max(m_StackHigh, stack);
        m_Events.push_back(id);
        std::vector<VARIANT> arguments;
        for (UINT i = params->cArgs; i > 0; --i) { // first argument first
            VARIANT copy;
            VariantInit(&copy);
            VariantCopyInd(&copy, &params->rgvarg[i - 1]);
            arguments.push_back(copy);
        }
        m_Arguments.push_back(arguments);
        if (id == 5 && m_VetoKey && *V_I2REF(&params->rgvarg[0]) == m_VetoKey)
            *V_I2REF(&params->rgvarg[0]) = 0;
        return S_OK;
    }
    int Count(DISPID id) const {
        return static_cast<int>(std::count(m_Events.begin(), m_Events.end(), id));
    }
};

// Records the identifiers of the property changes it is told of.
class NotifySink final : public IPropertyNotifySink {
public:
    std::vector<DISPID> m_Changed;
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IPropertyNotifySink) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_Refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_Refs; }
    STDMETHODIMP OnChanged(DISPID id) override {
        m_Changed.push_back(id);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
    ULONG m_Refs = 1;
};

} // namespace quillomet::testing
