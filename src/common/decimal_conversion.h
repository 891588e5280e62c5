#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Exact conversions between doubles and decimal digits, written out in full
// rather than taken from the C++ library: the library's floating-point
// formatting and parsing bring hundreds of kilobytes of tables and printf
// machinery into a control that needs four plain operations. Each result is
// the correctly rounded one (ties to even, on the double's exact value), so
// the digits are the same as the library's to_chars and from_chars give.
namespace quillomet {

// Powers of ten a double holds exactly: a mantissa below 2^53 multiplied or
// divided by one of them is a single correctly rounded operation.
inline constexpr std::array<double, 23> ExactPowersOfTen = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A decimal d1.d2d3...dn x 10^exponent; the digits have no leading zero
// (zero is the digits "0" with exponent 0, or as many zeros as were asked).
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

// The fewest significant digits that read back as the same double; of
// several such, the closest to its exact value. The sign is ignored: callers
// write it. The number must be finite.
DecimalDigits ShortestDigits(double number);

// Exactly `count` (at least 1) significant digits, trailing zeros kept, the
// exact value rounded half to even. The sign is ignored; finite numbers only.
DecimalDigits RoundedDigits(double number, int count);

// The magnitude with exactly `decimals` (at least 1) digits after a "." and at
// least one before it, the exact value rounded half to even: 0.125 with two
// decimals is "0.12". Finite numbers only.
std::string FixedDigits(double number, int decimals);

// A decimal number read from the start of a text: digits with at most one
// "." (at least one digit), then, when `exponentAllowed`, an "E" or "e" with
// an optional sign and at least one digit. No sign, no blanks.
struct DecimalReading {
    std::size_t length = 0;  // characters read; 0 when the text starts with no number
    double value = 0;        // correctly rounded; infinity beyond the range, 0 below it
    bool outOfRange = false; // a non-zero number that rounded to 0 or to infinity
};
DecimalReading ReadDecimal(std::string_view text, bool exponentAllowed) noexcept;

} // namespace quillomet
