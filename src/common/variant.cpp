#include "common/variant.h"

#include "common/automation_error.h"
#include "common/decimal_conversion.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace quillomet {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// Rounds to a whole number, halves to even (the FPU's default mode).
double RoundHalfEven(double v) {
    return std::nearbyint(v);
}

std::int64_t RoundToInteger(double v, double low, double high) {
    if (!std::isfinite(v))
        ThrowOverflow();
    const double r = RoundHalfEven(v);
    if (r < low || r > high)
        ThrowOverflow();
    return static_cast<std::int64_t>(r);
}

// Whole units of a currency, halves to even.
std::int64_t CurrencyToWhole(Currency c) {
    std::int64_t q = c.scaled / Currency::Scale;
    const std::int64_t r = c.scaled % Currency::Scale;
    const std::int64_t twice = 2 * (r < 0 ? -r : r);
    if (twice > Currency::Scale || (twice == Currency::Scale && (q % 2) != 0))
        q += (r < 0) ? -1 : 1;
    return q;
}

double TextToDouble(std::string_view text) {
    double v = 0;
    if (!ParseAutomationNumber(text, v))
        ThrowTypeMismatch();
    if (!std::isfinite(v))
        ThrowOverflow();
    return v;
}

// units = units * 10 + digit, false on overflow of 64 bits.
bool MultiplyAdd(std::uint64_t& units, unsigned digit) {
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    if (units > (max - digit) / 10)
        return false;
    units = units * 10 + digit;
    return true;
}

// A magnitude in ten-thousandths with its sign, within the currency range.
Currency SignedCurrency(std::uint64_t units, bool negative) {
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (units > limit + (negative ? 1 : 0))
        ThrowOverflow();
    return Currency{negative ? static_cast<std::int64_t>(0 - units)
                             : static_cast<std::int64_t>(units)};
}

// A plain decimal text straight into ten-thousandths, so that "2.00005"
// rounds on its decimal digits rather than on a binary approximation.
bool ExactDecimalCurrency(std::string_view text, Currency& out) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint64_t units = 0;
    int fractionDigits = -1; // -1: before the point
    bool anyDigit = false, sticky = false;
    int roundingDigit = -1;
    for (char c : text) {
        if (c == '.') {
            if (fractionDigits >= 0)
                return false;
            fractionDigits = 0;
            continue;
        }
        if (c < '0' || c > '9')
            return false;
        anyDigit = true;
        const int d = c - '0';
        if (fractionDigits < 4) {
            if (!MultiplyAdd(units, static_cast<unsigned>(d)))
                ThrowOverflow();
            if (fractionDigits >= 0)
                ++fractionDigits;
        } else if (roundingDigit < 0) {
            roundingDigit = d;
        } else if (d != 0) {
            sticky = true;
        }
    }
    if (!anyDigit)
        return false;
    for (int f = fractionDigits < 0 ? 0 : fractionDigits; f < 4; ++f)
        if (!MultiplyAdd(units, 0))
            ThrowOverflow();
    if (roundingDigit > 5 || (roundingDigit == 5 && (sticky || (units & 1) != 0)))
        ++units;
    out = SignedCurrency(units, negative);
    return true;
}

