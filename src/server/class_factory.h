#pragma once

#include <unknwn.h>

namespace quillomet {

// The factory of a class of the library (the control, each property page),
// or null for any other class: one for the process, never destroyed; its
// references do not count, its server locks do.
IClassFactory* FindClassFactory(REFCLSID clsid);

} // namespace quillomet
