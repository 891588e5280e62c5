#include "calculator/calculator_engine.h"

#include "calculator/calculator_text.h"
#include "common/automation_error.h"
#include "common/number_conversion.h"

#include <cmath>

namespace quillomet {
namespace {

// Runs one assignment of an operator key; one whose computation fails (an
// operand that is no number, an overflow) is skipped.
template <typename Assignment>
void Guarded(Assignment assignment) {
    try {
        assignment();
    } catch (const AutomationError&) {
    }
}

} // namespace

CalculatorEngine::CalculatorEngine(CalculatorEngineHost& host, char decimalSeparator)
    : m_Host(host), m_Separator(decimalSeparator) {
    SaveInputAmount = m_Host.OwnerValue().ToCurrency();
    ResetCalculator();
}

void CalculatorEngine::SetReadout(std::string text) {
    if (text.size() > ReadoutLength)
        text.resize(ReadoutLength);
    if (text != m_Readout)
        m_SeedShown = false;
    m_Readout = std::move(text);
}

std::string CalculatorEngine::SeparatorText(const char* prefix) const {
    return std::string(prefix) + m_Separator;
}

void CalculatorEngine::CountOperand() {
    if (OperandCount < MaxOperandCount)
        ++OperandCount;
}

double CalculatorEngine::Double(const Variant& operand) const {
    return OperandDouble(operand, m_Separator);
}

void CalculatorEngine::PressDigit(int digit) {
    const char d = static_cast<char>('0' + digit);
    if (LastInput != LastInputKind::Nums) {
        SetReadout(SeparatorText(""));
        DecimalFlag = false;
    }
    if (DecimalFlag) {
        SetReadout(m_Readout + d);
    } else {
        std::string readout = m_Readout;
        if (!readout.empty() && readout.front() == '0')
            readout.erase(0, 1);
        const std::size_t separator = readout.find(m_Separator);
        // Cut by the length rule: no room for more integer digits.
        if (separator == std::string::npos)
            return;
        SetReadout(readout.substr(0, separator) + d + m_Separator);
    }
    if (LastInput == LastInputKind::Neg)
        SetReadout('-' + m_Readout);
    LastInput = LastInputKind::Nums;
}

void CalculatorEngine::PressDecimal() {
    if (LastInput == LastInputKind::Neg)
        SetReadout(SeparatorText("-0"));
    else if (LastInput != LastInputKind::Nums)
        SetReadout(SeparatorText("0"));
    DecimalFlag = true;
    LastInput = LastInputKind::Nums;
}

void CalculatorEngine::PressOperator(std::string_view op) {
    const std::string entered = m_Readout;
    if (LastInput == LastInputKind::Nums)
        CountOperand();
    switch (OperandCount) {
    case 0:
        // A minus before the first number is its sign.
        if (op == "-" && LastInput != LastInputKind::Neg) {
            SetReadout('-' + m_Readout);
            LastInput = LastInputKind::Neg;
        }
        break;
    case 1:
        FirstOperand = m_Readout;
        // A minus right after another operator is the next number's sign.
        if (op == "-" && LastInput != LastInputKind::Nums && PendingOperator != "=") {
            SetReadout("-");
            LastInput = LastInputKind::Neg;
        }
        break;
    case 2:
        SecondOperand = entered;
        Guarded([&] { FirstOperand = Evaluate(); });
        SetReadout(OperandText(FirstOperand, m_Separator));
        OperandCount = 1;
        break;
    default:
        break;
    }
    if (LastInput != LastInputKind::Neg) {
        LastInput = LastInputKind::Ops;
        PendingOperator = op;
    }
    UpdateControl();
}

// The pending operation over the two operands.
Variant CalculatorEngine::Evaluate() {
    const std::string& op = PendingOperator;
    if (op == "+" || op == "X" || op == "%") {
        const double a = Double(FirstOperand);
        const double b = Double(SecondOperand);
        const double result = op == "+" ? a + b : a * b;
        if (!std::isfinite(result))
            ThrowOverflow();
        return result;
    }
    if (op == "-") {
        // In currency: each operand rounded to four decimals first, so that
        // 0.3 - 0.1 is 0.2. An operand that is no currency counts as 0; a
        // difference beyond the currency range gives 0.
        const auto currencyOf = [&](const Variant& operand) {
            try {
                return Variant(Double(operand)).ToCurrency().scaled;
            } catch (const AutomationError&) {
                return std::int64_t{0};
            }
        };
        const std::int64_t a = currencyOf(FirstOperand);
        const std::int64_t b = currencyOf(SecondOperand);
        std::int64_t difference = 0;
        if (__builtin_sub_overflow(a, b, &difference))
            difference = 0;
        return Currency{difference};
    }
    if (op == "/") {
        const double divisor = Double(SecondOperand);
        if (divisor == 0) {
            m_Host.ShowDivideByZero();
            return FirstOperand;
        }
        return QuotientText(Double(FirstOperand) / divisor, m_Separator);
    }
    if (op == "=")
        return Double(SecondOperand); // a number typed after "=" starts anew
    return FirstOperand;
}

void CalculatorEngine::PressPercent() {
    SetReadout(FloatText(ReadoutNumber(m_Readout, m_Separator) / 100, 15, m_Separator));
    LastInput = LastInputKind::Ops;
    PendingOperator = "%";
    DecimalFlag = true;
    CountOperand();
}

void CalculatorEngine::PressClear() {
    SetReadout(SeparatorText("0"));
    FirstOperand = 0.0;
    SecondOperand = 0.0;
    ResetCalculator();
    UpdateControl();
}

void CalculatorEngine::PressClearEntry() {
    SetReadout(SeparatorText("0"));
    DecimalFlag = false;
    LastInput = LastInputKind::ClearEntry;
}

void CalculatorEngine::PressBackspace() {
    std::string readout = m_Readout;
    if (!readout.empty() && readout.back() == m_Separator) {
        // The digit before the separator goes; the separator stays.
        if (readout.size() > 1) {
            readout.erase(readout.size() - 2);
            readout += m_Separator;
        }
    } else if (!readout.empty()) {
        readout.pop_back();
    }
    SetReadout(std::move(readout));
}

void CalculatorEngine::ResetCalculator() {
    DecimalFlag = false;
    OperandCount = 0;
    LastInput = LastInputKind::None;
    PendingOperator = " ";
    SetReadout(SeparatorText("0"));
}

void CalculatorEngine::SeedReadout(const Variant& value) {
    SaveInputAmount = value.ToCurrency();
    std::string text = OperandText(value.IsEmpty() ? Variant(0.0) : value, m_Separator);
    if (text.find(m_Separator) == std::string::npos)
        text += m_Separator;
    else
        DecimalFlag = true;
    SetReadout(std::move(text));
    LastInput = LastInputKind::Nums;
    m_SeedShown = true;
}

// Hands the number the user sees to the owner, written as the control's own
// plain text, so neither an exponent form nor the locale's separator can be
// misread by the control's text routines. Whether it changed is decided on
// the readout's digits: a double computed from the saved amount could
// differ from the parsed readout in its last bits.
void CalculatorEngine::UpdateControl() {
    // The owner's own number, shown as opened: nothing to hand back, also
    // when the readout could show only its first 14 characters.
    if (m_SeedShown || ReadoutIsAmount(m_Readout, m_Separator, SaveInputAmount))
        return;
    const double shown = ReadoutNumber(m_Readout, m_Separator);
    if (!std::isfinite(shown))
        return;
    m_Host.SetOwnerValue(NumberText(shown));
    try {
        SaveInputAmount = m_Host.OwnerValue().ToCurrency();
    } catch (const AutomationError&) {
        // keeps the amount it had
    }
}

} // namespace quillomet
