// The control's property pages.
#include "server/control_object.h"

namespace quillomet {

// The control has no pages of its own yet: a designer hears that the verb
// is not available.
HRESULT ControlObject::ShowPropertyPages(HWND) {
    return E_NOTIMPL;
}

} // namespace quillomet
