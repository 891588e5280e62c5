#pragma once

// The control's own decimal conversions beside the C++ library's to_chars
// and from_chars, for one input at a time: both must give the same digits,
// the same double and stop at the same character. Used by the unit tests
// and by conversion_check, which runs millions of generated inputs.
#include "common/decimal_conversion.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace quillomet::agreement {

// "d.ddde+XX" as the library writes it, as digits and exponent.
inline DecimalDigits FromScientific(std::string_view text) {
    DecimalDigits out;
    const std::size_t e = text.find('e');
    for (const char c : text.substr(0, e))
        if (c >= '0' && c <= '9')
            out.digits += c;
    std::size_t i = e + 1;
    const bool negative = text[i] == '-';
    ++i;
    for (; i < text.size(); ++i)
        out.exponent = out.exponent * 10 + (text[i] - '0');
    if (negative)
        out.exponent = -out.exponent;
    return out;
}

inline std::string Describe(const DecimalDigits& d) {
    return d.digits + "e" + std::to_string(d.exponent);
}

inline std::string Hex(double number) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::hex);
    return std::string(buffer, end.ptr);
}

// What differs between ours and the library's formatting of a finite,
// non-negative double, "" when nothing does. `count` significant digits
// (1 to 40) and `decimals` (1 to 60) choose the rounded forms checked.
inline std::string CompareFormatting(double number, int count, int decimals) {
    char buffer[1200];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::scientific);
    const DecimalDigits shortest = ShortestDigits(number);
    DecimalDigits expected = FromScientific(std::string_view(buffer, end.ptr - buffer));
    if (shortest.digits != expected.digits || shortest.exponent != expected.exponent)
        return "shortest of " + Hex(number) + ": " + Describe(shortest) + " instead of " +
               Describe(expected);

    end = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::scientific,
                        count - 1);
    const DecimalDigits rounded = RoundedDigits(number, count);
    expected = FromScientific(std::string_view(buffer, end.ptr - buffer));
    if (rounded.digits != expected.digits || rounded.exponent != expected.exponent)
        return std::to_string(count) + " digits of " + Hex(number) + ": " + Describe(rounded) +
               " instead of " + Describe(expected);

    end = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, decimals);
    const std::string fixed = FixedDigits(number, decimals);
    if (fixed != std::string_view(buffer, end.ptr - buffer))
        return std::to_string(decimals) + " decimals of " + Hex(number) + ": " + fixed +
               " instead of " + std::string(buffer, end.ptr);
    return {};
}

// What differs between ours and the library's reading of a text (no sign),
// with and without an exponent, "" when nothing does. Out of the range, the
// library reports the error and leaves the value alone; ours must report it
// too and give 0 or infinity.
inline std::string CompareReading(std::string_view text) {
    for (const bool exponent : {true, false}) {
        double expected = -1;
        const auto result =
            std::from_chars(text.data(), text.data() + text.size(), expected,
                            exponent ? std::chars_format::general : std::chars_format::fixed);
        const DecimalReading ours = ReadDecimal(text, exponent);
        const std::string which = exponent ? " (with exponent)" : " (fixed)";
        const std::size_t length =
            result.ec == std::errc::invalid_argument ? 0 : result.ptr - text.data();
        if (ours.length != length)
            return "\"" + std::string(text) + "\"" + which + ": read " +
                   std::to_string(ours.length) + " characters instead of " + std::to_string(length);
        if (length == 0)
            continue;
        const bool outOfRange = result.ec == std::errc::result_out_of_range;
        if (ours.outOfRange != outOfRange)
            return "\"" + std::string(text) + "\"" + which + ": out of range " +
                   (ours.outOfRange ? "reported" : "not reported");
        if (outOfRange ? !(ours.value == 0 || ours.value > 1.7976931348623157e308)
                       : std::bit_cast<std::uint64_t>(ours.value) !=
                             std::bit_cast<std::uint64_t>(expected))
            return "\"" + std::string(text) + "\"" + which + ": " + Hex(ours.value) +
                   " instead of " + Hex(expected);
    }
    return {};
}

} // namespace quillomet::agreement
