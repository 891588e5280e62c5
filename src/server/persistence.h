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

// The control's settings in a stream, in this format (little-endian):
//   u32  magic "QLMT"
//   u16  format version, 1
//   u32  length in bytes of the entries that follow
//   entries, one per setting that differs from its default:
//     u16 key length in UTF-16 units, the key in UTF-16
//     u16 variant type, then the value:
//       VT_I2 and VT_BOOL 2 bytes; VT_I4 and VT_R4 4; VT_R8 and VT_CY 8;
//       VT_BSTR u32 length in bytes, then UTF-16;
//       VT_UNKNOWN (the font) u32 length, then the font object's own
//       persistence (class identifier and data, as OLE saves objects).
// A header or length that does not fit fails the load with
// StoredFormatError; a value that cannot be converted follows the loading
// rule of the control (the other settings apply, the error is reported).
// Reads and checks the whole stream before anything applies; a stream that
// cannot be read resets the control to a new instance and throws.
void LoadFromStream(Quillomet& control, IStream* stream);
void SaveToStream(const Quillomet& control, IStream* stream);
std::uint64_t StreamSize(const Quillomet& control);

} // namespace quillomet
