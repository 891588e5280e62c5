// What a host that loads documents or runs scripts from elsewhere may let
// them do with the control.
//
// Untrusted data, yes: whatever a property bag, stream or storage holds,
// loading reads each setting strictly and creates no object but a standard
// font (the reader is fuzzed), so a damaged or hostile document costs at
// most that setting.
// Untrusted callers, no: DisplayAboutBox starts programs (the mail system,
// the shell's web link, the system-information tool), which no script from
// a page may do, and the options are per interface, not per method.
#include "server/control_object.h"

#include <iterator>

namespace quillomet {
namespace {

// The loading interfaces' place in ControlObject::m_SafeForData; none for
// any other.
int LoadingInterface(REFIID iid) {
    const IID* const loaders[] = {&IID_IPersistPropertyBag, &IID_IPersistStreamInit,
                                  &IID_IPersistStorage};
    for (int i = 0; i < static_cast<int>(std::size(loaders)); ++i)
        if (iid == *loaders[i])
            return i;
    return -1;
}

} // namespace

STDMETHODIMP ControlObject::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                      DWORD* enabled) noexcept {
    if (!supported || !enabled)
        return E_POINTER;
    *supported = *enabled = 0;
    const int loader = LoadingInterface(iid);
    if (loader >= 0) {
        *supported = INTERFACESAFE_FOR_UNTRUSTED_DATA;
        *enabled = (m_SafeForData >> loader & 1) ? INTERFACESAFE_FOR_UNTRUSTED_DATA : 0;
        return S_OK;
    }
    // Any other interface of the control is safe for nothing.
    com::com_ptr<IUnknown> other;
    return QueryInterface(iid, other.put_void());
}

// A host may turn on what is supported, and turn anything off.
STDMETHODIMP ControlObject::SetInterfaceSafetyOptions(REFIID iid, DWORD mask,
                                                      DWORD options) noexcept {
    DWORD supported = 0, enabled = 0;
    if (const HRESULT hr = GetInterfaceSafetyOptions(iid, &supported, &enabled); FAILED(hr))
        return hr;
    if (options & mask & ~supported)
        return E_FAIL;
    if (const int loader = LoadingInterface(iid); loader >= 0 && (mask & supported)) {
        const unsigned bit = 1u << loader;
        m_SafeForData = (options & supported) ? m_SafeForData | bit : m_SafeForData & ~bit;
    }
    return S_OK;
}

} // namespace quillomet
