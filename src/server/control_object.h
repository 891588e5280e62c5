#pragma once

#include <unknwn.h>

namespace quillomet {

// Makes a new Quillomet control and returns its interface `iid`.
HRESULT CreateControlObject(REFIID iid, void** object);

} // namespace quillomet