// A double's own binary value in ten-thousandths, halves to even. The
// product with 10,000 taken in doubles is itself rounded once it passes
// 2^53 (amounts from about 9e11), so 27171523580541 would come out as
// 27171523580540.9984. Instead: |v| = m * 2^e with m below 2^53, so that
// |v| * 10,000 = (m * 625) * 2^(e + 4), and m * 625 fits 64 bits.
Currency DoubleToCurrency(double v) {
    if (!std::isfinite(v))
        ThrowOverflow();
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(v), &exponent); // in [0.5, 1), or 0
    const std::uint64_t product = static_cast<std::uint64_t>(std::ldexp(fraction, 53)) * 625;
    const int shift = exponent - 53 + 4;
    std::uint64_t units = 0;
    if (product == 0) {
        // zero, of either sign
    } else if (shift >= 0) {
        if (shift >= 64 || product > (std::uint64_t{1} << 63) >> shift)
            ThrowOverflow();
        units = product << shift;
    } else if (shift > -64) {
        const int right = -shift;
        units = product >> right;
        const std::uint64_t rest = product & ((std::uint64_t{1} << right) - 1);
        const std::uint64_t half = std::uint64_t{1} << (right - 1);
        if (rest > half || (rest == half && (units & 1) != 0))
            ++units;
    } // else less than half a ten-thousandth: nothing
    return SignedCurrency(units, std::signbit(v));
}

} // namespace

bool ParseAutomationNumber(std::string_view text, double& result) {
    text = TrimBlanks(text);
    if (text.empty())
        return false;
    bool negative = false;
    if (text.front() == '-' || text.front() == '+') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const DecimalReading reading = ReadDecimal(text, true);
    if (reading.length == 0 || reading.length != text.size())
        return false;
    const double v = reading.value;
    result = negative ? -v : v;
    return true;
}

bool Variant::IsNumeric() const noexcept {
    switch (Type()) {
    case VariantType::Integer:
    case VariantType::Long:
    case VariantType::Single:
    case VariantType::Double:
    case VariantType::Currency:
    case VariantType::Boolean:
        return true;
    default:
        return false;
    }
}

Variant Variant::Resolved() const {
    if (!IsObject())
        return *this;
    const ObjectRef& object = Object();
    if (!object)
        ThrowTypeMismatch(); // "Nothing" has no value
    Variant inner = object->DefaultValue();
    if (inner.IsObject())
        ThrowTypeMismatch(); // one level of default value, as automation does
    return inner;
}

bool Variant::ToBoolean() const {
    const Variant v = Resolved();
    switch (v.Type()) {
    case VariantType::Empty:
        return false;
    case VariantType::Null:
        ThrowInvalidUseOfNull();
    case VariantType::Boolean:
        return std::get<bool>(v.m_Data);
    case VariantType::String: {
        const std::string_view text = TrimBlanks(v.String());
        if (EqualsIgnoringCase(text, "True"))
            return true;
        if (EqualsIgnoringCase(text, "False"))
            return false;
        return TextToDouble(text) != 0.0;
    }
    case VariantType::Currency:
        return std::get<Currency>(v.m_Data).scaled != 0;
    default:
        return v.ToDouble() != 0.0;
    }
}

std::int16_t Variant::ToInteger() const {
    const Variant v = Resolved();
    if (v.Type() == VariantType::Currency) {
        const std::int64_t whole = CurrencyToWhole(std::get<Currency>(v.m_Data));
        if (whole < std::numeric_limits<std::int16_t>::min() ||
            whole > std::numeric_limits<std::int16_t>::max())
            ThrowOverflow();
        return static_cast<std::int16_t>(whole);
    }
    return static_cast<std::int16_t>(RoundToInteger(v.ToDouble(), -32768.0, 32767.0));
}

std::int32_t Variant::ToLong() const {
    const Variant v = Resolved();
    if (v.Type() == VariantType::Currency) {
        const std::int64_t whole = CurrencyToWhole(std::get<Currency>(v.m_Data));
        if (whole < std::numeric_limits<std::int32_t>::min() ||
            whole > std::numeric_limits<std::int32_t>::max())
            ThrowOverflow();
        return static_cast<std::int32_t>(whole);
    }
    return static_cast<std::int32_t>(RoundToInteger(v.ToDouble(), -2147483648.0, 2147483647.0));
}

