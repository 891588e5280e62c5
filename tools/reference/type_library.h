#pragma once

#include "reference/surface.h"

#include <string>

namespace quillomet::reference {

// The control's class, its default interface and its default source, read
// through oleaut32 from the type library file at `path`. Throws when the
// library cannot be loaded or holds a type the reference cannot name.
Surface ReadSurface(const std::wstring& path);

} // namespace quillomet::reference
