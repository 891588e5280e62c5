#pragma once

#include <cstdint>
#include <iterator>
#include <string>

namespace quillomet {

enum class HexCase { Lower, Upper };

// The digits of a number in base 10 or 16, without leading zeros ("0" for 0).
inline std::string UnsignedText(std::uint32_t value, unsigned radix = 10,
                                HexCase letters = HexCase::Lower) {
    const char* const digits = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char reversed[10];
    int n = 0;
    do {
        reversed[n++] = digits[value % radix];
        value /= radix;
    } while (value != 0);
    return std::string(std::make_reverse_iterator(reversed + n),
                       std::make_reverse_iterator(reversed));
}

} // namespace quillomet
