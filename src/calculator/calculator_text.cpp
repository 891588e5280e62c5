#include "calculator/calculator_text.h"

#include "common/automation_error.h"
#include "control/number_conversion.h"

#include <array>
#include <charconv>
#include <cmath>

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

} // namespace

std::string QuotientText(double quotient, char separator) {
    if (!std::isfinite(quotient))
        quotient = 0;
    const bool negative = quotient < 0;
    // Forty decimals are exact enough to tell a true tie at the eighth.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      std::fabs(quotient), std::chars_format::fixed, 40);
    const std::string_view fixed(buffer.data(),
                                 static_cast<std::size_t>(result.ptr - buffer.data()));
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
