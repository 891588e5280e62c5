#pragma once

#include "common/variant.h"

#include <string>

namespace quillomet {

// What `value`, `MaxValue` and `MinValue` keep of an argument: the argument
// itself, or for an object its default value, so that no foreign object is
// ever stored or persisted. Refuses, before anything changes, a null
// (invalid use of Null), a NaN or infinity, a text longer than 32767
// characters and a text whose number is beyond the double range (overflow).
Variant AcceptedValue(const Variant& given);

// The text of a value or of a stored member: NumberText for a number, the
// text itself, the empty text for anything else.
std::string ValueText(const Variant& value);

// The number a stored member stands for in the range rules: TextValue of
// its ValueText.
double MemberValue(const Variant& member);

} // namespace quillomet
