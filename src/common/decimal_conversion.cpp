#include "common/decimal_conversion.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>

namespace quillomet {
namespace {

// A non-negative decimal 0.d1d2...dn x 10^m_Point held digit by digit, which
// multiplies and divides by powers of two exactly. The exact value of any
// double, and of the midpoints between neighbouring doubles, has at most 768
// significant digits, so printing never loses one; a text read with more
// digits keeps the first ones and remembers whether any dropped one was not
// zero, which is all that rounding needs.
class ExactDecimal {
public:
    static constexpr int Capacity = 800;

    static ExactDecimal OfInteger(std::uint64_t value) {
        ExactDecimal d;
        char reversed[20];
        int n = 0;
        for (; value != 0; value /= 10)
            reversed[n++] = static_cast<char>('0' + value % 10);
        for (int k = 0; k < n; ++k)
            d.m_Digits[k] = reversed[n - 1 - k];
        d.m_Count = n;
        d.m_Point = n;
        d.Trim();
        return d;
    }

    // value x 2^exponent, exactly.
    static ExactDecimal OfBinary(std::uint64_t value, int exponent) {
        ExactDecimal d = OfInteger(value);
        d.Shift(exponent);
        return d;
    }

    bool IsZero() const { return m_Count == 0; }
    int Count() const { return m_Count; }
    int Point() const { return m_Point; }
    char Digit(int index) const { return index < m_Count ? m_Digits[index] : '0'; }

    // Appends a digit read from a text; one beyond the capacity is only noted.
    void AppendDigit(char c) {
        if (m_Count < Capacity)
            m_Digits[m_Count++] = c;
        else if (c != '0')
            m_Truncated = true;
    }
    // Places the point after appended digits: value = 0.digits x 10^point.
    void FinishReading(int point) {
        m_Point = point;
        Trim();
    }

    // Multiplies by 2^bits; divides when bits is negative.
    void Shift(int bits) {
        if (m_Count == 0)
            return;
        for (; bits > MaxShift; bits -= MaxShift)
            ShiftLeft(MaxShift);
        for (; bits < -MaxShift; bits += MaxShift)
            ShiftRight(MaxShift);
        if (bits > 0)
            ShiftLeft(static_cast<unsigned>(bits));
        else if (bits < 0)
            ShiftRight(static_cast<unsigned>(-bits));
    }

    // Whether keeping the first `kept` digits should round up: above half,
    // or exactly half with an odd last kept digit.
    bool ShouldRoundUp(int kept) const {
        if (kept < 0 || kept >= m_Count)
            return false;
        if (m_Digits[kept] == '5' && kept + 1 == m_Count) {
            if (m_Truncated)
                return true;
            return kept > 0 && (m_Digits[kept - 1] - '0') % 2 == 1;
        }
        return m_Digits[kept] >= '5';
    }

    // Keeps the first `kept` digits (0 keeps none: the value becomes 0).
    void RoundDown(int kept) {
        if (kept < 0 || kept >= m_Count)
            return;
        m_Count = kept;
        Trim();
    }
    // The first `kept` digits plus one unit in the last of them.
    void RoundUp(int kept) {
        if (kept < 0 || kept >= m_Count)
            return;
        for (int i = kept - 1; i >= 0; --i) {
            if (m_Digits[i] < '9') {
                ++m_Digits[i];
                m_Count = i + 1;
                return;
            }
        }
        // All nines: 0.999 becomes 1.
        m_Digits[0] = '1';
        m_Count = 1;
        ++m_Point;
    }
    void Round(int kept) {
        if (ShouldRoundUp(kept))
            RoundUp(kept);
        else
            RoundDown(kept);
    }

    // The integer part, rounded half to even; for values below 2^64.
    std::uint64_t RoundedInteger() const {
        std::uint64_t n = 0;
        int i = 0;
        for (; i < m_Point && i < m_Count; ++i)
            n = n * 10 + static_cast<unsigned>(m_Digits[i] - '0');
        for (; i < m_Point; ++i)
            n *= 10;
        if (ShouldRoundUp(m_Point))
            ++n;
        return n;
    }

