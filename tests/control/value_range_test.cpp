#include "common/number_conversion.h"
#include "control/control_fixture.h"

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace quillomet {
namespace {

using testing::ErrorOf;

class ValueRangeTest : public testing::ControlTest {
protected:
    void LimitRange(double low, double high) {
        control.SetMinValue(low);
        control.SetMaxValue(high);
        control.SetUseMaxMinValues(true);
        host.ClearRecords();
    }
    void TypeAndLeave(const std::string& text) {
        Field().ReceiveFocus();
        Field().SetSelStart(0);
        Field().SetSelLength(1000);
        Field().ReplaceSelection(text);
        Field().LoseFocus();
    }
    double ReadValue() { return control.Value().ToDouble(); }
};

TEST_F(ValueRangeTest, NewControlReadsIntegerZeroFromItsEmptyField) {
    const Variant value = control.Value();
    EXPECT_EQ(VariantType::Integer, value.Type());
    EXPECT_EQ(Variant(std::int16_t{0}), value);
    EXPECT_EQ("", Shown());
}

TEST_F(ValueRangeTest, ValueWriteShowsTheDisplayFormAndRaisesChangeOnce) {
    control.SetValue(1234.5);
    EXPECT_EQ("1,234.50", Shown());
    EXPECT_EQ(Variant(1234.5), control.Value());
    EXPECT_EQ(1, host.Changes());
    EXPECT_EQ(Variant(1234.5), control.StoredValue());
}

TEST_F(ValueRangeTest, ValueReadsBackOnlyTheDigitsShown) {
    control.SetValue(1.239);
    EXPECT_EQ("1.23", Shown());
    EXPECT_EQ(1.23, ReadValue());
    EXPECT_EQ(Variant(1.239), control.StoredValue()); // m_Value keeps what was given
}

TEST_F(ValueRangeTest, SameNumberAgainRaisesNoChange) {
    const std::vector<Variant> sameNumber = {5.0, "5", "5.00", std::int16_t{5}, "+5.0"};
    for (const Variant& v : sameNumber)
        control.SetValue(v);
    EXPECT_EQ(1, host.Changes());
    // Every write still tells the host the value changed.
    EXPECT_EQ(std::vector<std::string>(sameNumber.size() + 1, "Value"), host.m_ChangedKeys);
}

TEST_F(ValueRangeTest, ValueAboveTheRangeIsClampedWithTwoChanges) {
    LimitRange(10, 100);
    control.SetValue(150.0);
    EXPECT_EQ("100.00", Shown());
    EXPECT_EQ(Variant("100"), control.StoredValue()); // the limit, as stored
    EXPECT_EQ(2, host.Changes());
}

TEST_F(ValueRangeTest, ClampToTheNumberAlreadyShownRaisesOneChange) {
    control.SetValue(100.0);
    LimitRange(10, 100);
    control.SetValue(150.0);
    EXPECT_EQ("100.00", Shown());
    EXPECT_EQ(2, host.Changes()); // 100 -> 150, 150 -> 100
    host.ClearRecords();
    control.SetValue(100.0);
    EXPECT_EQ(0, host.Changes());
}

TEST_F(ValueRangeTest, LeavingTheFieldAppliesTheRange) {
    const struct {
        const char* typed;
        const char* shown;
        const char* stored;
    } rows[] = {
        {"5", "10.00", "10"},          {"", "10.00", "10"}, // empty counts as 0, below the minimum
        {"1,234.00", "100.00", "100"}, {"55.5", "55.50", "55.5"}, {"-", "10.00", "10"},
    };
    LimitRange(10, 100);
    for (const auto& row : rows) {
        TypeAndLeave(row.typed);
        EXPECT_EQ(row.shown, Shown()) << row.typed;
        EXPECT_EQ(Variant(row.stored), control.StoredValue()) << row.typed;
        EXPECT_FALSE(control.GotFocus());
    }
}

TEST_F(ValueRangeTest, LeavingTheFieldWithoutRangeStoresThePlainText) {
    TypeAndLeave("");
    EXPECT_EQ("0.00", Shown());
    EXPECT_EQ(Variant(""), control.StoredValue());
    TypeAndLeave("-1234.5");
    EXPECT_EQ("(1,234.50)", Shown());
    EXPECT_EQ(Variant("-1234.5"), control.StoredValue());
}

TEST_F(ValueRangeTest, EnteringTheFieldRaisesNoChange) {
    control.SetValue(-1234.5);
    host.ClearRecords();
    Field().ReceiveFocus();
    EXPECT_EQ("-1234.50", Shown());
    EXPECT_EQ(0, Field().SelStart());
    EXPECT_EQ(8, Field().SelLength());
    EXPECT_EQ(0, host.Changes());
}

TEST_F(ValueRangeTest, CrossingLimitWritesResetToTheirDefaults) {
    control.SetMinValue(10);
    control.SetMaxValue(5);
    EXPECT_EQ(Variant(999999.99), control.MaxValue());
    control.SetMaxValue(10);
    control.SetMinValue(20);
    EXPECT_EQ(Variant(0.0), control.MinValue());
    EXPECT_EQ(Variant(std::int16_t{0}), control.StoredMinValue());
}

TEST_F(ValueRangeTest, ResetsThatWouldStillCrossMeetTheOtherLimit) {
    control.SetMaxValue(5'000'000);
    control.SetMinValue(2'000'000);
    control.SetMaxValue(5); // the default 999999.99 is below the minimum too
    EXPECT_EQ(Variant(2'000'000.0), control.MaxValue());
    control.SetMinValue(-100);
    control.SetMaxValue(-10);
    control.SetMinValue(20); // the default 0 is above the negative maximum too
    EXPECT_EQ(Variant(-10.0), control.MinValue());
}

TEST_F(ValueRangeTest, LimitsAreStoredInTheirPlainForm) {
    control.SetMaxValue("1,000.50");
    EXPECT_EQ(Variant("1000.50"), control.StoredMaxValue());
    EXPECT_EQ(Variant(1000.5), control.MaxValue());
    control.SetPositiveOnly(true);
    control.SetMinValue("(5)"); // loses its sign under PositiveOnly
    EXPECT_EQ(Variant("5"), control.StoredMinValue());
}

TEST_F(ValueRangeTest, SwitchingTheRangeOnClampsAtOnce) {
    control.SetValue(500.0);
    control.SetMaxValue(100);
    EXPECT_EQ("500.00", Shown()); // not enforced yet
    control.SetUseMaxMinValues(true);
    EXPECT_EQ("100.00", Shown());
    control.SetUseMaxMinValues(false);
    control.SetValue(500.0);
    EXPECT_EQ("500.00", Shown());
}

TEST_F(ValueRangeTest, EmptyValueCountsAsZeroForTheRange) {
    control.SetMinValue(3);
    control.SetUseMaxMinValues(true);
    EXPECT_EQ("3.00", Shown());
    EXPECT_EQ(Variant("3"), control.StoredValue());
}

TEST_F(ValueRangeTest, PositiveOnlyReplacesNegativesInOrder) {
    control.SetMinValue(-10);
    control.SetValue(-5.0);
    host.ClearRecords();
    control.SetPositiveOnly(true);
    EXPECT_EQ(Variant(0.0), control.MinValue());
    EXPECT_EQ("0.00", Shown());
    EXPECT_EQ(Variant(std::int16_t{0}), control.StoredValue());
    EXPECT_EQ((std::vector<std::string>{"MinValue", "Value", "Value", "PositiveOnly"}),
              host.m_ChangedKeys);
}

TEST_F(ValueRangeTest, PositiveOnlyResetsANegativeMaximumFirst) {
    control.SetMinValue(-100);
    control.SetMaxValue(-50);
    host.ClearRecords();
    control.SetPositiveOnly(true);
    EXPECT_EQ(Variant(999999.99), control.MaxValue());
    EXPECT_EQ(Variant(0.0), control.MinValue());
    EXPECT_EQ((std::vector<std::string>{"MaxValue", "MinValue", "PositiveOnly"}),
              host.m_ChangedKeys);
}

TEST_F(ValueRangeTest, PositiveOnlyLooksAtTheStoredValueNotTheField) {
    control.SetValue(5.0);
    Field().ReceiveFocus();
    Field().ReplaceSelection("-7");
    control.SetPositiveOnly(true);
    EXPECT_EQ("-7", Shown());
}

// A narrower picture keeps the integer digits; its fraction places are the
// precision, so decimals beyond them go.
TEST_F(ValueRangeTest, FormatWithFewerPlaceholdersKeepsTheIntegerDigits) {
    control.SetValue(1234.5);
    host.ClearRecords();
    control.SetFormat("0.000");
    EXPECT_EQ("1234.500", Shown());
    EXPECT_EQ(0, host.Changes());
    EXPECT_EQ((std::vector<std::string>{"Format"}), host.m_ChangedKeys);
    control.SetFormat("0");
    EXPECT_EQ("1234", Shown());
    EXPECT_EQ(1, host.Changes());
    control.SetFormat("#,##0.00");
    EXPECT_EQ("1,234.00", Shown());
    EXPECT_EQ(Variant(1234.0), control.Value());
}

// A complete number in exponent form is held in its plain form: shown, read
// back, range-checked and saved as that number. Any other text keeps to
// its digits.
TEST_F(ValueRangeTest, ExponentFormTextsAreHeldInTheirPlainForm) {
    const struct {
        const char* format;
        const char* given;
        const char* stored;
        const char* shown;
        double value;
    } rows[] = {
        {Quillomet::DefaultFormat, "1E+3", "1000", "1,000.00", 1000},
        {"0.0000", "1.5e-3", "0.0015", "0.0015", 0.0015},
        {Quillomet::DefaultFormat, "-2.5E2", "-250", "(250.00)", -250},
        {Quillomet::DefaultFormat, " 1E+3 ", "1000", "1,000.00", 1000},
        {Quillomet::DefaultFormat, "1E3x", "1E3x", "13.00", 13},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given);
        control.SetFormat(row.format);
        control.SetValue(std::string(row.given));
        EXPECT_EQ(Variant(std::string(row.stored)), control.StoredValue());
        EXPECT_EQ(row.shown, Shown());
        EXPECT_EQ(row.value, ReadValue());
    }
    control.SetFormat(Quillomet::DefaultFormat);
    control.SetMaxValue(std::string("1E+3"));
    control.SetMinValue(std::string("-1e1"));
    EXPECT_EQ(Variant(std::string("1000")), control.StoredMaxValue());
    EXPECT_EQ(Variant(1000.0), control.MaxValue());
    EXPECT_EQ(Variant(-10.0), control.MinValue());
    control.SetUseMaxMinValues(true);
    control.SetValue(std::string("2E3"));
    EXPECT_EQ(1000, ReadValue());
    EXPECT_EQ(ErrorNumber::Overflow, ErrorOf([&] { control.SetValue(std::string("1E+99999")); }));
    EXPECT_EQ(1000, ReadValue());
}

// No number of 10^15 or more enters: the plain form holds 15 digits. A write
// fails with the overflow error and changes nothing.
TEST_F(ValueRangeTest, NumbersFromTenToTheFifteenAreRefused) {
    control.SetValue(5.0);
    control.SetMaxValue(100.0);
    host.ClearRecords();
    const Variant refused[] = {
        Variant(1e15),
        Variant(-1e15),
        Variant(1.5e300),
        Variant(std::string("1000000000000000")),
        Variant(std::string("(1") + std::string(400, '0') + ")"),
        Variant(std::string("1,000,000,000,000,000.5")),
        Variant(std::string("1E+15")),
        Variant(std::string("-0000001234567890123456")),
        // Numbers the control would hold as 10^15: 15 digits round up.
        Variant(999999999999999.5),
        Variant(999999999999999.9),
        Variant(std::string("999999999999999.99")),
        Variant(1e15f),
        Variant(std::string(" 1E+15 ")),
    };
    for (const Variant& value : refused) {
        SCOPED_TRACE(value.ToString());
        EXPECT_EQ(ErrorNumber::Overflow, ErrorOf([&] { control.SetValue(value); }));
        EXPECT_EQ(ErrorNumber::Overflow, ErrorOf([&] { control.SetMaxValue(value); }));
        EXPECT_EQ(ErrorNumber::Overflow, ErrorOf([&] { control.SetMinValue(value); }));
    }
    EXPECT_EQ(5, ReadValue());
    EXPECT_EQ(Variant(100.0), control.MaxValue());
    EXPECT_TRUE(host.m_ChangedKeys.empty());
    EXPECT_EQ(0, host.Changes());

    control.SetValue(999999999999999.0);
    EXPECT_EQ(999999999999999.0, ReadValue());
    control.SetValue(std::string("-000999999999999999.5"));
    EXPECT_EQ(-999999999999999.5, ReadValue());
}

TEST_F(ValueRangeTest, ChangeHandlerRunsInsideTheWriteAndSeesTheNewText) {
    std::vector<Variant> seen;
    host.m_OnEvent = [&](EventId event, std::span<Variant>) {
        if (event == EventId::Change)
            seen.push_back(control.Value());
    };
    control.SetValue(42.0);
    control.SetValue(-7.0);
    EXPECT_EQ((std::vector<Variant>{42.0, -7.0}), seen);
}

// A write or a Load inside a Change handler wins over the write that raised
// it: what is shown, read and saved is the handler's number.
TEST_F(ValueRangeTest, WriteInsideTheChangeHandlerWins) {
    memory::MemoryPropertyBag stored;
    stored.m_Values["Value"] = 7.0;
    const struct {
        const char* what;
        std::function<void()> handler;
        const char* shown;
    } rows[] = {
        {"a write", [&] { control.SetValue(99.0); }, "99.00"},
        {"a Load", [&] { control.ReadProperties(stored); }, "7.00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        control.SetValue(1.0);
        bool handled = false;
        host.m_OnEvent = [&](EventId event, std::span<Variant>) {
            if (event == EventId::Change && !handled) {
                handled = true;
                row.handler();
            }
        };
        control.SetValue(5000.0);
        host.m_OnEvent = nullptr;
        EXPECT_TRUE(handled);
        EXPECT_EQ(row.shown, Shown());
        EXPECT_EQ(TextValue(row.shown), ReadValue());
        EXPECT_EQ(TextValue(row.shown), control.StoredValue().ToDouble());
    }
}

TEST_F(ValueRangeTest, ValueGivenAnObjectKeepsItsDefaultValue) {
    struct Readout : Object {
        Variant DefaultValue() const override { return "12.5"; }
    };
    control.SetValue(ObjectRef(std::make_shared<Readout>()));
    EXPECT_EQ("12.50", Shown());
    EXPECT_EQ(Variant("12.5"), control.StoredValue());
}

TEST_F(ValueRangeTest, NumbersOfEveryTypeAreWrittenAsTheirPlainText) {
    const std::vector<std::pair<Variant, const char*>> rows = {
        {std::int16_t{-3}, "(3.00)"},
        {std::int32_t{70000}, "70,000.00"},
        {1.1f, "1.10"},
        {Currency{12'345}, "1.23"},
        {true, "(1.00)"},
        {Variant(), "0.00"},
        {"abc", "0.00"},
        {1e-5, "0.00"},
    };
    for (const auto& [value, shown] : rows) {
        control.SetValue(value);
        EXPECT_EQ(shown, Shown());
    }
}

// Bad arguments fail with a clear error and leave everything as it was.
TEST_F(ValueRangeTest, RefusedArgumentsChangeNothing) {
    control.SetValue(12.0);
    control.SetMinValue(1);
    control.SetMaxValue(99);
    host.ClearRecords();
    const double inf = std::numeric_limits<double>::infinity();
    const std::string tooLong(32768, '1');
    const std::string hugeNumber = "1" + std::string(400, '0');
    struct Nothing : Object {
        Variant DefaultValue() const override { return Variant::Null(); }
    };
    const std::vector<std::pair<Variant, ErrorNumber>> rows = {
        {Variant::Null(), ErrorNumber::InvalidUseOfNull},
        {inf, ErrorNumber::Overflow},
        {-inf, ErrorNumber::Overflow},
        {std::numeric_limits<double>::quiet_NaN(), ErrorNumber::Overflow},
        {std::numeric_limits<float>::infinity(), ErrorNumber::Overflow},
        {tooLong, ErrorNumber::Overflow},
        {hugeNumber, ErrorNumber::Overflow},
        {ObjectRef(std::make_shared<Nothing>()), ErrorNumber::InvalidUseOfNull},
        {ObjectRef(), ErrorNumber::InvalidProcedureCall},
    };
    for (const auto& [argument, error] : rows) {
        EXPECT_EQ(error, ErrorOf([&] { control.SetValue(argument); }));
        EXPECT_EQ(error, ErrorOf([&] { control.SetMaxValue(argument); }));
        EXPECT_EQ(error, ErrorOf([&] { control.SetMinValue(argument); }));
    }
    EXPECT_EQ(ErrorNumber::Overflow, ErrorOf([&] { control.SetFormat(tooLong); }));
    EXPECT_EQ("12.00", Shown());
    EXPECT_EQ(Variant(12.0), control.StoredValue());
    EXPECT_EQ(Variant("99"), control.StoredMaxValue());
    EXPECT_EQ(Variant("1"), control.StoredMinValue());
    EXPECT_EQ(Quillomet::DefaultFormat, control.Format());
    EXPECT_TRUE(host.m_ChangedKeys.empty());
    EXPECT_TRUE(host.m_Events.empty());
}

TEST_F(ValueRangeTest, LongestAcceptedTextIsKept) {
    control.SetFormat(std::string(32767, '0'));
    const std::string digits(15, '7');
    control.SetValue(digits);
    EXPECT_EQ(32767u, Shown().size());
    EXPECT_EQ(digits, Shown().substr(32767 - 15));
}

} // namespace
} // namespace quillomet
