#pragma once

#include "reference/examples.h"
#include "reference/surface.h"
#include "reference/widl_header.h"

#include <span>
#include <string>
#include <string_view>

namespace quillomet::reference {

// The reference in markdown. Every member of the surface with its script
// form, its C++ declaration (`methods`: the header's, in the library's
// order), its default and key from the control's property table, its
// errors and its example; then the errors' table; then the Format picture
// page, whose prose is the text of `pictures` and whose tables a real
// control computes from its "> PICTURE<TAB>VALUE[<TAB>positive-only]" rows.
// `examples` are those CheckExamples found in agreement with the surface,
// `methods` those CompareWithLibrary did. Throws InputError for a row the
// control refuses or a property table that does not match the surface.
std::string WriteReference(const Surface& surface, std::span<const CppMethod> methods,
                           std::span<const Example> examples, std::string_view pictures);

} // namespace quillomet::reference