    friend int Compare(const ExactDecimal& a, const ExactDecimal& b) {
        if (a.IsZero() || b.IsZero())
            return (a.IsZero() ? 0 : 1) - (b.IsZero() ? 0 : 1);
        if (a.m_Point != b.m_Point)
            return a.m_Point < b.m_Point ? -1 : 1;
        const int n = std::max(a.m_Count, b.m_Count);
        for (int i = 0; i < n; ++i)
            if (a.Digit(i) != b.Digit(i))
                return a.Digit(i) < b.Digit(i) ? -1 : 1;
        return 0;
    }

private:
    // The widest shift whose carries still fit 64 bits: 9 x 2^60 + 10 does.
    static constexpr int MaxShift = 60;

    void ShiftLeft(unsigned bits) {
        // The product's digits come out lowest first.
        std::array<char, Capacity + 20> reversed;
        int n = 0;
        std::uint64_t carry = 0;
        for (int r = m_Count - 1; r >= 0; --r) {
            carry += static_cast<std::uint64_t>(m_Digits[r] - '0') << bits;
            reversed[n++] = static_cast<char>('0' + carry % 10);
            carry /= 10;
        }
        for (; carry != 0; carry /= 10)
            reversed[n++] = static_cast<char>('0' + carry % 10);
        m_Point += n - m_Count;
        const int kept = std::min(n, Capacity);
        for (int k = 0; k < kept; ++k)
            m_Digits[k] = reversed[n - 1 - k];
        for (int k = kept; k < n; ++k)
            m_Truncated |= reversed[n - 1 - k] != '0';
        m_Count = kept;
        Trim();
    }

    void ShiftRight(unsigned bits) {
        int r = 0; // digits read
        int w = 0; // digits written
        std::uint64_t n = 0;
        // Read until the quotient's first digit is known.
        for (; n >> bits == 0; ++r) {
            if (r >= m_Count) {
                if (n == 0) {
                    m_Count = 0;
                    Trim();
                    return;
                }
                while (n >> bits == 0) {
                    n *= 10;
                    ++r;
                }
                break;
            }
            n = n * 10 + static_cast<unsigned>(m_Digits[r] - '0');
        }
        m_Point -= r - 1;
        const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
        for (; r < m_Count; ++r) {
            const char c = m_Digits[r];
            m_Digits[w++] = static_cast<char>('0' + (n >> bits));
            n = (n & mask) * 10 + static_cast<unsigned>(c - '0');
        }
        for (; n > 0; n = (n & mask) * 10) {
            const auto digit = static_cast<char>('0' + (n >> bits));
            if (w < Capacity)
                m_Digits[w++] = digit;
            else if (digit != '0')
                m_Truncated = true;
        }
        m_Count = w;
        Trim();
    }

    void Trim() {
        while (m_Count > 0 && m_Digits[m_Count - 1] == '0')
            --m_Count;
        if (m_Count == 0)
            m_Point = 0;
    }

    std::array<char, Capacity> m_Digits;
    int m_Count = 0;
    int m_Point = 0;
    bool m_Truncated = false;
};

// A finite double's magnitude as mantissa x 2^exponent, and whether the
// double below it is nearer than the one above (at the bottom of a binade).
struct BinaryParts {
    std::uint64_t mantissa = 0;
    int exponent = 0;
    bool closerBelow = false;
};

constexpr int MantissaBits = 52;
constexpr int ExponentBias = 1023;

BinaryParts Decompose(double number) {
    const auto bits = std::bit_cast<std::uint64_t>(number);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << MantissaBits) - 1);
    const int biased = static_cast<int>((bits >> MantissaBits) & 0x7FF);
    if (biased == 0)
        return {fraction, 1 - ExponentBias - MantissaBits, false};
    return {fraction | (std::uint64_t{1} << MantissaBits), biased - ExponentBias - MantissaBits,
            fraction == 0 && biased > 1};
}

