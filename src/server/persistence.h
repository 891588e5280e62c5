#pragma once

#include "control/quillomet.h"
#include "control/stored_settings.h"

#include <ocidl.h>

#include <cstdint>

namespace quillomet {

// The control's settings in a host's property bag: a key equal to its
// default is left out, an absent key reads as its default.
void LoadFromBag(Quillomet& control, IPropertyBag* bag, IErrorLog* log);
void SaveToBag(const Quillomet& control, IPropertyBag* bag);

// The control's settings in a stream, in the stored format (stored_settings.h).
// A header or length that does not fit fails the load with
// StoredFormatError; a value that cannot be converted follows the loading
// rule of the control (the other settings apply, the error is reported).
// Reads and checks the whole stream before anything applies; a stream that
// cannot be read resets the control to a new instance and throws.
void LoadFromStream(Quillomet& control, IStream* stream);
void SaveToStream(const Quillomet& control, IStream* stream);
std::uint64_t StreamSize(const Quillomet& control);

} // namespace quillomet
