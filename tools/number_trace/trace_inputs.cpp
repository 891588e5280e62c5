#include "trace_inputs.h"

namespace number_trace {
namespace {

constexpr std::uint64_t Golden = 0x9E3779B97F4A7C15;

std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return z ^ (z >> 31);
}

char DigitOf(Rng& rng) {
    return static_cast<char>('0' + rng.Below(10));
}

char NonZeroDigitOf(Rng& rng) {
    return static_cast<char>('1' + rng.Below(9));
}

// `count` digits; the first one not 0 when `leading` (no leading zeros).
std::string DigitsOf(Rng& rng, int count, bool leading) {
    std::string digits;
    for (int i = 0; i < count; ++i)
        digits += (i == 0 && leading) ? NonZeroDigitOf(rng) : DigitOf(rng);
    return digits;
}

std::string SignOf(Rng& rng) {
    const int roll = rng.Between(0, 99);
    return roll < 30 ? "-" : roll < 35 ? "+" : "";
}

std::string ZeroTextOf(Rng& rng) {
    static constexpr const char* zeros[] = {"0", "-0", "0.00", ".0", "-0.000", "+0", "000"};
    return rng.Pick(zeros);
}

// A mantissa with one digit before the point and an exponent: up to 1E308
// and beyond it for Any, which overflows on purpose.
std::string ExponentTextOf(Rng& rng, Magnitude magnitude) {
    // Each draw in its own statement: the operands of one expression are
    // unsequenced, and compilers order them differently.
    std::string text = SignOf(rng);
    text += NonZeroDigitOf(rng);
    if (rng.Percent(70))
        text += "." + DigitsOf(rng, rng.Between(1, 6), false);
    text += rng.Percent(80) ? 'E' : 'e';
    const bool negative = rng.Percent(50);
    if (negative)
        text += '-';
    else if (rng.Percent(30))
        text += '+';
    const int largest = magnitude == Magnitude::Moderate ? 5 : rng.Percent(10) ? 310 : 20;
    return text + std::to_string(rng.Between(0, largest));
}

// A fraction ending in 5 at the second to fourth decimal: the halfway cases
// of a picture's rounding.
std::string HalfwayTextOf(Rng& rng, Magnitude magnitude) {
    const int integerDigits = rng.Between(0, magnitude == Magnitude::Moderate ? 4 : 12);
    const std::string integer = integerDigits == 0 ? "0" : DigitsOf(rng, integerDigits, true);
    const std::string sign = SignOf(rng);
    return sign + integer + "." + DigitsOf(rng, rng.Between(1, 3), false) + "5";
}

std::string DecimalTextOf(Rng& rng, Magnitude magnitude) {
    const bool moderate = magnitude == Magnitude::Moderate;
    const int integerDigits = rng.Between(0, moderate ? 6 : 15);
    // Mostly within 15 significant digits; now and then well past them.
    int fractionDigits = rng.Between(1, moderate ? 4 : 15 - integerDigits / 2);
    if (!moderate && rng.Percent(10))
        fractionDigits = rng.Between(10, 22);
    std::string text = SignOf(rng);
    if (integerDigits > 0)
        text += DigitsOf(rng, integerDigits, true);
    else if (rng.Percent(70))
        text += '0';
    if (integerDigits == 0 && rng.Percent(40))
        text += "." + std::string(static_cast<std::size_t>(rng.Between(1, 6)), '0');
    else
        text += '.';
    return text + DigitsOf(rng, fractionDigits, false);
}

std::string IntegerTextOf(Rng& rng, Magnitude magnitude) {
    const int digits = rng.Between(1, magnitude == Magnitude::Moderate ? 6 : 17);
    const std::string sign = SignOf(rng);
    return sign + DigitsOf(rng, digits, true);
}

// A digit picture of `count` placeholders, "#" before "0" as pictures are
// usually written, or in any order.
std::string PlaceholdersOf(Rng& rng, int count) {
    std::string placeholders;
    const bool ordered = rng.Percent(80);
    const int hashes = rng.Between(0, count);
    for (int i = 0; i < count; ++i)
        placeholders += ordered ? (i < hashes ? '#' : '0') : (rng.Percent(50) ? '#' : '0');
    return placeholders;
}

// Group marks every three places from the right, or at random places.
std::string Grouped(Rng& rng, const std::string& placeholders) {
    const int roll = rng.Between(0, 99);
    if (roll >= 60)
        return placeholders;
    std::string grouped;
    const std::size_t length = placeholders.size();
    for (std::size_t i = 0; i < length; ++i) {
        const std::size_t fromRight = length - i;
        const bool mark = roll < 45 ? (fromRight % 3 == 0) : rng.Percent(20);
        if (i > 0 && mark)
            grouped += ',';
        grouped += placeholders[i];
    }
    return grouped;
}

std::string SectionOf(Rng& rng) {
    static constexpr const char* prefixes[] = {"$",     "(",  "-", "+", "USD ", "Qty ",
                                               "No 7 ", "A1", "x", "[", " ",    "2x "};
    static constexpr const char* suffixes[] = {")",  " kg", "%", "-", " CR",
                                               "m2", "x10", " ", "]", " per 100"};
    if (rng.Percent(4))
        return "";
    std::string section;
    if (rng.Percent(35))
        section += rng.Pick(prefixes);
    const int integerPlaces = rng.Percent(5) ? 0 : rng.Between(1, 14);
    section += Grouped(rng, PlaceholdersOf(rng, integerPlaces));
    if (rng.Percent(70)) {
        section += '.';
        const int decimals = rng.Percent(15) ? 7 : rng.Between(0, 8);
        for (int i = 0; i < decimals; ++i)
            section += rng.Percent(80) ? '0' : '#';
    }
    if (rng.Percent(30))
        section += rng.Pick(suffixes);
    return section;
}

void AppendNumberKeys(Rng& rng, std::vector<std::string>& keys, int maxDigits) {
    const int digits = rng.Between(1, maxDigits);
    const int point = rng.Percent(30) ? rng.Between(0, digits) : -1;
    for (int i = 0; i < digits; ++i) {
        if (i == point)
            keys.emplace_back(".");
        keys.emplace_back(1, DigitOf(rng));
    }
}

void AppendRandomKeys(Rng& rng, std::vector<std::string>& keys, int count) {
    static constexpr const char* operators[] = {"+", "-", "X", "/"};
    static constexpr const char* others[] = {"=", "=", "%", "C", "CE", "CE", "BS", "BS", "."};
    for (int i = 0; i < count; ++i) {
        const int roll = rng.Between(0, 99);
        if (roll < 5)
            AppendNumberKeys(rng, keys, 20); // more digits than the readout holds
        else if (roll < 55)
            keys.emplace_back(1, DigitOf(rng));
        else if (roll < 78)
            keys.emplace_back(rng.Pick(operators));
        else
            keys.emplace_back(rng.Pick(others));
    }
}

// Products of fourteen nines, each one bigger than the readout can show;
// mostly from a cleared readout, else the nines continue the number shown.
void AppendOverflowingProduct(Rng& rng, std::vector<std::string>& keys) {
    if (rng.Percent(70))
        keys.emplace_back("C");
    const int factors = rng.Between(2, 7);
    for (int f = 0; f < factors; ++f) {
        if (f > 0)
            keys.emplace_back("X");
        for (int d = 0; d < 14; ++d)
            keys.emplace_back("9");
    }
    keys.emplace_back("=");
}

void AppendDivisionByZero(Rng& rng, std::vector<std::string>& keys) {
    AppendNumberKeys(rng, keys, 6);
    keys.emplace_back("/");
    keys.emplace_back("0");
    if (rng.Percent(30)) {
        keys.emplace_back(".");
        keys.emplace_back("0");
    }
    keys.emplace_back(rng.Percent(70) ? "=" : rng.Percent(50) ? "+" : "X");
}

} // namespace

