#pragma once

#include <string>
#include <string_view>

namespace quillomet {

// The number a text denotes: leading blanks skipped, an optional sign, then
// digits with at most one "."; reading stops at the first other character.
// A text without digits there gives 0. A magnitude beyond the double range
// gives an infinity of the right sign; the readers refuse to hand that out.
double TextValue(std::string_view text) noexcept;

// The plain text of a finite number: "." as the point, no group marks, a
// leading "-" for negatives, at most 15 significant digits, no trailing
// fraction zeros and never an exponent (1E-05 is "0.00001", 1.5E+15 is
// "1500000000000000"), so that TextValue reads back the same 15 digits.
// Throws the overflow error for NaN and infinities.
std::string NumberText(double number);

} // namespace quillomet
