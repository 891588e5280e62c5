#pragma once

#include <unknwn.h>

namespace quillomet {

// The factory of Quillomet controls: one for the process, never destroyed;
// its references do not count, its server locks do.
IClassFactory& TheClassFactory();

} // namespace quillomet