Rng::Rng(std::uint64_t seed, std::uint64_t family, std::uint64_t index)
    : m_State(Mix(seed ^ Mix(family * Golden + Mix(index)))) {}

std::uint64_t Rng::Next() {
    m_State += Golden;
    return Mix(m_State);
}

// Draws that fall in the short last stretch of the 64-bit range are drawn
// again, so every residue is equally likely.
std::uint64_t Rng::Below(std::uint64_t n) {
    const std::uint64_t threshold = (0 - n) % n;
    for (;;) {
        const std::uint64_t draw = Next();
        if (draw >= threshold)
            return draw % n;
    }
}

int Rng::Between(int low, int high) {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low + 1);
    return low + static_cast<int>(Below(span));
}

std::string NumberTextOf(Rng& rng, Magnitude magnitude) {
    switch (rng.Below(10)) {
    case 0:
        return ZeroTextOf(rng);
    case 1:
        return ExponentTextOf(rng, magnitude);
    case 2:
        return HalfwayTextOf(rng, magnitude);
    case 3:
    case 4:
        return IntegerTextOf(rng, magnitude);
    default:
        return DecimalTextOf(rng, magnitude);
    }
}

std::string OddTextOf(Rng& rng) {
    static constexpr const char* odd[] = {"",   "abc",   "1,234.56",   "(7.5)",  "$12",   " 42 ",
                                          "1e", "--5",   "0x10",       "1.2.3",  "12-3",  "-",
                                          ".",  "1 000", "(1,000.25)", "3.5 kg", "+-0.5", "9e9999"};
    if (rng.Percent(70))
        return rng.Pick(odd);
    // A generated number with group marks or parentheses around it.
    const std::string number = NumberTextOf(rng, Magnitude::Moderate);
    return rng.Percent(50) ? "(" + number + ")" : number + " ";
}

