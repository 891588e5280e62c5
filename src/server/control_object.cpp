#include "server/control_object.h"

#include "server/control_object_class.h"

namespace quillomet {

HRESULT CreateControlObject(REFIID iid, void** object) {
    auto control = com::make<ControlObject>();
    return control->QueryInterface(iid, object);
}

} // namespace quillomet
