#include "server/connection_point.h"

#include "backend/win32/host_entry.h"
#include "win32com/error.h"

#include <olectl.h>

namespace quillomet {

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) noexcept {
    if (!iid)
        return E_POINTER;
    *iid = m_Iid;
    return S_OK;
}

STDMETHODIMP
ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) noexcept {
    if (!container)
        return E_POINTER;
    *container = m_Container;
    if (!m_Container)
        return E_UNEXPECTED;
    m_Container->AddRef();
    return S_OK;
}

// A sink for the events may offer only IDispatch, as scripts' sinks do.
STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) noexcept {
    return win32::EnterFromHost(static_cast<IConnectionPoint*>(this), [&]() -> HRESULT {
        if (!cookie)
            return E_POINTER;
        *cookie = 0;
        if (!sink)
            return E_POINTER;
        com::com_ptr<IUnknown> typed;
        if (FAILED(sink->QueryInterface(m_Iid, typed.put_void())) &&
            (m_Iid == IID_IPropertyNotifySink ||
             FAILED(sink->QueryInterface(IID_IDispatch, typed.put_void()))))
            return CONNECT_E_CANNOTCONNECT;
        *cookie = m_NextCookie++;
        m_Sinks.emplace(*cookie, std::move(typed));
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) noexcept {
    return m_Sinks.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) noexcept {
    if (connections)
        *connections = nullptr;
    return E_NOTIMPL;
}

} // namespace quillomet
