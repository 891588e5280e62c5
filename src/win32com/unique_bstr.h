#pragma once

#include "win32com/unique_any.h"

#include <oleauto.h>

namespace quillomet::com {

// A BSTR this code owns, freed once: one a call handed out
// (`object->get_Name(name.put())`) or one made here to pass in.
using unique_bstr = unique_any<BSTR, &SysFreeString>;

} // namespace quillomet::com