std::string PictureOf(Rng& rng) {
    static constexpr const char* known[] = {"###,##0.00;(##,###.00)",
                                            "0.0000000",
                                            "#,###,###,###,###,##0.00;-#,###,###,###,###,##0.00",
                                            "0",
                                            "#",
                                            "0.00",
                                            "#,##0",
                                            "(0.00)",
                                            "##0.00;-##0.00",
                                            "0.00;(0.00);zero",
                                            "",
                                            "#,##0.00 kg;(#,##0.00) kg"};
    if (rng.Percent(20))
        return rng.Pick(known);
    const int roll = rng.Between(0, 99);
    const int sections = roll < 60 ? 1 : roll < 90 ? 2 : 3;
    std::string picture = SectionOf(rng);
    for (int s = 1; s < sections; ++s)
        picture += ";" + SectionOf(rng);
    return picture;
}

std::int16_t IncrementOf(Rng& rng) {
    static constexpr std::int16_t usual[] = {
        0, 1, -1, 2, 5, 10, 25, 100, 3, 7, -5, -100, 1000, 32767, -32768, 9999, 50, 32766, -32767};
    if (rng.Percent(75))
        return rng.Pick(usual);
    return static_cast<std::int16_t>(rng.Between(-32768, 32767));
}

std::vector<std::string> CalculatorKeysOf(Rng& rng) {
    std::vector<std::string> keys;
    AppendRandomKeys(rng, keys, rng.Between(0, 6));
    switch (rng.Below(6)) {
    case 0:
        AppendOverflowingProduct(rng, keys);
        break;
    case 1:
        AppendDivisionByZero(rng, keys);
        break;
    default:
        AppendRandomKeys(rng, keys, rng.Between(1, 18));
        break;
    }
    if (rng.Percent(50))
        AppendRandomKeys(rng, keys, rng.Between(1, 6));
    return keys;
}

} // namespace number_trace
