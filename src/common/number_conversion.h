#pragma once

#include <optional>
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

// The most integer digits a number of the control may have: its plain form
// holds 15 significant digits, so 10^15 and beyond are refused wherever a
// number enters.
constexpr std::size_t MaxIntegerDigits = 15;
constexpr double PlainFormLimit = 1e15;

// The integer digits of the number a text stands for, as its plain form
// reads it: the digits before its first ".", leading zeros not counted,
// every other character skipped.
std::size_t IntegerDigitCount(std::string_view text) noexcept;

// Whether the number a text stands for, read as its plain form reads it
// (digits and the first point; the sign does not matter), is one the
// control can hold: at most 15 integer digits, and below 10^15 also as the
// double it reads as ("999999999999999.99" reads as 10^15).
bool WithinPlainRange(std::string_view text);

// The plain form of a complete number in exponent form: an optional sign,
// digits with at most one ".", then "E" or "e", an optional sign and digits,
// nothing else but blanks around it. The digits are shifted, not computed, so
// "1.5e-3" is exactly "0.0015" and "1E+3" is "1000"; no trailing fraction
// zeros, no "-" for zero. Nothing for any other text; the overflow error
// when the plain form would be longer than `maxLength` characters.
std::optional<std::string> PlainFromExponentForm(std::string_view text, std::size_t maxLength);

} // namespace quillomet
