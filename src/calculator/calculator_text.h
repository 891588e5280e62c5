#pragma once

#include "common/variant.h"

#include <string>
#include <string_view>

namespace quillomet {

// The calculator's number texts follow the user's decimal separator.

// The quotient picture "######.#######": integer digits without leading
// zeros (none for 0), always the separator, at most seven decimals rounded
// half away from zero with trailing zeros dropped, a "-" for a negative
// quotient. A quotient beyond the double range is written as 0.
std::string QuotientText(double quotient, char separator);

// The double of an operand: a double or currency is itself, empty is 0, a
// text must be a number in the locale's notation (the separator alone, as
// a quotient of 0 shows, is 0), otherwise the type mismatch error.
double OperandDouble(const Variant& operand, char separator);

// The number a readout shows, read with the locale's separator: the whole
// text when it is a number (also in exponent form, 1E-05), otherwise its
// leading number, or 0.
double ReadoutNumber(std::string_view readout, char separator);

// Whether the readout shows exactly this amount: decided on the readout's
// decimal digits, never on a double, so that ".00001" is not 0 and every
// build gives the same answer. The readout is read as ReadoutNumber reads
// it.
bool ReadoutIsAmount(std::string_view readout, char separator, Currency amount);

// How an operand shows in the readout.
std::string OperandText(const Variant& operand, char separator);

} // namespace quillomet
