#include "calculator/calculator_text.h"

#include "common/automation_error.h"
#include "common/decimal_conversion.h"
#include "common/number_conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

namespace quillomet {
namespace {

// The text with the locale's separator turned into ".", and a "." that was
// no separator turned into something no number contains.
std::string WithPoint(std::string_view text, char separator) {
    std::string out(text);
    if (separator == '.')
        return out;
    for (char& c : out) {
        if (c == '.')
            c = '?';
        else if (c == separator)
            c = '.';
    }
    return out;
}

bool IsSeparatorAlone(std::string_view text, char separator) {
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    return text.size() == 1 && text.front() == separator;
}

// Adds one in the last place of a digit string, carrying; true when the
// carry runs out of the string's front.
bool Increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number as its digits: -1 to the power of `negative`, times the
// integer `digits`, times ten to the power of `exponent`.
struct DecimalNumber {
    bool negative = false;
    std::string digits;
    long exponent = 0;
};

// Reads digits with at most one "." from text[i] on; each digit after the
// point lowers the exponent. Returns how many digits it read.
std::size_t ReadDigits(std::string_view text, std::size_t& i, DecimalNumber& number) {
    bool point = false;
    std::size_t count = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            number.digits += c;
            if (point)
                --number.exponent;
            ++count;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    return count;
}

bool ReadSign(std::string_view text, std::size_t& i) {
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        return text[i++] == '-';
    return false;
}

// The whole text as a number in the form the automation parser reads:
// blanks around it, a sign, digits with at most one point, an optional
// exponent. Nothing when any other character remains.
std::optional<DecimalNumber> WholeNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    DecimalNumber number;
    std::size_t i = 0;
    number.negative = ReadSign(text, i);
    if (ReadDigits(text, i, number) == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = ReadSign(text, i);
        // Far beyond any amount either way; kept small so it cannot overflow.
        constexpr long Limit = 100'000;
        long exponent = 0;
        const std::size_t start = i;
        for (; i < text.size() && IsDigit(text[i]); ++i)
            exponent = std::min(Limit, exponent * 10 + (text[i] - '0'));
        if (i == start)
            return std::nullopt;
        number.exponent += negative ? -exponent : exponent;
    }
    if (i != text.size())
        return std::nullopt;
    return number;
}

// The leading number, as TextValue reads it.
DecimalNumber LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    DecimalNumber number;
    number.negative = ReadSign(text, i);
    ReadDigits(text, i, number);
    return number;
}

// Whether the decimal number is exactly the amount in ten-thousandths.
bool IsAmount(const DecimalNumber& number, Currency amount) {
    std::string_view digits = number.digits;
    while (!digits.empty() && digits.front() == '0')
        digits.remove_prefix(1);
    const std::uint64_t magnitude =
        amount.scaled < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(amount.scaled)
                          : static_cast<std::uint64_t>(amount.scaled);
    if (digits.empty())
        return magnitude == 0; // also "-0."
    if (number.negative != (amount.scaled < 0))
        return false;
    // The number in ten-thousandths is digits times ten to this power.
    long scale = number.exponent + 4;
    if (scale < 0) {
        // Digits past the fourth decimal: equal only when they are zeros.
        const auto fractional = static_cast<std::size_t>(-scale);
        if (fractional >= digits.size())
            return false; // the first digit, not a zero, lies past it
        if (digits.substr(digits.size() - fractional).find_first_not_of('0') !=
            std::string_view::npos)
            return false;
        digits.remove_suffix(fractional);
        scale = 0;
    }
    // No amount has more than 19 digits, and 19 digits fit in 64 bits.
    if (digits.size() + static_cast<std::size_t>(scale) > 19)
        return false;
    std::uint64_t value = 0;
    for (const char c : digits)
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    for (long k = 0; k < scale; ++k)
        value *= 10;
    return value == magnitude;
}

} // namespace

std::string QuotientText(double quotient, char separator) {
    if (!std::isfinite(quotient))
        quotient = 0;
    const bool negative = quotient < 0;
    // Forty decimals are exact enough to tell a true tie at the eighth.
    const std::string digits = FixedDigits(std::fabs(quotient), 40);
    const std::string_view fixed = digits;
    const std::size_t point = fixed.find('.');
    std::string integer(fixed.substr(0, point));
    std::string decimals(fixed.substr(point + 1, 7));
    const std::string_view rest = fixed.substr(point + 8);
    // Half away from zero: a remainder of exactly one half rounds up too.
    if (rest.front() >= '5') {
        std::string all = integer + decimals;
        if (Increment(all))
            all.insert(all.begin(), '1');
        integer = all.substr(0, all.size() - 7);
        decimals = all.substr(all.size() - 7);
    }
    while (!decimals.empty() && decimals.back() == '0')
        decimals.pop_back();
    const std::size_t firstDigit = integer.find_first_not_of('0');
    integer = firstDigit == std::string::npos ? std::string() : integer.substr(firstDigit);

    std::string text;
    if (negative && !(integer.empty() && decimals.empty()))
        text += '-';
    text += integer;
    text += separator;
    text += decimals;
    return text;
}

double OperandDouble(const Variant& operand, char separator) {
    if (!operand.IsString())
        return operand.ToDouble();
    const std::string& text = operand.String();
    if (IsSeparatorAlone(text, separator))
        return 0;
    double value = 0;
    if (!ParseAutomationNumber(WithPoint(text, separator), value))
        ThrowTypeMismatch();
    if (!std::isfinite(value))
        ThrowOverflow();
    return value;
}

double ReadoutNumber(std::string_view readout, char separator) {
    const std::string text = WithPoint(readout, separator);
    double value = 0;
    if (ParseAutomationNumber(text, value) && std::isfinite(value))
        return value;
    return TextValue(text);
}

bool ReadoutIsAmount(std::string_view readout, char separator, Currency amount) {
    const std::string text = WithPoint(readout, separator);
    // The readout is read the way ReadoutNumber reads it: whole when it is
    // a number within the double range, otherwise its leading number.
    double value = 0;
    std::optional<DecimalNumber> whole;
    if (ParseAutomationNumber(text, value) && std::isfinite(value))
        whole = WholeNumber(text);
    return IsAmount(whole ? *whole : LeadingNumber(text), amount);
}

std::string OperandText(const Variant& operand, char separator) {
    switch (operand.Type()) {
    case VariantType::String:
        return operand.String();
    case VariantType::Currency:
        return CurrencyText(operand.ToCurrency(), separator);
    case VariantType::Empty:
        return {};
    default:
        return FloatText(operand.ToDouble(), 15, separator);
    }
}

} // namespace quillomet
