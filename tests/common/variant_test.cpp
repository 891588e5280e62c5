#include "common/automation_error.h"
#include "common/variant.h"
#include "common/variant_printer.h"

#include <cmath>
#include <concepts>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

namespace quillomet {
namespace {

// Either a result or the automation error expected instead.
template <typename T>
struct Outcome {
    std::optional<T> value;
    ErrorNumber error{};
    template <typename U>
    requires std::constructible_from<T, U> &&
        (!std::same_as<std::decay_t<U>, ErrorNumber>)Outcome(U&& v)
        : value(T(std::forward<U>(v))) {}
    Outcome(ErrorNumber e) : error(e) {}
};

template <typename T>
void ExpectOutcome(const Variant& input, const Outcome<T>& expected,
                   const std::function<T(const Variant&)>& convert, int row) {
    SCOPED_TRACE(::testing::Message() << "row " << row);
    try {
        const T actual = convert(input);
        ASSERT_TRUE(expected.value.has_value())
            << "expected error " << static_cast<int>(expected.error);
        EXPECT_EQ(*expected.value, actual);
    } catch (const AutomationError& error) {
        EXPECT_FALSE(expected.value.has_value()) << "unexpected error: " << error.what();
        EXPECT_EQ(expected.error, error.Number());
    }
}

class DefaultValueObject : public Object {
public:
    explicit DefaultValueObject(Variant value) : m_Value(std::move(value)) {}
    Variant DefaultValue() const override { return m_Value; }
    Variant m_Value;
};

Variant ObjectWith(Variant value) {
    return ObjectRef(std::make_shared<DefaultValueObject>(value));
}

constexpr auto Overflow = ErrorNumber::Overflow;
constexpr auto Mismatch = ErrorNumber::TypeMismatch;
constexpr auto NullUse = ErrorNumber::InvalidUseOfNull;

TEST(VariantTest, ToIntegerRoundsHalfToEvenWithinSixteenBits) {
    const std::vector<std::pair<Variant, Outcome<std::int16_t>>> rows = {
        {2.5, std::int16_t{2}},
        {3.5, std::int16_t{4}},
        {-2.5, std::int16_t{-2}},
        {-3.5, std::int16_t{-4}},
        {2.5000001, std::int16_t{3}},
        {32767.4, std::int16_t{32767}},
        {32767.5, Overflow},
        {-32768.5, std::int16_t{-32768}},
        {-32768.6, Overflow},
        {std::numeric_limits<double>::infinity(), Overflow},
        {std::numeric_limits<double>::quiet_NaN(), Overflow},
        {Variant(), std::int16_t{0}},
        {Variant::Null(), NullUse},
        {true, std::int16_t{-1}},
        {false, std::int16_t{0}},
        {"12.5", std::int16_t{12}},
        {" -7 ", std::int16_t{-7}},
        {"1e3", std::int16_t{1000}},
        {"abc", Mismatch},
        {"", Mismatch},
        {"12abc", Mismatch},
        {Currency{25'000}, std::int16_t{2}},
        {Currency{35'000}, std::int16_t{4}},
        {Currency{-25'001}, std::int16_t{-3}},
        {Currency{327'675'000}, Overflow},
        {1.5f, std::int16_t{2}},
        {ObjectWith("42"), std::int16_t{42}},
    };
    int row = 0;
    for (const auto& [input, expected] : rows)
        ExpectOutcome<std::int16_t>(input, expected, &Variant::ToInteger, row++);
}

TEST(VariantTest, ToLongRoundsHalfToEvenWithinThirtyTwoBits) {
    const std::vector<std::pair<Variant, Outcome<std::int32_t>>> rows = {
        {2147483647.4, 2147483647},
        {2147483647.5, Overflow},
        {-2147483648.5, std::numeric_limits<std::int32_t>::min()},
        {-2147483648.6, Overflow},
        {std::int16_t{-5}, -5},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2147483648", Overflow},
        {Variant::Null(), NullUse},
    };
    int row = 0;
    for (const auto& [input, expected] : rows)
        ExpectOutcome<std::int32_t>(input, expected, &Variant::ToLong, row++);
}

TEST(VariantTest, ToCurrencyKeepsFourDecimalsHalfToEven) {
    const std::vector<std::pair<Variant, Outcome<std::int64_t>>> rows = {
        {"1.00005", 10'000},   // half, to the even neighbour
        {"1.00015", 10'002},   // half, to the even neighbour
        {"1.000051", 10'001},  // above half
        {"-1.00005", -10'000}, // half, negative
        {"-1.00015", -10'002},
        {"922337203685477.5807", std::numeric_limits<std::int64_t>::max()},
        {"922337203685477.5808", Overflow},
        {"-922337203685477.5808", std::numeric_limits<std::int64_t>::min()},
        {"-922337203685477.5809", Overflow},
        {"99999999999999999999999", Overflow},
        {"1.5e3", 15'000'000},
        {"x", Mismatch},
        {1234.5, 12'345'000},
        {-0.25, -2'500},
        {1e15, Overflow},
        {-9.3e14, Overflow},
        // A double counts at its binary value: the product with 10,000 in
        // doubles rounds above 2^53 ten-thousandths, and at halves.
        {27171523580541.0, 271'715'235'805'410'000},  // not ...409'984
        {4503599627370.4961, 45'035'996'273'704'961}, // not ...960
        {-27171523580541.0, -271'715'235'805'410'000},
        {922337203685477.5, 9'223'372'036'854'775'000}, // the last double within
        {922337203685477.625, Overflow},                // the first beyond
        {-922337203685477.5, -9'223'372'036'854'775'000},
        {-922337203685477.625, Overflow},
        {1.03125, 10'312}, // exactly half: to the even neighbour
        {1.09375, 10'938},
        {-1.03125, -10'312},
        {-1.09375, -10'938},
        {0.00005, 1}, // its binary value lies just above the half
        {-0.00005, -1},
        {1e-300, 0},
        {-0.0, 0},
        {std::numeric_limits<double>::infinity(), Overflow},
        {std::numeric_limits<double>::quiet_NaN(), Overflow},
        {std::int16_t{-3}, -30'000},
        {true, -10'000},
        {Variant::Null(), NullUse},
    };
    int row = 0;
    for (const auto& [input, expected] : rows)
        ExpectOutcome<std::int64_t>(
            input, expected, [](const Variant& v) { return v.ToCurrency().scaled; }, row++);
}

TEST(VariantTest, ToBooleanAcceptsNumbersAndTheTwoWords) {
    const std::vector<std::pair<Variant, Outcome<bool>>> rows = {
        {"True", true},
        {"TRUE", true},
        {"false", false},
        {" fAlSe ", false},
        {"0", false},
        {"2", true},
        {"-0.5", true},
        {"yes", Mismatch},
        {"", Mismatch},
        {0.0, false},
        {0.1, true},
        {std::int16_t{0}, false},
        {Currency{1}, true},
        {Variant(), false},
        {Variant::Null(), NullUse},
        {ObjectWith(true), true},
    };
    int row = 0;
    for (const auto& [input, expected] : rows)
        ExpectOutcome<bool>(input, expected, &Variant::ToBoolean, row++);
}

TEST(VariantTest, ToDoubleReadsTextsAndRefusesWhatIsNoNumber) {
    const std::vector<std::pair<Variant, Outcome<double>>> rows = {
        {"1234.5", 1234.5},
        {" -0.25 ", -0.25},
        {"+3", 3.0},
        {"1E-05", 1e-05},
        {".5", 0.5},
        {"5.", 5.0},
        {"1,234", Mismatch},
        {"--1", Mismatch},
        {"inf", Mismatch},
        {"nan", Mismatch},
        {"1e400", Overflow},
        {"1e-400", 0.0},
        {Currency{-15'000}, -1.5},
        {1.1f, static_cast<double>(1.1f)},
        {Variant::Null(), NullUse},
        {ObjectWith(ObjectWith(1.0)), Mismatch},
    };
    int row = 0;
    for (const auto& [input, expected] : rows)
        ExpectOutcome<double>(input, expected, &Variant::ToDouble, row++);
}

TEST(VariantTest, ToStringWritesAutomationText) {
    const std::vector<std::pair<Variant, Outcome<std::string>>> rows = {
        {1234.5, "1234.5"},
        {-5.0, "-5"},
        {1e-5, "1E-05"},
        {0.0001, "0.0001"},
        {1.5e15, "1.5E+15"},
        {1e14, "100000000000000"},
        {1.0 / 3.0, "0.333333333333333"},
        {123456789.123456789, "123456789.123457"},
        {1.1f, "1.1"},
        {1e7f, "1E+07"},
        {std::int16_t{-32768}, "-32768"},
        {Currency{15'000}, "1.5"},
        {Currency{-1}, "-0.0001"},
        {true, "True"},
        {false, "False"},
        {Variant(), ""},
        {Variant::Null(), NullUse},
        {ObjectWith("Arial"), "Arial"},
    };
    int row = 0;
    for (const auto& [input, expected] : rows)
        ExpectOutcome<std::string>(input, expected, &Variant::ToString, row++);
}

TEST(VariantTest, FloatTextUsesTheGivenDecimalSeparator) {
    EXPECT_EQ("1234,5", FloatText(1234.5, 15, ','));
    EXPECT_EQ("1,5E+15", FloatText(1.5e15, 15, ','));
    EXPECT_EQ("-0,0001", CurrencyText(Currency{-1}, ','));
}

TEST(VariantTest, EqualityComparesTypeAndValue) {
    EXPECT_EQ(Variant(std::int16_t{0}), Variant(std::int16_t{0}));
    EXPECT_NE(Variant(std::int16_t{0}), Variant(0.0)); // a bag keeps a Double 0 apart
    EXPECT_NE(Variant(""), Variant());
    const ObjectRef object = std::make_shared<DefaultValueObject>(1.0);
    EXPECT_EQ(Variant(object), Variant(object));
    EXPECT_NE(Variant(object), ObjectWith(1.0)); // objects by identity
}

} // namespace
} // namespace quillomet
