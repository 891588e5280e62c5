#include "server/class_factory.h"

#include "backend/win32/floating_point.h"
#include "server/com/com_object.h"
#include "server/com/error.h"
#include "server/control_object.h"

namespace quillomet {
namespace {

class ClassFactory final : public com::ComObject<ClassFactory, IClassFactory> {
public:
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return CreateControlObject(iid, object);
    } catch (...) {
        return com::ToHresult();
    }

    STDMETHODIMP LockServer(BOOL lock) noexcept override {
        com::LockServer(lock != FALSE);
        return S_OK;
    }
};

} // namespace

com::com_ptr<IClassFactory> MakeClassFactory() {
    return com::com_ptr<IClassFactory>::attach(com::make<ClassFactory>().detach());
}

} // namespace quillomet
