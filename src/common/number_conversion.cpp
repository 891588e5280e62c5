#include "common/number_conversion.h"

#include "common/automation_error.h"
#include "common/decimal_conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

// The text routines compare and round doubles and must get the same bits on
// every build: 32-bit x86 must compute in SSE2, not with the x87 unit's
// 80-bit intermediates (see cmake/mingw32.cmake).
#if defined(__i386__) && !defined(__SSE2_MATH__)
#error "32-bit x86 builds need -msse2 -mfpmath=sse"
#endif

namespace quillomet {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr double FifteenDigitLimit = 1e15;

// Writes the decimal digits of 0 < m < 10^15 and returns how many.
std::size_t WriteDigits(std::uint64_t m, char* out) {
    char reversed[16];
    std::size_t n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + m % 10);
        m /= 10;
    } while (m != 0);
    for (std::size_t k = 0; k < n; ++k)
        out[k] = reversed[n - 1 - k];
    return n;
}

// The number as m / 10^k with m below 10^15, when such a pair gives back
// exactly this double: then m's digits are the number's 15-digit rounding
// (two such decimals cannot both round to one double), and no general
// float printing is needed. Most numbers a user enters are of this kind.
bool TryScaledInteger(double magnitude, std::uint64_t& m, int& k) {
    if (magnitude >= FifteenDigitLimit)
        return false;
    for (k = 0; k < static_cast<int>(ExactPowersOfTen.size()); ++k) {
        const double scaled = std::nearbyint(magnitude * ExactPowersOfTen[k]);
        if (scaled >= FifteenDigitLimit)
            return false;
        if (scaled / ExactPowersOfTen[k] == magnitude) {
            m = static_cast<std::uint64_t>(scaled);
            return m != 0;
        }
    }
    return false;
}

// Appends `digits` with a decimal point `point` digits from their start:
// zeros fill in after the point when it stands before them, and before it
// when it stands beyond their end, where no point is written.
void AppendWithPoint(std::string& text, std::string_view digits, std::int64_t point) {
    if (point <= 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-point), '0');
        text += digits;
    } else if (const auto integerDigits = static_cast<std::size_t>(point);
               integerDigits >= digits.size()) {
        text += digits;
        text.append(integerDigits - digits.size(), '0');
    } else {
        text += digits.substr(0, integerDigits);
        text += '.';
        text += digits.substr(integerDigits);
    }
}

} // namespace

double TextValue(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Beyond the range it is an infinity, or 0 below it.
    const DecimalReading reading = ReadDecimal(text.substr(i), false);
    if (reading.length == 0)
        return 0.0; // no digits, and no sign for them either
    return negative ? -reading.value : reading.value;
}

std::size_t IntegerDigitCount(std::string_view text) noexcept {
    std::size_t count = 0;
    for (const char c : text) {
        if (c == '.')
            break;
        if (IsDigit(c) && (count > 0 || c != '0'))
            ++count;
    }
    return count;
}

bool WithinPlainRange(std::string_view text) {
    if (IntegerDigitCount(text) > MaxIntegerDigits)
        return false;
    std::string digits;
    bool point = false;
    for (const char c : text) {
        if (IsDigit(c) || (c == '.' && !point)) {
            point |= c == '.';
            digits += c;
        }
    }
    return std::fabs(TextValue(digits)) < PlainFormLimit;
}

std::optional<std::string> PlainFromExponentForm(std::string_view text, std::size_t maxLength) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    std::string digits;
    std::size_t integerDigits = std::string::npos;
    for (; i < text.size() && (IsDigit(text[i]) || text[i] == '.'); ++i) {
        if (text[i] != '.')
            digits += text[i];
        else if (integerDigits == std::string::npos)
            integerDigits = digits.size();
        else
            return std::nullopt; // a second point
    }
    if (digits.empty() || i == text.size() || (text[i] != 'E' && text[i] != 'e'))
        return std::nullopt;
    if (integerDigits == std::string::npos)
        integerDigits = digits.size();
    ++i;
    const bool exponentNegative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    const std::size_t exponentStart = i;
    // Kept far below overflow: beyond the length limit either way.
    const auto limit =
        static_cast<std::int64_t>(maxLength) + static_cast<std::int64_t>(digits.size()) + 2;
    std::int64_t exponent = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        exponent = std::min(limit, exponent * 10 + (text[i] - '0'));
    if (i == exponentStart || i != text.size())
        return std::nullopt;

    if (digits.find_first_not_of('0') == std::string::npos)
        return std::string("0");
    // Where the point goes among the digits, counted from their start.
    const std::int64_t point =
        static_cast<std::int64_t>(integerDigits) + (exponentNegative ? -exponent : exponent);
    if (point > 0 && static_cast<std::size_t>(point) >= digits.size() &&
        static_cast<std::size_t>(point) > maxLength)
        ThrowOverflow();
    // The number as written, then without the zeros a plain form leaves out:
    // those before its integer digits and after its fraction digits.
    std::string number;
    AppendWithPoint(number, digits, point);
    if (number.find('.') != std::string::npos) {
        while (number.back() == '0')
            number.pop_back();
        if (number.back() == '.')
            number.pop_back();
    }
    const std::size_t integerEnd = std::min(number.find('.'), number.size());
    const std::size_t significant = std::min(number.find_first_not_of('0'), integerEnd - 1);
    std::string_view magnitude(number);
    magnitude.remove_prefix(significant);

    std::string plain;
    if (negative && magnitude != "0")
        plain += '-';
    plain += magnitude;
    if (plain.size() > maxLength)
        ThrowOverflow();
    return plain;
}

std::string NumberText(double number) {
    if (!std::isfinite(number))
        ThrowOverflow();
    if (number == 0.0)
        return "0"; // also for -0

    std::uint64_t scaled = 0;
    int decimals = 0;
    if (TryScaledInteger(std::fabs(number), scaled, decimals)) {
        char digits[16];
        const std::size_t n = WriteDigits(scaled, digits);
        std::string text;
        text.reserve(n + static_cast<std::size_t>(decimals) + 3);
        if (number < 0)
            text += '-';
        AppendWithPoint(text, std::string_view(digits, n), static_cast<std::int64_t>(n) - decimals);
        return text;
    }

    // The shortest digits that read back as the same double; when there are
    // more than 15 of them, round to 15 instead.
    DecimalDigits decimal = ShortestDigits(number);
    if (decimal.digits.size() > 15)
        decimal = RoundedDigits(number, 15);
    const int exponent = decimal.exponent;
    // Just below the largest double, rounding up to 15 digits would give a
    // text that reads back as infinity: keep the digits truncated instead.
    if (exponent == 308 && decimal.digits.size() == 15 && decimal.digits > "179769313486231")
        decimal.digits = RoundedDigits(number, 17).digits.substr(0, 15);
    const char* const mantissa = decimal.digits.data();
    std::size_t n = decimal.digits.size();
    while (n > 1 && mantissa[n - 1] == '0')
        --n;

    std::string text;
    text.reserve(n + static_cast<std::size_t>(exponent < 0 ? -exponent : exponent) + 3);
    if (number < 0)
        text += '-';
    AppendWithPoint(text, std::string_view(mantissa, n), exponent + 1);
    return text;
}

} // namespace quillomet
