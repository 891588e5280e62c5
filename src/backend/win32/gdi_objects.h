#pragma once

// The count of the control's GDI objects lives in win32com with the
// wrappers that keep it; the server's control object reads it by this name.
#include "win32com/gdi_objects.h"

namespace quillomet::win32 {

using com::GdiObjects;

} // namespace quillomet::win32
