#pragma once

#include "win32com/com_object.h"

#include <ocidl.h>

#include <map>

namespace quillomet {

// One outgoing interface of the control: the sinks that hosts advised.
// It refers back to its container without owning it; the container
// detaches it when it goes.
class ConnectionPoint final : public com::ComObject<ConnectionPoint, IConnectionPoint> {
public:
    ConnectionPoint(IConnectionPointContainer* container, REFIID iid)
        : m_Container(container), m_Iid(iid) {}

    void Detach() noexcept { m_Container = nullptr; }
    REFIID Iid() const noexcept { return m_Iid; }
    // The sinks as they are now; a copy, since a sink may unadvise from
    // inside its own notification.
    std::map<DWORD, com::com_ptr<IUnknown>> Sinks() const { return m_Sinks; }

    STDMETHODIMP GetConnectionInterface(IID* iid) noexcept override;
    STDMETHODIMP
    GetConnectionPointContainer(IConnectionPointContainer** container) noexcept override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) noexcept override;
    STDMETHODIMP Unadvise(DWORD cookie) noexcept override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) noexcept override;

private:
    IConnectionPointContainer* m_Container;
    IID m_Iid;
    std::map<DWORD, com::com_ptr<IUnknown>> m_Sinks;
    DWORD m_NextCookie = 1;
};

} // namespace quillomet
