#pragma once

// The inputs of the number trace, made from a seeded generator with integer
// arithmetic only, and made as texts: every build reads the same inputs
// whatever its floating point does.

#include <cstdint>
#include <string>
#include <vector>

namespace number_trace {

// splitmix64, one stream per input: (seed, family, index) alone decide an
// input, so one line can be made again without the lines before it.
class Rng {
public:
    Rng(std::uint64_t seed, std::uint64_t family, std::uint64_t index);

    std::uint64_t Next();
    // Uniform in [0, n) for n > 0.
    std::uint64_t Below(std::uint64_t n);
    // Uniform in [low, high].
    int Between(int low, int high);
    bool Percent(int percent) { return static_cast<int>(Below(100)) < percent; }

    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }

private:
    std::uint64_t m_State;
};

enum class Magnitude {
    Any,      // up to 15 integer digits, long fractions, exponents to overflow
    Moderate, // up to 6 integer digits and 4 decimals, so limits and values meet
};

// A number text as a host or a user writes one: digits, a sign, one point,
// sometimes an exponent ("1.5E-3").
std::string NumberTextOf(Rng& rng, Magnitude magnitude);

// A text that is no plain number: group marks, parentheses, letters, blanks.
std::string OddTextOf(Rng& rng);

// A Format picture: sections split by ";", "0" and "#" placeholders, ","
// group marks, one ".", literal text around them.
std::string PictureOf(Rng& rng);

std::int16_t IncrementOf(Rng& rng);

// Calculator keys: "0".."9", ".", "+", "-", "X", "/", "=", "%", "C", "CE"
// and "BS" (backspace).
std::vector<std::string> CalculatorKeysOf(Rng& rng);

} // namespace number_trace