double Variant::ToDouble() const {
    const Variant v = Resolved();
    switch (v.Type()) {
    case VariantType::Empty:
        return 0.0;
    case VariantType::Null:
        ThrowInvalidUseOfNull();
    case VariantType::Integer:
        return std::get<std::int16_t>(v.m_Data);
    case VariantType::Long:
        return std::get<std::int32_t>(v.m_Data);
    case VariantType::Single:
        return static_cast<double>(std::get<float>(v.m_Data));
    case VariantType::Double:
        return std::get<double>(v.m_Data);
    case VariantType::Currency:
        return static_cast<double>(std::get<Currency>(v.m_Data).scaled) /
               static_cast<double>(Currency::Scale);
    case VariantType::String:
        return TextToDouble(v.String());
    case VariantType::Boolean:
        return std::get<bool>(v.m_Data) ? -1.0 : 0.0;
    case VariantType::Object:
        break;
    }
    ThrowTypeMismatch();
}

Currency Variant::ToCurrency() const {
    const Variant v = Resolved();
    switch (v.Type()) {
    case VariantType::Currency:
        return std::get<Currency>(v.m_Data);
    case VariantType::Integer:
    case VariantType::Long:
    case VariantType::Boolean:
        return Currency{static_cast<std::int64_t>(v.ToDouble()) * Currency::Scale};
    case VariantType::String: {
        Currency exact;
        if (ExactDecimalCurrency(v.String(), exact))
            return exact;
        break; // exponent forms go through the double
    }
    default:
        break;
    }
    return DoubleToCurrency(v.ToDouble());
}

std::string Variant::ToString() const {
    const Variant v = Resolved();
    switch (v.Type()) {
    case VariantType::Empty:
        return {};
    case VariantType::Null:
        ThrowInvalidUseOfNull();
    case VariantType::Integer:
        return std::to_string(std::get<std::int16_t>(v.m_Data));
    case VariantType::Long:
        return std::to_string(std::get<std::int32_t>(v.m_Data));
    case VariantType::Single:
        return FloatText(static_cast<double>(std::get<float>(v.m_Data)), 7);
    case VariantType::Double:
        return FloatText(std::get<double>(v.m_Data), 15);
    case VariantType::Currency:
        return CurrencyText(std::get<Currency>(v.m_Data));
    case VariantType::String:
        return v.String();
    case VariantType::Boolean:
        return std::get<bool>(v.m_Data) ? "True" : "False";
    case VariantType::Object:
        break;
    }
    ThrowTypeMismatch();
}

std::string FloatText(double value, int digits, char decimalSeparator) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0.0)
        return "0";
    // The digits rounded to `digits` places, then written as a script would.
    DecimalDigits decimal = RoundedDigits(value, digits);
    std::string& mantissa = decimal.digits;
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();
    const int exponent = decimal.exponent;

    std::string text = value < 0 ? "-" : "";
    if (exponent < -4 || exponent >= digits) {
        text += mantissa[0];
        if (mantissa.size() > 1) {
            text += decimalSeparator;
            text.append(mantissa, 1);
        }
        text += 'E';
        text += exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            text += '0';
        text += std::to_string(magnitude);
    } else if (exponent < 0) {
        text += '0';
        text += decimalSeparator;
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += mantissa;
    } else {
        const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (mantissa.size() <= integerDigits) {
            text += mantissa;
            text.append(integerDigits - mantissa.size(), '0');
        } else {
            text.append(mantissa, 0, integerDigits);
            text += decimalSeparator;
            text.append(mantissa, integerDigits);
        }
    }
    return text;
}

std::string CurrencyText(Currency value, char decimalSeparator) {
    const bool negative = value.scaled < 0;
    const auto magnitude = negative ? 0 - static_cast<std::uint64_t>(value.scaled)
                                    : static_cast<std::uint64_t>(value.scaled);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / Currency::Scale);
    std::uint64_t fraction = magnitude % Currency::Scale;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction + Currency::Scale).substr(1);
        while (digits.back() == '0')
            digits.pop_back();
        text += decimalSeparator;
        text += digits;
    }
    return text;
}

} // namespace quillomet
