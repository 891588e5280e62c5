#include "common/automation_error.h"
#include "common/number_conversion.h"
#include "common/text_length.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace quillomet {
namespace {

TEST(TextValueTest, ReadsTheLeadingNumberOfAText) {
    const struct {
        const char* text;
        double expected;
    } rows[] = {
        {"", 0},
        {"-", 0},
        {".", 0},
        {"abc", 0},
        {"(5)", 0},
        {"  -12.5xyz", -12.5},
        {"+3", 3},
        {"1.2.3", 1.2},
        {"5.", 5},
        {".5", 0.5},
        {"-.5", -0.5},
        {"1e5", 1},
        {"1,234", 1},
        {"0.1", 0.1},
        {"999999.99", 999999.99},
        {"000000000000000000000123.5", 123.5},
        {"12345678901234567890", 12345678901234567890.0},
        {"9007199254740993", 9007199254740992.0}, // half-way: to even
        {"0.30000000000000004", 0.30000000000000004},
        {"0.0000000000000000000000001", 1e-25},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, TextValue(row.text)) << '"' << row.text << '"';
}

TEST(TextValueTest, MagnitudesBeyondTheDoubleRange) {
    EXPECT_EQ(std::numeric_limits<double>::infinity(), TextValue("1" + std::string(400, '0')));
    EXPECT_EQ(-std::numeric_limits<double>::infinity(), TextValue("-1" + std::string(400, '0')));
    EXPECT_EQ(0.0, TextValue("0." + std::string(400, '0') + "1"));
}

TEST(NumberTextTest, WritesPlainDecimalText) {
    const struct {
        double number;
        const char* expected;
    } rows[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1234, "1234"},
        {-5, "-5"},
        {1234.5, "1234.5"},
        {-1234.5, "-1234.5"},
        {0.5, "0.5"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {999999.99, "999999.99"},
        {100, "100"},
        {0.0001, "0.0001"},
        {1e-5, "0.00001"},
        {-1.25e-7, "-0.000000125"},
        {1.5e15, "1500000000000000"},
        {123456789012345678.0, "123456789012346000"},
        {99999999999999.99, "100000000000000"}, // 16 digits round to 15
        {999999999999999.9, "1000000000000000"},
        {1e21, "1000000000000000000000"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, NumberText(row.number)) << row.number;
}

TEST(NumberTextTest, ReadsBackAsTheSameFifteenDigits) {
    const double samples[] = {1e-300,
                              3.14159265358979e-20,
                              1e-5,
                              0.000123456789012345,
                              6.02214076e23,
                              1.7976931348623157e308,
                              -2.2250738585072014e-308,
                              123.456,
                              1e15,
                              4.35};
    for (double x : samples) {
        const double back = TextValue(NumberText(x));
        EXPECT_NEAR(x, back, std::fabs(x) * 5e-15) << NumberText(x);
        EXPECT_EQ(NumberText(x), NumberText(back)) << "a second round trip changes nothing";
    }
}

TEST(NumberTextTest, RefusesNonFiniteNumbers) {
    for (double x :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        try {
            NumberText(x);
            ADD_FAILURE() << x;
        } catch (const AutomationError& error) {
            EXPECT_EQ(ErrorNumber::Overflow, error.Number());
        }
    }
}

} // namespace
} // namespace quillomet

namespace quillomet {
namespace {

TEST(PlainFromExponentFormTest, ShiftsTheDigits) {
    const struct {
        const char* text;
        const char* plain; // nullptr: not a number in exponent form
    } rows[] = {
        {"1E+3", "1000"},
        {"1.5e-3", "0.0015"},
        {"-2.5E2", "-250"},
        {"+12.34e1", "123.4"},
        {"1.50E+1", "15"},
        {".5E1", "5"},
        {"5.E-1", "0.5"},
        {"0.000E+99999", "0"},
        {"-0E5", "0"},
        {"123E-5", "0.00123"},
        {"9.99999999999999E14", "999999999999999"},
        {"1e0", "1"},
        {"1E", nullptr},
        {"E5", nullptr},
        {"1E+", nullptr},
        {"1.2.3E4", nullptr},
        {" 1E3", "1000"}, // blanks around it, as some hosts write numbers
        {"1E3 ", "1000"},
        {"1 E3", nullptr},
        {"1E3x", nullptr},
        {"12", nullptr},
        {"1,000E2", nullptr},
        {"", nullptr},
    };
    for (const auto& row : rows) {
        const auto plain = PlainFromExponentForm(row.text, MaxTextLength);
        if (row.plain) {
            ASSERT_TRUE(plain.has_value()) << row.text;
            EXPECT_EQ(row.plain, *plain) << row.text;
        } else {
            EXPECT_FALSE(plain.has_value()) << row.text;
        }
    }
}

TEST(PlainFromExponentFormTest, RefusesAPlainFormBeyondTheLengthLimit) {
    EXPECT_THROW(PlainFromExponentForm("1E+400000", MaxTextLength), AutomationError);
    EXPECT_THROW(PlainFromExponentForm("1E-40000", MaxTextLength), AutomationError);
    EXPECT_THROW(PlainFromExponentForm("1E+9", 8), AutomationError);
    EXPECT_EQ("100000000", PlainFromExponentForm("1E+8", 9));
}

} // namespace
} // namespace quillomet
