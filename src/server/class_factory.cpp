#include "server/class_factory.h"

#include "backend/win32/floating_point.h"
#include "backend/win32/host_entry.h"
#include "server/class_ids.h"
#include "server/control_object.h"
#include "server/property_page.h"
#include "win32com/error.h"
#include "win32com/module.h"

namespace quillomet {
namespace {

// One factory per class for the process, as long-lived as the library. Holding it
// does not keep the library loaded: a client that wants that calls
// LockServer, as COM asks of it. So a reference a host forgets to release
// (Wine's activation from another apartment keeps one on every factory it
// is given) costs nothing and does not pin the library.
class ClassFactory final : public IClassFactory {
public:
    using Create = HRESULT (*)(REFIID iid, void** object);
    explicit ClassFactory(Create create) noexcept : m_Create(create) {}

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
            return m_Create(iid, object);
        });
    }

    STDMETHODIMP LockServer(BOOL lock) noexcept override {
        com::LockServer(lock != FALSE);
        return S_OK;
    }

private:
    Create m_Create;
};

template <std::size_t Page>
HRESULT CreatePage(REFIID iid, void** object) {
    return CreatePropertyPage(Page, iid, object);
}

ClassFactory g_Control(&CreateControlObject);
ClassFactory g_Pages[] = {ClassFactory(&CreatePage<0>), ClassFactory(&CreatePage<1>)};
static_assert(std::size(g_Pages) == PageClassIds.size());

} // namespace

IClassFactory* FindClassFactory(REFCLSID clsid) {
    if (clsid == CLSID_Quillomet)
        return &g_Control;
    for (std::size_t i = 0; i < PageClassIds.size(); ++i)
        if (clsid == PageClassIds[i])
            return &g_Pages[i];
    return nullptr;
}

} // namespace quillomet
