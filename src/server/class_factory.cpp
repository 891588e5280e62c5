#include "server/class_factory.h"

#include "backend/win32/floating_point.h"
#include "backend/win32/host_entry.h"
#include "server/control_object.h"
#include "win32com/error.h"
#include "win32com/module.h"

namespace quillomet {
namespace {

// One factory for the process, as long-lived as the library. Holding it
// does not keep the library loaded: a client that wants that calls
// LockServer, as COM asks of it. So a reference a host forgets to release
// (Wine's activation from another apartment keeps one on every factory it
// is given) costs nothing and does not pin the library.
class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override {
        if (!object)
            return E_POINTER;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return 2; }
    STDMETHODIMP_(ULONG) Release() noexcept override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override {
        return win32::EnterFromHost(this, [&]() -> HRESULT {
            if (!object)
                return E_POINTER;
            *object = nullptr;
            if (outer)
                return CLASS_E_NOAGGREGATION;
            return CreateControlObject(iid, object);
        });
    }

    STDMETHODIMP LockServer(BOOL lock) noexcept override {
        com::LockServer(lock != FALSE);
        return S_OK;
    }
};

ClassFactory g_Factory;

} // namespace

IClassFactory& TheClassFactory() {
    return g_Factory;
}

} // namespace quillomet
