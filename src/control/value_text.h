#pragma once

#include "common/variant.h"

#include <string>

namespace quillomet {

// What `value`, `MaxValue` and `MinValue` keep of an argument: the argument
// itself, or for an object its default value, so that no foreign object is
// ever stored or persisted. A number in exponent form is kept in its plain
// form. Refuses, before anything changes, a null (invalid use of Null), and
// with the overflow error a NaN or infinity, a number of 10^15 or more (the
// plain form holds 15 digits), and a text longer than 32767 characters.
Variant AcceptedValue(const Variant& given);

// The text of a value or of a stored member: NumberText for a number, the
// text itself, the empty text for anything else.
std::string ValueText(const Variant& value);

// The number a stored member stands for in the range rules: TextValue of
// its ValueText.
double MemberValue(const Variant& member);

} // namespace quillomet
