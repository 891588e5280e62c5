#pragma once

// Inputs for comparing the decimal conversions with the C++ library's: the
// doubles to format and the texts to read, in families that reach the hard
// cases (subnormals, the bottoms of binades, ties, midpoints between
// doubles, long digit strings, exponents at both ends of the range).
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace quillomet::agreement {

// splitmix64: the same sequence on every build.
class Generator {
public:
    explicit Generator(std::uint64_t seed) : m_State(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_State += 0x9E3779B97F4A7C15);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    char Digit() { return static_cast<char>('0' + Below(10)); }

private:
    std::uint64_t m_State;
};

constexpr int DoubleFamilies = 5;

// A finite, non-negative double of family `family` (0 to DoubleFamilies - 1).
inline double GeneratedDouble(Generator& g, int family) {
    switch (family) {
    case 0: // any bit pattern
        for (;;) {
            const double d = std::bit_cast<double>(g.Next() >> 1);
            if (std::isfinite(d))
                return d;
        }
    case 1: // subnormal or just above
        return std::bit_cast<double>(g.Next() >> (12 - g.Below(2)) & 0x001FFFFFFFFFFFFF);
    case 2: { // a short decimal, as users type them
        const double mantissa = static_cast<double>(g.Next() % 100000000);
        const int scale = g.Below(40) - 20;
        return scale >= 0 ? mantissa * std::pow(10.0, scale) : mantissa / std::pow(10.0, -scale);
    }
    case 3: { // the bottom or top of a binade, and its neighbours
        const auto exponent = static_cast<std::uint64_t>(1 + g.Below(2046)) << 52;
        const std::uint64_t edge = g.Below(2) ? 0 : 0x000FFFFFFFFFFFFF;
        const std::uint64_t step = static_cast<std::uint64_t>(g.Below(5));
        const double d = std::bit_cast<double>((exponent | edge) + step - 2);
        return std::isfinite(d) ? d : std::numeric_limits<double>::max();
    }
    default: // an integer that a double holds exactly
        return static_cast<double>(g.Next() >> g.Below(64));
    }
}

constexpr int TextFamilies = 5;

// A text of family `family` (0 to TextFamilies - 1) for the readers: digits,
// at most one point and maybe an exponent, no sign.
inline std::string GeneratedText(Generator& g, int family) {
    char buffer[1200];
    switch (family) {
    case 0: { // the shortest or a long rounding of a double
        const double d = GeneratedDouble(g, g.Below(DoubleFamilies));
        const auto end = g.Below(2)
                             ? std::to_chars(buffer, buffer + sizeof buffer, d)
                             : std::to_chars(buffer, buffer + sizeof buffer, d,
                                             std::chars_format::scientific, 15 + g.Below(10));
        return std::string(buffer, end.ptr);
    }
    case 1: { // random digits, point and exponent
        std::string text;
        const int digits = 1 + g.Below(g.Below(4) ? 20 : 60);
        const int point = g.Below(digits + 2) - 1;
        for (int i = 0; i < digits; ++i) {
            if (i == point)
                text += '.';
            text += g.Below(8) ? g.Digit() : '0';
        }
        if (g.Below(3))
            text += (g.Below(2) ? "e" : "E") +
                    std::string(g.Below(3)   ? ""
                                : g.Below(2) ? "+"
                                             : "-") +
                    std::to_string(g.Below(700) - 350);
        return text;
    }
    case 2: { // odd endings: a lone point, an exponent without digits
        static constexpr const char* endings[] = {".", "e", "E+", "e-", ".e5", "e+x", "..5", "5e"};
        std::string text(static_cast<std::size_t>(g.Below(4)), '0');
        if (g.Below(2))
            text += g.Digit();
        return text + endings[g.Below(8)];
    }
    case 3: { // many leading or trailing zeros around a few digits
        std::string text = g.Below(2) ? "0." + std::string(g.Below(340), '0') : "";
        text += std::to_string(g.Next() % 1000000);
        text += std::string(static_cast<std::size_t>(g.Below(340)), '0');
        return text;
    }
    default: { // a midpoint between two doubles, exact, or just below or above it
        if constexpr (std::numeric_limits<long double>::digits < 64) {
            return "0.5";
        } else {
            const double d = GeneratedDouble(g, g.Below(DoubleFamilies));
            const double next = std::nextafter(d, std::numeric_limits<double>::infinity());
            if (!std::isfinite(next))
                return "1";
            // Exact in the 64-bit mantissa of long double.
            const long double mid = (static_cast<long double>(d) + next) / 2;
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, mid,
                                           std::chars_format::scientific, 800);
            std::string text(buffer, end.ptr);
            const std::size_t e = text.find('e');
            std::string digits = text.substr(0, e);
            while (digits.back() == '0')
                digits.pop_back();
            if (digits.back() == '.')
                digits.pop_back();
            switch (g.Below(3)) {
            case 0: // just below: the last digit one less, then nines
                --digits.back();
                digits += "9999";
                break;
            case 1: // just above
                digits += "0001";
                break;
            default: // the exact tie
                break;
            }
            return digits + text.substr(e);
        }
    }
    }
}

} // namespace quillomet::agreement
