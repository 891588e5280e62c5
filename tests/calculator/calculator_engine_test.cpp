#include "calculator/calculator_engine.h"
#include "calculator/calculator_text.h"
#include "calculator/key_sequence.h"
#include "common/number_conversion.h"
#include "common/variant_printer.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillomet {
namespace {

using testing::Press;

// An owner that keeps what it is handed as a number, as the control does.
class FakeOwner : public CalculatorEngineHost {
public:
    explicit FakeOwner(double value) : m_Value(value) {}
    Variant OwnerValue() override { return m_Value; }
    void SetOwnerValue(const Variant& value) override {
        m_HandedBack.push_back(value.ToString());
        m_Value = TextValue(value.ToString());
    }
    void ShowDivideByZero() override { ++m_DivideMessages; }

    double m_Value;
    std::vector<std::string> m_HandedBack;
    int m_DivideMessages = 0;
};

struct Session {
    double ownerValue;
    const char* keys;
    const char* readout;
    std::vector<std::string> handedBack;
};

class EngineTest : public ::testing::TestWithParam<char> {
protected:
    // Texts in the rows use "."; the locale's separator replaces it.
    std::string Local(std::string text) const {
        for (char& c : text)
            if (c == '.')
                c = GetParam();
        return text;
    }
};

TEST_P(EngineTest, Sessions) {
    const Session sessions[] = {
        {0, "1 2 + 3 =", "15", {"12", "15"}},
        {0, "2 + 3 X 4 =", "20", {"2", "5", "20"}},
        {0, "5 + 3 = =", "8", {"5", "8"}}, // the second "=" hands nothing back
        {0, "5 X - 3 =", "-15", {"5", "0", "-15"}},
        {0, "- 5 + 2 =", "-3", {"-5", "-3"}},
        {0, "1 / 4 =", ".25", {"1", "0.25"}},
        {0, "2 / 1 =", "2.", {"2"}},
        {0, "1 / 3 =", ".3333333", {"1", "0.3333333"}},
        {0, "0 . 1 + 0 . 2 =", "0.3", {"0.1", "0.3"}},
        {0, "1 - 0 . 3 3 3 3 3 =", "0.6667", {"1", "0.6667"}},
        {0, "0 . 3 - 0 . 1 =", "0.2", {"0.3", "0.2"}},
        {0, "5 0 + 1 0 % =", "5", {"50", "5"}},
        {0, "1 0 %", "0.1", {}},
        {0, "5 + 3 CE 4 =", "9", {"5", "9"}},
        {0, "5 + X 2 =", "10", {"5", "10"}},
        {0, "9 9 9 9 9 9 9 9 9 9 9 9 9", "9999999999999.", {}},
        {0, "9 9 9 9 9 9 9 9 9 9 9 9 9 9", "99999999999999", {}},
        {0, "9 9 9 9 9 9 9 9 9 9 9 9 9 9 9", "99999999999999", {}},
        {12, "BS", "1.", {}},
        {12.34, "BS", "12.3", {}},
        {0, "BS BS", ".", {}},
        {12.5, "7", "12.57", {}},
        {0, "7", "7.", {}},
        {40, "C", "0.", {"0"}},
        {15, "+", "15.", {}}, // the amount the owner holds: nothing handed
        {-99.19, "+", "-99.19", {}},
        // The opening seed unedited is the owner's own number, even where
        // the readout shows only its first 14 characters.
        {1234567890123.45, "+", "1234567890123.", {}},
        {1234567890123.45, "+ + X =", "1234567890123.", {}},
        {1.23456, "+", "1.23456", {}},
        {1234567890123.45, "+ 5 =", "1234567890128", {"1234567890128"}},
        {40, "BS 4 +", "44.", {"44"}},
        // Fourteen integer digits handed back by "=" are the owner's amount
        // to the last ten-thousandth: "+" has nothing more to hand back.
        {27171523580540, "+ 1 = +", "27171523580541", {"27171523580541"}},
        // Ends with the currency difference 1.2857 while the owner holds
        // 1.2857143, whose amount is 1.2857: nothing to hand back.
        {0,
         "6 BS 3 9 + 6 + 1 . BS . / 7 / 5 - CE . /",
         "1.2857",
         {"39", "45", "6.4285714", "1.2857143"}},
        // A digit past the fourth decimal is never the saved amount.
        {0, ". 0 0 0 0 1 +", "0.00001", {"0.00001"}},
        {0,
         "1 2 3 4 5 6 7 X 1 0 0 0 0 0 0 0 0 0 =",
         "1.234567E+15",
         {"1234567", "1234567000000000"}},
    };
    for (const Session& s : sessions) {
        SCOPED_TRACE(::testing::Message() << s.ownerValue << ": " << s.keys);
        FakeOwner owner(s.ownerValue);
        CalculatorEngine engine(owner, GetParam());
        engine.SeedReadout(s.ownerValue);
        Press(engine, s.keys);
        EXPECT_EQ(Local(s.readout), engine.Readout());
        EXPECT_EQ(s.handedBack, owner.m_HandedBack);
    }
}

TEST_P(EngineTest, DivisionByZeroShowsTheMessageAndKeepsTheOperand) {
    FakeOwner owner(0);
    CalculatorEngine engine(owner, GetParam());
    engine.SeedReadout(0.0);
    Press(engine, "7 / 0 =");
    EXPECT_EQ(1, owner.m_DivideMessages);
    EXPECT_EQ(Local("7."), engine.Readout());
    EXPECT_EQ(1, engine.OperandCount);
    EXPECT_EQ("=", engine.PendingOperator);
    // A divisor that Backspace reduced to the separator alone is 0 too.
    Press(engine, "C 8 / 5 BS =");
    EXPECT_EQ(2, owner.m_DivideMessages);
}

// The hand-back carries the number the user sees, whatever its notation.
TEST_P(EngineTest, HandBackIsTheShownNumberAsPlainText) {
    FakeOwner owner(0);
    CalculatorEngine engine(owner, GetParam());
    engine.SeedReadout(0.0);
    Press(engine, "0 . 0 0 1 X 0 . 0 1 =");
    EXPECT_EQ("1E-05", engine.Readout());
    EXPECT_EQ("0.00001", owner.m_HandedBack.back());
    Press(engine, "C 1 2 . 5 + 1 =");
    EXPECT_EQ(Local("13.5"), engine.Readout());
    EXPECT_EQ("13.5", owner.m_HandedBack.back());
}

TEST_P(EngineTest, QuotientOfZeroCountsAsZeroNext) {
    FakeOwner owner(0);
    CalculatorEngine engine(owner, GetParam());
    Press(engine, "0 / 5 =");
    EXPECT_EQ(Local("."), engine.Readout());
    Press(engine, "+ 3 =");
    EXPECT_EQ("3", engine.Readout());
}

INSTANTIATE_TEST_SUITE_P(Separators, EngineTest, ::testing::Values('.', ','));

// Where LastInput goes from each state by each key.
TEST(EngineStateTest, LastInputTransitions) {
    using K = LastInputKind;
    const struct {
        const char* setup; // keys that reach the state
        K from;
    } states[] = {
        {"", K::None}, {"CE", K::ClearEntry}, {"5", K::Nums}, {"5 +", K::Ops}, {"-", K::Neg},
    };
    const struct {
        const char* key;
        K after[5]; // from None, ClearEntry, Nums, Ops, Neg
    } keys[] = {
        {"7", {K::Nums, K::Nums, K::Nums, K::Nums, K::Nums}},
        {".", {K::Nums, K::Nums, K::Nums, K::Nums, K::Nums}},
        {"-", {K::Neg, K::Neg, K::Ops, K::Neg, K::Neg}},
        {"+", {K::Ops, K::Ops, K::Ops, K::Ops, K::Neg}},
        {"=", {K::Ops, K::Ops, K::Ops, K::Ops, K::Neg}},
        {"%", {K::Ops, K::Ops, K::Ops, K::Ops, K::Ops}},
        {"C", {K::None, K::None, K::None, K::None, K::None}},
        {"CE", {K::ClearEntry, K::ClearEntry, K::ClearEntry, K::ClearEntry, K::ClearEntry}},
        {"BS", {K::None, K::ClearEntry, K::Nums, K::Ops, K::Neg}},
    };
    for (const auto& key : keys) {
        for (int s = 0; s < 5; ++s) {
            FakeOwner owner(0);
            CalculatorEngine engine(owner, '.');
            Press(engine, states[s].setup);
            ASSERT_EQ(states[s].from, engine.LastInput) << states[s].setup;
            Press(engine, key.key);
            EXPECT_EQ(key.after[s], engine.LastInput) << "key " << key.key << " from state " << s;
        }
    }
}

TEST(EngineStateTest, MinusAfterEqualsIsAnOperator) {
    FakeOwner owner(0);
    CalculatorEngine engine(owner, '.');
    Press(engine, "5 + 3 = -");
    EXPECT_EQ(LastInputKind::Ops, engine.LastInput);
    Press(engine, "2 =");
    EXPECT_EQ("6", engine.Readout());
}

TEST(EngineStateTest, OperandCountStopsAtItsLimit) {
    FakeOwner owner(0);
    CalculatorEngine engine(owner, '.');
    engine.OperandCount = CalculatorEngine::MaxOperandCount;
    Press(engine, "%");
    EXPECT_EQ(CalculatorEngine::MaxOperandCount, engine.OperandCount);
    Press(engine, "5 +");
    EXPECT_EQ(CalculatorEngine::MaxOperandCount, engine.OperandCount);
}

TEST(EngineStateTest, OverflowingProductKeepsTheRunningResult) {
    FakeOwner owner(0);
    CalculatorEngine engine(owner, '.');
    const std::string nines = "9 9 9 9 9 9 9 9 9 9 9 9 9 9 ";
    Variant kept;
    for (int factor = 1; factor <= 23; ++factor) {
        Press(engine, nines + "X");
        if (factor == 22)
            kept = engine.FirstOperand;
    }
    // The 23rd product is beyond the double range: skipped.
    EXPECT_EQ(kept, engine.FirstOperand);
    EXPECT_TRUE(std::isfinite(engine.FirstOperand.ToDouble()));
    EXPECT_LE(engine.Readout().size(), CalculatorEngine::ReadoutLength);
}

TEST(EngineStateTest, SubtractionCountsANonCurrencyOperandAsZero) {
    FakeOwner owner(0);
    CalculatorEngine engine(owner, '.');
    const std::string nines = "9 9 9 9 9 9 9 9 9 9 9 9 9 9 ";
    Press(engine, nines + "X " + nines + "- 1 =");
    EXPECT_EQ("-1", engine.Readout()); // 1E+28 is no currency
}

TEST(QuotientTextTest, Picture) {
    const struct {
        double quotient;
        const char* text;
    } rows[] = {
        {0.25, ".25"},
        {2, "2."},
        {1.0 / 3, ".3333333"},
        {2.0 / 3, ".6666667"},
        {-0.25, "-.25"},
        {0, "."},
        {1234567.5, "1234567.5"},
        {1.0 / 256, ".0039063"}, // .00390625: a true tie, half away from zero
        {-1.0 / 256, "-.0039063"},
        {0.99999999, "1."},
        {-0.00000001, "."},
        {1e300 * 1e10, "."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text, QuotientText(row.quotient, '.')) << row.quotient;
    EXPECT_EQ(",25", QuotientText(0.25, ','));
}

TEST(ReadoutIsAmountTest, DecidesOnTheDigits) {
    const struct {
        const char* readout;
        char separator;
        std::int64_t scaled;
        bool equal;
    } rows[] = {
        {"-99.19", '.', -991'900, true},
        {"1.2857", '.', 12'857, true},
        {"1.2857143", '.', 12'857, false},
        {"1.2857143", '.', 12'857'143, false},
        {".00001", '.', 0, false},
        {"0.00010", '.', 1, true},
        {"0.000100000001", '.', 1, false},
        {"1E-04", '.', 1, true},
        {"1E-05", '.', 0, false},
        {"1.5E+3", '.', 15'000'000, true},
        {"1.234567E+14", '.', 1'234'567'000'000'000'000, true},
        {"1.234567E+15", '.', INT64_MAX, false},
        {"1E+20", '.', 0, false},
        {"1844674407370955.1616", '.', 0, false}, // 2^64 ten-thousandths: no wrap to 0
        {"-0.", '.', 0, true},
        {".", '.', 0, true},
        {"-", '.', 0, true},
        {"-.", '.', 0, true},
        {"5.", '.', -50'000, false},
        {"-5.", '.', 50'000, false},
        {"0.", '.', 1, false},
        {"99999999999999", '.', 999'999'999'999'990'000, true},
        {"922337203685477.5807", '.', INT64_MAX, true},
        {"-922337203685477.5808", '.', INT64_MIN, true},
        {"922337203685477.5808", '.', INT64_MAX, false},
        {"12,5", ',', 125'000, true},
        {"12.5", ',', 120'000, true}, // a "." is no separator there
        {"1,5E+3", ',', 15'000'000, true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.equal, ReadoutIsAmount(row.readout, row.separator, Currency{row.scaled}))
            << row.readout << " against " << row.scaled;
}

TEST(ReadoutNumberTest, ReadsTheLocalesNotation) {
    EXPECT_EQ(12.5, ReadoutNumber("12,5", ','));
    EXPECT_EQ(12, ReadoutNumber("12.5", ',')); // a "." is no separator there
    EXPECT_EQ(1e-5, ReadoutNumber("1E-05", '.'));
    EXPECT_EQ(0, ReadoutNumber("-", '.'));
    EXPECT_EQ(125, ReadoutNumber("125.", '.'));
}

} // namespace
} // namespace quillomet