DecimalDigits DigitsOf(const ExactDecimal& d, int count) {
    DecimalDigits out;
    if (d.IsZero()) {
        out.digits.assign(static_cast<std::size_t>(std::max(count, 1)), '0');
        return out;
    }
    const int n = std::max(count, d.Count());
    out.digits.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out.digits += d.Digit(i);
    out.exponent = d.Point() - 1;
    return out;
}

// Rounds a decimal to the nearest double by halving or doubling it into
// [1/2, 1) and reading off 53 bits; exact at every step.
double NearestDouble(ExactDecimal d, bool& outOfRange) {
    outOfRange = false;
    if (d.IsZero())
        return 0.0;
    constexpr double Infinity = std::numeric_limits<double>::infinity();
    if (d.Point() > 310) {
        outOfRange = true;
        return Infinity;
    }
    if (d.Point() < -330) {
        outOfRange = true;
        return 0.0;
    }
    // How far to shift for a given power of ten to stay within range.
    constexpr std::array<int, 9> ShiftForPoint = {1, 3, 6, 9, 13, 16, 19, 23, 26};
    const auto shiftFor = [&](int point) {
        return point < static_cast<int>(ShiftForPoint.size()) ? ShiftForPoint[point] : 27;
    };
    int exponent = 0;
    while (d.Point() > 0) {
        const int n = shiftFor(d.Point());
        d.Shift(-n);
        exponent += n;
    }
    while (d.Point() < 0 || (d.Point() == 0 && d.Digit(0) < '5')) {
        const int n = shiftFor(-d.Point());
        d.Shift(n);
        exponent -= n;
    }
    // Now in [1/2, 1): as 1.xxx x 2^exponent.
    --exponent;
    constexpr int MinExponent = 1 - ExponentBias;
    if (exponent < MinExponent) {
        // Subnormal: fewer bits to keep.
        d.Shift(exponent - MinExponent);
        exponent = MinExponent;
    }
    std::uint64_t mantissa = 0;
    if (exponent <= ExponentBias) {
        d.Shift(1 + MantissaBits);
        mantissa = d.RoundedInteger();
        if (mantissa == std::uint64_t{2} << MantissaBits) {
            mantissa >>= 1;
            ++exponent;
        }
    }
    if (exponent > ExponentBias) {
        outOfRange = true;
        return Infinity;
    }
    const bool normal = (mantissa >> MantissaBits) != 0;
    const auto biased = static_cast<std::uint64_t>(normal ? exponent + ExponentBias : 0);
    const std::uint64_t bits =
        (biased << MantissaBits) | (mantissa & ((std::uint64_t{1} << MantissaBits) - 1));
    outOfRange = bits == 0;
    return std::bit_cast<double>(bits);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

DecimalDigits ShortestDigits(double number) {
    const BinaryParts parts = Decompose(number);
    if (parts.mantissa == 0)
        return {"0", 0};
    const ExactDecimal value = ExactDecimal::OfBinary(parts.mantissa, parts.exponent);
    // Every decimal strictly between the midpoints to the neighbouring
    // doubles reads back as this one; the midpoints themselves do when the
    // mantissa is even (ties go to even).
    const ExactDecimal upper = ExactDecimal::OfBinary(2 * parts.mantissa + 1, parts.exponent - 1);
    const ExactDecimal lower =
        parts.closerBelow ? ExactDecimal::OfBinary(4 * parts.mantissa - 1, parts.exponent - 2)
                          : ExactDecimal::OfBinary(2 * parts.mantissa - 1, parts.exponent - 1);
    const bool inclusive = parts.mantissa % 2 == 0;
    for (int kept = 1; kept < value.Count(); ++kept) {
        ExactDecimal down = value;
        down.RoundDown(kept);
        ExactDecimal up = value;
        up.RoundUp(kept);
        const int belowLower = Compare(down, lower);
        const int aboveUpper = Compare(up, upper);
        const bool downReadsBack = belowLower > 0 || (inclusive && belowLower == 0);
        const bool upReadsBack = aboveUpper < 0 || (inclusive && aboveUpper == 0);
        if (downReadsBack && upReadsBack) {
            ExactDecimal nearest = value;
            nearest.Round(kept);
            return DigitsOf(nearest, 1);
        }
        if (downReadsBack)
            return DigitsOf(down, 1);
        if (upReadsBack)
            return DigitsOf(up, 1);
    }
    return DigitsOf(value, 1);
}

DecimalDigits RoundedDigits(double number, int count) {
    const BinaryParts parts = Decompose(number);
    ExactDecimal value = ExactDecimal::OfBinary(parts.mantissa, parts.exponent);
    value.Round(count);
    return DigitsOf(value, count);
}

std::string FixedDigits(double number, int decimals) {
    const BinaryParts parts = Decompose(number);
    ExactDecimal value = ExactDecimal::OfBinary(parts.mantissa, parts.exponent);
    const int kept = value.Point() + decimals;
    if (kept < 0)
        value = ExactDecimal(); // below half of the last place
    else
        value.Round(kept);
    // The digit standing for 10^power.
    const auto digitAt = [&](int power) {
        const int index = value.Point() - 1 - power;
        return index >= 0 ? value.Digit(index) : '0';
    };
    std::string text;
    const int top = std::max(value.Point(), 1) - 1;
    text.reserve(static_cast<std::size_t>(top + decimals + 2));
    for (int power = top; power >= 0; --power)
        text += digitAt(power);
    text += '.';
    for (int power = -1; power >= -decimals; --power)
        text += digitAt(power);
    return text;
}

DecimalReading ReadDecimal(std::string_view text, bool exponentAllowed) noexcept {
    DecimalReading reading;
    ExactDecimal d;
    std::size_t i = 0;
    bool seenDigit = false, seenPoint = false;
    std::uint64_t mantissa = 0; // the first 19 significant digits, for the quick path
    int significant = 0;
    int point = 0; // where the point is, counted in significant digits
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !seenPoint) {
            seenPoint = true;
            continue;
        }
        if (!IsDigit(c))
            break;
        seenDigit = true;
        if (significant == 0 && c == '0') {
            if (seenPoint)
                --point; // a leading zero after the point
            continue;
        }
        if (significant < 19)
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
        ++significant;
        if (!seenPoint)
            ++point;
        d.AppendDigit(c);
    }
    if (!seenDigit)
        return reading;
    reading.length = i;

    long long exponent = 0;
    if (exponentAllowed && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        const bool negative = j < text.size() && text[j] == '-';
        if (j < text.size() && (text[j] == '-' || text[j] == '+'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            // Far beyond any double either way once past 100000.
            for (; j < text.size() && IsDigit(text[j]); ++j)
                exponent = std::min(exponent * 10 + (text[j] - '0'), 100000LL);
            if (negative)
                exponent = -exponent;
            reading.length = j;
        }
    }
    if (significant == 0)
        return reading;

    // Quick path: at most 15 digits and a power of ten a double holds, one
    // correctly rounded multiplication or division.
    const long long scale = point - significant + exponent; // value = mantissa x 10^scale
    if (significant <= 15 && scale >= -22 && scale <= 22) {
        const double m = static_cast<double>(mantissa);
        reading.value = scale >= 0 ? m * ExactPowersOfTen[static_cast<std::size_t>(scale)]
                                   : m / ExactPowersOfTen[static_cast<std::size_t>(-scale)];
        return reading;
    }
    d.FinishReading(static_cast<int>(std::clamp(point + exponent, -1000000LL, 1000000LL)));
    reading.value = NearestDouble(d, reading.outOfRange);
    return reading;
}

} // namespace quillomet
