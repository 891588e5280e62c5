// An in-process server whose one class does nothing: an apartment-threaded
// object with IUnknown alone. The stress run creates it the way it creates
// the control, to tell what a client's activation costs the system from
// what the control itself leaves behind.
#include "null_server.h"

#include "win32com/com_ptr.h"

#include <atomic>

namespace {

std::atomic<long> g_Objects{0};

class NullObject final : public IUnknown {
public:
    NullObject() { ++g_Objects; }
    ~NullObject() { --g_Objects; }
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = iid == IID_IUnknown ? this : nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_References; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --m_References;
        if (left == 0)
            delete this;
        return left;
    }

private:
    std::atomic<ULONG> m_References{1};
};

class NullFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        // Made with one reference of its own, which goes when this returns.
        const auto made = quillomet::com::com_ptr<NullObject>::attach(new NullObject());
        return made->QueryInterface(iid, object);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

NullFactory g_Factory;

} // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_NullObject)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_Factory.QueryInterface(iid, object);
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() {
    return g_Objects == 0 ? S_OK : S_FALSE;
}
