#include "common/decimal_conversion.h"
#include "conversion_check/generated_inputs.h"
#include "conversion_check/library_agreement.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace quillomet {
namespace {

constexpr double Largest = std::numeric_limits<double>::max();
constexpr double Smallest = std::numeric_limits<double>::denorm_min();
constexpr double SmallestNormal = std::numeric_limits<double>::min();
constexpr double Infinity = std::numeric_limits<double>::infinity();

TEST(DecimalConversionTest, ShortestDigitsReadBackAsTheSameDouble) {
    const struct {
        double number;
        const char* digits;
        int exponent;
    } rows[] = {
        {0.0, "0", 0},
        {1.5, "15", 0},
        {0.1 + 0.2, "30000000000000004", -1},
        {1e23, "1", 23}, // the double is below 10^23, yet nearer to it than any other
        {8.41e21, "841", 21},
        {Largest, "17976931348623157", 308},
        {Smallest, "5", -324}, // subnormals need far fewer digits than they have
        {3 * Smallest, "15", -323},
        {SmallestNormal, "22250738585072014", -308},
        {0x0.fffffffffffffp-1022, "2225073858507201", -308}, // the largest subnormal
        {0x1p53, "9007199254740992", 15},
        {123456789012345.5, "1234567890123455", 14},
    };
    for (const auto& row : rows) {
        const DecimalDigits d = ShortestDigits(row.number);
        EXPECT_EQ(row.digits, d.digits) << row.number;
        EXPECT_EQ(row.exponent, d.exponent) << row.number;
    }
}

TEST(DecimalConversionTest, RoundedDigitsRoundTheExactValueHalfToEven) {
    const struct {
        double number;
        int count;
        const char* digits;
        int exponent;
    } rows[] = {
        {0.125, 2, "12", -1}, // an exact tie: to even
        {0.375, 2, "38", -1},
        {2.5, 1, "2", 0},
        {0.1 + 0.2, 1, "3", -1},
        {1e23, 17, "99999999999999992", 22}, // the double's own digits, not the text's
        {Largest, 2, "18", 308},
        {Smallest, 17, "49406564584124654", -324},
        {9.5, 1, "1", 1}, // a carry into a new digit moves the exponent
        {0.0, 3, "000", 0},
        {123456789012345.5, 15, "123456789012346", 14},
    };
    for (const auto& row : rows) {
        const DecimalDigits d = RoundedDigits(row.number, row.count);
        EXPECT_EQ(row.digits, d.digits) << row.number << " to " << row.count;
        EXPECT_EQ(row.exponent, d.exponent) << row.number << " to " << row.count;
    }
}

TEST(DecimalConversionTest, FixedDigits) {
    const struct {
        double number;
        int decimals;
        const char* text;
    } rows[] = {
        {0.125, 2, "0.12"},
        {0.375, 2, "0.38"},
        {0.0, 3, "0.000"},
        {0.004, 2, "0.00"},
        {0.005, 2, "0.01"}, // the double is a little above 0.005
        {0.0625, 1, "0.1"}, // above half of the last place
        {0.04, 1, "0.0"},   // far below the last place
        {9.96, 1, "10.0"},
        {8.41e21, 2, "8409999999999999475712.00"},
        {2.0 / 3, 40, "0.6666666666666666296592325124947819858789"},
        {1e-30, 40, "0.0000000000000000000000000000010000000000"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text, FixedDigits(row.number, row.decimals))
            << row.number << " with " << row.decimals;
}

TEST(DecimalConversionTest, ReadDecimal) {
    const struct {
        const char* text;
        bool exponent;
        std::size_t length;
        double value;
        bool outOfRange;
    } rows[] = {
        {"", true, 0, 0, false},
        {".", true, 0, 0, false},
        {"e5", true, 0, 0, false},
        {"0", true, 1, 0, false},
        {"5.", true, 2, 5, false},
        {".5e-1x", true, 5, 0.05, false},
        {"1e", true, 1, 1, false}, // an exponent needs a digit
        {"1e+", true, 1, 1, false},
        {"1e5", false, 1, 1, false}, // fixed: no exponent at all
        {"1.2.3", true, 3, 1.2, false},
        {"000.000", true, 7, 0, false},
        {"9007199254740993", true, 16, 9007199254740992.0, false}, // a tie: to even
        {"9007199254740993.00000000000000000000001", true, 40, 9007199254740994.0, false},
        {"9007199254740995", true, 16, 9007199254740996.0, false},
        {"1.7976931348623158e308", true, 22, Largest, false},
        {"1.7976931348623159e308", true, 22, Infinity, true},
        {"2.4703282292062327e-324", true, 23, 0, true},
        {"2.4703282292062328e-324", true, 23, Smallest, false},
        {"2.2250738585072012e-308", true, 23, SmallestNormal, false}, // rounds up to normal
        {"0.000001e-320", true, 13, 0, true},
        {"1e99999999999999999999", true, 22, Infinity, true},
        {"0e99999999999999999999", true, 22, 0, false},
        {"1e-99999999999999999999", true, 23, 0, true},
    };
    for (const auto& row : rows) {
        const DecimalReading r = ReadDecimal(row.text, row.exponent);
        EXPECT_EQ(row.length, r.length) << '"' << row.text << '"';
        EXPECT_EQ(row.value, r.value) << '"' << row.text << '"';
        EXPECT_EQ(row.outOfRange, r.outOfRange) << '"' << row.text << '"';
    }
}

TEST(DecimalConversionTest, ReadDecimalKeepsEveryDigitThatDecidesATie) {
    // Halfway between 1 and the next double, then the same with a 1 far
    // beyond the digits kept exactly: only the last digit decides.
    const std::string half = "1.00000000000000011102230246251565404236316680908203125";
    EXPECT_EQ(1.0, ReadDecimal(half, false).value);
    EXPECT_EQ(1.0000000000000002, ReadDecimal(half + std::string(1000, '0') + "1", false).value);
    EXPECT_EQ(
        1.0,
        ReadDecimal(half.substr(0, half.size() - 1) + "4" + std::string(1000, '9'), false).value);
}

// The digits of the C++ library, on every build's own library: the control
// must not format or read a number differently from what it replaced.
TEST(DecimalConversionTest, AgreesWithTheLibraryOnGeneratedInputs) {
    constexpr int PerFamily = 2000;
    for (int family = 0; family < agreement::DoubleFamilies; ++family) {
        agreement::Generator g(static_cast<std::uint64_t>(family) + 1);
        for (int i = 0; i < PerFamily; ++i) {
            const double d = agreement::GeneratedDouble(g, family);
            const std::string difference =
                agreement::CompareFormatting(d, 1 + g.Below(40), 1 + g.Below(60));
            ASSERT_EQ("", difference);
        }
    }
    for (int family = 0; family < agreement::TextFamilies; ++family) {
        agreement::Generator g(static_cast<std::uint64_t>(family) + 100);
        for (int i = 0; i < PerFamily; ++i)
            ASSERT_EQ("", agreement::CompareReading(agreement::GeneratedText(g, family)));
    }
}

} // namespace
} // namespace quillomet
