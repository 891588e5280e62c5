#pragma once

#include "server/com/com_ptr.h"

#include <unknwn.h>

namespace quillomet {

// The factory of Quillomet controls.
com::com_ptr<IClassFactory> MakeClassFactory();

} // namespace quillomet
